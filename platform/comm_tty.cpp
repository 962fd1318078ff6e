// The tty backend: a local serial device, a USB adapter or a pseudo-terminal.
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>

#include "platform/comm.h"
#include "platform/comm_backends.h"
#include "platform/comm_latency.h"
#include "platform/comm_termios2.h"
#include "platform/comm_wait.h"
#include "platform/process.h"

namespace platforma {
namespace {

using Zegar = ZegarLinii;

std::optional<Zegar::time_point> Wczesniejszy(std::optional<Zegar::time_point> a, std::optional<Zegar::time_point> b) {
  if (!a) return b;
  if (!b) return a;
  return *a < *b ? a : b;
}

// What a sleep for the bytes still due adds to their line time: the timer's
// own slack and the hand-over of the last byte through the kernel.
constexpr uint64_t ZAPAS_DRZEMKI_US = 30;

// The device numbers of the pseudo-terminal slaves (/dev/pts/N).
constexpr unsigned PIERWSZY_PTS = 136, OSTATNI_PTS = 143;

uint8_t BityModemu(int linie) {
  uint8_t stan = 0;
  if (linie & TIOCM_CTS) stan |= LINIA_CTS;
  if (linie & TIOCM_DSR) stan |= LINIA_DSR;
  if (linie & TIOCM_RNG) stan |= LINIA_RI;
  if (linie & TIOCM_CD) stan |= LINIA_DCD;
  return stan;
}

class LiniaTty final : public Linia {
 public:
  LiniaTty(int uchwyt, int budzik) : uchwyt_(uchwyt), budzik_(budzik) {
    struct stat st {};
    pseudoterminal_ = fstat(uchwyt_, &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= PIERWSZY_PTS &&
                      major(st.st_rdev) <= OSTATNI_PTS;
    serial_icounter_struct licznik{};
    if (ioctl(uchwyt_, TIOCGICOUNT, &licznik) == 0) {
      licznikiBledow_ = true;
      liczniki_ = licznik;
    }
    opoznienie_ = WlaczenieNiskiegoOpoznienia(UstawieniaSzeregowe());
  }

  ~LiniaTty() override {
    PrzywrocenieOpoznienia(UstawieniaSzeregowe(), opoznienie_);
    close(uchwyt_);
    close(budzik_);
  }

  NiskieOpoznienie Opoznienie() const override { return opoznienie_; }

  int UstawParametry(const UstawieniaLinii& u) override {
    const int kod = UstawTermios2(uchwyt_, u);
    if (kod == 0) ustawienia_ = u;
    return kod;
  }

  // The kernel's tty buffers have a fixed size.
  int UstawKolejki(uint32_t, uint32_t) override { return 0; }

  int Czysc(bool wyjscie, bool wejscie) override {
    // A pseudo-terminal has no transmit queue: what was written has reached
    // its peer, and flushing the output would take it back out of the peer's
    // input (a write sent just before the line closes would be lost).
    if (wyjscie && !pseudoterminal_ && tcflush(uchwyt_, TCOFLUSH) != 0) return errno;
    if (wejscie && tcflush(uchwyt_, TCIFLUSH) != 0) return errno;
    // A line error among the bytes let go belongs to none of the answers to come.
    if (wejscie) NoweBledyLinii();
    return 0;
  }

  WynikTransferu Czytaj(uint8_t* bajty, uint32_t ile, uint32_t najmniej, uint32_t zapowiedziane) override {
    WynikTransferu w = Odczyt(bajty, ile, najmniej, zapowiedziane);
    if (w.przeniesiono > 0 && licznikiBledow_) w.bledyLinii = NoweBledyLinii();
    return w;
  }

  WynikTransferu Odczyt(uint8_t* bajty, uint32_t ile, uint32_t najmniej, uint32_t zapowiedziane) {
    const TerminyOdczytu t = TerminyDlaOdczytu(Czasy(), najmniej);
    if (przerwano_) return {PrzebiegTransferu::Przerwany, 0, ECANCELED};
    const auto poczatek = Zegar::now();
    const auto calkowity = Termin(t.calkowity, poczatek);
    if (zapowiedziane > 0 && !t.odRazu) {
      // The bytes of the answer still due are on their way at the line's
      // speed: sleep for as long as they take, then take them in one read.
      int jest = 0;
      if (ioctl(uchwyt_, FIONREAD, &jest) == 0 && static_cast<uint32_t>(jest) < zapowiedziane) {
        switch (Drzemka(poczatek + std::chrono::microseconds(
                                       CzasBajtowUs(ustawienia_, zapowiedziane - static_cast<uint32_t>(jest)) +
                                       ZAPAS_DRZEMKI_US),
                        calkowity)) {
          case Gotowosc::Przerwano: return {PrzebiegTransferu::Przerwany, 0, ECANCELED};
          case Gotowosc::Sygnal: return {PrzebiegTransferu::Przerwany, 0, EINTR};
          default: break;
        }
      }
      czekalo_ = false;
    }
    uint32_t mam = 0;
    // A line whose last read had to wait brings its bytes one at a time: the
    // next read waits first instead of trying in vain.
    if (!czekalo_ || t.odRazu) {
      const ssize_t n = read(uchwyt_, bajty, ile);
      if (n > 0) mam = static_cast<uint32_t>(n);
      else if (n < 0 && errno != EAGAIN && errno != EINTR) return {PrzebiegTransferu::BladStartu, 0, errno};
      czekalo_ = false;
      if (mam >= najmniej) return {PrzebiegTransferu::OdRazu, mam, 0};
      if (t.odRazu || (t.pierwszyZnakKonczy && mam > 0)) return {PrzebiegTransferu::OdRazu, mam, EAGAIN};
    }
    czekalo_ = true;

    std::optional<Zegar::time_point> odstep = mam > 0 ? Termin(t.odstep) : std::nullopt;
    for (;;) {
      const Gotowosc g = CzekajNa(POLLIN, Wczesniejszy(calkowity, odstep));
      // A modem that drops the call says so ("NO CARRIER"), which wakes the
      // wait: the carrier is looked at then, never on a timer.
      if ((g == Gotowosc::Gotowe || g == Gotowosc::Minelo) && NosnaUtracona())
        return {PrzebiegTransferu::BladOczekiwania, mam, ENOLINK};
      switch (g) {
        case Gotowosc::Minelo: return {PrzebiegTransferu::PoOczekiwaniu, mam, ETIMEDOUT};
        case Gotowosc::Przerwano: return {PrzebiegTransferu::Przerwany, mam, ECANCELED};
        case Gotowosc::Sygnal: return {PrzebiegTransferu::Przerwany, mam, EINTR};
        case Gotowosc::Blad: return {PrzebiegTransferu::BladOczekiwania, mam, errno};
        case Gotowosc::Gotowe: break;
      }
      const ssize_t r = read(uchwyt_, bajty + mam, ile - mam);
      if (r < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      // Readable with nothing to read: the tty was hung up.
      if (r <= 0) return {PrzebiegTransferu::BladOczekiwania, mam, r == 0 ? EIO : errno};
      mam += static_cast<uint32_t>(r);
      if (mam >= najmniej) return {PrzebiegTransferu::PoOczekiwaniu, mam, 0};
      if (t.pierwszyZnakKonczy) return {PrzebiegTransferu::PoOczekiwaniu, mam, ETIMEDOUT};
      odstep = Termin(t.odstep);
    }
  }

  WynikTransferu Zapisz(const uint8_t* bajty, uint32_t ile) override {
    const auto termin = Termin(TerminDlaZapisu(Czasy(), ile));
    if (przerwano_) return {PrzebiegTransferu::Przerwany, 0, ECANCELED};
    uint32_t poszlo = 0;
    const ssize_t n = write(uchwyt_, bajty, ile);
    if (n > 0) poszlo = static_cast<uint32_t>(n);
    // The answer to what was just written is still to come: the next read waits first.
    if (n > 0) czekalo_ = true;
    else if (n < 0 && errno != EAGAIN && errno != EINTR) return {PrzebiegTransferu::BladStartu, 0, errno};
    if (poszlo == ile) return {PrzebiegTransferu::OdRazu, poszlo, 0};
    for (;;) {
      switch (CzekajNa(POLLOUT, termin)) {
        case Gotowosc::Minelo: return {PrzebiegTransferu::PoOczekiwaniu, poszlo, ETIMEDOUT};
        case Gotowosc::Przerwano: return {PrzebiegTransferu::Przerwany, poszlo, ECANCELED};
        case Gotowosc::Sygnal: return {PrzebiegTransferu::Przerwany, poszlo, EINTR};
        case Gotowosc::Blad: return {PrzebiegTransferu::BladOczekiwania, poszlo, errno};
        case Gotowosc::Gotowe: break;
      }
      const ssize_t r = write(uchwyt_, bajty + poszlo, ile - poszlo);
      if (r < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      if (r < 0) return {PrzebiegTransferu::BladOczekiwania, poszlo, errno};
      poszlo += static_cast<uint32_t>(r);
      if (poszlo == ile) return {PrzebiegTransferu::PoOczekiwaniu, poszlo, 0};
    }
  }

  int Oproznij() override {
    int wKolejce = 0;
    if (ioctl(uchwyt_, TIOCOUTQ, &wKolejce) == 0 && wKolejce > 0) {
      // tcdrain cannot be woken, so wait for the queue to empty first.
      const auto termin = Termin(TerminDlaZapisu(Czasy(), static_cast<uint32_t>(wKolejce)));
      while (ioctl(uchwyt_, TIOCOUTQ, &wKolejce) == 0 && wKolejce > 0) {
        if (termin && Zegar::now() >= *termin) return ETIMEDOUT;
        pollfd p[2] = {{budzik_, POLLIN, 0}, {UchwytSygnaluKonca(), POLLIN, 0}};
        if (poll(p, 2, 1) > 0 || przerwano_) return p[1].revents != 0 ? EINTR : ECANCELED;
      }
    }
    if (tcdrain(uchwyt_) != 0) return errno;
    return 0;
  }

  int UstawSterowanie(Sterowanie linia, bool wlaczona) override {
    const int bit = linia == Sterowanie::DTR ? TIOCM_DTR : TIOCM_RTS;
    if (ioctl(uchwyt_, wlaczona ? TIOCMBIS : TIOCMBIC, &bit) != 0) return errno;
    return 0;
  }

  int StanModemu(uint8_t& stan) override {
    int linie = 0;
    stan = 0;
    pilnujNosnej_ = false;
    if (ioctl(uchwyt_, TIOCMGET, &linie) != 0) return errno;
    stan = BityModemu(linie);
    pilnujNosnej_ = (stan & LINIA_DCD) != 0;
    return 0;
  }

  int WyczyscBledy(uint32_t& flagi, StanKolejek& stan) override {
    flagi = licznikiBledow_ ? NoweBledyLinii() : 0;
    stan = {};
    int ile = 0;
    if (ioctl(uchwyt_, FIONREAD, &ile) != 0) return errno;
    stan.wejscie = static_cast<uint32_t>(ile);
    return 0;
  }

  void Przerwij() override {
    przerwano_ = true;
    const uint64_t jeden = 1;
    [[maybe_unused]] const ssize_t n = write(budzik_, &jeden, sizeof jeden);
  }

  intptr_t Uchwyt() const override { return uchwyt_; }

 private:
  // A blocking wait in the kernel: the line, the close and the signals that
  // ask the process to end wake it, nothing else.
  Gotowosc CzekajNa(short co, const std::optional<Zegar::time_point>& termin) {
    return CzekanieNaUchwyt(uchwyt_, co, budzik_, przerwano_, termin);
  }

  // Sleeps until koniec (or the deadline, if earlier).
  Gotowosc Drzemka(Zegar::time_point koniec, const std::optional<Zegar::time_point>& termin) {
    return DrzemkaLinii(termin && *termin < koniec ? *termin : koniec, budzik_, przerwano_);
  }

  // The carrier seen on by the owner's last look has fallen since.
  bool NosnaUtracona() {
    int linie = 0;
    return pilnujNosnej_ && ioctl(uchwyt_, TIOCMGET, &linie) == 0 && (linie & TIOCM_CD) == 0;
  }

  // The line-error flags of what the device counted since the last look.
  uint32_t NoweBledyLinii() {
    serial_icounter_struct l{};
    if (!licznikiBledow_ || ioctl(uchwyt_, TIOCGICOUNT, &l) != 0) return 0;
    uint32_t flagi = 0;
    if (l.buf_overrun != liczniki_.buf_overrun) flagi |= BLAD_PRZEPELNIENIE_WEJSCIA;
    if (l.overrun != liczniki_.overrun) flagi |= BLAD_NADPISANIE;
    if (l.parity != liczniki_.parity) flagi |= BLAD_PARZYSTOSCI;
    if (l.frame != liczniki_.frame) flagi |= BLAD_RAMKI;
    if (l.brk != liczniki_.brk) flagi |= BLAD_PRZERWA;
    liczniki_ = l;
    return flagi;
  }

  OperacjeOpoznienia UstawieniaSzeregowe() const {
    const int uchwyt = uchwyt_;
    return {[uchwyt](int& flagi) {
              serial_struct s{};
              if (ioctl(uchwyt, TIOCGSERIAL, &s) != 0) return errno;
              flagi = s.flags;
              return 0;
            },
            [uchwyt](int flagi) {
              serial_struct s{};
              if (ioctl(uchwyt, TIOCGSERIAL, &s) != 0) return errno;
              s.flags = flagi;
              return ioctl(uchwyt, TIOCSSERIAL, &s) == 0 ? 0 : errno;
            }};
  }

  const int uchwyt_;
  const int budzik_;
  std::atomic<bool> przerwano_{false};
  bool czekalo_ = false;  // the last read waited for its bytes
  bool pilnujNosnej_ = false;  // the carrier was on at the owner's last look
  bool pseudoterminal_ = false;
  UstawieniaLinii ustawienia_{};
  NiskieOpoznienie opoznienie_ = NiskieOpoznienie::Niedostepne;
  bool licznikiBledow_ = false;
  serial_icounter_struct liczniki_{};
};

}  // namespace

int OtworzLinieTty(const std::string& sciezka, std::unique_ptr<Linia>& linia, RodzajBleduOtwarcia& rodzaj) {
  const int uchwyt = open(sciezka.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (uchwyt < 0) {
    // A directory opens as no device at all, like a regular file.
    const int kod = errno == EISDIR ? ENOTTY : errno;
    rodzaj = RodzajBledu(kod);
    return kod;
  }
  auto porzuc = [&](int kod, RodzajBleduOtwarcia r) {
    close(uchwyt);
    rodzaj = r;
    return kod;
  };
  struct stat opis{};
  if (fstat(uchwyt, &opis) != 0 || !S_ISCHR(opis.st_mode)) return porzuc(ENOTTY, RodzajBleduOtwarcia::ZlyUchwyt);
  // The port is kept to one driver by a lock that the kernel drops with the
  // process. The tty's own exclusive flag is not used: it stays on the device
  // when a killed process leaves it set while something else holds the tty
  // open (the far side of a pseudo-terminal, a port server), and every later
  // open by a user other than root then fails.
  if (flock(uchwyt, LOCK_EX | LOCK_NB) != 0) {
    const int kod = errno == EWOULDBLOCK ? EBUSY : errno;
    return porzuc(kod, RodzajBledu(kod));
  }
  const int budzik = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (budzik < 0) return porzuc(errno, RodzajBleduOtwarcia::Inny);
  linia = std::make_unique<LiniaTty>(uchwyt, budzik);
  rodzaj = RodzajBleduOtwarcia::Brak;
  return 0;
}

}  // namespace platforma
