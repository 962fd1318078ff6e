#include "register_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace e2e {
namespace {

using Zegar = std::chrono::steady_clock;

constexpr uint8_t IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;
constexpr uint8_t BINARY = 0, COM_PORT = 44;

int Czekaj(int fd, Zegar::time_point termin) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(termin - Zegar::now()).count();
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, ms < 0 ? 0 : static_cast<int>(ms));
}

bool WyslijWszystko(int fd, const Bajty& b) {
  size_t wyslane = 0;
  while (wyslane < b.size()) {
    const ssize_t n = ::send(fd, b.data() + wyslane, b.size() - wyslane, MSG_NOSIGNAL);
    if (n <= 0) return false;
    wyslane += static_cast<size_t>(n);
  }
  return true;
}

// 0xFF in data and in command values travels doubled.
Bajty ZPodwojonymIac(const Bajty& bajty) {
  Bajty b;
  for (uint8_t x : bajty) {
    b.push_back(x);
    if (x == IAC) b.push_back(IAC);
  }
  return b;
}

}  // namespace

void Strumien::Wyczysc() {
  while (Czytaj(Zegar::now())) {
  }
}

Bajty Strumien::CzytajDo(size_t n, std::chrono::milliseconds czas) {
  Bajty wynik;
  while (wynik.size() < n) {
    const auto b = Czytaj(Zegar::now() + czas);
    if (!b) break;
    wynik.push_back(*b);
  }
  return wynik;
}

StrumienPty::~StrumienPty() {
  if (fd_ >= 0) ::close(fd_);
}

bool StrumienPty::Otworz(const std::string& sciezka) {
  fd_ = ::open(sciezka.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) return false;
  termios t{};
  ::tcgetattr(fd_, &t);
  ::cfmakeraw(&t);
  ::tcsetattr(fd_, TCSANOW, &t);
  return true;
}

bool StrumienPty::Wyslij(const Bajty& bajty) {
  return ::write(fd_, bajty.data(), bajty.size()) == static_cast<ssize_t>(bajty.size());
}

std::optional<uint8_t> StrumienPty::Czytaj(Zegar::time_point termin) {
  if (Czekaj(fd_, termin) <= 0) return std::nullopt;
  uint8_t b;
  if (::read(fd_, &b, 1) != 1) return std::nullopt;
  return b;
}

StrumienRfc2217::~StrumienRfc2217() {
  if (fd_ >= 0) ::close(fd_);
}

StrumienTcp::~StrumienTcp() {
  if (fd_ >= 0) ::close(fd_);
}

bool StrumienTcp::Otworz(const std::string& host, uint16_t port) {
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in adres{};
  adres.sin_family = AF_INET;
  adres.sin_port = htons(port);
  ::inet_pton(AF_INET, host.c_str(), &adres.sin_addr);
  return ::connect(fd_, reinterpret_cast<sockaddr*>(&adres), sizeof adres) == 0;
}

bool StrumienTcp::Wyslij(const Bajty& bajty) { return WyslijWszystko(fd_, bajty); }

std::optional<uint8_t> StrumienTcp::Czytaj(Zegar::time_point termin) {
  if (Czekaj(fd_, termin) <= 0) return std::nullopt;
  uint8_t b = 0;
  if (::recv(fd_, &b, 1, 0) != 1) return std::nullopt;
  return b;
}

bool StrumienRfc2217::Otworz(const std::string& host, uint16_t port) {
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in adres{};
  adres.sin_family = AF_INET;
  adres.sin_port = htons(port);
  ::inet_pton(AF_INET, host.c_str(), &adres.sin_addr);
  if (::connect(fd_, reinterpret_cast<sockaddr*>(&adres), sizeof adres) != 0) return false;
  const int tak = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &tak, sizeof tak);
  return WyslijWszystko(fd_, {IAC, WILL, COM_PORT, IAC, WILL, BINARY, IAC, DO, BINARY});
}

