#include "link/pty_link.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "link/loop.h"

namespace sim {
namespace {

class NadajnikPty : public NadajnikStrumienia {
 public:
  NadajnikPty(int fd, uint32_t baud, Dziennik& dziennik)
      : NadajnikStrumienia(baud, OpoznienieAdaptera()), fd_(fd), dziennik_(dziennik) {}

 protected:
  // The slave's input queue fills up when nobody reads it (no driver between
  // runs); bytes that find no room within a moment are dropped, and while the
  // line stays full nothing more is waited for.
  void Zapisz(std::span<const uint8_t> bajty) override {
    size_t wyslane = 0;
    while (wyslane < bajty.size()) {
      const ssize_t n = ::write(fd_, bajty.data() + wyslane, bajty.size() - wyslane);
      if (n > 0) {
        wyslane += static_cast<size_t>(n);
        pelna_ = false;
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      pollfd p{fd_, POLLOUT, 0};
      if (n < 0 && errno == EAGAIN && ::poll(&p, 1, pelna_ ? 0 : 200) > 0) continue;
      pelna_ = true;
      dziennik_.Zdarzenie("pty", "nobody reads the line: " + std::to_string(bajty.size() - wyslane) +
                                     " bytes dropped");
      return;
    }
  }

 private:
  int fd_;
  Dziennik& dziennik_;
  bool pelna_ = false;
};

uint32_t Baud(speed_t s) {
  static const struct { speed_t s; uint32_t baud; } Tabela[] = {
      {B50, 50},     {B75, 75},       {B110, 110},     {B134, 134},     {B150, 150},       {B200, 200},
      {B300, 300},   {B600, 600},     {B1200, 1200},   {B1800, 1800},   {B2400, 2400},     {B4800, 4800},
      {B9600, 9600}, {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}, {B230400, 230400},
  };
  for (const auto& t : Tabela)
    if (t.s == s) return t.baud;
  return 0;
}

}  // namespace

LaczePty::~LaczePty() {
  if (!dowiazanie_.empty()) ::unlink(dowiazanie_.c_str());
  if (slaveFd_ >= 0) ::close(slaveFd_);
  if (master_ >= 0) ::close(master_);
}

bool LaczePty::Otworz(const std::string& dowiazanie, std::string& blad) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
      ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK) != 0 ||
      ::fcntl(master_, F_SETFD, FD_CLOEXEC) != 0) {
    blad = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
    return false;
  }
  const char* nazwa = ::ptsname(master_);
  if (!nazwa) {
    blad = "no name for the pseudo-terminal";
    return false;
  }
  slave_ = nazwa;
  slaveFd_ = ::open(slave_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slaveFd_ < 0) {
    blad = "cannot open " + slave_ + ": " + std::strerror(errno);
    return false;
  }
  // Raw bytes both ways until the driver sets the line up itself.
  termios t{};
  ::tcgetattr(slaveFd_, &t);
  ::cfmakeraw(&t);
  ::cfsetspeed(&t, B9600);
  ::tcsetattr(slaveFd_, TCSANOW, &t);
  // A link left behind by a simulator that was killed is replaced; any other file is not.
  struct stat st {};
  if (::lstat(dowiazanie.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) ::unlink(dowiazanie.c_str());
  if (::symlink(slave_.c_str(), dowiazanie.c_str()) != 0) {
    blad = "cannot create the link " + dowiazanie + ": " + std::strerror(errno);
    return false;
  }
  dowiazanie_ = dowiazanie;
  return true;
}

void LaczePty::Dzialaj(UrzadzenieLinii& linia, Dziennik& dziennik, uint32_t baud) {
  NadajnikPty wyjscie(master_, baud, dziennik);
  dziennik.Zdarzenie("pty", "serving " + slave_ + " as " + dowiazanie_);
  uint8_t bufor[512];
  while (!Zatrzymano()) {
    termios t{};
    if (::tcgetattr(master_, &t) == 0) linia.Predkosc(Baud(::cfgetospeed(&t)));
    pollfd p{master_, POLLIN, 0};
    const int n = ::poll(&p, 1, CzasOczekiwania(Wczesniejszy(linia.Termin(), wyjscie.Termin()), 50));
    const Zegar::time_point teraz = Zegar::now();
    if (n > 0 && (p.revents & POLLIN)) {
      const ssize_t ile = ::read(master_, bufor, sizeof bufor);
      if (ile > 0) linia.Odebrano(std::span<const uint8_t>(bufor, static_cast<size_t>(ile)), wyjscie, teraz);
    }
    // A late answer goes out when it is due, whoever holds the line by then.
    wyjscie.Wypchnij(Zegar::now());
    linia.Sprawdz(Zegar::now());
  }
}

}  // namespace sim
