// The RFC 2217 backend: a serial port of a network port server, reached over
// Telnet with the COM-PORT-OPTION. The connection is read on the caller's
// thread whenever the line is used: what has come is sorted into the input
// queue, the modem-line state, the line errors and the answers to our
// commands, and the Telnet negotiation is answered then.
#include <fcntl.h>
#include <linux/sockios.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <deque>
#include <vector>

#include "platform/comm.h"
#include "platform/comm_backends.h"
#include "platform/comm_wait.h"
#include "platform/process.h"

namespace platforma {
namespace {

using Zegar = ZegarLinii;
using Bajty = std::vector<uint8_t>;

constexpr uint8_t IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;
constexpr uint8_t OPCJA_BINARNA = 0, OPCJA_ECHO = 1, OPCJA_SGA = 3, OPCJA_COM_PORT = 44;
// COM-PORT-OPTION commands of the client; the server answers with the code + 100.
constexpr uint8_t USTAW_PREDKOSC = 1, USTAW_ROZMIAR = 2, USTAW_PARZYSTOSC = 3, USTAW_STOP = 4, USTAW_STEROWANIE = 5,
                  MASKA_STANU_LINII = 10, MASKA_STANU_MODEMU = 11, CZYSC_DANE = 12;
constexpr uint8_t STAN_LINII = 6, STAN_MODEMU = 7;  // the server's notifications: 106, 107

constexpr auto CZAS_POLACZENIA = std::chrono::milliseconds(3000);
constexpr auto CZAS_ODPOWIEDZI = std::chrono::milliseconds(300);
// What a wait for the bytes still due adds to their line time: the port
// server relays them in its own packets, a little after the line has carried them.
constexpr uint64_t ZAPAS_US = 150;

// The Telnet option states of RFC 1143, without the queue bit.
enum class Stan : uint8_t { Nie, Tak, ChcemyTak };

class LiniaRfc2217 final : public Linia {
 public:
  LiniaRfc2217(int gniazdo, int budzik) : gniazdo_(gniazdo), budzik_(budzik) {}

  ~LiniaRfc2217() override {
    if (blad_ == 0) WyslijZalegle();
    close(gniazdo_);
    close(budzik_);
  }

  // Offers the COM-PORT-OPTION and binary transmission and waits for the answer.
  int Negocjuj() {
    // The server may offer the options first and we may have agreed already:
    // an option that is on stays on, or its answer never comes.
    for (Stan* s : {&nasze_[OPCJA_COM_PORT], &nasze_[OPCJA_BINARNA], &ich_[OPCJA_BINARNA]})
      if (*s == Stan::Nie) *s = Stan::ChcemyTak;
    if (const int kod = WyslijSurowe({IAC, WILL, OPCJA_COM_PORT, IAC, WILL, OPCJA_BINARNA, IAC, DO, OPCJA_BINARNA});
        kod != 0)
      return kod;
    Czekaj(Zegar::now() + CZAS_POLACZENIA, [&] { return nasze_[OPCJA_COM_PORT] != Stan::ChcemyTak; });
    if (blad_ != 0) return blad_;
    if (nasze_[OPCJA_COM_PORT] == Stan::ChcemyTak) return ETIMEDOUT;
    if (nasze_[OPCJA_COM_PORT] == Stan::Nie) return EPROTONOSUPPORT;
    // Carrier, ring, DSR and CTS; break and the three receive errors. Servers
    // often leave the masks unconfirmed, so no answer is awaited.
    if (const int kod = Polecenie(MASKA_STANU_MODEMU, {0xF0}, false); kod != 0) return kod;
    return Polecenie(MASKA_STANU_LINII, {0x1E}, false);
  }

