// The byte primitives of the line modes, over the line table's serial seam.
#include <gtest/gtest.h>

#include "link_fakes.h"
#include "protocol/line.h"
#include "protocol/line_modes.h"
#include "state/session_state.h"

namespace {

class Lacze : public ::testing::Test {
 protected:
  void SetUp() override {
    ZerowanieDanychSesji();
    WybranieTrybuLacza(0);
  }
  testy::PortTestowy port;
};

TEST_F(Lacze, DirectWriteSetsAndClearsTheByteErrorFlag) {
  WyslanieBajtu(0x1B);
  EXPECT_EQ(Sesja.Wymiana.BladBajtu, 0);
  port.ZapisUdany = false;
  WyslanieBajtu(0x35);
  EXPECT_EQ(Sesja.Wymiana.BladBajtu, 1);
  port.ZapisUdany = true;
  WyslanieBajtu(0x36);
  EXPECT_EQ(Sesja.Wymiana.BladBajtu, 0);
  EXPECT_EQ(port.Zapisane, (testy::Bajty{0x1B, 0x36}));
  EXPECT_EQ(Sesja.BiezacyWynik, 0);  // the engine turns the flag into its ResultCode
}

TEST_F(Lacze, DirectReadCountsBytesAndFailsWith21) {
  port.Wejscie.assign({0x06, 0xFF});
  EXPECT_EQ(OdebranieBajtu(), 0x06);
  EXPECT_EQ(OdebranieBajtu(), 0xFF);
  EXPECT_EQ(Sesja.Wymiana.LicznikOdebranychBajtow, 2u);
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  OdebranieBajtu();
  EXPECT_EQ(Sesja.BiezacyWynik, 21);
  EXPECT_EQ(Sesja.Wymiana.BladBajtu, 1);
  EXPECT_EQ(Sesja.Wymiana.LicznikOdebranychBajtow, 2u);
}

TEST_F(Lacze, ModesAndWhatEachDoesBeforeARequest) {
  const struct { uint8_t rodzaj, bezRamek; bool ramkowy; int czyszczenia; } przypadki[] = {
      {0, 0, false, 1}, {1, 0, false, 1}, {2, 0, true, 1}, {3, 0, false, 1},
      {4, 0, false, 1}, {5, 0, true, 0},  {2, 1, false, 1}, {5, 1, false, 1},
  };
  for (const auto& p : przypadki) {
    WybranieTrybuLacza(p.rodzaj);
    Sesja.Ramki.BezRamek = p.bezRamek;
    Sesja.Wymiana.LicznikOdebranychBajtow = 7;
    port.Czyszczenia = 0;
    EXPECT_EQ(TrybRamkowy(), p.ramkowy) << int(p.rodzaj);
    CzyszczenieLacza();
    EXPECT_EQ(Sesja.Wymiana.LicznikOdebranychBajtow, 0u);
    EXPECT_EQ(port.Czyszczenia, p.czyszczenia) << int(p.rodzaj);
  }
}

TEST_F(Lacze, FramedModesSendNoSingleBytes) {
  for (uint8_t rodzaj : {2, 5}) {
    WybranieTrybuLacza(rodzaj);
    port.ZapisUdany = false;
    Sesja.Wymiana.BladBajtu = 0;
    WyslanieBajtu(0x1B);
    EXPECT_EQ(Sesja.Wymiana.BladBajtu, 0);
    port.WynikWyslania = 0;
    EXPECT_TRUE(WyslanoWszystko());
    EXPECT_EQ(OdebranieBajtu(), 0);  // no answer frame yet
    EXPECT_EQ(Sesja.BiezacyWynik, 45);
    Sesja.BiezacyWynik = 0;
  }
  EXPECT_TRUE(port.Zapisane.empty());
}

TEST_F(Lacze, DirectModeAsksThePortWhetherAllWasSent) {
  port.WynikWyslania = 1;
  EXPECT_TRUE(WyslanoWszystko());
  port.WynikWyslania = 0;
  EXPECT_FALSE(WyslanoWszystko());
}

TEST_F(Lacze, CarrierComesFromTheSerialLineExceptOverTcp) {
  port.Nosna = false;
  WybranieTrybuLacza(2);
  EXPECT_FALSE(JestNosna());
  WybranieTrybuLacza(5);
  EXPECT_TRUE(JestNosna());
  port.Nosna = true;
  WybranieTrybuLacza(2);
  EXPECT_TRUE(JestNosna());
}

}  // namespace
