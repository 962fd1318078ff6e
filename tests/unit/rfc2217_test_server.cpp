#include "rfc2217_test_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace {
constexpr uint8_t IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;
constexpr uint8_t COM_PORT = 44, BINARY = 0;
enum : int { DANE, PO_IAC, OPCJA, W_SB, SB_IAC };
}  // namespace

SerwerRfc2217Testowy::SerwerRfc2217Testowy(Usterki usterki) : usterki_(usterki) {
  nasluch_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in adres{};
  adres.sin_family = AF_INET;
  adres.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t dlugosc = sizeof adres;
  if (nasluch_ < 0 || bind(nasluch_, reinterpret_cast<sockaddr*>(&adres), sizeof adres) != 0 ||
      listen(nasluch_, 4) != 0 || getsockname(nasluch_, reinterpret_cast<sockaddr*>(&adres), &dlugosc) != 0 ||
      pipe2(budzik_, O_CLOEXEC) != 0)
    throw std::runtime_error("test server socket");
  port_ = ntohs(adres.sin_port);
  watek_ = std::thread([this] { Obsluguj(); });
}

SerwerRfc2217Testowy::~SerwerRfc2217Testowy() {
  const char z = 'x';
  [[maybe_unused]] ssize_t n = write(budzik_[1], &z, 1);
  watek_.join();
  close(nasluch_);
  close(budzik_[0]);
  close(budzik_[1]);
}

void SerwerRfc2217Testowy::UstawUsterki(Usterki usterki) {
  std::lock_guard<std::mutex> b(m_);
  usterki_ = usterki;
}

void SerwerRfc2217Testowy::Obsluguj() {
  for (;;) {
    pollfd p[2] = {{nasluch_, POLLIN, 0}, {budzik_[0], POLLIN, 0}};
    if (poll(p, 2, -1) < 0) continue;
    if (p[1].revents != 0) return;
    const int gniazdo = accept4(nasluch_, nullptr, nullptr, SOCK_CLOEXEC);
    if (gniazdo < 0) continue;
    const int tak = 1;
    setsockopt(gniazdo, IPPROTO_TCP, TCP_NODELAY, &tak, sizeof tak);
    ObsluzKlienta(gniazdo);
    if (p[1].revents != 0) return;
  }
}

void SerwerRfc2217Testowy::ObsluzKlienta(int gniazdo) {
  {
    std::lock_guard<std::mutex> b(m_);
    klient_ = gniazdo;
    polaczony_ = true;
    zerwac_ = false;
    stan_ = DANE;
    cv_.notify_all();
  }
  uint8_t bufor[512];
  for (;;) {
    pollfd p[2] = {{gniazdo, POLLIN, 0}, {budzik_[0], POLLIN, 0}};
    const int n = poll(p, 2, 20);
    bool koniec = p[1].revents != 0;
    {
      std::lock_guard<std::mutex> b(m_);
      koniec = koniec || zerwac_;
    }
    if (!koniec && n > 0 && (p[0].revents & (POLLIN | POLLHUP | POLLERR))) {
      const ssize_t r = recv(gniazdo, bufor, sizeof bufor, 0);
      if (r <= 0) koniec = true;
      std::lock_guard<std::mutex> b(m_);
      for (ssize_t i = 0; i < r; ++i) Przyjmij(bufor[i]);
      koniec = koniec || zerwac_;
      cv_.notify_all();
    }
    if (koniec) break;
  }
  std::lock_guard<std::mutex> b(m_);
  close(gniazdo);
  klient_ = -1;
  polaczony_ = false;
  cv_.notify_all();
}

// Under m_.
void SerwerRfc2217Testowy::Wyslij(const std::vector<uint8_t>& bajty) {
  if (klient_ < 0) return;
  std::size_t poszlo = 0;
  while (poszlo < bajty.size()) {
    const ssize_t r = send(klient_, bajty.data() + poszlo, bajty.size() - poszlo, MSG_NOSIGNAL);
    if (r <= 0) return;
    poszlo += static_cast<std::size_t>(r);
  }
}

void SerwerRfc2217Testowy::Przyjmij(uint8_t bajt) {
  switch (stan_) {
    case DANE:
      if (bajt == IAC) {
        stan_ = PO_IAC;
        return;
      }
      break;
    case PO_IAC:
      if (bajt == IAC) {
        stan_ = DANE;
        break;
      }
      stan_ = bajt >= WILL ? OPCJA : (bajt == SB ? W_SB : DANE);
      polecenieOpcji_ = bajt;
      sb_.clear();
      return;
    case OPCJA: {
      stan_ = DANE;
      if (usterki_.milczy) return;
      if (polecenieOpcji_ == WILL && bajt == COM_PORT) Wyslij({IAC, usterki_.odrzucaComPort ? DONT : DO, COM_PORT});
      else if (polecenieOpcji_ == WILL && bajt == BINARY) Wyslij({IAC, DO, BINARY});
      else if (polecenieOpcji_ == DO && bajt == BINARY) Wyslij({IAC, WILL, BINARY});
      else if (polecenieOpcji_ == WILL) Wyslij({IAC, DONT, bajt});
      else if (polecenieOpcji_ == DO) Wyslij({IAC, WONT, bajt});
      return;
    }
    case W_SB:
      if (bajt == IAC) stan_ = SB_IAC;
      else sb_.push_back(bajt);
      return;
    case SB_IAC:
      if (bajt == IAC) {
        sb_.push_back(IAC);
        stan_ = W_SB;
      } else {
        stan_ = DANE;
        if (bajt == SE) Polecenie(sb_);
      }
      return;
  }
  dane_.push_back(bajt);
  if (usterki_.zerwijPoBajtach >= 0 && dane_.size() >= static_cast<std::size_t>(usterki_.zerwijPoBajtach))
    zerwac_ = true;
}

