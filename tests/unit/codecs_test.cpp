#include "text/codecs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "karvo.h"

namespace {

std::string Tekst8(uint64_t wartosc) {
  uint8_t liczba[8];
  ZapisBajtow(wartosc, liczba, 8);
  char tekst[256];
  std::memset(tekst, 'x', sizeof tekst);
  LiczbaOsmiobajtowaNaTekst(liczba, tekst);
  return tekst;
}

}  // namespace

TEST(TekstNaLiczbeOsmiobajtowa, ConvertsOrMarks) {
  const struct {
    const char* tekst;
    uint8_t wynik;
    uint64_t wartosc;
  } przypadki[] = {
      {" 1 2 3", KonwersjaPoprawna, 123},
      {"", KonwersjaPoprawna, 0},
      {"   ", KonwersjaPoprawna, 0},
      {"0", KonwersjaPoprawna, 0},
      {"18446744073709551615", KonwersjaPoprawna, UINT64_MAX},
      {"18446744073709551616", ZnacznikPrzepelnienia, 0},
      {"99999999999999999999999", ZnacznikPrzepelnienia, 0},
      {"12a", ZnacznikZlegoZnaku, 0},
      {"1\t2", ZnacznikZlegoZnaku, 0},
      {"-1", ZnacznikZlegoZnaku, 0},
      {"\xb5", ZnacznikZlegoZnaku, 0},
  };
  for (const auto& p : przypadki) {
    uint8_t liczba[8];
    std::memset(liczba, 0xAA, sizeof liczba);
    EXPECT_EQ(TekstNaLiczbeOsmiobajtowa(p.tekst, liczba), p.wynik) << p.tekst;
    EXPECT_EQ(Konwersja.Blad, p.wynik) << p.tekst;
    EXPECT_EQ(WartoscBajtow(liczba, 8), p.wartosc) << p.tekst;
  }
}

TEST(TekstNaLiczbeOsmiobajtowa, ClearsTheErrorFlagOnSuccess) {
  uint8_t liczba[8];
  TekstNaLiczbeOsmiobajtowa("x", liczba);
  TekstNaLiczbeOsmiobajtowa("7", liczba);
  EXPECT_EQ(Konwersja.Blad, KonwersjaPoprawna);
}

TEST(TekstNaLiczbeOsmiobajtowa, ReadsNoMoreThan255Bytes) {
  char tekst[300];
  std::memset(tekst, ' ', sizeof tekst);
  tekst[255] = 'x';  // beyond the text's 255 bytes: never looked at
  tekst[254] = '5';
  uint8_t liczba[8];
  EXPECT_EQ(TekstNaLiczbeOsmiobajtowa(tekst, liczba), KonwersjaPoprawna);
  EXPECT_EQ(WartoscBajtow(liczba, 8), 5u);
}

TEST(LiczbaOsmiobajtowaNaTekst, PrintsAllDigitsWithoutLeadingZeros) {
  const struct {
    uint64_t wartosc;
    const char* tekst;
  } przypadki[] = {
      {0, "0"},
      {7, "7"},
      {10, "10"},
      {1000000, "1000000"},
      {9999999999999999999ull, "9999999999999999999"},
      {10000000000000000000ull, "10000000000000000000"},
      {UINT64_MAX, "18446744073709551615"},
  };
  for (const auto& p : przypadki) EXPECT_EQ(Tekst8(p.wartosc), p.tekst);
}

TEST(LiczbaOsmiobajtowaNaTekst, KeepsTheRemainderOfTheLastDivision) {
  Tekst8(1234);
  EXPECT_EQ(Konwersja.Reszta, 1);
}

TEST(LiczbaSzesciobajtowaNaTekst, ReadsSixBytesOnly) {
  const struct {
    uint8_t bajty[8];
    const char* tekst;
  } przypadki[] = {
      {{0x40, 0x42, 0x0F, 0, 0, 0, 0xFF, 0xFF}, "1000000"},
      {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "281474976710655"},
      {{0, 0, 0, 0, 0, 0, 0xFF, 0xFF}, "0"},
  };
  for (const auto& p : przypadki) {
    char tekst[256];
    LiczbaSzesciobajtowaNaTekst(p.bajty, tekst);
    EXPECT_STREQ(tekst, p.tekst);
  }
}

