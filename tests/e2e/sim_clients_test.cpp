// The simulator's one client at a time: a client that has just left makes room
// for the next one, even when its last bytes and its end reach the simulator
// together with the next one's connection (a driver's runs one after another).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "harness.h"

namespace {

using namespace e2e;
using namespace std::chrono_literals;

int Polacz(const Symulator& sim) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(sim.Port());
  ::inet_pton(AF_INET, sim.Host().c_str(), &a.sin_addr);
  EXPECT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a), 0);
  return fd;
}

TEST(JedenKlient, AClientThatLeftWithItsLastBytesMakesRoomForTheNext) {
  for (const Lacze lacze : {Lacze::ModulTcp, Lacze::Rfc2217}) {
    KatalogTymczasowy katalog;
    Symulator sim(katalog, {.urzadzenia = {"vin-t.txt"}, .lacze = lacze});
    ASSERT_TRUE(sim.Gotowy());
    // Held still, the simulator finds the first client's bytes, its end and
    // the second client's connection all waiting at once.
    ::kill(sim.Pid(), SIGSTOP);
    const int pierwszy = Polacz(sim);
    const char bajty[] = "xyz";
    ASSERT_EQ(::send(pierwszy, bajty, 3, 0), 3);
    ::close(pierwszy);
    const int drugi = Polacz(sim);
    ::kill(sim.Pid(), SIGCONT);
    std::this_thread::sleep_for(300ms);
    pollfd p{drugi, POLLIN, 0};
    char b = 0;
    // Served: nothing to read and no end; turned away: the end at once.
    const bool odeslany = ::poll(&p, 1, 200) == 1 && ::recv(drugi, &b, 1, MSG_DONTWAIT) == 0;
    EXPECT_FALSE(odeslany);
    ::close(drugi);
    sim.Zatrzymaj();
    EXPECT_EQ(sim.Dziennik().find("second client turned away"), std::string::npos) << sim.Dziennik();
  }
}

}  // namespace
