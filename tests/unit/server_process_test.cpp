// A driver in another process under the real karvo-server: the Server sees
// AVAILABLE, LINES, OUTLINES and COUNTER, and suspends, resumes and breaks it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "link_fakes.h"
#include "protocol/line.h"
#include "protocol/server_commands.h"
#include "state/result_codes.h"
#include "state/server_channel.h"
#include "state/session_state.h"
#include "tests/unit/platform_dir.h"

#ifdef KARVO_SERVER_BINARY

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr int32_t N = 49500;

struct Wiadomosc {
  long Identyfikator = 0;
  char Litera = 0;
  unsigned long Wartosc = 0;
};

// What the driver does in its own process: greet, read four input lines and
// write two output lines, then send requests until the Server breaks it.
[[noreturn]] void ProgramSterownika() {
  const int pusty = open("/dev/null", O_WRONLY);
  dup2(pusty, STDOUT_FILENO);  // the notices' console copy
  ZerowanieDanychSesji();
  std::strcpy(Sesja.NazwyPlikowSesji[NazwaFunkcji], "OTowar");
  Sesja.NumerKomunikatu = N;
  Sesja.ZapisKomunikatow = 1;
  Sesja.OkresLinii = 2;
  Sesja.OkresLiniiWyjscia = 2;
  Sesja.OkresLicznika = 3;
  // The register's line goes to a module over TCP, so that SUSPEND has a
  // line to close and RESUME one to reopen.
  static testy::ModulTcp modul({}, false, 2);
  Sesja.Lacze.RodzajLacza = 5;
  std::strcpy(Sesja.Lacze.AdresModulu, "127.0.0.1");
  Sesja.Lacze.PortModulu = modul.Port();
  Sesja.Lacze.CzasOczekiwaniaRamki = 1;
  OtwarcieLacza();
  if (!LaczeOtwarte()) _exit(100);
  PowitanieSerwera();
  for (int i = 0; i < 4; ++i) PowiadomienieOkresowe('L', ++Sesja.LicznikLiniiWejscia, Sesja.OkresLinii);
  for (int i = 0; i < 2; ++i) PowiadomienieOkresowe('O', ++Sesja.LicznikLiniiWyjscia, Sesja.OkresLiniiWyjscia);
  for (int i = 0; i < 4000; ++i) {
    ObslugaSerweraPrzedRozkazem();
    if (!BrakBledu()) break;
    std::this_thread::sleep_for(5ms);  // the request itself
    ZliczenieRozkazu();
  }
  ZamkniecieKanaluSerwera();
  // SUSPEND closed the line once and RESUME opened it again: else 101.
  for (int i = 0; i < 300 && modul.Polaczenia() < 2; ++i) std::this_thread::sleep_for(10ms);
  if (!LaczeOtwarte() || modul.Polaczenia() != 2 || modul.Rozlaczenia() != 1) _exit(101);
  _exit(Sesja.BiezacyWynik);
}

bool CzekanieNaProces(pid_t pid, int& status, std::chrono::milliseconds czas) {
  const auto koniec = std::chrono::steady_clock::now() + czas;
  while (std::chrono::steady_clock::now() < koniec) {
    if (waitpid(pid, &status, WNOHANG) == pid) return true;
    std::this_thread::sleep_for(5ms);
  }
  return false;
}

class SerwerNaMagistrali : public KatalogTestowy {
 protected:
  void TearDown() override {
    for (pid_t* pid : {&sterownik, &sluchacz}) {
      if (*pid <= 0) continue;
      kill(*pid, SIGKILL);
      int status;
      waitpid(*pid, &status, 0);
    }
    if (rura >= 0) close(rura);
    KatalogTestowy::TearDown();
  }

  fs::path Bus() const { return dir / "bus" / std::to_string(N); }

