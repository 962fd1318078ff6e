#include "platform/comm_termios2.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace platforma {
namespace {

struct StalaPredkosci {
  uint32_t predkosc;
  tcflag_t stala;
};

constexpr StalaPredkosci STALE[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

tcflag_t StalaDlaPredkosci(uint32_t predkosc) {
  for (const auto& s : STALE)
    if (s.predkosc == predkosc) return s.stala;
  return BOTHER;
}

}  // namespace

int UstawTermios2(int uchwyt, const UstawieniaLinii& u) {
  if (u.predkosc == 0 || u.predkosc > 0x7FFFFFFFu || u.parzystosc > 4 || u.bityStopu > 2 || u.bityDanych < 5 ||
      u.bityDanych > 8)
    return EINVAL;
  termios2 t{};
  if (ioctl(uchwyt, TCGETS2, &t) != 0) return errno;

  t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                                      IXANY | IGNPAR | INPCK);
  if (u.parzystosc != 0) t.c_iflag |= INPCK;
  t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;

  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CBAUD | CIBAUD);
  static constexpr tcflag_t ROZMIARY[] = {CS5, CS6, CS7, CS8};
  t.c_cflag |= ROZMIARY[u.bityDanych - 5] | CREAD | CLOCAL;
  switch (u.parzystosc) {
    case 1: t.c_cflag |= PARENB | PARODD; break;
    case 2: t.c_cflag |= PARENB; break;
    case 3: t.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case 4: t.c_cflag |= PARENB | CMSPAR; break;
    default: break;
  }
  // One and a half stop bits exist only with five data bits; two is the nearest.
  if (u.bityStopu != 0) t.c_cflag |= CSTOPB;
  if (u.kontrolaCTS) t.c_cflag |= CRTSCTS;
  t.c_cflag |= StalaDlaPredkosci(u.predkosc);  // the input speed follows the output speed
  t.c_ispeed = t.c_ospeed = u.predkosc;

  if (ioctl(uchwyt, TCSETS2, &t) != 0) return errno;
  return 0;
}

uint32_t PredkoscTermios2(int uchwyt) {
  termios2 t{};
  if (ioctl(uchwyt, TCGETS2, &t) != 0) return 0;
  const tcflag_t stala = t.c_cflag & CBAUD;
  if (stala == BOTHER) return t.c_ospeed;
  for (const auto& s : STALE)
    if (s.stala == stala) return s.predkosc;
  return 0;
}

}  // namespace platforma
