// Runs that end before their time or meet another run: a driver killed or
// signalled while it talks to the register, two drivers on one port or in one
// directory, and the log kept whole through all of it.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "harness.h"

namespace {

using namespace e2e;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string PRZERWANY = "\r\n#" + Opis(56, "rozkaz przerwany przez serwer") + "\r\n";
// The report names the port and the device behind it.
const std::string BEZ_PORTU = "\r\n#" + Opis(62, "nie mozna otworzyc portu lub polaczenia z kasa") + " (COM1: ";
// "Nie można otworzyć pliku z raportem.\n" in code page 852
const std::string BEZ_RAPORTU = "Nie mo\xbe" "na otworzy\x86 pliku z raportem.\n";

// Register 7 on a pseudo-terminal whose first answer to 0xFE never comes:
// the driver waits out its time-out of 1 s there, long enough to be signalled.
struct Stanowisko7 {
  explicit Stanowisko7(std::vector<std::string> usterki = {"0xFE,n=1:silent"})
      : sim(env.Katalog(), {.urzadzenia = {"vin-t.txt"}, .usterki = std::move(usterki)}) {
    env.PolaczZSymulatorem(sim, 7);
    env.Plik("WE.TXT", Srodowisko::Wejscie(7));
  }
  // A run of _ONrKasy that gets the signal while it waits for that answer.
  WynikKarvo Przerwany(int sygnal) {
    KarvoWTle karvo(env, 113, "WE.TXT", "WY.TXT");
    EXPECT_TRUE(CzekajNaRozkaz(sim, 0xFE));
    karvo.Sygnal(sygnal);
    return karvo.Koniec();
  }
  Stanowisko env;
  Symulator sim;
};

bool Zawiera(const std::string& tekst, const std::string& fragment) { return tekst.find(fragment) != std::string::npos; }

// The first run that the driver carries out as a user other than root: this
// process itself when it is not root, else setpriv to nobody. Empty (and a
// reason) when neither is possible here.
std::vector<std::string> UzytkownikInnyNizRoot(std::string& powod) {
  if (::geteuid() != 0) return {};
  for (const char* setpriv : {"/usr/bin/setpriv", "/bin/setpriv"})
    if (::access(setpriv, X_OK) == 0) return {setpriv, "--reuid=65534", "--regid=65534", "--clear-groups"};
  powod = "running as root without setpriv: no run as another user is possible here";
  return {};
}

// Everything in the directory open to every user, and the line too (the
// pseudo-terminal belongs to root).
void OtworzDlaWszystkich(const Stanowisko7& s) {
  ::chmod(s.env.Katalog().Sciezka().c_str(), 0777);
  for (const auto& wpis : fs::directory_iterator(s.env.Katalog().Sciezka()))
    if (wpis.is_regular_file()) ::chmod(wpis.path().c_str(), 0666);
  ::chmod(fs::read_symlink(s.sim.Dowiazanie()).c_str(), 0666);
}

// ---- signals ---------------------------------------------------------------

// Caught signals end the command as the Server's BREAK does, before the next
// request: the report and the log are written and the port is free again.
TEST(Sygnaly, EndTheCommandAsABreakWithReportLogAndAFreePort) {
  for (const int sygnal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(sygnal));
    Stanowisko7 s;
    ASSERT_TRUE(s.sim.Gotowy());
    const WynikKarvo w = s.Przerwany(sygnal);
    EXPECT_EQ(w.kodWyjscia, 0);
    EXPECT_TRUE(Zawiera(w.raport, PRZERWANY)) << w.raport;
    // Standard error says that a signal, not a Server, broke the command off.
    const std::string nazwa = sygnal == SIGINT ? "SIGINT (Ctrl-C)" : sygnal == SIGTERM ? "SIGTERM" : "SIGHUP (its terminal went away)";
    EXPECT_TRUE(Zawiera(w.konsola, "karvo: " + nazwa + " ended the command: ResultCode 56\n")) << w.konsola;
    SprawdzLog(w);
    EXPECT_EQ(IleRazy(s.sim.Dziennik(), 0xFE), 1) << "the retry was not sent";
    // The port was closed and its lock released.
    EXPECT_TRUE(Zawiera(s.env.Karvo(113, "WE.TXT", "WY.TXT").raport, "\r\n#" + DOBRZE + "\r\n"));
  }
}

// ---- the port after a killed run --------------------------------------------