  void StartSluchacza(const char* limit = "0") {
    int p[2];
    ASSERT_EQ(pipe(p), 0);
    sluchacz = fork();
    ASSERT_GE(sluchacz, 0);
    if (sluchacz == 0) {
      dup2(p[1], STDOUT_FILENO);
      close(p[0]);
      const std::string numer = std::to_string(N);
      if (std::strcmp(limit, "0") == 0)
        execl(KARVO_SERVER_BINARY, "karvo-server", "listen", numer.c_str(), "-t", "60", nullptr);
      else
        execl(KARVO_SERVER_BINARY, "karvo-server", "listen", numer.c_str(), "-n", limit, "-t", "60", nullptr);
      _exit(127);
    }
    close(p[1]);
    rura = p[0];
    const fs::path gniazdo = Bus() / ("s" + std::to_string(sluchacz));
    for (int i = 0; i < 500 && !fs::is_socket(gniazdo); ++i) std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(fs::is_socket(gniazdo)) << "karvo-server did not come up";
  }

  // The next line that the listener printed, within the time.
  bool Linia(std::string& linia, std::chrono::milliseconds czas = 5000ms) {
    const auto koniec = std::chrono::steady_clock::now() + czas;
    for (;;) {
      const auto nl = bufor.find('\n');
      if (nl != std::string::npos) {
        linia = bufor.substr(0, nl);
        bufor.erase(0, nl + 1);
        return true;
      }
      const auto zostalo =
          std::chrono::duration_cast<std::chrono::milliseconds>(koniec - std::chrono::steady_clock::now());
      if (zostalo <= 0ms) return false;
      pollfd p{rura, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(zostalo.count())) <= 0) continue;
      char kawalek[256];
      const ssize_t n = read(rura, kawalek, sizeof kawalek);
      if (n <= 0) return false;
      bufor.append(kawalek, static_cast<std::size_t>(n));
    }
  }

  // The next message of the driver with this letter; others are passed over.
  bool Oczekiwanie(char litera, Wiadomosc& w) {
    std::string linia;
    while (Linia(linia)) {
      if (std::sscanf(linia.c_str(), "%ld %c %lu", &w.Identyfikator, &w.Litera, &w.Wartosc) != 3) continue;
      if (w.Identyfikator == sterownik && w.Litera == litera) return true;
    }
    return false;
  }

  int Wyslanie(const std::string& argumenty) {
    const std::string polecenie = std::string(KARVO_SERVER_BINARY) + " send " + argumenty + " 2>/dev/null";
    const int status = std::system(polecenie.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  int Rozkaz(char litera) { return Wyslanie(std::to_string(N) + " " + std::to_string(sterownik) + " " + litera); }

  pid_t sluchacz = -1, sterownik = -1;
  int rura = -1;
  std::string bufor;
};

}  // namespace

