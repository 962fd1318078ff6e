// The fiscal memory record of the text registers: the kind from the status
// (bit 6 set first, then the second generation's remap) and the lines of the
// kinds whose fields depend on the family.
#include <gtest/gtest.h>

#include <cstring>

#include "commands/command.h"
#include "commands/fiscal/fiscal_records.h"

namespace {

class RekordyFiskalne : public ::testing::Test {
 protected:
  void SetUp() override { ZerowanieDanychSesji(); }
};

TEST_F(RekordyFiskalne, TheKindFromTheStatusByGeneration) {
  const struct {
    uint8_t typ, status, rodzaj;
  } przypadki[] = {
      // First generation: the statuses as they are.
      {36, 0xFA, 1}, {36, 0xFB, 2}, {36, 0xFC, 3}, {36, 0xFD, 4}, {36, 0xFE, 5}, {36, 0xF8, 6}, {36, 0xF9, 7},
      {36, 0xBC, 3}, {36, 0xF0, 0},
      // Second generation: remapped after bit 6 is set, so a status with bit 6
      // clear is the kind of the same status with it set.
      {100, 0xEE, 3}, {100, 0xAE, 3}, {100, 0xFA, 2}, {100, 0xBA, 2}, {100, 0xFC, 1}, {100, 0xBC, 1},
      {100, 0xFE, 4}, {100, 0xFF, 5}, {100, 0xBF, 5}, {100, 0xF8, 6}, {100, 0xF9, 7}, {100, 0xFB, 2},
      {100, 0xF0, 0}, {100, 0x00, 0}, {'t', 0xEE, 3}, {'u', 0xFC, 1},
  };
  for (const auto& p : przypadki) {
    Sesja.Urzadzenie.KodTypuKasy = p.typ;
    EXPECT_EQ(RodzajRekordu(StatusRekordu(p.status)), p.rodzaj) << int(p.typ) << " " << std::hex << int(p.status);
  }
}

RekordFiskalny Rekord(uint8_t status, std::initializer_list<uint8_t> bajty) {
  RekordFiskalny r;
  r.status = status;
  std::copy(bajty.begin(), bajty.end(), r.bajty);
  r.dane = bajty.size();
  return r;
}

TEST_F(RekordyFiskalne, TheReportTotalsBySignAndInversion) {
  RekordFiskalny r = Rekord(0xFA, {0x31, 0x12, 0x99, 0x01, 0x01});
  for (int p = 0; p < 7; ++p) r.bajty[5 + 5 * p] = static_cast<uint8_t>(p + 1);
  r.bajty[35] = 0xA4;  // type codes 24 and 27: totals 1, 3 and 6 negative
  r.bajty[36] = 0x02;  // their counter
  r.bajty[40] = 0x03;  // the others'
  const struct {
    uint8_t typ;
    const char* linia;
  } przypadki[] = {
      {24, "0009\t1\t257\t31.12.99\t2\t-1\t2\t-3\t4\t5\t-6"},
      {27, "0009\t1\t257\t31.12.99\t2\t-1\t2\t-3\t4\t5\t-6"},
      // Here bytes 35 and 36 are the seventh total's.
      {36, "0009\t1\t257\t31.12.99\t3\t1\t2\t3\t4\t5\t6\t676"},
  };
  for (const auto& p : przypadki) {
    Sesja.Urzadzenie.KodTypuKasy = p.typ;
    LiniaWyniku linia;
    LiniaRekordu(9, r, linia);
    EXPECT_STREQ(linia.Tekst(), p.linia) << int(p.typ);
  }
  // The second generation keeps its totals inverted; its 0xFC is this report.
  Sesja.Urzadzenie.KodTypuKasy = 100;
  r.status = 0xFC;
  for (int i = 5; i < 40; ++i) r.bajty[i] = static_cast<uint8_t>(~r.bajty[i]);
  r.bajty[35] = 0xFF;
  LiniaWyniku linia;
  LiniaRekordu(10000, r, linia);
  EXPECT_STREQ(linia.Tekst(), "10000\t1\t257\t31.12.99\t3\t1\t2\t3\t4\t5\t6\t512");
}

TEST_F(RekordyFiskalne, TheTimeRecordByGeneration) {
  const RekordFiskalny r = Rekord(0xFC, {0x01, 0x02, 0x03, 200, 9, 8, 7, 6, 5});
  Sesja.Urzadzenie.KodTypuKasy = 36;
  LiniaWyniku pierwsza;
  LiniaRekordu(1, r, pierwsza);
  EXPECT_STREQ(pierwsza.Tekst(), "0001\t3\t200\t01.02.03\t98:76\t0");
  Sesja.Urzadzenie.KodTypuKasy = 100;
  LiniaWyniku druga;
  LiniaRekordu(1, Rekord(0xAE, {0x01, 0x02, 0x03, 200, 9, 8, 7, 6, 5}), druga);
  EXPECT_STREQ(druga.Tekst(), "0001\t3\t200\t01.02.03\t87:65\t1");
}

}  // namespace