TEST(ZerowanieLiczb, ClearExactlyTheirBytes) {
  uint8_t bajty[10];
  std::memset(bajty, 0xEE, sizeof bajty);
  ZerowanieLiczbySzesciobajtowej(bajty + 1);
  EXPECT_EQ(bajty[0], 0xEE);
  EXPECT_EQ(WartoscBajtow(bajty + 1, 6), 0u);
  EXPECT_EQ(bajty[7], 0xEE);
  ZerowanieLiczbyOsmiobajtowej(bajty + 1);
  EXPECT_EQ(WartoscBajtow(bajty + 1, 8), 0u);
  EXPECT_EQ(bajty[9], 0xEE);
}

TEST(ZerowanieNapisu, ClearsAll256Bytes) {
  char bufor[258];
  std::memset(bufor, 'x', sizeof bufor);
  ZerowanieNapisu(bufor + 1);
  EXPECT_EQ(bufor[0], 'x');
  for (int i = 1; i <= 256; ++i) ASSERT_EQ(bufor[i], 0) << i;
  EXPECT_EQ(bufor[257], 'x');
}

TEST(PodNapis, KeepsTheRange) {
  const struct {
    unsigned od, do_;
    const char* wynik;
  } przypadki[] = {
      {2, 10, "BCDEF"}, {1, 6, "ABCDEF"}, {3, 3, "C"}, {6, 6, "F"},
      {0, 3, ""},       {7, 9, ""},       {4, 3, ""},  {1, 4000000000u, "ABCDEF"},
  };
  for (const auto& p : przypadki) {
    char tekst[256] = "ABCDEF";
    PodNapis(tekst, p.od, p.do_);
    EXPECT_STREQ(tekst, p.wynik) << p.od << ".." << p.do_;
  }
}

TEST(DopisanieZnaku, StopsAt255Bytes) {
  char tekst[257];
  tekst[256] = 'g';  // guard beyond the buffer
  std::memset(tekst, 'a', 254);
  tekst[254] = 0;
  DopisanieZnaku(tekst, 'b');
  EXPECT_EQ(std::strlen(tekst), 255u);
  EXPECT_EQ(tekst[254], 'b');
  DopisanieZnaku(tekst, 'c');
  EXPECT_EQ(std::strlen(tekst), 255u);
  EXPECT_EQ(tekst[256], 'g');
  char pusty[256] = "";
  DopisanieZnaku(pusty, '\0');
  EXPECT_STREQ(pusty, "");
}

TEST(WstawienieZnakuNaPoczatek, PadsOnTheLeftUntilFull) {
  char tekst[256] = "7";
  WstawienieZnakuNaPoczatek('0', tekst);
  WstawienieZnakuNaPoczatek('0', tekst);
  EXPECT_STREQ(tekst, "007");
  char pelny[256];
  std::memset(pelny, 'z', 255);
  pelny[255] = 0;
  WstawienieZnakuNaPoczatek('0', pelny);
  EXPECT_EQ(pelny[0], 'z');
  EXPECT_EQ(std::strlen(pelny), 255u);
}

TEST(DopisanieTrzech, AppendsAndCuts) {
  char tekst[256] = "a";
  DopisanieTrzech(tekst, "bc", "", "d");
  EXPECT_STREQ(tekst, "abcd");
  std::string dlugi(200, 'x');
  DopisanieTrzech(tekst, dlugi.c_str(), dlugi.c_str(), "y");
  EXPECT_EQ(std::strlen(tekst), 255u);
}

