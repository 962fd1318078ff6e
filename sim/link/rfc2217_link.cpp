#include "link/rfc2217_link.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "link/loop.h"
#include "link/tcp_listen.h"
#include "link/telnet.h"

namespace sim {
namespace {

class NadajnikRfc2217 : public NadajnikStrumienia {
 public:
  NadajnikRfc2217(int fd, const telnet::Serwer& serwer, uint32_t baud)
      : NadajnikStrumienia(baud), fd_(fd), serwer_(serwer) {}

 protected:
  void Zapisz(std::span<const uint8_t> bajty) override { WyslijWszystko(fd_, serwer_.Dane(bajty)); }

 private:
  int fd_;
  const telnet::Serwer& serwer_;
};

const char* Parzystosc(uint8_t p) {
  static const char* const Nazwy[] = {"?", "none", "odd", "even", "mark", "space"};
  return p <= 5 ? Nazwy[p] : "?";
}

}  // namespace

LaczeRfc2217::~LaczeRfc2217() {
  if (nasluch_ >= 0) ::close(nasluch_);
}

bool LaczeRfc2217::Otworz(const std::string& host, uint16_t port, std::string& blad) {
  nasluch_ = OtworzNasluch(host, port, port_, blad);
  return nasluch_ >= 0;
}

void LaczeRfc2217::Dzialaj(UrzadzenieLinii& linia, Dziennik& dziennik, uint32_t baud) {
  while (!Zatrzymano()) {
    pollfd p{nasluch_, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    const int klient = PrzyjmijKlienta(nasluch_);
    if (klient < 0) continue;
    dziennik.Zdarzenie("rfc2217", "client connected");
    telnet::Serwer serwer;
    NadajnikRfc2217 wyjscie(klient, serwer, baud);
    bool polaczony = WyslijWszystko(klient, serwer.Powitanie());
    uint8_t bufor[1024];
    while (polaczony && !Zatrzymano()) {
      pollfd fds[2] = {{klient, POLLIN, 0}, {nasluch_, POLLIN, 0}};
      const int n = ::poll(fds, 2, CzasOczekiwania(linia.Termin(), 50));
      if (n > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
        const ssize_t ile = ::recv(klient, bufor, sizeof bufor, 0);
        if (ile <= 0) {
          if (ile < 0 && errno == EINTR) continue;
          polaczony = false;
          break;
        }
        telnet::Zdarzenia z;
        serwer.Odebrano(std::span<const uint8_t>(bufor, static_cast<size_t>(ile)), z);
        const telnet::UstawieniaPortu& port = serwer.Port();
        if (z.zmianaPredkosci) linia.Predkosc(port.predkosc);
        if (z.zmianaRamki)
          dziennik.Zdarzenie("rfc2217", std::to_string(port.bity) + " data bits, parity " + Parzystosc(port.parzystosc) +
                                            ", stop " + std::to_string(port.stop));
        if (z.zmianaLinii) linia.LinieSterujace(port.dtr, port.rts);
        if (z.czyszczenie) dziennik.Zdarzenie("rfc2217", "purge");
        if (!z.doKlienta.empty()) polaczony = WyslijWszystko(klient, z.doKlienta);
        const Bajty modem = serwer.StanModemu(modem_);
        if (!modem.empty()) polaczony = polaczony && WyslijWszystko(klient, modem);
        if (!z.dane.empty()) linia.Odebrano(z.dane, wyjscie, Zegar::now());
      }
      // Looked at after the client's own bytes, so a client that has just
      // left makes room for the next one instead of turning it away.
      if (n > 0 && (fds[1].revents & POLLIN)) {
        // One client at a time, as a real port server: a second one is turned away.
        const int drugi = ::accept4(nasluch_, nullptr, nullptr, SOCK_CLOEXEC);
        if (drugi >= 0) ::close(drugi);
        dziennik.Zdarzenie("rfc2217", "second client turned away: the port is in use");
      }
      linia.Sprawdz(Zegar::now());
    }
    ::close(klient);
    // The port server drops the control lines when its client goes.
    linia.LinieSterujace(false, false);
    linia.Przerwij();
    dziennik.Zdarzenie("rfc2217", "client gone");
  }
}

}  // namespace sim
