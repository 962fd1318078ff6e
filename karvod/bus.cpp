#include "karvod/bus.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

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

void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

uint32_t Get32(const unsigned char* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

}  // namespace

std::string RunBus::Encode(const BusMessage& m) {
  std::string s;
  Put32(s, m.Number);
  Put32(s, m.Driver);
  const uint32_t value = m.Value > 0xFFFFFF ? 0xFFFFFF : m.Value;
  Put32(s, value << 8 | static_cast<unsigned char>(m.Letter));
  return s;
}

bool RunBus::Decode(const unsigned char* b, std::size_t n, BusMessage& m) {
  if (n != 12) return false;
  m.Number = Get32(b);
  m.Driver = Get32(b + 4);
  const uint32_t l = Get32(b + 8);
  m.Letter = static_cast<char>(l & 0xFF);
  m.Value = l >> 8;
  return true;
}

bool RunBus::Open(const std::string& dir, uint32_t number, std::string& error) {
  Close();
  dir_ = dir + "/bus/" + std::to_string(number);
  path_ = dir_ + "/s" + std::to_string(getpid());
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
  if (!Address(dir_ + "/d" + std::to_string(driverPid), a, len)) return false;
  const std::string bytes = Encode({number_, driverId, letter, value});
  for (;;) {
    if (sendto(fd_, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&a), len) ==
        static_cast<ssize_t>(bytes.size()))
      return true;
    if (errno != EINTR) return false;
  }
}

}  // namespace karvod