TEST(OdciecieDoZnaku, CutsAtTheLastOccurrence) {
  const struct {
    const char* tekst;
    char znak;
    bool zeZnakiem;
    const char* czesc;
    const char* reszta;
  } przypadki[] = {
      {"a\\b\\c.txt", '\\', true, "a\\b\\", "c.txt"},
      {"a.b.c", '.', false, "a.b", ".c"},
      {"abc", '.', true, "", "abc"},
      {"abc", '.', false, "", "abc"},
      {".abc", '.', false, "", ".abc"},
      {".abc", '.', true, ".", "abc"},
      {"abc:", ':', true, "abc:", ""},
      {"", ':', true, "", ""},
  };
  for (const auto& p : przypadki) {
    char tekst[256], czesc[256] = "stale";
    std::strcpy(tekst, p.tekst);
    OdciecieDoZnaku(tekst, p.znak, p.zeZnakiem, czesc);
    EXPECT_STREQ(czesc, p.czesc) << p.tekst;
    EXPECT_STREQ(tekst, p.reszta) << p.tekst;
  }
}

TEST(NapisyIZnaki, CompareExactly) {
  EXPECT_TRUE(NapisyRowne("Abc", "Abc"));
  EXPECT_FALSE(NapisyRowne("Abc", "abc"));
  EXPECT_FALSE(NapisyRowne("Abc", "Abcd"));
  EXPECT_TRUE(NapisyRowne("", ""));
  EXPECT_TRUE(ZawieraZnak("a\tb", '\t'));
  EXPECT_FALSE(ZawieraZnak("ab", 'c'));
  EXPECT_FALSE(ZawieraZnak("ab", '\0'));
  EXPECT_TRUE(ZawieraZnak("\xf3", '\xf3'));
}

TEST(ZamianaNaWielkieLitery, ChangesAsciiLettersOnly) {
  char tekst[256] = "abz\xa5\xe6 09:;{";
  ZamianaNaWielkieLitery(tekst);
  EXPECT_STREQ(tekst, "ABZ\xa5\xe6 09:;{");
}

TEST(RozbiorSciezki, SplitsWithEitherSeparator) {
  const struct {
    const char* sciezka;
    const char *dysk, *katalog, *nazwa, *rozszerzenie;
    uint8_t flagi;
  } przypadki[] = {
      {"C:\\DANE\\TOWARY.TXT", "C:", "\\DANE\\", "TOWARY", ".TXT", 16 | 8 | 4 | 2},
      {"dane/sub/towary.txt", "", "dane/sub/", "towary", ".txt", 8 | 4 | 2},
      {"dane\\sub/towary", "", "dane\\sub/", "towary", "", 8 | 4},
      {"/tmp/a.b.c", "", "/tmp/", "a.b", ".c", 8 | 4 | 2},
      {"towary.txt", "", "", "towary", ".txt", 4 | 2},
      {"dir.d/plik", "", "dir.d/", "plik", "", 8 | 4},
      {".profile", "", "", "", ".profile", 2},
      {"C:", "C:", "", "", "", 16},
      {"", "", "", "", "", 0},
  };
  for (const auto& p : przypadki) {
    char dysk[256], katalog[256], nazwa[256], rozszerzenie[256];
    EXPECT_EQ(RozbiorSciezki(p.sciezka, dysk, katalog, nazwa, rozszerzenie), p.flagi) << p.sciezka;
    EXPECT_STREQ(dysk, p.dysk) << p.sciezka;
    EXPECT_STREQ(katalog, p.katalog) << p.sciezka;
    EXPECT_STREQ(nazwa, p.nazwa) << p.sciezka;
    EXPECT_STREQ(rozszerzenie, p.rozszerzenie) << p.sciezka;
  }
}

TEST(RozbiorSciezki, StaysWithinTheBuffersForA255BytePath) {
  char sciezka[256];
  std::memset(sciezka, 'n', 255);
  sciezka[255] = 0;
  sciezka[100] = '/';
  sciezka[200] = '.';
  char dysk[256], katalog[256], nazwa[256], rozszerzenie[256];
  EXPECT_EQ(RozbiorSciezki(sciezka, dysk, katalog, nazwa, rozszerzenie), 8 | 4 | 2);
  EXPECT_EQ(std::strlen(katalog), 101u);
  EXPECT_EQ(std::strlen(nazwa), 99u);
  EXPECT_EQ(std::strlen(rozszerzenie), 55u);
}
