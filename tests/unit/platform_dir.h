// A private platform directory for one test: KARVO_PLATFORM_DIR points at a
// fresh temporary directory, which is also the current directory (where the
// debug trace lands), and standard input is /dev/null so that nothing waits
// for a key when the tests run from a terminal.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

class KatalogTestowy : public ::testing::Test {
 protected:
  void SetUp() override {
    char wzor[] = "/tmp/karvo-bus-XXXXXX";
    ASSERT_NE(mkdtemp(wzor), nullptr);
    dir = wzor;
    poprzedni = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    setenv("KARVO_PLATFORM_DIR", dir.c_str(), 1);
    staryStdin = dup(STDIN_FILENO);
    const int pusty = open("/dev/null", O_RDONLY);
    dup2(pusty, STDIN_FILENO);
    close(pusty);
  }
  void TearDown() override {
    dup2(staryStdin, STDIN_FILENO);
    close(staryStdin);
    std::filesystem::current_path(poprzedni);
    unsetenv("KARVO_PLATFORM_DIR");
    std::filesystem::remove_all(dir);
  }

  static std::string Zawartosc(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }

  std::filesystem::path dir, poprzedni;
  int staryStdin = -1;
};

// Sends raw bytes to a socket on the bus, as a sender that does not keep to
// the datagram layout would.
inline void SurowyDatagram(const std::filesystem::path& sciezka, const void* bajty, std::size_t ile) {
  const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strcpy(a.sun_path, sciezka.c_str());
  EXPECT_EQ(sendto(fd, bajty, ile, 0, reinterpret_cast<sockaddr*>(&a), sizeof a), static_cast<ssize_t>(ile));
  close(fd);
}
