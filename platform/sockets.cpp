#include "platform/sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/clock.h"
#include "platform/process.h"

namespace platforma {

int32_t UtworzenieGniazda(RodzajGniazda rodzaj) {
  const bool tcp = rodzaj == RodzajGniazda::Strumieniowe;
  const int typ = (tcp ? SOCK_STREAM : SOCK_DGRAM) | SOCK_NONBLOCK | SOCK_CLOEXEC;
  return ::socket(AF_INET, typ, tcp ? IPPROTO_TCP : IPPROTO_UDP);
}

static int CzekanieNaZdarzenie(int32_t gniazdo, short zdarzenia, int32_t czasMs) {
  // poll() wakes early on signals; keep waiting until the whole deadline has
  // passed (the tick wraps, so only differences of it count). A signal that
  // asks the process to end ends the wait as if the time were up.
  const uint32_t poczatek = LicznikMs();
  const uint32_t czas = czasMs < 0 ? 0u : static_cast<uint32_t>(czasMs);
  for (;;) {
    const uint32_t minelo = LicznikMs() - poczatek;
    const int pozostalo = minelo >= czas ? 0 : static_cast<int>(czas - minelo);
    pollfd p[2] = {{gniazdo, zdarzenia, 0}, {UchwytSygnaluKonca(), POLLIN, 0}};
    const int n = ::poll(p, p[1].fd >= 0 ? 2 : 1, pozostalo);
    if (n > 0 && p[0].revents) return 1;
    if (n >= 0) return 0;
    if (errno != EINTR) return -1;
  }
}

bool PolaczenieZAdresem(int32_t gniazdo, const char* adres, uint16_t port, int32_t czasMs) {
  sockaddr_in cel{};
  cel.sin_family = AF_INET;
  cel.sin_port = htons(port);
  // inet_aton takes the same dotted forms as the reference platform's converter ("127.1" too).
  if (adres == nullptr || ::inet_aton(adres, &cel.sin_addr) == 0) return false;
  if (::connect(gniazdo, reinterpret_cast<const sockaddr*>(&cel), sizeof cel) == 0) return true;
  if (errno != EINPROGRESS && errno != EINTR) return false;
  if (CzekanieNaZdarzenie(gniazdo, POLLOUT, czasMs) != 1) return false;
  int blad = 0;
  socklen_t dlugosc = sizeof blad;
  return ::getsockopt(gniazdo, SOL_SOCKET, SO_ERROR, &blad, &dlugosc) == 0 && blad == 0;
}

long BajtyDoOdczytu(int32_t gniazdo) {
  int ile = 0;
  return ::ioctl(gniazdo, FIONREAD, &ile) == 0 ? ile : -1;
}

long WyslanieDoGniazda(int32_t gniazdo, const void* bufor, std::size_t dlugosc) {
  return ::send(gniazdo, bufor, dlugosc, MSG_NOSIGNAL);
}

long OdbiorZGniazda(int32_t gniazdo, void* bufor, std::size_t dlugosc) {
  const long n = ::recv(gniazdo, bufor, dlugosc, 0);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return -2;
  return n;
}

int CzekanieNaOdczyt(int32_t gniazdo, int32_t czasMs) { return CzekanieNaZdarzenie(gniazdo, POLLIN, czasMs); }

bool ZamkniecieGniazda(int32_t gniazdo) { return ::close(gniazdo) == 0; }

}  // namespace platforma
