// Interoperability with a third-party RFC 2217 port server: ser2net publishing
// a pseudo-terminal. Skipped where ser2net is not installed.
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "include/karvo.h"
#include "platform/comm_termios2.h"
#include "serial_test_support.h"

extern char** environ;
using namespace std::chrono_literals;

namespace {

std::string ProgramSer2net() {
  for (const char* sciezka : {"/usr/sbin/ser2net", "/usr/bin/ser2net", "/usr/local/sbin/ser2net", "/usr/local/bin/ser2net"})
    if (access(sciezka, X_OK) == 0) return sciezka;
  return {};
}

uint16_t WolnyPort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t d = sizeof a;
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &d);
  close(s);
  return ntohs(a.sin_port);
}

bool Nasluchuje(uint16_t port) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  const bool tak = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(s);
  return tak;
}

}  // namespace

class Ser2net : public TestPortow {
 protected:
  void SetUp() override {
    TestPortow::SetUp();
    program_ = ProgramSer2net();
    if (program_.empty()) GTEST_SKIP() << "ser2net is not installed (scripts/setup.sh installs it)";
    ASSERT_GE(pty_.urzadzenie, 0);
    for (int proba = 0; proba < 3 && port_ == 0; ++proba) Uruchom(WolnyPort());
    ASSERT_NE(port_, 0) << "ser2net did not start";
    MapaPortow({"COM1\trfc2217://127.0.0.1:" + std::to_string(port_)});
  }

  void TearDown() override {
    UnInitializePort();
    Zatrzymaj();
    TestPortow::TearDown();
  }

  void Uruchom(uint16_t port) {
    const std::string konfiguracja = katalog_ + "/ser2net.yaml";
    std::ofstream(konfiguracja) << "%YAML 1.1\n---\nconnection: &port1\n"
                                << "  accepter: telnet(rfc2217),tcp,127.0.0.1," << port << "\n"
                                << "  connector: serialdev," << pty_.nazwa << ",9600n81,local\n";
    const std::string dziennik = katalog_ + "/ser2net.log";
    posix_spawn_file_actions_t akcje;
    posix_spawn_file_actions_init(&akcje);
    posix_spawn_file_actions_addopen(&akcje, 1, dziennik.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&akcje, 1, 2);
    std::vector<std::string> argumenty = {program_, "-n", "-d", "-u", "-c", konfiguracja};
    std::vector<char*> argv;
    for (auto& a : argumenty) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int wynik = posix_spawn(&pid_, program_.c_str(), &akcje, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&akcje);
    if (wynik != 0) {
      pid_ = -1;
      return;
    }
    for (int i = 0; i < 150; ++i) {
      if (Nasluchuje(port)) {
        port_ = port;
        return;
      }
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) break;
      std::this_thread::sleep_for(20ms);
    }
    Zatrzymaj();
  }

  void Zatrzymaj() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 100; ++i) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return;
      }
      std::this_thread::sleep_for(20ms);
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  std::string program_;
  ParaPty pty_;
  pid_t pid_ = -1;
  uint16_t port_ = 0;
};

TEST_F(Ser2net, CarriesBytesBothWaysAndAppliesSpeedChanges) {
  ASSERT_EQ(InitializePort(1, 9600, 2, 2), 0) << PobierzBlad().komunikat;
  const std::vector<uint8_t> wyslane = {0x1B, 0x01, 0xFF, 0x0D, 0x0A, 0x00, 0xFF, 0x7F, 0x80};
  for (uint8_t b : wyslane) ASSERT_EQ(WriteByte(b), 1);
  EXPECT_EQ(pty_.Czytaj(wyslane.size()), wyslane);

  const std::vector<uint8_t> odpowiedz = {0x06, 0xFF, 0xFF, 0x0D, 0x00, 0x42};
  pty_.Pisz(odpowiedz);
  for (uint8_t oczekiwany : odpowiedz) {
    uint8_t b = 0;
    ASSERT_EQ(ReadByte(&b), 1);
    EXPECT_EQ(b, oczekiwany);
  }

  for (uint32_t predkosc : {19200u, 115200u, 2400u}) {
    EXPECT_EQ(ChangeSpeedWinseria(predkosc), 1);
    EXPECT_EQ(platforma::PredkoscTermios2(pty_.urzadzenie), predkosc);
  }
  EXPECT_EQ(ClearPort(), 0);
  EXPECT_EQ(CharSent(), 1);
  EXPECT_FALSE(PobierzBlad().jest);
}

// After the first purge the later ones are not awaited: the server must still
// mark the end of the old input before each answer, request after request.
TEST_F(Ser2net, EveryAnswerArrivesWholeAfterPurgesThatAreNotAwaited) {
  ASSERT_EQ(InitializePort(1, 115200, 2, 2), 0) << PobierzBlad().komunikat;
  EXPECT_EQ(ClearPort(), 0);
  for (uint8_t runda = 0; runda < 20; ++runda) {
    SCOPED_TRACE(int(runda));
    if (runda % 4 == 1) {
      pty_.Pisz({0x55, 0x66});  // stale bytes from the register, to be let go
      std::this_thread::sleep_for(20ms);
    }
    ASSERT_EQ(ClearPort(), 0);
    ASSERT_EQ(WriteByte(runda), 1);
    ASSERT_EQ(pty_.Czytaj(1), std::vector<uint8_t>{runda});
    pty_.Pisz({0x06, runda});
    uint8_t b = 0;
    ASSERT_EQ(ReadByte(&b), 1);
    EXPECT_EQ(b, 0x06);
    ASSERT_EQ(ReadByte(&b), 1);
    EXPECT_EQ(b, runda);
  }
  EXPECT_FALSE(PobierzBlad().jest);
}
