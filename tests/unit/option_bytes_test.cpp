// The option sets: bit numbering, the indexed requests and the fall-back to
// the per-set requests of a register that refuses them.
#include <gtest/gtest.h>

#include "protocol/option_bytes.h"
#include "scripted_register.h"
#include "state/result_codes.h"
#include "state/session_state.h"

namespace {

class Opcje : public ::testing::Test {
 protected:
  void SetUp() override { CzystaSesja(); }
  SkryptowanaKasa kasa;
};

// A register with the indexed requests: set s holds the bytes s+1, s+2, s+3.
OdpowiedzKasy Indeksowana(uint8_t kod) {
  if (kod == 0xDF)
    return {{0x06}, [](const Bajty& p) { return Bajty{0, uint8_t(p[0] + 1), uint8_t(p[0] + 2), uint8_t(p[0] + 3)}; }};
  if (kod == 0xDE) return PoWykonaniu({0});
  return Odmowa();
}

// A register with only the per-set requests; set 3 is missing.
OdpowiedzKasy PoZestawach(uint8_t kod) {
  switch (kod) {
    case 0xC3: return Potwierdzenie({0x10, 0x20, 0x30});
    case 0xB4: return Potwierdzenie({0x11, 0x21, 0x31});
    case 0xDB: return Potwierdzenie({0x12, 0x22, 0x32});
    case 0xC2: case 0xB3: case 0xDA: case 0xDC: return Potwierdzenie();
    default: return Odmowa();
  }
}

TEST_F(Opcje, BitNOfASetIsBitNMinus1Mod8OfByteNMinus1Div8) {
  const struct { uint8_t numer, bajt, maska; } bity[] = {{1, 0, 0x01}, {3, 0, 0x04}, {8, 0, 0x80},
                                                         {9, 1, 0x01}, {16, 1, 0x80}, {24, 2, 0x80}};
  for (const auto& b : bity) {
    CzystaSesja();
    UstawienieBituOpcji(2, b.numer, true);
    for (uint8_t i = 0; i < sizeof Sesja.Opcje.ZestawyOpcji; ++i)
      EXPECT_EQ(Sesja.Opcje.ZestawyOpcji[i], i == 6 + b.bajt ? b.maska : 0) << int(b.numer) << " byte " << int(i);
    EXPECT_TRUE(BitOpcji(2, b.numer));
    EXPECT_FALSE(BitOpcji(1, b.numer));
    UstawienieBituOpcji(2, b.numer, false);
    EXPECT_FALSE(BitOpcji(2, b.numer));
  }
}

TEST_F(Opcje, TheIndexedRequestsNameTheSet) {
  kasa.NaRozkaz = Indeksowana;
  OdczytanieZestawuOpcji(3);
  ASSERT_TRUE(BrakBledu());
  EXPECT_EQ(Bajty(Sesja.Opcje.ZestawyOpcji + 9, Sesja.Opcje.ZestawyOpcji + 12), (Bajty{4, 5, 6}));
  UstawienieBituOpcji(3, 1, false);
  ZapisanieZestawuOpcji(3);
  EXPECT_TRUE(BrakBledu());
  EXPECT_EQ(kasa.Rozkazy, (Bajty{0xDF, 0xDE}));
  EXPECT_EQ(kasa.Parametry[0], Bajty{3});
  EXPECT_EQ(kasa.Parametry[1], (Bajty{3, 4, 5, 6}));
}

// After the first refusal of 0xDF the command keeps to the per-set requests,
// its write included.
TEST_F(Opcje, ARefusedIndexedReadFallsBackToThePerSetRequestsForTheRestOfTheCommand) {
  kasa.NaRozkaz = PoZestawach;
  OdczytanieZestawuOpcji(1);
  ASSERT_TRUE(BrakBledu());
  EXPECT_EQ(Sesja.Opcje.IndeksowaneZestawy, 0);
  OdczytanieZestawuOpcji(2);
  ZapisanieZestawuOpcji(2);
  EXPECT_TRUE(BrakBledu());
  EXPECT_EQ(kasa.Rozkazy, (Bajty{0xDF, 0xB4, 0xDB, 0xDA}));
  EXPECT_EQ(kasa.Parametry.back(), (Bajty{0x12, 0x22, 0x32}));
  EXPECT_EQ(Bajty(Sesja.Opcje.ZestawyOpcji + 3, Sesja.Opcje.ZestawyOpcji + 6), (Bajty{0x11, 0x21, 0x31}));
}

TEST_F(Opcje, ASetThatNeitherFormReadsGives24AndOtherFailuresNoFallBack) {
  kasa.NaRozkaz = PoZestawach;
  OdczytanieZestawuOpcji(3);
  EXPECT_TRUE(JestBlad(OdmowaRozkazu));
  EXPECT_EQ(kasa.Rozkazy, (Bajty{0xDF, 0xDD}));

  CzystaSesja();
  kasa.Rozkazy.clear();
  kasa.NaRozkaz = [](uint8_t kod) { return kod == 0xDF ? PoWykonaniu({0x0A}) : Potwierdzenie({1, 2, 3}); };
  OdczytanieZestawuOpcji(0);
  EXPECT_EQ(Sesja.BiezacyWynik, 110);
  EXPECT_EQ(kasa.Rozkazy, Bajty{0xDF});
  EXPECT_EQ(Sesja.Opcje.IndeksowaneZestawy, 1);
}

TEST_F(Opcje, ASetAboveThreeGives91WithoutARequest) {
  kasa.NaRozkaz = Indeksowana;
  OdczytanieZestawuOpcji(4);
  EXPECT_EQ(Sesja.BiezacyWynik, 91);
  EXPECT_TRUE(kasa.Rozkazy.empty());
}

TEST_F(Opcje, TheSessionResetTriesTheIndexedRequestsAgain) {
  Sesja.Opcje.IndeksowaneZestawy = 0;
  Sesja.Opcje.ZestawyOpcji[0] = 0xFF;
  ZerowanieDanychSesji();
  EXPECT_EQ(Sesja.Opcje.IndeksowaneZestawy, 1);
  EXPECT_EQ(Sesja.Opcje.ZestawyOpcji[0], 0);
}

}  // namespace
