// A sales readout killed (SIGKILL) at random moments never leaves a broken
// file: every line in it is whole, and each run's lines are the first lines
// of the full readout, in order, nothing doubled within a run or skipped.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"

using namespace e2e;
using namespace std::chrono_literals;

namespace {

#ifdef KARVO_SIM_DAY_BINARY

// karvo /K31 started in the environment's directory, not waited for.
pid_t StartKarvo(const Srodowisko& env) {
  const std::string katalog = env.Katalog().Sciezka(), zmienna = "KARVO_PLATFORM_DIR=" + katalog;
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  const int nic = ::open("/dev/null", O_RDWR);
  ::dup2(nic, 0);
  ::dup2(nic, 1);
  ::dup2(nic, 2);
  if (::chdir(katalog.c_str()) != 0) ::_exit(126);
  ::putenv(const_cast<char*>(zmienna.c_str()));
  ::execl(KARVO_BINARY, KARVO_BINARY, "/K31", "/FWE.TXT", "/WWY.TXT", static_cast<char*>(nullptr));
  ::_exit(127);
}

// The file as blocks: each run's three header lines and the data lines after them.
std::vector<std::vector<std::string>> Bloki(const std::string& tekst) {
  std::vector<std::vector<std::string>> bloki;
  size_t naglowki = 0;
  for (size_t p = 0; p < tekst.size();) {
    const size_t k = tekst.find("\r\n", p);
    if (k == std::string::npos) {
      ADD_FAILURE() << "a line without its terminator at byte " << p;
      break;
    }
    const std::string linia = tekst.substr(p, k - p);
    p = k + 2;
    if (!linia.empty() && linia[0] == '#') {
      if (naglowki++ % 3 == 0) bloki.emplace_back();
      continue;
    }
    EXPECT_TRUE(!linia.empty() && linia[0] == '$') << linia;
    EXPECT_FALSE(bloki.empty());
    if (!bloki.empty()) bloki.back().push_back(linia);
  }
  return bloki;
}

TEST(Przerwanie, AReadoutKilledAtRandomLeavesWholeLinesInOrder) {
  Stanowisko env;
  std::string konsola;
  ASSERT_EQ(Uruchom({KARVO_SIM_DAY_BINARY, Urzadzenie("typ-0x24.txt"), env.Sciezka("dzien.txt"), "--goods", "600",
                     "--records", "0"},
                    "", {}, 10s, konsola),
            0)
      << konsola;
  env.Plik("WE.TXT", Srodowisko::Wejscie(3));

  // The full readout, unpaced.
  std::vector<std::string> wszystkie;
  {
    Symulator sim(env.Katalog(), {.urzadzenia = {env.Sciezka("dzien.txt")}});
    ASSERT_TRUE(sim.Gotowy());
    env.PolaczZSymulatorem(sim, 3);
    const WynikKarvo w = env.Karvo(31, "WE.TXT", "PELNY.TXT");
    const auto bloki = Bloki(w.wyjscie);
    ASSERT_EQ(bloki.size(), 1u);
    wszystkie = bloki[0];
    ASSERT_EQ(wszystkie.size(), 600u);
  }

  // About two seconds at 38400 bit/s; killed at random moments within them.
  Symulator sim(env.Katalog(), {.urzadzenia = {env.Sciezka("dzien.txt")}, .baud = 38400, .nazwaLacza = "COM1b.link"});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 3);
  std::mt19937 los(std::random_device{}());
  size_t przerwane = 0, bloki = 0;
  for (int i = 0; i < 4; ++i) {
    // A moment in the i-th quarter of 400 to 1800 ms: after the session has opened, before the end.
    const auto chwila = std::chrono::milliseconds(400 + 350 * i + los() % 350);
    const pid_t pid = StartKarvo(env);
    std::this_thread::sleep_for(chwila);
    przerwane += ::kill(pid, SIGKILL) == 0;
    ::waitpid(pid, nullptr, 0);
    const auto plik = Bloki(CzytajPlik(env.Sciezka("WY.TXT")));
    ASSERT_LE(plik.size(), static_cast<size_t>(i + 1)) << "killed after " << chwila.count() << " ms";
    bloki = plik.size();
    for (const auto& blok : plik) {
      ASSERT_LE(blok.size(), wszystkie.size());
      EXPECT_TRUE(std::equal(blok.begin(), blok.end(), wszystkie.begin())) << "killed after " << chwila.count() << " ms";
    }
  }
  EXPECT_EQ(przerwane, 4u);
  EXPECT_GE(bloki, 1u);
}

#endif

}  // namespace