  int UstawParametry(const UstawieniaLinii& u) override {
    if (u.predkosc == 0 || u.predkosc > 0x7FFFFFFFu || u.parzystosc > 4 || u.bityStopu > 2 || u.bityDanych < 5 ||
        u.bityDanych > 8)
      return EINVAL;
    static constexpr uint8_t STOP[] = {1, 3, 2};  // one, one and a half, two
    const uint32_t p = u.predkosc;
    const std::pair<uint8_t, Bajty> polecenia[] = {
        {USTAW_PREDKOSC,
         {static_cast<uint8_t>(p >> 24), static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
          static_cast<uint8_t>(p)}},
        {USTAW_ROZMIAR, {u.bityDanych}},
        {USTAW_PARZYSTOSC, {static_cast<uint8_t>(u.parzystosc + 1)}},
        {USTAW_STOP, {STOP[u.bityStopu]}},
        {USTAW_STEROWANIE, {static_cast<uint8_t>(u.kontrolaCTS ? 3 : 1)}},
    };
    // Only what changed goes out again: a speed change is one command.
    for (const auto& [kod, dane] : polecenia) {
      auto& wyslane = ostatnieUstawienia_[kod];
      if (wyslane == dane) continue;
      if (const int wynik = Polecenie(kod, dane); wynik != 0) {
        wyslane.clear();
        return wynik;
      }
      wyslane = dane;
    }
    ustawienia_ = u;
    return 0;
  }

  int UstawKolejki(uint32_t wejscie, uint32_t) override {
    pojemnosc_ = wejscie == 0 ? 1 : wejscie;
    return 0;
  }

  // The server's purge answer comes after everything it sent before, so the
  // input is discarded up to that answer. Once the server has answered a
  // purge, later ones are not awaited: it carries out its commands in the
  // order they come, so the request sent next is never purged, and what it
  // sent before the purge is dropped as it arrives.
  int Czysc(bool wyjscie, bool wejscie) override {
    if (!wyjscie && !wejscie) return 0;
    const uint8_t co = wyjscie && wejscie ? 3 : (wejscie ? 1 : 2);
    const bool czekaj = wejscie ? !czyszczenieWejsciaPotwierdzane_ : odpowiedzi_[CZYSC_DANE] == 0;
    if (wejscie) {
      wejscie_.clear();
      bledyLinii_ = 0;  // reported for bytes let go
      ++czyszczeniaWToku_;
      koniecCzyszczenia_ = Zegar::now() + CZAS_ODPOWIEDZI;
    }
    const int kod = Polecenie(CZYSC_DANE, {co}, czekaj, !czekaj);
    // A server that does not answer purges cannot mark where the old input
    // ends: what came until now is let go, and the rest is kept.
    if (wejscie && (kod != 0 || bezOdpowiedzi_[CZYSC_DANE] || (czekaj && czyszczeniaWToku_ > 0))) {
      wejscie_.clear();
      czyszczeniaWToku_ = 0;
    }
    return kod;
  }

  WynikTransferu Czytaj(uint8_t* bajty, uint32_t ile, uint32_t najmniej, uint32_t zapowiedziane) override {
    WynikTransferu w = Odczyt(bajty, ile, najmniej, zapowiedziane);
    if (w.przeniesiono > 0) {
      // The server reports a line error in the stream after the byte it
      // concerns, so the bytes taken with or before the report are suspect.
      w.bledyLinii = bledyLinii_;
      bledyLinii_ = 0;
    }
    return w;
  }

