// The goods record model: the input variants with their per-run state, the
// write layouts and what they can hold, the readout layouts, the value checks,
// the goods lines, and the loop over goods numbers.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "commands/catalogue/goods_access.h"
#include "commands/catalogue/goods_record.h"
#include "commands/command.h"

namespace {

class Towary : public ::testing::Test {
 protected:
  void SetUp() override { ZerowanieDanychSesji(); }
  static void Typ(uint8_t kod) { Sesja.Urzadzenie.KodTypuKasy = kod; }
  static std::string Parametry(size_t ile) {
    return std::string(reinterpret_cast<const char*>(Sesja.Wymiana.ObszarParametrow), ile);
  }
};

const char* const Linia1 = "50\tSer zolty gouda 1kg\t2\t7\t1\t3\t1\t0x0A0B0C0D0E0F\t$01020304\t1";
const char* const Linia3 = "51\tKefir naturalny 1l\t3\t9\t5\t459";
const char* const Linia2 = "52\tPieczarki luzem 1 kg\t2\t5\t1299";
const char* const Linia4 = "53\tSol kamienna 1kg pak\t5\t199";

TEST_F(Towary, TheFamilyFollowsTheTypeTests) {
  const struct { uint8_t typ; RodzinaTowarow rodzina; } przypadki[] = {
      {'u', RodzinaTowarow::V}, {'v', RodzinaTowarow::V}, {'w', RodzinaTowarow::W}, {'x', RodzinaTowarow::W},
      {'m', RodzinaTowarow::M}, {'n', RodzinaTowarow::M}, {'t', RodzinaTowarow::T}, {'y', RodzinaTowarow::T},
      {255, RodzinaTowarow::T}, {'\'', RodzinaTowarow::S}, {'9', RodzinaTowarow::S}, {103, RodzinaTowarow::S},
      {'o', RodzinaTowarow::S}, {0x24, RodzinaTowarow::S},
  };
  for (const auto& p : przypadki) {
    Typ(p.typ);
    EXPECT_EQ(RodzinaTowarowKasy(), p.rodzina) << int(p.typ);
  }
}

TEST_F(Towary, EachRegisterTakesItsVariantsAndTheFirstLineFixesOne) {
  const struct {
    uint8_t typ;
    const char* linie[3];
    int dobre;  // lines read before the first refusal
  } przypadki[] = {
      {103, {Linia1, Linia1, nullptr}, 2},
      {103, {Linia3, nullptr, nullptr}, 0},   // variant 3 only on 'u', 'v', 'w', 'x'
      {'\'', {Linia2, nullptr, nullptr}, 0},  // the apostrophe takes variant 1 only
      {'u', {Linia3, Linia3, Linia1}, 2},     // the first line fixed variant 3
      {'u', {Linia2, nullptr, nullptr}, 0},
      {'m', {Linia2, Linia1, nullptr}, 1},
      {'m', {Linia4, nullptr, nullptr}, 0},
      {'w', {Linia4, Linia4, Linia2}, 2},     // a line of variant 2 is not one of variant 4 with a field more
      {'t', {Linia1, Linia3, nullptr}, 1},
  };
  for (const auto& p : przypadki) {
    Typ(p.typ);
    uint8_t wariant = 0;  // a new run
    int dobre = 0;
    for (const char* linia : p.linie) {
      if (!linia) break;
      RekordTowaru t;
      UstawBlad(BladLiniiWejscia);
      if (!OdczytanieLiniiTowaru(linia, wariant, t)) {
        EXPECT_TRUE(JestBlad(BladLiniiWejscia));
        break;
      }
      ++dobre;
    }
    EXPECT_EQ(dobre, p.dobre) << int(p.typ) << " " << p.linie[0];
  }
}

TEST_F(Towary, TheLeftOutFieldsTakeTheirDefaults) {
  Typ('w');
  uint8_t wariant = 0;
  RekordTowaru t;
  ASSERT_TRUE(OdczytanieLiniiTowaru(Linia4, wariant, t));
  EXPECT_EQ(std::string(t.NazwaTowaru), "Sol kamienna 1kg pak");
  EXPECT_EQ((std::array{t.NumerStawki, t.NumerGrupy, t.Atrybut1, t.NumerJednostki, t.Znacznik1, t.Znacznik2}),
            (std::array<uint8_t, 6>{1, 1, 3, 1, 0, 0}));
  EXPECT_EQ(t.Cena, 199u);
  EXPECT_EQ(t.KodKreskowy[0], 5);
}

TEST_F(Towary, WriteLayoutsOfEachFamily) {
  Typ(103);
  uint8_t wariant = 0;
  RekordTowaru t;
  ASSERT_TRUE(OdczytanieLiniiTowaru(Linia1, wariant, t));
  const std::string nazwa19 = "Ser zolty gouda 1kg";
  const std::string kod = "\x0F\x0E\x0D\x0C\x0B\x0A";
  const std::string cena = "\x04\x03\x02\x01";
  EXPECT_EQ(ParametryZapisuTowaru(RodzinaTowarow::S, t), 37);
  EXPECT_EQ(Parametry(37), std::string("\x32\x00", 2) + nazwa19 + "\x02\x07\x01\x03\x01" + kod + cena + "\x01");
  EXPECT_EQ(ParametryZapisuTowaru(RodzinaTowarow::V, t), 31);
  EXPECT_EQ(Parametry(31), std::string("\x32\x00", 2) + nazwa19.substr(0, 18) + "\x27" + kod + cena);
  // The unit minus 1 over the barcode's top four bits; the name padded to 20.
  EXPECT_EQ(ParametryZapisuTowaru(RodzinaTowarow::M, t), 32);
  EXPECT_EQ(Parametry(32), std::string("\x32\x00", 2) + nazwa19 + " " + kod.substr(0, 5) + "\x2A" + cena);
  // Flag 2, flag 1 and the attribute over the barcode, the unit over the price; the check byte.
  t.Cena = 0x01020304;
  EXPECT_EQ(ParametryZapisuTowaru(RodzinaTowarow::T, t), 33);
  const std::string zapis = Parametry(33);
  EXPECT_EQ(zapis.substr(0, 32), std::string("\x32\x00", 2) + nazwa19.substr(0, 18) + "\x02\x07" + kod.substr(0, 5) +
                                     "\xDA" + "\x04\x03\x02\x21");
  uint8_t x = 0;
  for (char c : zapis.substr(0, 32)) x ^= static_cast<uint8_t>(c);
  EXPECT_EQ(static_cast<uint8_t>(zapis[32]), x);
}

TEST_F(Towary, ValuesTheLayoutCannotHoldAreCaught) {
  const auto towar = [](auto zmiana) {
    RekordTowaru t;
    zmiana(t);
    return t;
  };
  const RekordTowaru dobry;
  const RekordTowaru jednostka0 = towar([](RekordTowaru& t) { t.NumerJednostki = 0; });
  const RekordTowaru jednostka17 = towar([](RekordTowaru& t) { t.NumerJednostki = 17; });
  const RekordTowaru kod44 = towar([](RekordTowaru& t) { t.KodKreskowy[5] = 0x10; });
  const RekordTowaru grupa16 = towar([](RekordTowaru& t) { t.NumerGrupy = 16; });
  const RekordTowaru atrybut4 = towar([](RekordTowaru& t) { t.Atrybut1 = 4; });
  const RekordTowaru cena28 = towar([](RekordTowaru& t) { t.Cena = 1u << 28; });
  const struct { const RekordTowaru* t; bool s, v, wm, tt; } przypadki[] = {
      {&dobry, true, true, true, true},        {&jednostka0, true, true, false, false},
      {&jednostka17, true, true, false, false}, {&kod44, true, true, false, false},
      {&grupa16, true, false, true, true},      {&atrybut4, true, true, true, false},
      {&cena28, true, true, true, false},
  };
  for (const auto& p : przypadki) {
    EXPECT_EQ(TowarMiesciSieWUkladzie(RodzinaTowarow::S, *p.t), p.s);
    EXPECT_EQ(TowarMiesciSieWUkladzie(RodzinaTowarow::V, *p.t), p.v);
    EXPECT_EQ(TowarMiesciSieWUkladzie(RodzinaTowarow::W, *p.t), p.wm);
    EXPECT_EQ(TowarMiesciSieWUkladzie(RodzinaTowarow::M, *p.t), p.wm);
    EXPECT_EQ(TowarMiesciSieWUkladzie(RodzinaTowarow::T, *p.t), p.tt);
  }
}

TEST_F(Towary, TheFamilyTReadoutTakesTheCarriedValuesOutAndChecksItsByte) {
  uint8_t o[33];
  std::memset(o, ' ', 18);
  o[18] = 4;
  o[19] = 99;
  const uint8_t reszta[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xEF, 0xFF, 0xFF, 0xFF, 0xFF, 0x2C, 0x01};
  std::memcpy(o + 20, reszta, sizeof reszta);
  o[32] = 0;
  for (int i = 0; i < 32; ++i) o[32] ^= o[i];
  RekordTowaru t;
  uint16_t nastepny = 0;
  ASSERT_TRUE(TowarZUkladuT(o, t, nastepny));
  EXPECT_EQ(nastepny, 300);
  EXPECT_EQ((std::array{t.Znacznik2, t.Znacznik1, t.Atrybut1, t.NumerJednostki}), (std::array<uint8_t, 4>{1, 1, 2, 16}));
  EXPECT_EQ(WartoscBajtow(t.KodKreskowy, 6), (uint64_t{1} << 44) - 1);
  EXPECT_EQ(t.Cena, (1u << 28) - 1);
  o[32] ^= 1;
  EXPECT_FALSE(TowarZUkladuT(o, t, nastepny));
}

TEST_F(Towary, ReadValuesAreCheckedAgainstTheirRanges) {
  Typ(103);
  const struct { uint8_t RekordTowaru::*pole; uint8_t wartosc; bool dobra; } przypadki[] = {
      {&RekordTowaru::NumerStawki, 0, false}, {&RekordTowaru::NumerStawki, 7, true},
      {&RekordTowaru::NumerStawki, 8, false}, {&RekordTowaru::NumerGrupy, 0, false},
      {&RekordTowaru::NumerGrupy, 99, true},  {&RekordTowaru::NumerGrupy, 100, false},
      {&RekordTowaru::Atrybut1, 4, false},    {&RekordTowaru::NumerJednostki, 0, false},
      {&RekordTowaru::NumerJednostki, 16, true}, {&RekordTowaru::NumerJednostki, 17, false},
      {&RekordTowaru::Znacznik1, 2, false},   {&RekordTowaru::Znacznik2, 2, false},
  };
  for (const auto& p : przypadki) {
    RekordTowaru t;
    t.*p.pole = p.wartosc;
    EXPECT_EQ(WartosciTowaruWZakresie(t), p.dobra) << int(p.wartosc);
  }
  RekordTowaru t;
  t.NumerStawki = 9;
  EXPECT_FALSE(WartosciTowaruWZakresie(t));
  Typ('p');
  EXPECT_TRUE(WartosciTowaruWZakresie(t));
}

TEST_F(Towary, GoodsLinesOfEachFamily) {
  RekordTowaru t;
  t.NumerTowaru = 7;
  std::strcpy(t.NazwaTowaru, "Mleko 2% 1l       ");
  t.DlugoscNazwy = 18;
  t.NumerGrupy = 12;
  t.KodKreskowy[0] = 5;
  t.Cena = 289;
  const struct { RodzinaTowarow r; const char* linia; } przypadki[] = {
      {RodzinaTowarow::T, "00007\tMleko 2% 1l        \t1\t12\t3\t1\t0\t0000000000005\t289\t0"},
      {RodzinaTowarow::V, "00007\tMleko 2% 1l       \t1\t12\t0000000000005\t289"},
      {RodzinaTowarow::W, "00007\tMleko 2% 1l       \t0000000000005\t289"},
  };
  for (const auto& p : przypadki) {
    LiniaWyniku l;
    LiniaTowaru(p.r, t, l);
    EXPECT_STREQ(l.Tekst(), p.linia);
  }
}

// A register whose next number does not move on cannot keep the loop going.
TEST_F(Towary, TheLoopOverGoodsNumbersEndsWhateverTheNextNumber) {
  static std::vector<uint32_t> kroki;
  static uint32_t nastepny;
  const auto krok = [](uint32_t n, const ZakresTowarow&) -> uint32_t {
    kroki.push_back(n);
    return nastepny ? nastepny : n + 1;
  };
  const struct { uint32_t nastepny; ZakresTowarow zakres; size_t kroki; uint8_t wynik; } przypadki[] = {
      {0, {1, 5}, 5, 0},  {3, {1, 9}, 2, 23}, {3, {3, 9}, 1, 23},
      {0, {5, 0}, 0, 0},  {0, {65535, 65535}, 1, 0},
  };
  for (const auto& p : przypadki) {
    kroki.clear();
    nastepny = p.nastepny;
    UstawBlad(BezBledu);
    PrzejscieTowarow(p.zakres, krok);
    EXPECT_EQ(kroki.size(), p.kroki);
    EXPECT_EQ(Sesja.BiezacyWynik, p.wynik);
  }
}

}  // namespace
