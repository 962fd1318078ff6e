#include "portserver/port_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "link/loop.h"

namespace sim {
namespace {

constexpr const char* Kto = "portsrv";

}  // namespace

SerwerPortow::~SerwerPortow() {
  koniec_ = true;
  if (watek_.joinable()) watek_.join();
  if (gniazdo_ >= 0) ::close(gniazdo_);
}

bool SerwerPortow::Otworz(const std::string& host, uint16_t port, std::string& blad) {
  sockaddr_in adres{};
  adres.sin_family = AF_INET;
  adres.sin_port = htons(port);
  if (::inet_pton(AF_INET, host.c_str(), &adres.sin_addr) != 1) {
    blad = "--port-server: not an IPv4 address: " + host;
    return false;
  }
  gniazdo_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (gniazdo_ < 0 || ::bind(gniazdo_, reinterpret_cast<const sockaddr*>(&adres), sizeof adres) != 0) {
    blad = "cannot take UDP " + host + ":" + std::to_string(port) + ": " + std::strerror(errno);
    return false;
  }
  dziennik_.Zdarzenie(Kto, "control on UDP " + host + ":" + std::to_string(port));
  return true;
}

void SerwerPortow::Obsluz(std::span<const uint8_t> datagram, const void* nadawca, unsigned dlugoscAdresu) {
  const OdpowiedzSerwera o = sterowanie_.Polecenie(datagram);
  dziennik_.Bajty(Kto, Kierunek::DoUrzadzenia, datagram, o.polecenie.opis);
  if (o.usterka)
    dziennik_.Zdarzenie(Kto, "fault " + o.usterka->zapis + (o.bajty ? ": answer changed" : ": no answer"));
  if (!o.bajty) return;
  if (::sendto(gniazdo_, o.bajty->data(), o.bajty->size(), 0, static_cast<const sockaddr*>(nadawca),
               static_cast<socklen_t>(dlugoscAdresu)) < 0) {
    dziennik_.Zdarzenie(Kto, std::string("answer not sent: ") + std::strerror(errno));
    return;
  }
  dziennik_.Bajty(Kto, Kierunek::OdUrzadzenia, *o.bajty);
}

void SerwerPortow::Dzialaj() {
  uint8_t bufor[512];
  while (!Zatrzymano() && !koniec_) {
    pollfd p{gniazdo_, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    sockaddr_in nadawca{};
    socklen_t dlugosc = sizeof nadawca;
    const ssize_t n = ::recvfrom(gniazdo_, bufor, sizeof bufor, 0, reinterpret_cast<sockaddr*>(&nadawca), &dlugosc);
    if (n < 0) continue;
    Obsluz(std::span<const uint8_t>(bufor, static_cast<size_t>(n)), &nadawca, dlugosc);
  }
}

void SerwerPortow::UruchomWTle() {
  if (Otwarty() && !watek_.joinable()) watek_ = std::thread([this] { Dzialaj(); });
}

}  // namespace sim