  WynikTransferu Odczyt(uint8_t* bajty, uint32_t ile, uint32_t najmniej, uint32_t zapowiedziane) {
    const TerminyOdczytu t = TerminyDlaOdczytu(Czasy(), najmniej);
    if (przerwano_) return {PrzebiegTransferu::Przerwany, 0, ECANCELED};
    const auto poczatek = Zegar::now();
    const auto calkowity = Termin(t.calkowity);
    if (const int kod = WyslijZalegle(); kod != 0) return {PrzebiegTransferu::BladStartu, 0, kod};
    // Right after a write the answer is still to come: the read waits first
    // instead of trying in vain.
    if (!poZapisie_ || t.odRazu) Wczytaj();
    if (zapowiedziane > 0 && !t.odRazu && wejscie_.size() < zapowiedziane && blad_ == 0) {
      // The answer's bytes still due are on their way at the line's speed and
      // the port server relays them a little later: sleep for as long, then
      // take them all at once.
      auto koniec = poczatek + std::chrono::microseconds(
                                   CzasBajtowUs(ustawienia_, zapowiedziane - static_cast<uint32_t>(wejscie_.size())) +
                                   ZAPAS_US);
      if (calkowity && *calkowity < koniec) koniec = *calkowity;
      switch (Drzemka(koniec)) {
        case Gotowosc::Przerwano: return {PrzebiegTransferu::Przerwany, 0, ECANCELED};
        case Gotowosc::Sygnal: return {PrzebiegTransferu::Przerwany, 0, EINTR};
        default: break;
      }
      Wczytaj();
    }
    uint32_t mam = Pobierz(bajty, ile);
    if (mam >= najmniej) return {PrzebiegTransferu::OdRazu, mam, 0};
    if (blad_ != 0) return {PrzebiegTransferu::BladStartu, mam, blad_};
    if (t.odRazu || (t.pierwszyZnakKonczy && mam > 0)) return {PrzebiegTransferu::OdRazu, mam, EAGAIN};

    std::optional<Zegar::time_point> odstep = mam > 0 ? Termin(t.odstep) : std::nullopt;
    for (;;) {
      auto termin = calkowity;
      if (odstep && (!termin || *odstep < *termin)) termin = odstep;
      const Gotowosc g = CzekajNaGniazdo(termin);
      if (g == Gotowosc::Gotowe) Wczytaj();
      if (przerwano_ || g == Gotowosc::Przerwano) return {PrzebiegTransferu::Przerwany, mam, ECANCELED};
      if (!wejscie_.empty()) {
        mam += Pobierz(bajty + mam, ile - mam);
        if (mam >= najmniej) return {PrzebiegTransferu::PoOczekiwaniu, mam, 0};
        if (t.pierwszyZnakKonczy) return {PrzebiegTransferu::PoOczekiwaniu, mam, ETIMEDOUT};
        odstep = Termin(t.odstep);
        continue;
      }
      if (blad_ != 0) return {PrzebiegTransferu::BladOczekiwania, mam, blad_};
      if (g == Gotowosc::Blad) return {PrzebiegTransferu::BladOczekiwania, mam, errno};
      if (g == Gotowosc::Sygnal) return {PrzebiegTransferu::Przerwany, mam, EINTR};
      if (NosnaUtracona()) return {PrzebiegTransferu::BladOczekiwania, mam, ENOLINK};
      if (g == Gotowosc::Minelo) return {PrzebiegTransferu::PoOczekiwaniu, mam, ETIMEDOUT};
    }
  }