bool StrumienRfc2217::Polecenie(uint8_t polecenie, const Bajty& dane) {
  Bajty b{IAC, SB, COM_PORT, polecenie};
  const Bajty wartosc = ZPodwojonymIac(dane);
  b.insert(b.end(), wartosc.begin(), wartosc.end());
  b.insert(b.end(), {IAC, SE});
  return WyslijWszystko(fd_, b);
}

bool StrumienRfc2217::UstawLinie(bool dtr, bool rts) {
  return Polecenie(5, {static_cast<uint8_t>(dtr ? 8 : 9)}) && Polecenie(5, {static_cast<uint8_t>(rts ? 11 : 12)});
}

bool StrumienRfc2217::UstawPredkosc(uint32_t baud) {
  return Polecenie(1, {uint8_t(baud >> 24), uint8_t(baud >> 16), uint8_t(baud >> 8), uint8_t(baud)});
}

bool StrumienRfc2217::Wyslij(const Bajty& bajty) { return WyslijWszystko(fd_, ZPodwojonymIac(bajty)); }

// Reads one batch from the socket and sorts it into data and commands.
bool StrumienRfc2217::Pobierz(Zegar::time_point termin) {
  if (zamkniete_ || Czekaj(fd_, termin) <= 0) return false;
  uint8_t bufor[512];
  const ssize_t n = ::recv(fd_, bufor, sizeof bufor, 0);
  if (n <= 0) {
    zamkniete_ = true;
    return false;
  }
  for (ssize_t i = 0; i < n; ++i) {
    const uint8_t b = bufor[i];
    switch (tryb_) {
      case Tryb::Dane:
        if (b == IAC) tryb_ = Tryb::Iac;
        else dane_.push_back(b);
        break;
      case Tryb::Iac:
        if (b == IAC) {
          dane_.push_back(IAC);
          tryb_ = Tryb::Dane;
        } else if (b >= WILL && b <= DONT) {
          tryb_ = Tryb::Opcja;
        } else if (b == SB) {
          sb_.clear();
          tryb_ = Tryb::Sb;
        } else {
          tryb_ = Tryb::Dane;
        }
        break;
      case Tryb::Opcja: tryb_ = Tryb::Dane; break;  // the server's offers are all acceptable here
      case Tryb::Sb:
        if (b == IAC) tryb_ = Tryb::SbIac;
        else sb_.push_back(b);
        break;
      case Tryb::SbIac:
        if (b == SE) {
          if (sb_.size() >= 2 && sb_[0] == COM_PORT) {
            odpowiedzi_.emplace_back(sb_.begin() + 1, sb_.end());
            if (sb_[1] == 107 && sb_.size() >= 3) modem_ = sb_[2];
          }
          tryb_ = Tryb::Dane;
        } else {
          sb_.push_back(b);
          tryb_ = Tryb::Sb;
        }
        break;
    }
  }
  return true;
}

std::optional<uint8_t> StrumienRfc2217::Czytaj(Zegar::time_point termin) {
  while (odczytane_ >= dane_.size()) {
    dane_.clear();
    odczytane_ = 0;
    if (!Pobierz(termin)) return std::nullopt;
  }
  return dane_[odczytane_++];
}

std::optional<uint8_t> StrumienRfc2217::StanModemu(std::chrono::milliseconds czas) {
  const auto termin = Zegar::now() + czas;
  while (!modem_ && Pobierz(termin)) {
  }
  return modem_;
}

