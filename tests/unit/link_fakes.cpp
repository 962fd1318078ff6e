#include "link_fakes.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <stdexcept>

#include "protocol/line.h"

namespace testy {

uint16_t CrcBitowo(const Bajty& dane) {
  uint16_t crc = 0;
  for (uint8_t b : dane) {
    crc ^= b;
    for (int i = 0; i < 8; ++i) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
  }
  return crc;
}

Bajty Koduj(const Bajty& surowe) {
  Bajty wynik;
  for (std::size_t start = 0; start < surowe.size(); start += 7) {
    uint8_t bity = 0x80;
    Bajty grupa;
    for (std::size_t i = start; i < surowe.size() && i < start + 7; ++i) {
      if (surowe[i] & 0x80) bity |= static_cast<uint8_t>(0x40 >> (i - start));
      grupa.push_back(surowe[i] | 0x80);
    }
    wynik.push_back(bity);
    wynik.insert(wynik.end(), grupa.begin(), grupa.end());
  }
  return wynik;
}

Bajty Dekoduj(const Bajty& zakodowane) {
  Bajty wynik;
  for (std::size_t start = 0; start < zakodowane.size(); start += 8) {
    const uint8_t bity = zakodowane[start];
    for (std::size_t i = start + 1; i < zakodowane.size() && i < start + 8; ++i) {
      const bool gorny = bity & (0x40 >> (i - start - 1));
      wynik.push_back(static_cast<uint8_t>((zakodowane[i] & 0x7F) | (gorny ? 0x80 : 0)));
    }
  }
  return wynik;
}

Bajty Ramka(uint8_t sterujacy, const Bajty& tresc) {
  const std::size_t n = tresc.size() + 4;
  Bajty surowe{static_cast<uint8_t>(n + (n + 6) / 7), sterujacy};
  surowe.insert(surowe.end(), tresc.begin(), tresc.end());
  const uint16_t crc = CrcBitowo(surowe);
  surowe.push_back(static_cast<uint8_t>(crc));
  surowe.push_back(static_cast<uint8_t>(crc >> 8));
  Bajty ramka{'K', 'A', 'R', 'V', 'O'};
  const Bajty z = Koduj(surowe);
  ramka.insert(ramka.end(), z.begin(), z.end());
  return ramka;
}

Bajty RamkaOdpowiedzi(const Bajty& dane) { return Ramka(0, dane); }

RozebranaRamka Rozbior(const Bajty& ramka) {
  RozebranaRamka r;
  if (ramka.size() < 7 || std::memcmp(ramka.data(), "KARVO", 5) != 0) return r;
  const Bajty surowe = Dekoduj(Bajty(ramka.begin() + 5, ramka.end()));
  if (surowe.size() < 4) return r;
  r.Dlugosc = surowe[0];
  r.Sterujacy = surowe[1];
  r.Tresc.assign(surowe.begin() + 2, surowe.end() - 2);
  r.Poprawna = r.Dlugosc == ramka.size() - 5 && CrcBitowo(surowe) == 0;
  return r;
}

bool ZbieraczRamek::Dodaj(uint8_t bajt, Bajty& ramka) {
  static const char naglowek[] = "KARVO";
  if (bufor_.size() < 5 && bajt != static_cast<uint8_t>(naglowek[bufor_.size()])) {
    bufor_.clear();
    if (bajt == 'K') bufor_.push_back(bajt);
    return false;
  }
  bufor_.push_back(bajt);
  if (bufor_.size() < 7) return false;
  const std::size_t dlugosc = (bufor_[6] & 0x7F) | ((bufor_[5] & 0x40) << 1);
  if (bufor_.size() < 5 + dlugosc) return false;
  ramka.swap(bufor_);
  bufor_.clear();
  return true;
}

// ---- the scripted serial port ----

PortTestowy* PortTestowy::Biezacy = nullptr;

namespace {

Bajty NastepnaOdpowiedz(Skrypt& s, const Bajty& ramka) {
  s.Otrzymane.push_back(ramka);
  if (s.Odpowiedzi.empty()) return {};
  Bajty o = std::move(s.Odpowiedzi.front());
  s.Odpowiedzi.pop_front();
  return o;
}

uint8_t ZapisTestowy(uint8_t bajt) {
  PortTestowy& p = *PortTestowy::Biezacy;
  if (!p.ZapisUdany) return 0;
  p.Zapisane.push_back(bajt);
  Bajty ramka;
  if (p.Zbieracz.Dodaj(bajt, ramka)) {
    const Bajty o = NastepnaOdpowiedz(p.Modul, ramka);
    p.Wejscie.assign(o.begin(), o.end());
  }
  return 1;
}

uint8_t OdczytZKolejki(uint8_t* bajt) {
  PortTestowy& p = *PortTestowy::Biezacy;
  if (p.Wejscie.empty()) return 0;
  *bajt = p.Wejscie.front();
  p.Wejscie.pop_front();
  return 1;
}

uint8_t OdczytTestowy(uint8_t* bajt) {
  PortTestowy::Biezacy->Zapowiedzi.push_back(0);
  return OdczytZKolejki(bajt);
}

uint8_t OdczytOdpowiedziTestowy(uint8_t* bajt, uint32_t zapowiedziane) {
  PortTestowy::Biezacy->Zapowiedzi.push_back(zapowiedziane);
  return OdczytZKolejki(bajt);
}

uint32_t ZapisBajtowTestowy(const uint8_t* bajty, uint32_t ile) {
  PortTestowy::Biezacy->Zapisy.push_back(ile);
  for (uint32_t i = 0; i < ile; ++i)
    if (ZapisTestowy(bajty[i]) != 1) return i;
  return ile;
}

uint8_t StatusTestowy() { return PortTestowy::Biezacy->Nosna ? 0x80 : 0x00; }
int32_t CzyszczenieTestowe() {
  ++PortTestowy::Biezacy->Czyszczenia;
  return 0;
}
uint8_t WyslanoTestowo() { return PortTestowy::Biezacy->WynikWyslania; }

const PortSzeregowyLacza PORT_TESTOWY = {.ZapisBajtu = ZapisTestowy,
                                         .OdczytBajtu = OdczytTestowy,
                                         .StatusModemu = StatusTestowy,
                                         .Czyszczenie = CzyszczenieTestowe,
                                         .WyslanoZnaki = WyslanoTestowo,
                                         .BajtyWKolejce = nullptr,
                                         .OdczytBajtuOdpowiedzi = OdczytOdpowiedziTestowy,
                                         .ZapisBajtow = ZapisBajtowTestowy};

// Waits up to 50 ms for the socket; true when it is readable.
bool Gotowe(int gniazdo) {
  pollfd p{gniazdo, POLLIN, 0};
  return ::poll(&p, 1, 50) > 0;
}

sockaddr_in AdresIp(const std::string& ip, uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  ::inet_aton(ip.c_str(), &a.sin_addr);
  return a;
}

}  // namespace

PortTestowy::PortTestowy() {
  Biezacy = this;
  PodstawieniePortuSzeregowego(&PORT_TESTOWY);
}

PortTestowy::~PortTestowy() {
  PodstawieniePortuSzeregowego(nullptr);
  Biezacy = nullptr;
}

// ---- the scripted module on TCP ----

ModulTcp::ModulTcp(std::deque<Bajty> odpowiedzi, bool zamknijPoSkrypcie, int polaczen)
    : zamknij_(zamknijPoSkrypcie), najwiecejPolaczen_(polaczen) {
  skrypt_.Odpowiedzi = std::move(odpowiedzi);
  nasluch_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a = AdresIp("127.0.0.1", 0);
  socklen_t dl = sizeof a;
  if (::bind(nasluch_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(nasluch_, 1) != 0 ||
      ::getsockname(nasluch_, reinterpret_cast<sockaddr*>(&a), &dl) != 0)
    throw std::runtime_error("module socket");
  port_ = ntohs(a.sin_port);
  watek_ = std::thread([this] { Praca(); });
}

ModulTcp::~ModulTcp() {
  koniec_ = true;
  watek_.join();
  if (nasluch_ >= 0) ::close(nasluch_);
}

std::vector<Bajty> ModulTcp::Otrzymane() {
  std::lock_guard<std::mutex> z(zamek_);
  return skrypt_.Otrzymane;
}

Bajty ModulTcp::Surowe() {
  std::lock_guard<std::mutex> z(zamek_);
  return surowe_;
}

void ModulTcp::KoniecNasluchu() {
  bezNasluchu_ = true;
  while (!nasluchZamkniety_) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

// The worker thread owns the listening socket, so it is the one to close it.
void ModulTcp::ZamkniecieNasluchuNaZadanie() {
  if (!bezNasluchu_ || nasluch_ < 0) return;
  ::close(nasluch_);
  nasluch_ = -1;
  nasluchZamkniety_ = true;
}

void ModulTcp::Praca() {
  for (int n = 0; n < najwiecejPolaczen_ && !koniec_; ++n) {
    int polaczenie = -1;
    while (!koniec_ && polaczenie < 0) {
      ZamkniecieNasluchuNaZadanie();
      if (nasluch_ < 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      else if (Gotowe(nasluch_)) polaczenie = ::accept(nasluch_, nullptr, nullptr);
    }
    if (polaczenie < 0) break;
    ++polaczenia_;
    Obsluga(polaczenie);
    ::close(polaczenie);
  }
  // Nothing more is accepted; a request to stop listening is still honoured.
  while (!koniec_) {
    ZamkniecieNasluchuNaZadanie();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

void ModulTcp::Obsluga(int polaczenie) {
  ZbieraczRamek zbieracz;
  bool otwarte = true;
  if (zamknij_ && skrypt_.Odpowiedzi.empty()) otwarte = false;
  while (!koniec_ && otwarte) {
    ZamkniecieNasluchuNaZadanie();
    if (!Gotowe(polaczenie)) continue;
    uint8_t bufor[512];
    const long n = ::recv(polaczenie, bufor, sizeof bufor, 0);
    if (n <= 0) {
      ++rozlaczenia_;
      break;
    }
    for (long i = 0; i < n; ++i) {
      Bajty ramka, odpowiedz;
      {
        std::lock_guard<std::mutex> z(zamek_);
        surowe_.push_back(bufor[i]);
        if (!zbieracz.Dodaj(bufor[i], ramka)) continue;
        odpowiedz = NastepnaOdpowiedz(skrypt_, ramka);
        if (zamknij_ && skrypt_.Odpowiedzi.empty()) otwarte = false;
      }
      if (!odpowiedz.empty()) ::send(polaczenie, odpowiedz.data(), odpowiedz.size(), MSG_NOSIGNAL);
    }
  }
}

// ---- the UDP port server ----

std::string WlasnyAdresPetli() {
  static int licznik = 0;
  ++licznik;
  const int pid = static_cast<int>(::getpid());
  return "127." + std::to_string(20 + pid % 200) + "." + std::to_string((pid / 200) % 250 + 1) + "." +
         std::to_string(licznik % 250 + 1);
}

SerwerPortow::SerwerPortow(std::string adres, int zlaPozycja, char zlaOdpowiedz)
    : adres_(std::move(adres)), zlaPozycja_(zlaPozycja), zlaOdpowiedz_(zlaOdpowiedz) {
  gniazdo_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  const sockaddr_in a = AdresIp(adres_, 65535);
  if (::bind(gniazdo_, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0)
    throw std::runtime_error("port server bind " + adres_);
  watek_ = std::thread([this] {
    while (!koniec_) {
      if (!Gotowe(gniazdo_)) continue;
      char bufor[256];
      sockaddr_in od{};
      socklen_t dl = sizeof od;
      const long n = ::recvfrom(gniazdo_, bufor, sizeof bufor, 0, reinterpret_cast<sockaddr*>(&od), &dl);
      if (n < 0) continue;
      int numer;
      {
        std::lock_guard<std::mutex> z(zamek_);
        numer = static_cast<int>(otrzymane_.size());
        otrzymane_.emplace_back(bufor, static_cast<std::size_t>(n));
      }
      const char odpowiedz = numer == zlaPozycja_ ? zlaOdpowiedz_ : 'A';
      if (odpowiedz != 0) ::sendto(gniazdo_, &odpowiedz, 1, 0, reinterpret_cast<sockaddr*>(&od), dl);
    }
  });
}

SerwerPortow::~SerwerPortow() {
  koniec_ = true;
  watek_.join();
  ::close(gniazdo_);
}

std::vector<std::string> SerwerPortow::Otrzymane() {
  std::lock_guard<std::mutex> z(zamek_);
  return otrzymane_;
}

uint16_t WolnyPort() {
  const int g = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a = AdresIp("127.0.0.1", 0);
  socklen_t dl = sizeof a;
  ::bind(g, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::getsockname(g, reinterpret_cast<sockaddr*>(&a), &dl);
  ::close(g);
  return ntohs(a.sin_port);
}

}  // namespace testy
