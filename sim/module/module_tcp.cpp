#include "module/module_tcp.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "link/loop.h"
#include "link/tcp_listen.h"

namespace sim {
namespace {

constexpr const char* Kto = "tcp";

class NadajnikGniazda : public NadajnikStrumienia {
 public:
  explicit NadajnikGniazda(int fd) : NadajnikStrumienia(0), fd_(fd) {}

 protected:
  void Zapisz(std::span<const uint8_t> bajty) override { WyslijWszystko(fd_, bajty); }

 private:
  int fd_;
};

}  // namespace

LaczeModuluTcp::~LaczeModuluTcp() {
  if (nasluch_ >= 0) ::close(nasluch_);
}

bool LaczeModuluTcp::Otworz(const std::string& host, uint16_t port, std::string& blad) {
  nasluch_ = OtworzNasluch(host, port, port_, blad);
  return nasluch_ >= 0;
}

void LaczeModuluTcp::Dzialaj(UrzadzenieLinii& modul, Dziennik& dziennik) {
  while (!Zatrzymano()) {
    pollfd p{nasluch_, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    const int klient = PrzyjmijKlienta(nasluch_);
    if (klient < 0) continue;
    dziennik.Zdarzenie(Kto, "client connected");
    Obsluz(klient, modul, dziennik);
    ::close(klient);
    modul.Przerwij();
    dziennik.Zdarzenie(Kto, "client gone");
  }
}

void LaczeModuluTcp::Obsluz(int klient, UrzadzenieLinii& modul, Dziennik& dziennik) {
  NadajnikGniazda wyjscie(klient);
  uint8_t bufor[1024];
  while (!Zatrzymano()) {
    pollfd fds[2] = {{klient, POLLIN, 0}, {nasluch_, POLLIN, 0}};
    const int n = ::poll(fds, 2, CzasOczekiwania(modul.Termin(), 50));
    if (n > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
      const ssize_t ile = ::recv(klient, bufor, sizeof bufor, 0);
      if (ile < 0 && errno == EINTR) continue;
      if (ile <= 0) return;
      modul.Odebrano(std::span<const uint8_t>(bufor, static_cast<size_t>(ile)), wyjscie, Zegar::now());
    }
    // Looked at after the client's own bytes, so a client that has just left
    // makes room for the next one instead of turning it away.
    if (n > 0 && (fds[1].revents & POLLIN)) {
      const int drugi = ::accept4(nasluch_, nullptr, nullptr, SOCK_CLOEXEC);
      if (drugi >= 0) ::close(drugi);
      dziennik.Zdarzenie(Kto, "second client turned away: the module is in use");
    }
    modul.Sprawdz(Zegar::now());
  }
}

}  // namespace sim