TEST_F(SerwerNaMagistrali, WatchesSuspendsResumesAndBreaksADriverInAnotherProcess) {
  StartSluchacza();
  sterownik = fork();
  ASSERT_GE(sterownik, 0);
  if (sterownik == 0) ProgramSterownika();

  // The progress messages, in the order the driver sent them.
  std::string linia;
  const char* oczekiwane[] = {"A 0", "L 2", "L 4", "O 2", "C 3"};
  for (const char* o : oczekiwane) {
    ASSERT_TRUE(Linia(linia)) << "waiting for " << o;
    EXPECT_EQ(linia, std::to_string(sterownik) + " " + o);
  }

  Wiadomosc w;
  ASSERT_EQ(Rozkaz('s'), 0);
  ASSERT_TRUE(Oczekiwanie('S', w));
  ASSERT_EQ(Rozkaz('c'), 0);
  ASSERT_TRUE(Oczekiwanie('C', w));
  const unsigned long wstrzymanyPrzy = w.Wartosc;
  std::this_thread::sleep_for(200ms);
  ASSERT_EQ(Rozkaz('c'), 0);
  ASSERT_TRUE(Oczekiwanie('C', w));
  EXPECT_EQ(w.Wartosc, wstrzymanyPrzy) << "no request while suspended";
  const struct {
    char rozkaz, odpowiedz;
    unsigned long wartosc;
  } podczasWstrzymania[] = {{'a', 'A', 0}, {'l', 'L', 4}, {'o', 'O', 2}};
  for (const auto& p : podczasWstrzymania) {
    ASSERT_EQ(Rozkaz(p.rozkaz), 0);
    ASSERT_TRUE(Oczekiwanie(p.odpowiedz, w)) << p.rozkaz;
    EXPECT_EQ(w.Wartosc, p.wartosc) << p.rozkaz;
  }

  ASSERT_EQ(Rozkaz('r'), 0);
  ASSERT_TRUE(Oczekiwanie('R', w));
  ASSERT_TRUE(Oczekiwanie('C', w)) << "counting again after RESUME";
  EXPECT_GT(w.Wartosc, wstrzymanyPrzy);

  ASSERT_EQ(Rozkaz('b'), 0);
  ASSERT_TRUE(Oczekiwanie('B', w));
  int status = 0;
  ASSERT_TRUE(CzekanieNaProces(sterownik, status, 5000ms));
  const pid_t byly = sterownik;
  sterownik = -1;
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 56);
  EXPECT_FALSE(fs::exists(Bus() / ("d" + std::to_string(byly)))) << "the driver's endpoint is gone";

  const std::string slad = Zawartosc(dir / "debug.txt");
  const std::string przedrostek = "***DEBUG*###DRIVER: OTowar, PID=" + std::to_string(byly);
  for (const char* zakonczenie :
       {" poslal komunikat AVAILABLE do Serwera ###\n", " poslal komunikat LINES do Serwera ###\n",
        " poslal komunikat OUTLINES do Serwera ###\n", " poslal komunikat COUNTER do Serwera ###\n",
        " wykonal rozkaz SUSPEND Serwera ###\n", " wykonal rozkaz RESUME Serwera ###\n",
        " wykonal rozkaz BREAK Serwera ###\n"})
    EXPECT_NE(slad.find(przedrostek + zakonczenie + "\n\n\n"), std::string::npos) << zakonczenie;

  // The Server leaves the bus cleanly when it is told to stop.
  kill(sluchacz, SIGTERM);
  ASSERT_TRUE(CzekanieNaProces(sluchacz, status, 5000ms));
  const pid_t serwer = sluchacz;
  sluchacz = -1;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_FALSE(fs::exists(Bus() / ("s" + std::to_string(serwer))));
}

TEST_F(SerwerNaMagistrali, ToolPrintsMessagesAndReportsWhoTookACommand) {
  EXPECT_EQ(Wyslanie(std::to_string(N) + " 7 a"), 3) << "nobody on the bus";
  const char* zle[] = {"", "0 7 a", "x 7 a", "1 7", "1 7 ab", "1 x a", "1 7 a 5 6", "1 7 a -1"};
  for (const char* argumenty : zle) EXPECT_EQ(Wyslanie(argumenty), 2) << argumenty;

  StartSluchacza("3");
  EXPECT_EQ(Wyslanie(std::to_string(N) + " 7 A"), 0);
  EXPECT_EQ(Wyslanie(std::to_string(N) + " -3 C 99999999"), 0);
  EXPECT_EQ(Wyslanie(std::to_string(N) + " 12 '~' 5"), 0);  // quoted: the shell would expand it
  std::string linia;
  for (const char* o : {"7 A 0", "-3 C 16777215", "12 ~ 5"}) {
    ASSERT_TRUE(Linia(linia));
    EXPECT_EQ(linia, o);
  }
  int status = 0;
  ASSERT_TRUE(CzekanieNaProces(sluchacz, status, 5000ms)) << "ends after -n messages";
  sluchacz = -1;
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

#endif  // KARVO_SERVER_BINARY