  WynikTransferu Zapisz(const uint8_t* bajty, uint32_t ile) override {
    const auto termin = Termin(TerminDlaZapisu(Czasy(), ile));
    if (przerwano_) return {PrzebiegTransferu::Przerwany, 0, ECANCELED};
    if (blad_ != 0) return {PrzebiegTransferu::BladStartu, 0, blad_};
    const bool binarnie = nasze_[OPCJA_BINARNA] == Stan::Tak;
    // Each byte becomes one unit on the wire: IAC doubled, CR NUL outside
    // binary mode. The commands held back go first, in the same segment.
    Bajty wyslane;
    wyslane.swap(zalegle_);
    const std::size_t poczatekDanych = wyslane.size();
    std::vector<std::size_t> koniecJednostki;
    wyslane.reserve(poczatekDanych + ile);
    koniecJednostki.reserve(ile);
    for (uint32_t i = 0; i < ile; ++i) {
      wyslane.push_back(bajty[i]);
      if (bajty[i] == IAC) wyslane.push_back(IAC);
      else if (bajty[i] == '\r' && !binarnie) wyslane.push_back(0);
      koniecJednostki.push_back(wyslane.size());
    }
    poZapisie_ = true;
    std::size_t poszlo = 0;
    bool czekano = false;
    auto bajtowPrzeniesionych = [&] {
      // Commands held back that did not go out wait for the next send.
      if (poszlo < poczatekDanych) zalegle_.assign(wyslane.begin() + static_cast<std::ptrdiff_t>(poszlo),
                                                   wyslane.begin() + static_cast<std::ptrdiff_t>(poczatekDanych));
      uint32_t n = 0;
      while (n < ile && koniecJednostki[n] <= poszlo) ++n;
      return n;
    };
    while (poszlo < wyslane.size()) {
      const ssize_t r = send(gniazdo_, wyslane.data() + poszlo, wyslane.size() - poszlo, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (r > 0) {
        poszlo += static_cast<std::size_t>(r);
        continue;
      }
      if (r < 0 && errno != EAGAIN && errno != EINTR)
        return {czekano ? PrzebiegTransferu::BladOczekiwania : PrzebiegTransferu::BladStartu, bajtowPrzeniesionych(),
                errno};
      czekano = true;
      // Past the deadline a half-sent unit is still finished, so the stream stays whole.
      const bool polowa = poszlo < poczatekDanych
                              ? poszlo != 0
                              : poszlo != poczatekDanych && std::find(koniecJednostki.begin(), koniecJednostki.end(),
                                                                      poszlo) == koniecJednostki.end();
      // While the server cannot take more, what it sends is taken in, so
      // that neither side waits for the other.
      pollfd p[3] = {{gniazdo_, static_cast<short>(POLLOUT | (MaMiejsce() ? POLLIN : 0)), 0},
                     {budzik_, POLLIN, 0},
                     {polowa ? -1 : UchwytSygnaluKonca(), POLLIN, 0}};
      const int n = poll(p, 3, polowa ? 10 : PozostaloMs(termin));
      if (n < 0 && errno != EINTR) return {PrzebiegTransferu::BladOczekiwania, bajtowPrzeniesionych(), errno};
      if (p[1].revents != 0 || przerwano_) return {PrzebiegTransferu::Przerwany, bajtowPrzeniesionych(), ECANCELED};
      if (p[2].revents != 0) return {PrzebiegTransferu::Przerwany, bajtowPrzeniesionych(), EINTR};
      if (p[0].revents & POLLIN) Wczytaj();
      if (blad_ != 0) return {PrzebiegTransferu::BladOczekiwania, bajtowPrzeniesionych(), blad_};
      if (n == 0 && !polowa && PozostaloMs(termin) == 0)
        return {PrzebiegTransferu::PoOczekiwaniu, bajtowPrzeniesionych(), ETIMEDOUT};
    }
    return {czekano ? PrzebiegTransferu::PoOczekiwaniu : PrzebiegTransferu::OdRazu, ile, 0};
  }

  // Sent means taken by the peer: the connection's unacknowledged bytes drop to 0.
  int Oproznij() override {
    if (const int kod = WyslijZalegle(); kod != 0) return kod;
    int wKolejce = 0;
    if (ioctl(gniazdo_, SIOCOUTQ, &wKolejce) != 0) return errno;
    const auto termin = Termin(TerminDlaZapisu(Czasy(), static_cast<uint32_t>(wKolejce)));
    while (ioctl(gniazdo_, SIOCOUTQ, &wKolejce) == 0 && wKolejce > 0) {
      if (termin && Zegar::now() >= *termin) return ETIMEDOUT;
      pollfd p[2] = {{budzik_, POLLIN, 0}, {UchwytSygnaluKonca(), POLLIN, 0}};
      if (poll(p, 2, 1) > 0) return p[1].revents != 0 ? EINTR : ECANCELED;
      if (blad_ != 0) return blad_;
    }
    return 0;
  }

  int UstawSterowanie(Sterowanie linia, bool wlaczona) override {
    const uint8_t wartosc = linia == Sterowanie::DTR ? (wlaczona ? 8 : 9) : (wlaczona ? 11 : 12);
    return Polecenie(USTAW_STEROWANIE, {wartosc});
  }

  // The notifications that came since the last look are taken in first.
  int StanModemu(uint8_t& stan) override {
    Wczytaj();
    stan = stanModemu_;
    pilnujNosnej_ = (stan & LINIA_DCD) != 0;
    return blad_;
  }

  bool Zerwana() override {
    Wczytaj();
    return blad_ != 0;
  }

  int WyczyscBledy(uint32_t& flagi, StanKolejek& stan) override {
    Wczytaj();
    flagi = bledyLinii_;
    bledyLinii_ = 0;
    stan.wejscie = static_cast<uint32_t>(wejscie_.size());
    return 0;
  }

  void Przerwij() override {
    przerwano_ = true;
    const uint64_t jeden = 1;
    [[maybe_unused]] const ssize_t n = write(budzik_, &jeden, sizeof jeden);
  }

  intptr_t Uchwyt() const override { return gniazdo_; }

 private:
  uint32_t Pobierz(uint8_t* bajty, uint32_t ile) {
    const uint32_t n = static_cast<uint32_t>(std::min<std::size_t>(ile, wejscie_.size()));
    std::copy_n(wejscie_.begin(), n, bajty);
    wejscie_.erase(wejscie_.begin(), wejscie_.begin() + n);
    return n;
  }

  // Room in the input queue; while input is discarded there is always room.
  bool MaMiejsce() const { return czyszczeniaWToku_ > 0 || wejscie_.size() < pojemnosc_; }

  // Takes in what the connection holds now, without waiting: the data into
  // the input queue, the Telnet negotiation answered, the server's answers
  // and notifications noted. A full input queue leaves the rest to the server.
  void Wczytaj() {
    if (blad_ != 0) return;
    if (czyszczeniaWToku_ > 0 && Zegar::now() >= koniecCzyszczenia_) czyszczeniaWToku_ = 0;  // its answer never came
    uint8_t bufor[4096];
    for (;;) {
      if (!MaMiejsce()) return;
      const std::size_t miejsce =
          czyszczeniaWToku_ > 0 ? sizeof bufor : std::min(sizeof bufor, pojemnosc_ - wejscie_.size());
      const ssize_t n = recv(gniazdo_, bufor, miejsce, MSG_DONTWAIT);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno == EAGAIN) return;
      if (n <= 0) {
        blad_ = n == 0 ? ECONNRESET : errno;
        return;
      }
      Bajty odpowiedz;
      for (ssize_t i = 0; i < n; ++i) Przyjmij(bufor[i], odpowiedz);
      if (!odpowiedz.empty()) WyslijSurowe(odpowiedz);
      poZapisie_ = false;
      if (static_cast<std::size_t>(n) < miejsce) return;  // the connection had no more
    }
  }

