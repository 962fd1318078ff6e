// The record layouts of the sales commands: the sales line with its decimal
// places and signs, the bound on the decimals byte, the check-byte form by
// register type, and the kinds of periodic records.
#include <gtest/gtest.h>

#include <string>

#include "commands/command.h"
#include "commands/sales/periodic_readout.h"
#include "commands/sales/sales_records.h"

namespace {

class RekordySprzedazy : public ::testing::Test {
 protected:
  void SetUp() override { ZerowanieDanychSesji(); }
};

TEST_F(RekordySprzedazy, TheSalesLineShowsDecimalsAndSigns) {
  const struct {
    uint16_t numer;
    uint8_t dane[9];
    bool zeZnakiem;
    const char* linia;
  } przypadki[] = {
      {7, {0xD2, 0x04, 0, 0, 3, 0xF4, 0x01, 0, 0}, false, "0007\t1.234\t500"},
      {7, {0xD2, 0x04, 0, 0, 5, 0, 0, 0, 0}, false, "0007\t0.01234\t0"},
      {12345, {0, 0, 0, 0, 2, 0, 0, 0, 0}, false, "12345\t0.00\t0"},
      {1, {0xFB, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0xFF}, true, "0001\t-5\t-1"},
      {1, {0xFB, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0xFF}, false, "0001\t4294967291\t4294967295"},
      {1, {0, 0, 0, 0x80, 3, 0, 0, 0, 0x80}, true, "0001\t-2147483.648\t-2147483648"},
      // The most decimals a field holds: "0." and 44 digits.
      {1, {1, 0, 0, 0, 44, 1, 0, 0, 0}, false, "0001\t0.00000000000000000000000000000000000000000001\t1"},
  };
  for (const auto& p : przypadki) {
    LiniaWyniku linia;
    EXPECT_TRUE(LiniaSprzedazy(p.numer, p.dane, p.zeZnakiem, linia));
    EXPECT_STREQ(linia.Tekst(), p.linia);
    EXPECT_TRUE(BrakBledu());
  }
}

TEST_F(RekordySprzedazy, ADecimalsByteNoFieldHoldsGives23) {
  for (const uint8_t miejsca : {45, 200, 255}) {
    const uint8_t dane[9] = {0xFF, 0xFF, 0xFF, 0xFF, miejsca, 1, 0, 0, 0};
    LiniaWyniku linia;
    EXPECT_FALSE(LiniaSprzedazy(1, dane, true, linia));
    EXPECT_EQ(Sesja.BiezacyWynik, 23);
    EXPECT_TRUE(linia.Pusta());
    UstawBlad(BezBledu);
  }
}

TEST_F(RekordySprzedazy, TheCheckByteFormByTypeAndVersion) {
  const struct {
    uint8_t typ, wersja;
    bool zSuma;
  } przypadki[] = {{115, 9, false}, {116, 0, true}, {'u', 1, true}, {103, 1, false}, {103, 2, true},
                   {104, 2, true},  {105, 9, false}, {24, 9, false}};
  for (const auto& p : przypadki) {
    Sesja.Urzadzenie.KodTypuKasy = p.typ;
    Sesja.Urzadzenie.PodwersjaTypu = p.wersja;
    EXPECT_EQ(KasaRozszerzona(), p.zSuma) << int(p.typ) << " " << int(p.wersja);
  }
}

TEST_F(RekordySprzedazy, PeriodicRecordKindsByTheirFirstByte) {
  const struct {
    uint8_t bajt;
    uint8_t rodzaj, norda;
  } przypadki[] = {
      {0x00, 0, 0}, {0x80, 0, 0}, {0x81, 1, 2}, {0xE4, 1, 2}, {0xE5, 10, 10}, {0xEB, 10, 10}, {0xEC, 4, 4},
      {0xED, 8, 8}, {0xEE, 9, 9}, {0xEF, 10, 10}, {0xF8, 10, 10}, {0xF9, 7, 7}, {0xFA, 6, 6}, {0xFB, 5, 5},
      {0xFC, 4, 4}, {0xFD, 4, 4}, {0xFE, 3, 3},
  };
  for (const auto& p : przypadki) {
    Sesja.Urzadzenie.KodTypuKasy = 't';
    EXPECT_EQ(RodzajRekorduOkresowego(p.bajt), p.rodzaj) << std::hex << int(p.bajt);
    Sesja.Urzadzenie.KodTypuKasy = 'u';
    EXPECT_EQ(RodzajRekorduOkresowego(p.bajt), p.norda) << std::hex << int(p.bajt);
  }
}

}  // namespace
