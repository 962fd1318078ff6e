// The RFC 2217 backend: a serial port of a network port server, reached over
// Telnet with the COM-PORT-OPTION. A receiver thread of the line reads the
// connection, answers the Telnet negotiation and sorts what arrives into the
// input queue, the modem-line state and the replies to our commands.
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
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <thread>
#include <vector>

#include "platform/comm.h"
#include "platform/comm_backends.h"
#include "platform/process.h"

namespace platforma {
namespace {

using Zegar = std::chrono::steady_clock;
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
constexpr uint64_t ZAPAS_US = 500;

std::optional<Zegar::time_point> Termin(std::optional<uint32_t> ms) {
  if (!ms) return std::nullopt;
  return Zegar::now() + std::chrono::milliseconds(*ms);
}

int PozostaloMs(const std::optional<Zegar::time_point>& termin) {
  if (!termin) return -1;
  const auto teraz = Zegar::now();
  if (teraz >= *termin) return 0;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(*termin - teraz).count() + 1;
  return ms > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(ms);
}

// The Telnet option states of RFC 1143, without the queue bit.
enum class Stan : uint8_t { Nie, Tak, ChcemyTak };

class LiniaRfc2217 final : public Linia {
 public:
  LiniaRfc2217(int gniazdo, int budzik) : gniazdo_(gniazdo), budzik_(budzik) {
    odbiornik_ = std::thread([this] {
      WatekBezSygnalowKonca();
      Odbieraj();
    });
  }

  ~LiniaRfc2217() override {
    Przerwij();
    odbiornik_.join();
    close(gniazdo_);
    close(budzik_);
  }

  // Offers the COM-PORT-OPTION and binary transmission and waits for the answer.
  int Negocjuj() {
    {
      // The server may offer the options first and the receiver may have agreed
      // already: an option that is on stays on, or its answer never comes.
      std::lock_guard<std::mutex> b(m_);
      for (Stan* s : {&nasze_[OPCJA_COM_PORT], &nasze_[OPCJA_BINARNA], &ich_[OPCJA_BINARNA]})
        if (*s == Stan::Nie) *s = Stan::ChcemyTak;
    }
    if (const int kod = WyslijSurowe({IAC, WILL, OPCJA_COM_PORT, IAC, WILL, OPCJA_BINARNA, IAC, DO, OPCJA_BINARNA});
        kod != 0)
      return kod;
    std::unique_lock<std::mutex> b(m_);
    cv_.wait_until(b, Zegar::now() + CZAS_POLACZENIA,
                   [&] { return nasze_[OPCJA_COM_PORT] != Stan::ChcemyTak || blad_ != 0; });
    if (blad_ != 0) return blad_;
    if (nasze_[OPCJA_COM_PORT] == Stan::ChcemyTak) return ETIMEDOUT;
    if (nasze_[OPCJA_COM_PORT] == Stan::Nie) return EPROTONOSUPPORT;
    b.unlock();
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
    std::lock_guard<std::mutex> b(m_);
    ustawienia_ = u;
    return 0;
  }

  int UstawKolejki(uint32_t wejscie, uint32_t) override {
    std::lock_guard<std::mutex> b(m_);
    pojemnosc_ = wejscie == 0 ? 1 : wejscie;
    cv_.notify_all();
    return 0;
  }

  // The server's purge answer comes after everything it sent before, so the
  // input is discarded up to that answer.
  int Czysc(bool wyjscie, bool wejscie) override {
    if (!wyjscie && !wejscie) return 0;
    const uint8_t co = wyjscie && wejscie ? 3 : (wejscie ? 1 : 2);
    if (wejscie) {
      std::lock_guard<std::mutex> b(m_);
      wejscie_.clear();
      bledyLinii_ = 0;  // reported for bytes let go
      odrzucajDoCzyszczenia_ = true;
      cv_.notify_all();
    }
    const int kod = Polecenie(CZYSC_DANE, {co});
    if (wejscie) {
      std::lock_guard<std::mutex> b(m_);
      wejscie_.clear();
      odrzucajDoCzyszczenia_ = false;
      cv_.notify_all();
    }
    return kod;
  }

