// The ready-made registers stay as they are: a run that changes a register
// writes back only into a copy, unless --write-back asks for it.
#include <filesystem>

#include <gtest/gtest.h>

#include "harness.h"
#include "register_client.h"

using namespace e2e;

namespace {

struct Przypadek {
  const char* nazwa;
  const char* folder;  // where the state file lies, under the temporary directory
  std::vector<std::string> opcje;
  bool zapisany;
};

void PrintTo(const Przypadek& p, std::ostream* os) { *os << p.nazwa; }

class GotowaKasa : public testing::TestWithParam<Przypadek> {};

TEST_P(GotowaKasa, IsWrittenBackOnlyWhereItMay) {
  const Przypadek& p = GetParam();
  KatalogTymczasowy katalog;
  std::filesystem::create_directories(katalog / p.folder);
  const std::string stan = katalog / p.folder + "/vin-t.txt";
  const std::string przed = CzytajPlik(Urzadzenie("vin-t.txt"));
  ZapiszPlik(stan, przed);
  std::vector<std::string> dodatkowe = {"--state", stan};
  dodatkowe.insert(dodatkowe.end(), p.opcje.begin(), p.opcje.end());
  Symulator sim(katalog, {.dodatkowe = dodatkowe});
  ASSERT_TRUE(sim.Gotowy());
  {
    StrumienPty klient;
    ASSERT_TRUE(klient.Otworz(sim.Dowiazanie()));
    EXPECT_EQ(Rozkaz(klient, 0x43, 1, {'4', '2'}).pierwsza, Bajty{0x06});
    // The number read back: the register has taken the new one before it is stopped.
    EXPECT_EQ(Rozkaz(klient, 0xC0, 3).pierwsza, (Bajty{0x06, '4', '2'}));
  }
  EXPECT_EQ(sim.Zatrzymaj(), 0);
  const std::string po = CzytajPlik(stan);
  EXPECT_EQ(po != przed, p.zapisany);
  EXPECT_EQ(po.find("$numer\t42") != std::string::npos, p.zapisany);
  EXPECT_EQ(sim.Bledy().find("--write-back") != std::string::npos, !p.zapisany) << sim.Bledy();
}

INSTANTIATE_TEST_SUITE_P(
    Stany, GotowaKasa,
    testing::Values(Przypadek{"SourceTree", "karvo/sim/devices", {}, false},
                    Przypadek{"Installed", "usr/share/karvo/devices", {}, false},
                    Przypadek{"Asked", "karvo/sim/devices", {"--write-back"}, true},
                    Przypadek{"ACopy", "work/devices", {}, true}),
    [](const testing::TestParamInfo<Przypadek>& i) { return std::string(i.param.nazwa); });

}  // namespace