  // A blocking wait in the kernel: the connection (while the input queue has
  // room), the close and the signals that ask the process to end wake it.
  Gotowosc CzekajNaGniazdo(const std::optional<Zegar::time_point>& termin) {
    return CzekanieNaUchwyt(MaMiejsce() ? gniazdo_ : -1, POLLIN, budzik_, przerwano_, termin);
  }

  // Takes in what comes until gotowe() holds, the deadline passes, the
  // connection breaks or the wait is ended.
  template <typename Warunek>
  bool Czekaj(Zegar::time_point termin, Warunek gotowe) {
    for (;;) {
      Wczytaj();
      if (gotowe()) return true;
      if (blad_ != 0 || CzekajNaGniazdo(termin) != Gotowosc::Gotowe) return false;
    }
  }

  // Sleeps until koniec; only the close and a signal to end cut it short.
  Gotowosc Drzemka(Zegar::time_point koniec) { return DrzemkaLinii(koniec, budzik_, przerwano_); }

  // Sends what was held back, if anything.
  int WyslijZalegle() { return zalegle_.empty() ? 0 : WyslijSurowe({}); }

  // Sends bytes as they are (after what was held back), within the connection time.
  int WyslijSurowe(Bajty bajty) {
    if (!zalegle_.empty()) {
      bajty.insert(bajty.begin(), zalegle_.begin(), zalegle_.end());
      zalegle_.clear();
    }
    const auto termin = Zegar::now() + CZAS_POLACZENIA;
    std::size_t poszlo = 0;
    while (poszlo < bajty.size()) {
      const ssize_t r = send(gniazdo_, bajty.data() + poszlo, bajty.size() - poszlo, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (r > 0) {
        poszlo += static_cast<std::size_t>(r);
        continue;
      }
      if (r < 0 && errno != EAGAIN && errno != EINTR) return errno;
      pollfd p{gniazdo_, POLLOUT, 0};
      if (poll(&p, 1, PozostaloMs(termin)) == 0) return ETIMEDOUT;
    }
    return 0;
  }

  // One COM-PORT-OPTION command; waits a while for the server's answer, which
  // a server may omit. One held back leaves with the next bytes sent, and
  // before any wait.
  int Polecenie(uint8_t kod, const Bajty& dane, bool czekajNaOdpowiedz = true, bool wstrzymaj = false) {
    if (blad_ != 0) return blad_;
    if (nasze_[OPCJA_COM_PORT] != Stan::Tak) return EOPNOTSUPP;
    const uint32_t przed = odpowiedzi_[kod];
    Bajty ramka = {IAC, SB, OPCJA_COM_PORT, kod};
    for (uint8_t bajt : dane) {
      ramka.push_back(bajt);
      if (bajt == IAC) ramka.push_back(IAC);
    }
    ramka.push_back(IAC);
    ramka.push_back(SE);
    if (wstrzymaj) {
      zalegle_.insert(zalegle_.end(), ramka.begin(), ramka.end());
      return 0;
    }
    if (const int wynik = WyslijSurowe(std::move(ramka)); wynik != 0) return wynik;
    // Some servers leave some commands unanswered (the control lines of a
    // port without modem lines, say): after one miss that kind is not awaited.
    const std::size_t rodzaj = kod == USTAW_STEROWANIE && !dane.empty() && dane[0] >= 4 ? 0 : kod;
    if (!czekajNaOdpowiedz || bezOdpowiedzi_[rodzaj]) return blad_;
    const auto termin = Zegar::now() + CZAS_ODPOWIEDZI;
    if (!Czekaj(termin, [&] { return odpowiedzi_[kod] != przed; }) && blad_ == 0 && !przerwano_ &&
        Zegar::now() >= termin)
      bezOdpowiedzi_[rodzaj] = true;
    return blad_;
  }

  // The carrier seen on has fallen since: the server's notification says so.
  bool NosnaUtracona() const { return pilnujNosnej_ && (stanModemu_ & LINIA_DCD) == 0; }

  void Dane(uint8_t bajt) {
    const bool poCR = poprzedniCR_;
    poprzedniCR_ = bajt == '\r';
    if (poCR && bajt == 0 && ich_[OPCJA_BINARNA] != Stan::Tak) return;
    if (czyszczeniaWToku_ > 0) return;
    wejscie_.push_back(bajt);
  }

  // The Telnet stream, one byte at a time.
  void Przyjmij(uint8_t bajt, Bajty& odpowiedz) {
    switch (stanStrumienia_) {
      case Strumien::Dane:
        if (bajt == IAC) stanStrumienia_ = Strumien::Iac;
        else Dane(bajt);
        return;
      case Strumien::Iac:
        stanStrumienia_ = Strumien::Dane;
        if (bajt == IAC) Dane(IAC);
        else if (bajt >= WILL) {
          polecenieOpcji_ = bajt;
          stanStrumienia_ = Strumien::Opcja;
        } else if (bajt == SB) {
          podnegocjacja_.clear();
          stanStrumienia_ = Strumien::Sb;
        }
        return;
      case Strumien::Opcja:
        stanStrumienia_ = Strumien::Dane;
        Opcja(polecenieOpcji_, bajt, odpowiedz);
        return;
      case Strumien::Sb:
        if (bajt == IAC) stanStrumienia_ = Strumien::SbIac;
        else if (podnegocjacja_.size() < 64) podnegocjacja_.push_back(bajt);
        return;
      case Strumien::SbIac:
        if (bajt == IAC) {
          if (podnegocjacja_.size() < 64) podnegocjacja_.push_back(IAC);
          stanStrumienia_ = Strumien::Sb;
        } else {
          stanStrumienia_ = Strumien::Dane;
          if (bajt == SE) Podnegocjacja();
        }
        return;
    }
  }

  void Opcja(uint8_t polecenie, uint8_t opcja, Bajty& odpowiedz) {
    auto odpowiedzZ = [&](uint8_t co) { odpowiedz.insert(odpowiedz.end(), {IAC, co, opcja}); };
    const bool wspieramy = polecenie == DO || polecenie == DONT
                               ? (opcja == OPCJA_BINARNA || opcja == OPCJA_COM_PORT)
                               : (opcja == OPCJA_BINARNA || opcja == OPCJA_SGA || opcja == OPCJA_ECHO);
    Stan& stan = polecenie == DO || polecenie == DONT ? nasze_[opcja] : ich_[opcja];
    const uint8_t tak = polecenie == DO || polecenie == DONT ? WILL : DO;
    const uint8_t nie = polecenie == DO || polecenie == DONT ? WONT : DONT;
    if (polecenie == DO || polecenie == WILL) {
      if (!wspieramy) odpowiedzZ(nie);
      else if (stan == Stan::Nie) {
        stan = Stan::Tak;
        odpowiedzZ(tak);
      } else stan = Stan::Tak;
    } else {
      if (stan == Stan::Tak) odpowiedzZ(nie);
      stan = Stan::Nie;
    }
  }

  void Podnegocjacja() {
    if (podnegocjacja_.size() < 2 || podnegocjacja_[0] != OPCJA_COM_PORT || podnegocjacja_[1] < 100) return;
    const uint8_t kod = static_cast<uint8_t>(podnegocjacja_[1] - 100);
    const uint8_t wartosc = podnegocjacja_.size() > 2 ? podnegocjacja_[2] : 0;
    if (kod == STAN_MODEMU) {
      stanModemu_ = wartosc & 0xF0;
    } else if (kod == STAN_LINII) {
      // Break 0x10, framing 0x08, parity 0x04, overrun 0x02 share the flag values.
      bledyLinii_ |= wartosc & 0x1E;
    } else if (kod < odpowiedzi_.size()) {
      // The answer to a purge of the input marks where the input let go ends;
      // one that comes after its wait was given up marks nothing.
      if (kod == CZYSC_DANE && (wartosc & 1)) {
        czyszczenieWejsciaPotwierdzane_ = true;
        if (czyszczeniaWToku_ > 0) {
          wejscie_.clear();
          --czyszczeniaWToku_;
        }
      }
      ++odpowiedzi_[kod];
    }
  }

  const int gniazdo_;
  const int budzik_;
  std::array<Bajty, 16> ostatnieUstawienia_;  // the owner's last settings sent, by command
  std::array<bool, 16> bezOdpowiedzi_{};        // kinds of command the server leaves unanswered
                                                // (0 stands for the control-line commands)
  std::deque<uint8_t> wejscie_;
  Bajty zalegle_;  // commands held back until the next send or wait
  bool poZapisie_ = false;  // written since the last bytes came in: the answer is still to come
  std::size_t pojemnosc_ = 4096;
  uint32_t czyszczeniaWToku_ = 0;  // purges of the input whose answer is still to come
  Zegar::time_point koniecCzyszczenia_{};  // the last one's answer is not awaited past this
  bool czyszczenieWejsciaPotwierdzane_ = false;  // the server has answered a purge of the input
  std::atomic<bool> przerwano_{false};
  int blad_ = 0;  // the connection's error once it has broken
  uint8_t stanModemu_ = 0;
  bool pilnujNosnej_ = false;  // the carrier was on at the owner's last look
  uint32_t bledyLinii_ = 0;
  UstawieniaLinii ustawienia_{};  // as last set, for the line time of a byte
  std::array<uint32_t, 16> odpowiedzi_{};
  std::array<Stan, 256> nasze_{};
  std::array<Stan, 256> ich_{};

  enum class Strumien : uint8_t { Dane, Iac, Opcja, Sb, SbIac };
  Strumien stanStrumienia_ = Strumien::Dane;
  uint8_t polecenieOpcji_ = 0;
  Bajty podnegocjacja_;
  bool poprzedniCR_ = false;
};

// host:port, the host possibly in brackets.
bool RozdzielAdres(const std::string& adres, std::string& host, std::string& port) {
  const auto dwukropek = adres.rfind(':');
  if (dwukropek == std::string::npos || dwukropek == 0 || dwukropek + 1 == adres.size()) return false;
  host = adres.substr(0, dwukropek);
  port = adres.substr(dwukropek + 1);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  for (char z : port)
    if (z < '0' || z > '9') return false;
  return port.size() <= 5 && std::stoul(port) >= 1 && std::stoul(port) <= 65535;
}

int Polacz(const addrinfo& a) {
  const int gniazdo = socket(a.ai_family, a.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a.ai_protocol);
  if (gniazdo < 0) return -errno;
  if (connect(gniazdo, a.ai_addr, a.ai_addrlen) != 0 && errno != EINPROGRESS) {
    const int kod = errno;
    close(gniazdo);
    return -kod;
  }
  pollfd p{gniazdo, POLLOUT, 0};
  int kod = 0;
  socklen_t dlugosc = sizeof kod;
  if (poll(&p, 1, static_cast<int>(CZAS_POLACZENIA.count())) == 0) kod = ETIMEDOUT;
  else if (getsockopt(gniazdo, SOL_SOCKET, SO_ERROR, &kod, &dlugosc) != 0) kod = errno;
  if (kod != 0) {
    close(gniazdo);
    return -kod;
  }
  // One byte at a time must leave at once.
  const int tak = 1;
  setsockopt(gniazdo, IPPROTO_TCP, TCP_NODELAY, &tak, sizeof tak);
  return gniazdo;
}

}  // namespace

int OtworzLinieRfc2217(const std::string& adres, std::unique_ptr<Linia>& linia, RodzajBleduOtwarcia& rodzaj) {
  std::string host, port;
  if (!RozdzielAdres(adres, host, port)) {
    rodzaj = RodzajBleduOtwarcia::Inny;
    return EINVAL;
  }
  addrinfo wskazowki{};
  wskazowki.ai_family = AF_UNSPEC;
  wskazowki.ai_socktype = SOCK_STREAM;
  wskazowki.ai_flags = AI_NUMERICSERV;
  addrinfo* adresy = nullptr;
  if (getaddrinfo(host.c_str(), port.c_str(), &wskazowki, &adresy) != 0 || adresy == nullptr) {
    rodzaj = RodzajBleduOtwarcia::BrakUrzadzenia;
    return EHOSTUNREACH;
  }
  int gniazdo = -ECONNREFUSED;
  for (const addrinfo* a = adresy; a != nullptr && gniazdo < 0; a = a->ai_next) gniazdo = Polacz(*a);
  freeaddrinfo(adresy);
  if (gniazdo < 0) {
    rodzaj = RodzajBledu(-gniazdo);
    return -gniazdo;
  }
  const int budzik = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (budzik < 0) {
    const int kod = errno;
    close(gniazdo);
    rodzaj = RodzajBleduOtwarcia::Inny;
    return kod;
  }
  auto nowa = std::make_unique<LiniaRfc2217>(gniazdo, budzik);
  if (const int kod = nowa->Negocjuj(); kod != 0) {
    rodzaj = RodzajBledu(kod);
    return kod;
  }
  linia = std::move(nowa);
  rodzaj = RodzajBleduOtwarcia::Brak;
  return 0;
}

}  // namespace platforma