  WynikTransferu Czytaj(uint8_t* bajty, uint32_t ile, uint32_t najmniej, uint32_t zapowiedziane) override {
    std::unique_lock<std::mutex> b(m_);
    WynikTransferu w = Odczyt(b, bajty, ile, najmniej, zapowiedziane);
    if (w.przeniesiono > 0) {
      // The server reports a line error in the stream after the byte it
      // concerns, so the bytes taken with or before the report are suspect.
      w.bledyLinii = bledyLinii_;
      bledyLinii_ = 0;
    }
    return w;
  }

  WynikTransferu Odczyt(std::unique_lock<std::mutex>& b, uint8_t* bajty, uint32_t ile, uint32_t najmniej,
                        uint32_t zapowiedziane) {
    const TerminyOdczytu t = TerminyDlaOdczytu(Czasy(), najmniej);
    if (przerwano_) return {PrzebiegTransferu::Przerwany, 0, ECANCELED};
    const auto calkowity = Termin(t.calkowity);
    if (zapowiedziane > 0 && !t.odRazu && wejscie_.size() < zapowiedziane) {
      // The answer's bytes still due are waited for as a whole: the receiver
      // wakes this thread when they are all in, or their line time is over.
      auto koniec = Zegar::now() + std::chrono::microseconds(
                                       CzasBajtowUs(ustawienia_, zapowiedziane - static_cast<uint32_t>(wejscie_.size())) +
                                       ZAPAS_US);
      if (calkowity && *calkowity < koniec) koniec = *calkowity;
      // The receiver sleeps as long, so that the bytes' segments wake neither
      // thread one by one; after its sleep it takes what has come and says so.
      potrzebne_ = zapowiedziane;
      drzemkaDo_ = koniec;
      poDrzemce_ = false;
      cv_.notify_all();
      auto gotowe = [&] {
        return przerwano_ || blad_ != 0 || sygnal_ || poDrzemce_ || NosnaUtracona() || wejscie_.size() >= potrzebne_;
      };
      if (calkowity) cv_.wait_until(b, *calkowity, gotowe);
      else cv_.wait(b, gotowe);
      potrzebne_ = 1;
      drzemkaDo_.reset();
    }
    uint32_t mam = Pobierz(bajty, ile);
    if (mam >= najmniej) return {PrzebiegTransferu::OdRazu, mam, 0};
    if (blad_ != 0) return {PrzebiegTransferu::BladStartu, mam, blad_};
    if (t.odRazu || (t.pierwszyZnakKonczy && mam > 0)) return {PrzebiegTransferu::OdRazu, mam, EAGAIN};

    std::optional<Zegar::time_point> odstep = mam > 0 ? Termin(t.odstep) : std::nullopt;
    for (;;) {
      auto termin = calkowity;
      if (odstep && (!termin || *odstep < *termin)) termin = odstep;
      auto gotowe = [&] { return przerwano_ || blad_ != 0 || sygnal_ || NosnaUtracona() || !wejscie_.empty(); };
      if (termin) cv_.wait_until(b, *termin, gotowe);
      else cv_.wait(b, gotowe);
      if (przerwano_) return {PrzebiegTransferu::Przerwany, mam, ECANCELED};
      if (!wejscie_.empty()) {
        mam += Pobierz(bajty + mam, ile - mam);
        if (mam >= najmniej) return {PrzebiegTransferu::PoOczekiwaniu, mam, 0};
        if (t.pierwszyZnakKonczy) return {PrzebiegTransferu::PoOczekiwaniu, mam, ETIMEDOUT};
        odstep = Termin(t.odstep);
        continue;
      }
      if (blad_ != 0) return {PrzebiegTransferu::BladOczekiwania, mam, blad_};
      if (sygnal_) return {PrzebiegTransferu::Przerwany, mam, EINTR};
      if (NosnaUtracona()) return {PrzebiegTransferu::BladOczekiwania, mam, ENOLINK};
      if (termin && Zegar::now() >= *termin) return {PrzebiegTransferu::PoOczekiwaniu, mam, ETIMEDOUT};
    }
  }

