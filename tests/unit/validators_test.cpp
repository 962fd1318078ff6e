#include "datafiles/validators.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "text/codecs.h"

namespace {

constexpr uint32_t Nie = 0xFFFFFFFF;  // "no" in the tables of expected values

uint32_t Long(const char* tekst) {
  uint32_t w = 12345;
  if (PoprawnaLiczbaTypuLong(tekst, &w)) return w;
  EXPECT_EQ(w, 0u) << tekst;
  return Nie;
}

uint64_t Szesc(uint8_t (*forma)(const char*, uint8_t*), const char* tekst) {
  uint8_t liczba[6];
  std::memset(liczba, 0xAA, sizeof liczba);
  const bool jest = forma(tekst, liczba);
  const uint64_t wartosc = WartoscBajtow(liczba, 6);
  if (jest) return wartosc;
  EXPECT_EQ(wartosc, 0u) << tekst;
  return Nie;
}

}  // namespace

TEST(ZnakJestCyfra, AnswersTheDigit) {
  for (int z = 0; z < 256; ++z) {
    uint8_t cyfra = 99;
    const bool jest = ZnakJestCyfra(static_cast<char>(z), &cyfra);
    EXPECT_EQ(jest, z >= '0' && z <= '9') << z;
    EXPECT_EQ(cyfra, jest ? z - '0' : 0) << z;
  }
  EXPECT_TRUE(ZnakJestKropkaLubPrzecinkiem('.'));
  EXPECT_TRUE(ZnakJestKropkaLubPrzecinkiem(','));
  EXPECT_FALSE(ZnakJestKropkaLubPrzecinkiem(';'));
}

TEST(PoprawnaLiczbaTypuLong, AcceptsEveryForm) {
  const struct {
    const char* tekst;
    uint32_t wartosc;
  } przypadki[] = {
      {"0012", 12},
      {" 12 ", 12},
      {"$1A", 26},
      {"H1A", 26},
      {"1AH", 26},
      {"0x1a", 26},
      {"0X1A", 26},
      {"  $ff  ", 255},
      {"'AB'", 0x4241},
      {"'A'", 65},
      {"4294967295", 4294967295u},
      {"$FFFFFFFF", 4294967295u},
      {"0", 0},
      {"4294967296", Nie},
      {"$100000000", Nie},
      {"'ABCDE'", Nie},  // byte 4 set
      {"1A", Nie},
      {" 1A ", Nie},
      {"+1", Nie},
      {"-1", Nie},
      {"1 2", Nie},
      {"", Nie},
      {"   ", Nie},
      {"\t12", Nie},
      {"12\t", Nie},
      {"1:2", Nie},
      {"$", Nie},
      {"H", Nie},
      {"0X", Nie},
      {"HH", Nie},
      {"$1G", Nie},
      {"0x1AH", Nie},
      {"\xb9\xea", Nie},
  };
  for (const auto& p : przypadki) EXPECT_EQ(Long(p.tekst), p.wartosc) << "[" << p.tekst << "]";
}

TEST(PoprawnaLiczbaSzesciobajtowa, DecimalForm) {
  const struct {
    const char* tekst;
    uint64_t wartosc;
  } przypadki[] = {
      {"0", 0},
      {"  281474976710655 ", 281474976710655ull},
      // A value beyond six bytes is refused, not cut to its low bytes.
      {"281474976710656", Nie},
      {"18446744073709551616", Nie},
      {"99999999999999999999999999", Nie},
      {"00000000000000000000000000000007", 7},
      {"$1", Nie},
      {"1.5", Nie},
  };
  for (const auto& p : przypadki)
    EXPECT_EQ(Szesc(PoprawnaLiczbaSzesciobajtowaDec, p.tekst), p.wartosc) << p.tekst;
}

TEST(PoprawnaLiczbaSzesciobajtowa, HexadecimalForm) {
  const struct {
    const char* tekst;
    uint64_t wartosc;
  } przypadki[] = {
      {"$FFFFFFFFFFFF", 0xFFFFFFFFFFFFull},
      {"h123456789abc", 0x123456789ABCull},
      {"0x000000000001", 1},
      {"$1FFFFFFFFFFFF", Nie},  // 13 digits
      {"FFH", 255},
      {"$0", 0},
      {"12", Nie},
      {"$-1", Nie},
      {"$1 2", Nie},
  };
  for (const auto& p : przypadki)
    EXPECT_EQ(Szesc(PoprawnaLiczbaSzesciobajtowaHex, p.tekst), p.wartosc) << p.tekst;
}

TEST(PoprawnaLiczbaSzesciobajtowa, QuotedForm) {
  const struct {
    const char* tekst;
    uint64_t wartosc;
  } przypadki[] = {
      {"'AB'", 0x4241},
      {"  'a b'  ", 0x622061},
      {"'ABCDEF'", 0x464544434241ull},
      {"'\xff'", 0xFF},
      {"''''", 0x2727},
      {"''", Nie},
      {"'ABCDEFG'", Nie},
      {"'AB", Nie},
      {"AB'", Nie},
      {"'", Nie},
  };
  for (const auto& p : przypadki)
    EXPECT_EQ(Szesc(PoprawnaLiczbaSzesciobajtowaWCudzyslowie, p.tekst), p.wartosc) << p.tekst;
}

