// The real karvo against the simulator: the harness from end to end.
#include <gtest/gtest.h>

#include "harness.h"

using namespace e2e;

TEST(Harness, RunsTheRealDriverInItsOwnDirectory) {
  Srodowisko env;
  const WynikKarvo w = env.Karvo(0, "", "", std::chrono::seconds(10));
  EXPECT_FALSE(w.przekroczonyCzas);
  EXPECT_EQ(w.kodWyjscia, 1);  // no usable CommandCode
  std::string konsola;
  EXPECT_EQ(Uruchom({KARVO_BINARY, "/V"}, env.Katalog().Sciezka(), {}, std::chrono::seconds(10), konsola), 0);
  EXPECT_NE(konsola.find("WIN 8.55"), std::string::npos) << konsola;
}

TEST(Harness, WritesTheDriversFilesForTheSimulatorsLink) {
  Srodowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"vin-t.txt"}});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 7, "COM3:19200:MUX0:1", 2);
  EXPECT_EQ(CzytajPlik(env.Sciezka("KONFIG.TXT")), "$7\tCOM3:19200:MUX0:1\t2\tSymulator\r\n");
  EXPECT_EQ(CzytajPlik(env.Sciezka("ports.conf")), "COM3\t" + sim.Dowiazanie() + "\n");
  EXPECT_EQ(Srodowisko::Wejscie(7, {"1\t2"}), "#7\r\n#\r\n#\r\n$1\t2\r\n");
}

// _ONrKasy reads the register's number into the output file. Until the
// driver carries the command out it writes no report, and the test waits.
TEST(Driver, ReadsTheRegisterNumber) {
  Srodowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"vin-t.txt"}});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 7);
  env.Plik("WE.TXT", Srodowisko::Wejscie(7));
  const WynikKarvo w = env.Karvo(113, "WE.TXT", "WY.TXT");
  EXPECT_FALSE(w.przekroczonyCzas);
  if (w.raport.empty()) GTEST_SKIP() << "the driver does not carry out _ONrKasy yet";
  EXPECT_NE(w.raport.find("\r\n#0\t; program zakonczony bezblednie\r\n"), std::string::npos) << w.raport;
  EXPECT_NE(w.wyjscie.find("\r\n$07\r\n"), std::string::npos) << w.wyjscie;
  EXPECT_NE(w.log.find(w.raport), std::string::npos);
  sim.Zatrzymaj();
  EXPECT_NE(sim.Dziennik().find("0xC0 register number"), std::string::npos);
}