  WynikTransferu Zapisz(const uint8_t* bajty, uint32_t ile) override {
    const auto termin = Termin(TerminDlaZapisu(Czasy(), ile));
    bool binarnie;
    {
      std::lock_guard<std::mutex> b(m_);
      if (przerwano_) return {PrzebiegTransferu::Przerwany, 0, ECANCELED};
      if (blad_ != 0) return {PrzebiegTransferu::BladStartu, 0, blad_};
      binarnie = nasze_[OPCJA_BINARNA] == Stan::Tak;
    }
    // Each byte becomes one unit on the wire: IAC doubled, CR NUL outside binary mode.
    Bajty wyslane;
    std::vector<std::size_t> koniecJednostki;
    for (uint32_t i = 0; i < ile; ++i) {
      wyslane.push_back(bajty[i]);
      if (bajty[i] == IAC) wyslane.push_back(IAC);
      else if (bajty[i] == '\r' && !binarnie) wyslane.push_back(0);
      koniecJednostki.push_back(wyslane.size());
    }
    std::lock_guard<std::mutex> w(wysylanie_);
    std::size_t poszlo = 0;
    bool czekano = false;
    auto bajtowPrzeniesionych = [&] {
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
      const bool polowa = std::find(koniecJednostki.begin(), koniecJednostki.end(), poszlo) == koniecJednostki.end() &&
                          poszlo != 0;
      pollfd p[3] = {{gniazdo_, POLLOUT, 0}, {budzik_, POLLIN, 0}, {polowa ? -1 : UchwytSygnaluKonca(), POLLIN, 0}};
      const int n = poll(p, 3, polowa ? 10 : PozostaloMs(termin));
      if (n < 0 && errno != EINTR) return {PrzebiegTransferu::BladOczekiwania, bajtowPrzeniesionych(), errno};
      if (p[1].revents != 0) return {PrzebiegTransferu::Przerwany, bajtowPrzeniesionych(), ECANCELED};
      if (p[2].revents != 0) return {PrzebiegTransferu::Przerwany, bajtowPrzeniesionych(), EINTR};
      if (n == 0 && !polowa && PozostaloMs(termin) == 0)
        return {PrzebiegTransferu::PoOczekiwaniu, bajtowPrzeniesionych(), ETIMEDOUT};
    }
    return {czekano ? PrzebiegTransferu::PoOczekiwaniu : PrzebiegTransferu::OdRazu, ile, 0};
  }

  // Sent means taken by the peer: the connection's unacknowledged bytes drop to 0.
  int Oproznij() override {
    int wKolejce = 0;
    if (ioctl(gniazdo_, SIOCOUTQ, &wKolejce) != 0) return errno;
    const auto termin = Termin(TerminDlaZapisu(Czasy(), static_cast<uint32_t>(wKolejce)));
    while (ioctl(gniazdo_, SIOCOUTQ, &wKolejce) == 0 && wKolejce > 0) {
      if (termin && Zegar::now() >= *termin) return ETIMEDOUT;
      pollfd p[2] = {{budzik_, POLLIN, 0}, {UchwytSygnaluKonca(), POLLIN, 0}};
      if (poll(p, 2, 1) > 0) return p[1].revents != 0 ? EINTR : ECANCELED;
      std::lock_guard<std::mutex> b(m_);
      if (blad_ != 0) return blad_;
    }
    return 0;
  }

  int UstawSterowanie(Sterowanie linia, bool wlaczona) override {
    const uint8_t wartosc = linia == Sterowanie::DTR ? (wlaczona ? 8 : 9) : (wlaczona ? 11 : 12);
    return Polecenie(USTAW_STEROWANIE, {wartosc});
  }

  int StanModemu(uint8_t& stan) override {
    std::lock_guard<std::mutex> b(m_);
    stan = stanModemu_;
    pilnujNosnej_ = (stan & LINIA_DCD) != 0;
    return blad_;
  }

  bool Zerwana() const override {
    std::lock_guard<std::mutex> b(m_);
    return blad_ != 0;
  }

  int WyczyscBledy(uint32_t& flagi, StanKolejek& stan) override {
    std::lock_guard<std::mutex> b(m_);
    flagi = bledyLinii_;
    bledyLinii_ = 0;
    stan.wejscie = static_cast<uint32_t>(wejscie_.size());
    return 0;
  }

  void Przerwij() override {
    {
      std::lock_guard<std::mutex> b(m_);
      przerwano_ = true;
      cv_.notify_all();
    }
    const uint64_t jeden = 1;
    [[maybe_unused]] const ssize_t n = write(budzik_, &jeden, sizeof jeden);
  }

  intptr_t Uchwyt() const override { return gniazdo_; }

