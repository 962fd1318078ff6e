#include "link/tcp_listen.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "link/loop.h"

namespace sim {

int OtworzNasluch(const std::string& host, uint16_t port, uint16_t& rzeczywisty, std::string& blad) {
  sockaddr_in adres{};
  adres.sin_family = AF_INET;
  adres.sin_port = htons(port);
  if (::inet_pton(AF_INET, host.c_str(), &adres.sin_addr) != 1) {
    blad = "not an IPv4 address: " + host;
    return -1;
  }
  const int nasluch = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int tak = 1;
  if (nasluch >= 0) ::setsockopt(nasluch, SOL_SOCKET, SO_REUSEADDR, &tak, sizeof tak);
  if (nasluch < 0 || ::bind(nasluch, reinterpret_cast<sockaddr*>(&adres), sizeof adres) != 0 ||
      ::listen(nasluch, 4) != 0) {
    blad = "cannot listen on " + host + ":" + std::to_string(port) + ": " + std::strerror(errno);
    if (nasluch >= 0) ::close(nasluch);
    return -1;
  }
  socklen_t dlugosc = sizeof adres;
  ::getsockname(nasluch, reinterpret_cast<sockaddr*>(&adres), &dlugosc);
  rzeczywisty = ntohs(adres.sin_port);
  return nasluch;
}

int PrzyjmijKlienta(int nasluch) {
  const int klient = ::accept4(nasluch, nullptr, nullptr, SOCK_CLOEXEC);
  if (klient < 0) return -1;
  const int tak = 1;
  ::setsockopt(klient, IPPROTO_TCP, TCP_NODELAY, &tak, sizeof tak);
  return klient;
}

bool WyslijWszystko(int fd, std::span<const uint8_t> bajty) {
  size_t wyslane = 0;
  while (wyslane < bajty.size()) {
    const ssize_t n = ::send(fd, bajty.data() + wyslane, bajty.size() - wyslane, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    wyslane += static_cast<size_t>(n);
  }
  return true;
}

namespace {

// Takes whatever the client has sent without waiting; false once it has gone.
bool NadalPolaczony(int fd, KlientTcp& klient) {
  uint8_t bufor[1024];
  for (;;) {
    const ssize_t ile = ::recv(fd, bufor, sizeof bufor, MSG_DONTWAIT);
    if (ile > 0) {
      if (!klient.Odebrano(fd, std::span<const uint8_t>(bufor, static_cast<size_t>(ile)))) return false;
      continue;
    }
    if (ile < 0 && errno == EINTR) continue;
    return ile < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
  }
}

// One client until it goes or the simulator stops.
void JedenKlient(int nasluch, int fd, KlientTcp& klient, UrzadzenieLinii& urzadzenie, Dziennik& dziennik,
                 const char* kto, const char* coZajete) {
  if (!klient.Polaczono(fd)) return;
  uint8_t bufor[1024];
  while (!Zatrzymano()) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {nasluch, POLLIN, 0}};
    const int n = ::poll(fds, 2, CzasOczekiwania(Wczesniejszy(urzadzenie.Termin(), klient.Termin()), 50));
    if (n > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
      const ssize_t ile = ::recv(fd, bufor, sizeof bufor, 0);
      if (ile < 0 && errno == EINTR) continue;
      if (ile <= 0 || !klient.Odebrano(fd, std::span<const uint8_t>(bufor, static_cast<size_t>(ile)))) return;
    }
    // Looked at after the client's own bytes, so a client that has just left
    // makes room for the next one instead of turning it away: its last bytes
    // and its end may both still wait behind what was read above.
    if (n > 0 && (fds[1].revents & POLLIN)) {
      if (!NadalPolaczony(fd, klient)) return;
      const int drugi = ::accept4(nasluch, nullptr, nullptr, SOCK_CLOEXEC);
      if (drugi >= 0) ::close(drugi);
      dziennik.Zdarzenie(kto, std::string("second client turned away: ") + coZajete);
    }
    klient.Wypchnij(Zegar::now());
    urzadzenie.Sprawdz(Zegar::now());
    if (!klient.Sprawdzono()) return;
  }
}

}  // namespace

void ObslugaKlientow(int nasluch, KlientTcp& klient, UrzadzenieLinii& urzadzenie, Dziennik& dziennik,
                     const char* kto, const char* coZajete) {
  while (!Zatrzymano()) {
    pollfd p{nasluch, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    const int fd = PrzyjmijKlienta(nasluch);
    if (fd < 0) continue;
    dziennik.Zdarzenie(kto, "client connected");
    JedenKlient(nasluch, fd, klient, urzadzenie, dziennik, kto, coZajete);
    ::close(fd);
    klient.Rozlaczono();
    dziennik.Zdarzenie(kto, "client gone");
  }
}

}  // namespace sim