Wymiana Rozkaz(Strumien& s, uint8_t kod, size_t dlugosc1, const Bajty& parametry, size_t dlugosc2,
               std::chrono::milliseconds czas) {
  Wymiana w;
  s.Wyczysc();
  s.Wyslij({0x1B, kod});
  if (dlugosc1 > 0) {
    w.pierwsza = s.CzytajDo(1, czas);
    if (w.pierwsza.empty()) return w.brakPierwszej = true, w;
    if (w.pierwsza[0] != 0x06) return w;
    const Bajty reszta = s.CzytajDo(dlugosc1 - 1, czas);
    w.pierwsza.insert(w.pierwsza.end(), reszta.begin(), reszta.end());
    if (w.pierwsza.size() < dlugosc1) return w.brakPierwszej = true, w;
  }
  if (!parametry.empty()) s.Wyslij(parametry);
  if (dlugosc2 > 0) {
    w.druga = s.CzytajDo(1, czas);
    if (w.druga.empty()) return w.brakDrugiej = true, w;
    size_t dlugosc = dlugosc2;
    if (w.druga[0] == 0x7A) dlugosc = 3;
    else if (w.druga[0] != 0x00) return w;
    const Bajty reszta = s.CzytajDo(dlugosc - 1, czas);
    w.druga.insert(w.druga.end(), reszta.begin(), reszta.end());
    if (w.druga.size() < dlugosc) w.brakDrugiej = true;
  }
  return w;
}

Tozsamosc Identyfikuj(Strumien& s) {
  Tozsamosc t;
  auto blad = [&](const char* krok) {
    t.blad = krok;
    return t;
  };
  Wymiana w = Rozkaz(s, 0xC0, 3);
  if (!w.Dobra()) return blad("0xC0");
  t.numer.assign(w.pierwsza.begin() + 1, w.pierwsza.end());
  w = Rozkaz(s, 0xFE, 4);
  if (!w.brakPierwszej && w.pierwsza == Bajty{0x15}) {
    w = Rozkaz(s, 0xFF, 2);
    if (!w.Dobra()) return blad("0xFF");
    t.typ = w.pierwsza[1];
    w = Rozkaz(s, 0x5B, 2);
    if (!w.Dobra()) return blad("0x5B");
    t.wersja = w.pierwsza[1] >> 4;
  } else {
    if (!w.Dobra()) return blad("0xFE");
    t.typ = w.pierwsza[1];
    t.wersja = w.pierwsza[2];
    t.litera = w.pierwsza[3];
  }
  const bool drugaGeneracja = t.typ >= 100 && t.typ != 'o' && t.typ != 'p';
  const size_t dlugosc = drugaGeneracja && t.typ <= 102 && t.wersja == 1 && t.litera == 'A' ? 12 : 11;
  w = Rozkaz(s, 0x71, dlugosc + 1);
  if (!w.Dobra()) return blad("0x71");
  t.identyfikator.assign(w.pierwsza.begin() + 1, w.pierwsza.end());

  const bool norda = t.typ == 'u' || t.typ == 'v';
  if (t.typ >= 116 && !norda) {
    w = Rozkaz(s, 0x6F, 3);
    if (w.Dobra()) {
      t.pojemnosc = w.pierwsza[1] | (w.pierwsza[2] << 8);
      return t;
    }
    if (w.pierwsza != Bajty{0x15}) return blad("0x6F");
  }
  const bool zRekordem = std::string("wx'9mn%=").find(static_cast<char>(t.typ)) != std::string::npos;
  uint32_t dol = 1, gora = 0xFFFF, proba = 0xFFFF;
  for (int krok = 0; krok < 40; ++krok) {
    const Bajty numer{uint8_t(proba & 0xFF), uint8_t(proba >> 8)};
    w = zRekordem ? Rozkaz(s, 0xAC, 1, numer, 36) : Rozkaz(s, 0xE6, 1, numer, 2);
    if (w.brakPierwszej || w.pierwsza != Bajty{0x06} || w.druga.empty()) return blad("capacity probe");
    if (w.druga[0] == 0x05) {
      gora = proba;
      proba = dol + (proba - dol) / 2;
    } else if (w.druga[0] == 0x00 || w.druga[0] == 0x66) {
      dol = proba;
      if (gora == dol || gora == dol + 1) {
        t.pojemnosc = dol;
        return t;
      }
      proba = dol + (gora - dol) / 2;
    } else {
      return blad("capacity probe status");
    }
  }
  return blad("capacity search did not end");
}

}  // namespace e2e