 private:
  uint32_t Pobierz(uint8_t* bajty, uint32_t ile) {
    uint32_t n = 0;
    while (n < ile && !wejscie_.empty()) {
      bajty[n++] = wejscie_.front();
      wejscie_.pop_front();
    }
    if (n > 0) cv_.notify_all();  // the receiver may wait for room
    return n;
  }

  // Sends bytes as they are, within the connection time.
  int WyslijSurowe(const Bajty& bajty) {
    std::lock_guard<std::mutex> w(wysylanie_);
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
  // a server may omit.
  int Polecenie(uint8_t kod, const Bajty& dane, bool czekajNaOdpowiedz = true) {
    uint32_t przed;
    {
      std::lock_guard<std::mutex> b(m_);
      if (blad_ != 0) return blad_;
      if (nasze_[OPCJA_COM_PORT] != Stan::Tak) return EOPNOTSUPP;
      przed = odpowiedzi_[kod];
    }
    Bajty ramka = {IAC, SB, OPCJA_COM_PORT, kod};
    for (uint8_t bajt : dane) {
      ramka.push_back(bajt);
      if (bajt == IAC) ramka.push_back(IAC);
    }
    ramka.push_back(IAC);
    ramka.push_back(SE);
    if (const int wynik = WyslijSurowe(ramka); wynik != 0) return wynik;
    // Some servers leave some commands unanswered (the control lines of a
    // port without modem lines, say): after one miss that kind is not awaited.
    const std::size_t rodzaj = kod == USTAW_STEROWANIE && !dane.empty() && dane[0] >= 4 ? 0 : kod;
    if (!czekajNaOdpowiedz) return 0;
    std::unique_lock<std::mutex> b(m_);
    if (bezOdpowiedzi_[rodzaj]) return blad_;
    if (!cv_.wait_until(b, Zegar::now() + CZAS_ODPOWIEDZI,
                        [&] { return przerwano_ || blad_ != 0 || odpowiedzi_[kod] != przed; }))
      bezOdpowiedzi_[rodzaj] = true;
    return blad_;
  }

  void Odbieraj() {
    uint8_t bufor[1024];
    bool sygnalWidziany = false;
    for (;;) {
      std::size_t miejsce;
      std::optional<Zegar::time_point> drzemka;
      {
        std::unique_lock<std::mutex> b(m_);
        cv_.wait(b, [&] { return przerwano_ || odrzucajDoCzyszczenia_ || wejscie_.size() < pojemnosc_; });
        if (przerwano_) return;
        miejsce = odrzucajDoCzyszczenia_ ? sizeof bufor : std::min(sizeof bufor, pojemnosc_ - wejscie_.size());
        if (drzemkaDo_ && !poDrzemce_ && wejscie_.size() < potrzebne_) drzemka = drzemkaDo_;
      }
      // A reader waits for the rest of an answer: its bytes are on their way
      // at the line's speed, so they are taken together when their line time
      // is over. Only the close and a signal to end cut that sleep short.
      bool poDrzemce = false;
      if (drzemka) {
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(*drzemka - Zegar::now()).count();
        const timespec czas{static_cast<time_t>(ns > 0 ? ns / 1'000'000'000 : 0),
                            static_cast<long>(ns > 0 ? ns % 1'000'000'000 : 0)};
        pollfd s[2] = {{budzik_, POLLIN, 0}, {sygnalWidziany ? -1 : UchwytSygnaluKonca(), POLLIN, 0}};
        if (ppoll(s, 2, &czas, nullptr) > 0) {
          if (s[0].revents != 0) return;
          if (s[1].revents != 0) {
            sygnalWidziany = true;
            std::lock_guard<std::mutex> b(m_);
            sygnal_ = true;
            cv_.notify_all();
            continue;
          }
        }
        poDrzemce = true;
      }
      // A signal that asks the process to end wakes the waits of the line
      // once; the descriptor stays readable, so it is watched no more.
      pollfd p[3] = {{gniazdo_, POLLIN, 0}, {budzik_, POLLIN, 0}, {sygnalWidziany ? -1 : UchwytSygnaluKonca(), POLLIN, 0}};
      const int gotowych = poll(p, 3, poDrzemce ? 0 : -1);
      if (gotowych < 0) {
        if (errno == EINTR) continue;
        Zerwane(errno);
        return;
      }
      if (gotowych == 0) {
        // Nothing more came in the answer's line time: the reader takes what there is.
        std::lock_guard<std::mutex> b(m_);
        if (drzemkaDo_) poDrzemce_ = true;
        cv_.notify_all();
        continue;
      }
      if (p[1].revents != 0) return;
      if (p[2].revents != 0) {
        sygnalWidziany = true;
        std::lock_guard<std::mutex> b(m_);
        sygnal_ = true;
        cv_.notify_all();
      }
      if (p[0].revents == 0) continue;
      const ssize_t n = recv(gniazdo_, bufor, miejsce, MSG_DONTWAIT);
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      if (n <= 0) {
        Zerwane(n == 0 ? ECONNRESET : errno);
        return;
      }
      Bajty odpowiedz;
      {
        std::lock_guard<std::mutex> b(m_);
        powiadom_ = poDrzemce;
        if (poDrzemce) poDrzemce_ = true;
        for (ssize_t i = 0; i < n; ++i) Przyjmij(bufor[i], odpowiedz);
        // A reader waiting for a whole answer is woken once, when it is in.
        if (powiadom_ || wejscie_.size() >= potrzebne_) cv_.notify_all();
      }
      if (!odpowiedz.empty()) WyslijSurowe(odpowiedz);
    }
  }

  // The carrier seen on has fallen since (under m_): the server's notification says so.
  bool NosnaUtracona() const { return pilnujNosnej_ && (stanModemu_ & LINIA_DCD) == 0; }

  void Zerwane(int kod) {
    std::lock_guard<std::mutex> b(m_);
    blad_ = kod;
    cv_.notify_all();
  }

  void Dane(uint8_t bajt) {
    const bool poCR = poprzedniCR_;
    poprzedniCR_ = bajt == '\r';
    if (poCR && bajt == 0 && ich_[OPCJA_BINARNA] != Stan::Tak) return;
    if (odrzucajDoCzyszczenia_) return;
    wejscie_.push_back(bajt);
  }

  // The Telnet stream, one byte at a time (under m_).
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
    powiadom_ = true;
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
    powiadom_ = true;
    if (podnegocjacja_.size() < 2 || podnegocjacja_[0] != OPCJA_COM_PORT || podnegocjacja_[1] < 100) return;
    const uint8_t kod = static_cast<uint8_t>(podnegocjacja_[1] - 100);
    const uint8_t wartosc = podnegocjacja_.size() > 2 ? podnegocjacja_[2] : 0;
    if (kod == STAN_MODEMU) {
      stanModemu_ = wartosc & 0xF0;
    } else if (kod == STAN_LINII) {
      // Break 0x10, framing 0x08, parity 0x04, overrun 0x02 share the flag values.
      bledyLinii_ |= wartosc & 0x1E;
    } else if (kod < odpowiedzi_.size()) {
      if (kod == CZYSC_DANE && (wartosc & 1)) {
        wejscie_.clear();
        odrzucajDoCzyszczenia_ = false;
      }
      ++odpowiedzi_[kod];
    }
  }

  const int gniazdo_;
  const int budzik_;
  std::thread odbiornik_;
  std::array<Bajty, 16> ostatnieUstawienia_;  // the owner's last settings sent, by command
  std::array<bool, 16> bezOdpowiedzi_{};        // kinds of command the server leaves unanswered
                                                // (0 stands for the control-line commands)
  std::mutex wysylanie_;

  mutable std::mutex m_;
  std::condition_variable cv_;
  std::deque<uint8_t> wejscie_;
  std::size_t pojemnosc_ = 4096;
  bool odrzucajDoCzyszczenia_ = false;
  bool przerwano_ = false;
  bool sygnal_ = false;  // a signal asked the process to end
  int blad_ = 0;  // the connection's error once it has broken
  uint8_t stanModemu_ = 0;
  bool pilnujNosnej_ = false;  // the carrier was on at the owner's last look
  uint32_t bledyLinii_ = 0;
  UstawieniaLinii ustawienia_{};  // as last set, for the line time of a byte
  std::size_t potrzebne_ = 1;     // the input the reader waits for
  std::optional<Zegar::time_point> drzemkaDo_;  // the reader waits for an answer's rest until then
  bool poDrzemce_ = false;        // the receiver has taken what came by then
  bool powiadom_ = false;         // something besides data came in
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