TEST(PoprawnaLiczbaSzesciobajtowa, TriesDecimalThenHexThenQuoted) {
  EXPECT_EQ(Szesc(PoprawnaLiczbaSzesciobajtowa, "10"), 10u);
  EXPECT_EQ(Szesc(PoprawnaLiczbaSzesciobajtowa, "10H"), 16u);
  EXPECT_EQ(Szesc(PoprawnaLiczbaSzesciobajtowa, "'10'"), 0x3031u);
  EXPECT_EQ(Szesc(PoprawnaLiczbaSzesciobajtowa, "x"), Nie);
}

TEST(PoprawnaLiczbaZPodanegoZakresu, GivesTheValueEvenOutOfRange) {
  const struct {
    const char* tekst;
    uint32_t min, max;
    bool jest;
    uint32_t wartosc;
  } przypadki[] = {
      {"5", 1, 10, true, 5},   {"1", 1, 10, true, 1},   {"10", 1, 10, true, 10},
      {"11", 1, 10, false, 11}, {"0", 1, 10, false, 0}, {"abc", 1, 10, false, 0},
      {"4294967295", 0, 4294967295u, true, 4294967295u},
  };
  for (const auto& p : przypadki) {
    uint32_t w = 777;
    EXPECT_EQ(PoprawnaLiczbaZPodanegoZakresu(p.tekst, p.min, p.max, &w), p.jest) << p.tekst;
    EXPECT_EQ(w, p.wartosc) << p.tekst;
  }
}

TEST(PoprawnaLiczbaTypu, WordByteBooleanLeaveTheValueOnNo) {
  const struct {
    const char* tekst;
    int word, byte, boolean;  // -1 = refused
  } przypadki[] = {
      {"0", 0, 0, 0},          {"1", 1, 1, 1},          {"2", 2, 2, -1},
      {"255", 255, 255, -1},   {"0xFF", 255, 255, -1},  {"$FF", 255, 255, -1},
      {"256", 256, -1, -1},    {"65535", 65535, -1, -1}, {"65536", -1, -1, -1},
      {"'\x01'", 1, 1, 1},     {"$1", 1, 1, 1},         {"", -1, -1, -1},
      {"-0", -1, -1, -1},
  };
  for (const auto& p : przypadki) {
    uint32_t w = 4242;
    uint8_t b = 42, l = 42;
    EXPECT_EQ(PoprawnaLiczbaTypuWord(p.tekst, &w), p.word >= 0) << p.tekst;
    EXPECT_EQ(w, p.word >= 0 ? uint32_t(p.word) : 4242u) << p.tekst;
    EXPECT_EQ(PoprawnaLiczbaTypuByte(p.tekst, &b), p.byte >= 0) << p.tekst;
    EXPECT_EQ(b, p.byte >= 0 ? p.byte : 42) << p.tekst;
    EXPECT_EQ(PoprawnaLiczbaTypuBoolean(p.tekst, &l), p.boolean >= 0) << p.tekst;
    EXPECT_EQ(l, p.boolean >= 0 ? p.boolean : 42) << p.tekst;
  }
}

TEST(PoprawnaLiczbaHEXTypuByte, ReadsBareHexDigits) {
  const struct {
    const char* tekst;
    int wartosc;
  } przypadki[] = {
      {"FF", 255}, {"1F", 31}, {"ff", 255}, {"0", 0}, {"00FF", 255},
      {"100", -1}, {"G", -1},  {"", -1},    {"$FF", -1}, {"0xFF", -1},
  };
  for (const auto& p : przypadki) {
    uint8_t b = 42;
    EXPECT_EQ(PoprawnaLiczbaHEXTypuByte(p.tekst, &b), p.wartosc >= 0) << p.tekst;
    EXPECT_EQ(b, p.wartosc >= 0 ? p.wartosc : 42) << p.tekst;
  }
}

TEST(PoprawnaLiczbaHEXTypuByte, SeesAll255BytesOfItsText) {
  // The marker in front must not push the end of a long text out of sight.
  std::string tekst = "FF" + std::string(252, ' ') + "G";
  uint8_t b = 42;
  EXPECT_FALSE(PoprawnaLiczbaHEXTypuByte(tekst.c_str(), &b));
  tekst = "FF" + std::string(253, ' ');
  EXPECT_TRUE(PoprawnaLiczbaHEXTypuByte(tekst.c_str(), &b));
  EXPECT_EQ(b, 255);
}