void SerwerRfc2217Testowy::Polecenie(const std::vector<uint8_t>& sb) {
  if (sb.size() < 2 || sb[0] != COM_PORT) return;
  const uint8_t kod = sb[1];
  const std::vector<uint8_t> wartosc(sb.begin() + 2, sb.end());
  polecenia_.emplace_back(kod, wartosc);
  const uint8_t poprzedniModem = modem_;
  if (kod == 1 && wartosc.size() == 4) {
    const uint32_t p = (uint32_t{wartosc[0]} << 24) | (uint32_t{wartosc[1]} << 16) | (uint32_t{wartosc[2]} << 8) |
                       wartosc[3];
    if (p != 0) predkosc_ = p;
  } else if (kod == 5 && wartosc.size() == 1) {
    if (wartosc[0] == 8) dtr_ = true;
    if (wartosc[0] == 9) dtr_ = false;
    if (wartosc[0] == 11) rts_ = true;
    if (wartosc[0] == 12) rts_ = false;
  } else if (kod == 11 && wartosc.size() == 1) {
    maskaModemu_ = wartosc[0];
  }
  if (usterki_.bezPotwierdzen) return;
  std::vector<uint8_t> odpowiedz = {IAC, SB, COM_PORT, static_cast<uint8_t>(kod + 100)};
  for (uint8_t b : wartosc) {
    odpowiedz.push_back(b);
    if (b == IAC) odpowiedz.push_back(IAC);
  }
  odpowiedz.insert(odpowiedz.end(), {IAC, SE});
  Wyslij(odpowiedz);
  if (kod == 11) PowiadomOModemie(static_cast<uint8_t>(~poprzedniModem));
}

// Under m_: NOTIFY-MODEMSTATE with the delta bits, when a line within the mask changed.
void SerwerRfc2217Testowy::PowiadomOModemie(uint8_t poprzedni) {
  const uint8_t zmiany = (modem_ ^ poprzedni) & 0xF0;
  uint8_t stan = modem_ & 0xF0;
  if (zmiany & 0x10) stan |= 0x01;
  if (zmiany & 0x20) stan |= 0x02;
  if ((zmiany & 0x40) && !(modem_ & 0x40)) stan |= 0x04;
  if (zmiany & 0x80) stan |= 0x08;
  if ((stan & maskaModemu_) == 0 && (zmiany & maskaModemu_) == 0) return;
  Wyslij({IAC, SB, COM_PORT, 107, static_cast<uint8_t>(stan & maskaModemu_), IAC, SE});
}

bool SerwerRfc2217Testowy::CzekajNaDane(std::size_t ile, std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> b(m_);
  return cv_.wait_for(b, limit, [&] { return dane_.size() >= ile; });
}

std::vector<uint8_t> SerwerRfc2217Testowy::Dane() {
  std::lock_guard<std::mutex> b(m_);
  return dane_;
}

void SerwerRfc2217Testowy::WyslijDane(const std::vector<uint8_t>& dane) {
  std::vector<uint8_t> zakodowane;
  for (uint8_t b : dane) {
    zakodowane.push_back(b);
    if (b == IAC) zakodowane.push_back(IAC);
  }
  std::lock_guard<std::mutex> b(m_);
  Wyslij(zakodowane);
}

std::vector<std::vector<uint8_t>> SerwerRfc2217Testowy::Polecenia(uint8_t kod) {
  std::lock_guard<std::mutex> b(m_);
  std::vector<std::vector<uint8_t>> wynik;
  for (const auto& [k, w] : polecenia_)
    if (k == kod) wynik.push_back(w);
  return wynik;
}

bool SerwerRfc2217Testowy::CzekajNaPolecenia(uint8_t kod, std::size_t ile, std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> b(m_);
  return cv_.wait_for(b, limit, [&] {
    std::size_t n = 0;
    for (const auto& p : polecenia_) n += p.first == kod;
    return n >= ile;
  });
}

bool SerwerRfc2217Testowy::Dtr() {
  std::lock_guard<std::mutex> b(m_);
  return dtr_;
}

bool SerwerRfc2217Testowy::Rts() {
  std::lock_guard<std::mutex> b(m_);
  return rts_;
}

uint32_t SerwerRfc2217Testowy::Predkosc() {
  std::lock_guard<std::mutex> b(m_);
  return predkosc_;
}

void SerwerRfc2217Testowy::UstawStanModemu(uint8_t stan) {
  std::lock_guard<std::mutex> b(m_);
  const uint8_t poprzedni = modem_;
  modem_ = stan;
  PowiadomOModemie(poprzedni);
}

void SerwerRfc2217Testowy::PowiadomOStanieLinii(uint8_t stan) {
  std::lock_guard<std::mutex> b(m_);
  Wyslij({IAC, SB, COM_PORT, 106, stan, IAC, SE});
}

void SerwerRfc2217Testowy::Zerwij() {
  std::unique_lock<std::mutex> b(m_);
  zerwac_ = true;
  cv_.wait_for(b, std::chrono::seconds(3), [&] { return !polaczony_; });
}

bool SerwerRfc2217Testowy::CzekajNaKlienta(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> b(m_);
  return cv_.wait_for(b, limit, [&] { return polaczony_; });
}
