// The simulated fiscal data: the state keys, the two record forms of the
// fiscal memory (the first generation's length by status, the others' 62
// bytes with an XOR or a CRC-16), the date write, and the module taking a
// second answer whose status is data at exactly the length asked for.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "common/data_file.h"
#include "device/register_state.h"
#include "module/frame_codec.h"
#include "module/module_exchange.h"
#include "sim_test_support.h"

using namespace sim;

namespace {

std::string CzytajTekst(const std::string& urzadzenie) {
  std::ifstream plik(simtest::Urzadzenie(urzadzenie), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(plik), {});
}

// The acknowledgement, the status 0xFF and 62 bytes 0xFF: an erased record.
Bajty Pusty() {
  Bajty b(64, 0xFF);
  b[0] = 0x06;
  return b;
}

StanKasy StanZ(const std::string& urzadzenie, const std::string& linie) {
  std::string blad;
  auto plik = PlikDanych::ZTekstu(CzytajTekst(urzadzenie) + linie, blad);
  EXPECT_TRUE(plik) << blad;
  auto stan = plik ? StanZPliku(*plik, blad) : std::nullopt;
  EXPECT_TRUE(stan) << blad;
  return stan.value_or(StanKasy{});
}

const std::string REKORDY = "$fiskalny\t0\tFC 16 03 07 03 01 02 03 00\n$fiskalny\t1\tFE\n$fiskalny\t3\tF0 AA\n";

TEST(PamiecFiskalna, TheStateKeysAndWhatTheyRefuse) {
  const StanKasy s = StanZ("typ-27.txt", REKORDY + "$arg_data\t12.03.26\n$prg\t23\t-549755813888\t65535\t0\n");
  EXPECT_EQ(s.fiskalne.LiczbaRekordow(), 4);
  EXPECT_EQ(s.fiskalne.arg.data, (std::array<uint8_t, 6>{1, 2, 0, 3, 2, 6}));
  EXPECT_EQ(s.fiskalne.prg.wpisy[23].pierwsza, -549755813888);
  EXPECT_EQ(WpisNaDrucie(s.fiskalne.prg.wpisy[23]), (Bajty{0, 0, 0, 0, 0x80, 0xFF, 0xFF, 0, 0}));
  for (const char* zla : {"$arg_data\t12.03.2\n", "$arg\t24\t0\t0\t0\n", "$prg\t0\t549755813888\t0\t0\n",
                          "$fiskalny\t1\tF\n", "$fiskalny\t1\n", "$fiskalne_liczba\t65536\n"}) {
    std::string blad;
    auto plik = PlikDanych::ZTekstu(CzytajTekst("typ-27.txt") + zla, blad);
    ASSERT_TRUE(plik);
    EXPECT_FALSE(StanZPliku(*plik, blad)) << zla;
  }
}

TEST(PamiecFiskalna, TheFirstGenerationSendsTheRecordAsKept) {
  simtest::Stanowisko st(StanZ("typ-27.txt", REKORDY));
  EXPECT_EQ(st.Rozkaz(0xE4), (Bajty{0x06, 4, 0}));
  EXPECT_EQ(st.Rozkaz(0xE5, {0, 0}), (Bajty{0x06, 0xFC, 0x16, 0x03, 0x07, 0x03, 0x01, 0x02, 0x03, 0x00}));
  EXPECT_EQ(st.Rozkaz(0xE5, {2, 0}), (Bajty{0x06, 0xFE}));  // no record: no data
  EXPECT_EQ(st.Rozkaz(0x9A, {0, 0}), (Bajty{0x15}));
}

uint8_t Xor(std::span<const uint8_t> b) {
  uint8_t x = 0;
  for (uint8_t v : b) x ^= v;
  return x;
}

TEST(PamiecFiskalna, TheOthersSend62BytesEndingWithTheirCheck) {
  simtest::Stanowisko xorowa(StanZ("veko-100.txt", REKORDY), simtest::Usterki({"0x9A,n=2:check=1"}));
  Bajty a = xorowa.Rozkaz(0x9A, {0, 0});
  ASSERT_EQ(a.size(), 64u);
  EXPECT_EQ(Bajty(a.begin(), a.begin() + 6), (Bajty{0x06, 0xFC, 0x16, 0x03, 0x07, 0x03}));
  EXPECT_EQ(Xor(std::span(a).subspan(2)), 0);
  a = xorowa.Rozkaz(0x9A, {0, 0});
  EXPECT_NE(Xor(std::span(a).subspan(2)), 0);  // the spoilt second answer
  // An erased record, and one never written: the status and 0xFF throughout.
  Bajty zmazany = Pusty();
  zmazany[1] = 0xFE;
  EXPECT_EQ(xorowa.Rozkaz(0x9A, {1, 0}), zmazany);
  EXPECT_EQ(xorowa.Rozkaz(0x9A, {2, 0}), Pusty());

  simtest::Stanowisko crc(StanZ("vin-t.txt", REKORDY));
  a = crc.Rozkaz(0x9A, {3, 0});
  ASSERT_EQ(a.size(), 64u);
  EXPECT_EQ(Bajty(a.begin(), a.begin() + 5), (Bajty{0x06, 0xF0, 0xF0, 0xAA, 0x00}));  // the status again in the data
  EXPECT_EQ(ramka::Crc16(std::span(a).subspan(2)), 0);
}

TEST(PamiecFiskalna, TheCurrentDateWriteTakesTheClocksDate) {
  simtest::Stanowisko st(StanZ("veko-100.txt", "$zegar\t24.12.26\t10:30\n$arg_data\t01.01.20\n$prg_data\t02.02.20\n"));
  EXPECT_EQ(st.Rozkaz(0xE8), (Bajty{0x06}));
  EXPECT_EQ(st.Rozkaz(0xE0), (Bajty{0x06, 2, 4, 1, 2, 2, 6}));
  EXPECT_EQ(st.Rozkaz(0xE2), (Bajty{0x06, 0, 2, 0, 2, 2, 0}));
}

// The module waits for the second answer's length whatever its status: a
// shorter record does not come in full, a longer one is cut at the length.
TEST(PamiecFiskalna, TheModuleTakesAStatusThatIsDataAtTheLengthAskedFor) {
  Dziennik dziennik;
  Kasa kasa(StanZ("typ-27.txt", REKORDY), {}, dziennik);
  const struct {
    uint8_t druga;
    std::optional<Bajty> odpowiedz;
  } przypadki[] = {
      {43, std::nullopt},
      {18, std::nullopt},
      {9, Bajty{0x06, 0xFC, 0x16, 0x03, 0x07, 0x03, 0x01, 0x02, 0x03, 0x00}},
      {1, Bajty{0x06, 0xFC}},
  };
  for (const auto& p : przypadki) {
    const ZadanieRamki z{.pierwsza = 1, .druga = p.druga, .kod = 0xE5, .parametry = {0, 0}, .statusJestDana = true};
    EXPECT_EQ(WymianaZKasa(kasa, z, Zegar::now()), p.odpowiedz) << int(p.druga);
  }
}

}  // namespace