// A run killed while the far side of the pseudo-terminal stays open leaves
// nothing on the device that keeps a later run (not root) out.
TEST(Port, AKilledRunLeavesThePortFreeForAnotherUser) {
  std::string powod;
  const std::vector<std::string> jakoInny = UzytkownikInnyNizRoot(powod);
  if (!powod.empty()) GTEST_SKIP() << powod;
  for (const int sygnal : {SIGKILL, SIGTERM}) {
    SCOPED_TRACE(strsignal(sygnal));
    Stanowisko7 s;
    ASSERT_TRUE(s.sim.Gotowy());
    s.Przerwany(sygnal);
    OtworzDlaWszystkich(s);
    const WynikKarvo w = s.env.KarvoPrzez(jakoInny, 113, "WE.TXT", "WY.TXT");
    EXPECT_TRUE(Zawiera(w.raport, "\r\n#" + DOBRZE + "\r\n")) << w.raport << w.konsola;
  }
}

// Two live drivers still keep each other off one port.
TEST(Port, TwoLiveDriversOnOnePortExcludeEachOther) {
  Stanowisko7 s;
  ASSERT_TRUE(s.sim.Gotowy());
  Stanowisko drugie;
  drugie.PolaczZSymulatorem(s.sim, 7);
  drugie.Plik("WE.TXT", Srodowisko::Wejscie(7));
  KarvoWTle karvo(s.env, 113, "WE.TXT", "WY.TXT");
  ASSERT_TRUE(CzekajNaRozkaz(s.sim, 0xFE));
  EXPECT_TRUE(Zawiera(drugie.Karvo(113, "WE.TXT", "WY.TXT").raport, BEZ_PORTU));
  karvo.Sygnal(SIGTERM);
  EXPECT_TRUE(Zawiera(karvo.Koniec().raport, PRZERWANY));
  EXPECT_TRUE(Zawiera(drugie.Karvo(113, "WE.TXT", "WY.TXT").raport, "\r\n#" + DOBRZE + "\r\n"));
}

// ---- the log ----------------------------------------------------------------

// The log is one of the driver's own files: named as the output or the input
// in any case or by any path, it is refused and its history stays.
TEST(Log, IsRefusedAsAnOutputOrInputName) {
  const std::string historia = "#wczesniej\r\n" + std::string(80, '-') + "\r\n";
  const struct {
    const char* wejscie;
    const char* wyjscie;
    int kod;
    bool istnieje;  // the log is already there
  } przypadki[] = {
      {"WE.TXT", "karvo.log", 4, true},   {"WE.TXT", "KARVO.LOG", 4, true}, {"WE.TXT", "./Karvo.Log", 4, true},
      {"WE.TXT", "KARVO.LOG", 4, false},  {"karvo.log", "WY.TXT", 2, true}, {"WE.TXT", "sub/../karvo.log", 4, true},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(std::string(p.wejscie) + " " + p.wyjscie);
    Stanowisko env;
    fs::create_directory(env.Sciezka("sub"));
    env.Konfig("$7\tCOM1:9600:MUX0:1\t1\tSymulator\r\n");
    env.Plik("WE.TXT", Srodowisko::Wejscie(7));
    if (p.istnieje) env.Plik("karvo.log", historia);
    const WynikKarvo w = env.Karvo(113, p.wejscie, p.wyjscie);
    EXPECT_TRUE(Zawiera(w.raport, "\r\n#" + std::to_string(p.kod) + "\t; nazwa pliku ")) << w.raport;
    EXPECT_EQ(w.log, (p.istnieje ? historia : "") + w.raport + std::string(80, '-') + "\r\n");
  }
}

// A second driver in the directory of a running one cannot open the shared
// files: it says on standard error which one and that it has no report, and the log gets
// nothing from it; the first run's report and log block stay whole.
TEST(Log, ASecondDriverInTheSameDirectoryAddsNothingToTheLog) {
  Stanowisko7 s;
  ASSERT_TRUE(s.sim.Gotowy());
  s.env.Plik("WE2.TXT", Srodowisko::Wejscie(7));
  KarvoWTle karvo(s.env, 113, "WE.TXT", "WY.TXT");
  ASSERT_TRUE(CzekajNaRozkaz(s.sim, 0xFE));
  const WynikKarvo drugi = s.env.Karvo(113, "WE2.TXT", "WY2.TXT");
  EXPECT_EQ(drugi.kodWyjscia, 0);
  // It names the file the first run holds, then says that it has no report.
  EXPECT_EQ(drugi.konsola,
            "karvo: the configuration KONFIG.TXT cannot be opened (another program has it open and does not share it): "
            "ResultCode 7\n" +
                BEZ_RAPORTU + "karvo: the run wrote no report: nothing was added to karvo.log\n");
  EXPECT_EQ(drugi.log, "");
  karvo.Sygnal(SIGTERM);
  const WynikKarvo w = karvo.Koniec();
  EXPECT_TRUE(Zawiera(w.raport, PRZERWANY)) << w.raport;
  SprawdzLog(w);
}

}  // namespace