TEST(PoprawnaLiczbaZmiennoprzecinkowa, CountsDecimalPlaces) {
  const struct {
    const char* tekst;
    bool jest;
    uint32_t wartosc;
    uint8_t miejsca;
  } przypadki[] = {
      {"12,50", true, 125, 1}, {"7.000", true, 7, 0},   {"0,05", true, 5, 2},
      {"3,14", true, 314, 2},  {"12", true, 12, 0},     {"0.0", true, 0, 0},
      {"100", true, 100, 0},   {"4294967.295", true, 4294967295u, 3},
      {",5", false, 0, 0},     {"1,2,3", false, 0, 0},  {"1.", false, 0, 0},
      {"", false, 0, 0},       {"1 .5", false, 0, 0},   {"-1", false, 0, 0},
      {"4294967296", false, 0, 0}, {"42949672.960", false, 0, 0}, {"429496729.50", true, 4294967295u, 1},
  };
  for (const auto& p : przypadki) {
    uint32_t w = 99;
    uint8_t m = 99;
    EXPECT_EQ(PoprawnaLiczbaZmiennoprzecinkowa(p.tekst, &w, &m), p.jest) << p.tekst;
    EXPECT_EQ(w, p.wartosc) << p.tekst;
    EXPECT_EQ(m, p.miejsca) << p.tekst;
  }
}

TEST(PoprawnaLiczbaOsmiobajtowa, SkipsSpacesAnywhere) {
  const struct {
    const char* tekst;
    bool jest;
    uint64_t wartosc;
  } przypadki[] = {
      {" 1 2 3", true, 123},
      {"18446744073709551615", true, UINT64_MAX},
      {"18446744073709551616", false, 0},
      {"12a", false, 0},
      {"", false, 0},
      {"   ", false, 0},
  };
  for (const auto& p : przypadki) {
    uint8_t liczba[8];
    std::memset(liczba, 0xAA, sizeof liczba);
    EXPECT_EQ(PoprawnaLiczbaOsmiobajtowa(p.tekst, liczba), p.jest) << p.tekst;
    EXPECT_EQ(WartoscBajtow(liczba, 8), p.wartosc) << p.tekst;
  }
}

TEST(PoprawnyNapisOpisujacyParzystosc, WordsAndLettersInAnyCase) {
  const struct {
    const char* tekst;
    int kod;
  } przypadki[] = {
      {"NONE", 0}, {"n", 0},  {"None", 0}, {"ODD", 1},   {"o", 1},     {"even", 2},
      {"E", 2},    {"NONE ", -1}, {" N", -1}, {"", -1},  {"NN", -1},   {"ODDODD", -1},
      {"X", -1},   {"EVENT", -1},
  };
  for (const auto& p : przypadki) {
    uint8_t kod = 42;
    EXPECT_EQ(PoprawnyNapisOpisujacyParzystosc(p.tekst, &kod), p.kod >= 0) << p.tekst;
    EXPECT_EQ(kod, p.kod >= 0 ? p.kod : 42) << p.tekst;
  }
}

TEST(BajtLiczby, CountsFromTheLowByte) {
  const uint32_t w = 0x11223344;
  const uint8_t oczekiwane[] = {0, 0x44, 0x33, 0x22, 0x11, 0, 0};
  for (uint8_t n = 0; n < 7; ++n) EXPECT_EQ(BajtLiczby(n, w), oczekiwane[n]) << int(n);
}

TEST(UsuniecieSpacji, TrimsSpacesButNotTabs) {
  const struct {
    const char *tekst, *wynik;
  } przypadki[] = {
      {"  ab c  ", "ab c"}, {"\tab ", "\tab"}, {"    ", ""}, {"", ""}, {"x", "x"},
  };
  for (const auto& p : przypadki) {
    char tekst[256];
    std::strcpy(tekst, p.tekst);
    UsuniecieSpacji(tekst);
    EXPECT_STREQ(tekst, p.wynik);
  }
}

TEST(Walidatory, AcceptAny255ByteText) {
  // Every validator reads a full text buffer of arbitrary bytes without
  // reaching past it (the sanitizer build checks the reach).
  char tekst[256];
  for (int wzor = 0; wzor < 4; ++wzor) {
    for (int i = 0; i < 255; ++i) tekst[i] = static_cast<char>(wzor == 0 ? ' ' : wzor == 1 ? '9' : 0x80 + i % 100);
    tekst[255] = 0;
    if (wzor == 3) {
      tekst[0] = '\'';
      tekst[254] = '\'';
    }
    uint8_t b, liczba[8];
    uint32_t w;
    PoprawnaLiczbaZmiennoprzecinkowa(tekst, &w, &b);
    PoprawnaLiczbaOsmiobajtowa(tekst, liczba);
    PoprawnaLiczbaSzesciobajtowa(tekst, liczba);
    EXPECT_FALSE(PoprawnaLiczbaTypuLong(tekst, &w)) << wzor;
    PoprawnaLiczbaHEXTypuByte(tekst, &b);
    PoprawnyNapisOpisujacyParzystosc(tekst, &b);
    UsuniecieSpacji(tekst);
  }
}
