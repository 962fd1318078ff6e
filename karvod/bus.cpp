#include "karvod/bus.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "karvo_bus.h"
#include "karvod/util.h"

namespace karvod {

namespace {

bool Address(const std::string& path, sockaddr_un& a, socklen_t& len) {
  if (path.size() >= sizeof a.sun_path) return false;
  std::memset(&a, 0, sizeof a);
  a.sun_family = AF_UNIX;
  std::memcpy(a.sun_path, path.data(), path.size());
  len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
  return true;
}

}  // namespace

std::string RunBus::Encode(const BusMessage& m) {
  uint8_t b[karvo::bus::DatagramLength];
  karvo::bus::Encode({m.Number, m.Driver, karvo::bus::Param(m.Letter, m.Value)}, b);
  return std::string(reinterpret_cast<const char*>(b), sizeof b);
}

bool RunBus::Decode(const unsigned char* b, std::size_t n, BusMessage& m) {
  karvo::bus::Message d;
  if (!karvo::bus::Decode(b, n, d)) return false;
  m = {d.Number, d.WParam, karvo::bus::Letter(d.LParam), karvo::bus::Value(d.LParam)};
  return true;
}

bool RunBus::Open(const std::string& dir, uint32_t number, std::string& error) {
  Close();
  dir_ = dir + "/" + karvo::bus::Directory + "/" + std::to_string(number);
  path_ = dir_ + "/" + karvo::bus::ServerPrefix + std::to_string(getpid());
  sockaddr_un a;
  socklen_t len;
  if (!Address(path_, a, len)) {
    error = "the run's directory lies too deep for a socket: " + path_;
    return false;
  }
  if (!MakeDirs(dir_, 0700)) {
    error = "cannot make " + dir_;
    return false;
  }
  fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&a), len) != 0) {
    error = "cannot bind " + path_ + ": " + std::strerror(errno);
    Close();
    return false;
  }
  number_ = number;
  return true;
}

void RunBus::Close() {
  if (fd_ >= 0) {
    close(fd_);
    unlink(path_.c_str());
  }
  fd_ = -1;
}

bool RunBus::Receive(BusMessage& m) {
  if (fd_ < 0) return false;
  for (;;) {
    unsigned char b[64];
    const ssize_t n = recv(fd_, b, sizeof b, MSG_DONTWAIT | MSG_TRUNC);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (Decode(b, static_cast<std::size_t>(n), m) && m.Number == number_) return true;
  }
}

bool RunBus::Send(long driverPid, uint32_t driverId, char letter, uint32_t value) {
  if (fd_ < 0) return false;
  sockaddr_un a;
  socklen_t len;
  if (!Address(dir_ + "/" + karvo::bus::DriverPrefix + std::to_string(driverPid), a, len)) return false;
  const std::string bytes = Encode({number_, driverId, letter, value});
  for (;;) {
    if (sendto(fd_, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&a), len) ==
        static_cast<ssize_t>(bytes.size()))
      return true;
    if (errno != EINTR) return false;
  }
}

}  // namespace karvod
