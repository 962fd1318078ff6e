#include "datafiles/data_files.h"
#include "session/session_open.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"
#include "state/session_state.h"
#include "temp_dir.h"

namespace {

class PlikiDanych : public ::testing::Test {
 protected:
  void SetUp() override {
    ZerowanieDanychSesji();
    UstawienieKonca("\r\n");
    Proces.UdostepnianieWyjscia = 0;
  }
  void TearDown() override {
    platforma::ZamknijPlik(uchwyt_);
    SetUp();
  }
  static void UstawienieKonca(const std::string& koniec) {
    std::memset(Proces.ZnakiKoncaLinii, 0, sizeof Proces.ZnakiKoncaLinii);
    std::memcpy(Proces.ZnakiKoncaLinii, koniec.data(), koniec.size());
  }
  int32_t Otwarcie(const std::string& tresc, uint8_t tryb = 0) {
    platforma::ZamknijPlik(uchwyt_);
    sciezka_ = katalog_.Zapis("dane.txt", tresc);
    EXPECT_TRUE(OtwartoPlik(&uchwyt_, sciezka_.c_str(), tryb));
    return uchwyt_;
  }
  // The raw lines up to the first no.
  std::vector<std::string> SurowaLinie(const std::string& tresc) {
    const int32_t uchwyt = Otwarcie(tresc);
    std::vector<std::string> linie;
    for (char linia[256]; OdczytanieLinii(uchwyt, linia);) linie.emplace_back(linia);
    return linie;
  }
  std::string Zawartosc() const { return KatalogTymczasowy::Odczyt(sciezka_); }

  KatalogTymczasowy katalog_;
  std::string sciezka_;
  int32_t uchwyt_ = -1;
};

using Linie = std::vector<std::string>;

TEST_F(PlikiDanych, RawLinesWithTheDefaultTerminator) {
  const struct {
    std::string tresc;
    Linie linie;
  } przypadki[] = {
      {"a\r\nbc\r\n", {"a", "bc"}},
      {"a\r\nbc", {"a", "bc"}},
      {"a\nb\r\n", {"a\nb"}},
      {"a\rb\r\n", {"a\rb"}},
      {"a\r\r\nb\r\n", {"a\r", "b"}},  // a carriage return before the terminator stays in the line
      {"a\r", {"a\r"}},                 // a partial terminator at the end of the file belongs to the line
      {"a\r\n\r\nb\r\n", {"a"}},        // an empty line ends the reading
      {"\r\nb\r\n", {}},
      {"", {}},
      {std::string("a\0b\r\n", 5), {"ab"}},
  };
  for (const auto& p : przypadki) EXPECT_EQ(SurowaLinie(p.tresc), p.linie) << p.tresc;
}

TEST_F(PlikiDanych, ConfiguredTerminators) {
  const struct {
    std::string koniec, tresc;
    Linie linie;
  } przypadki[] = {
      {"\n", "a\nb\r\nc", {"a", "b\r", "c"}},
      {"END", "aENbENDcEENDd", {"aENb", "cE", "d"}},
      {"aab", "xaaabyaab", {"xa", "y"}},
      {"||", "a|b||c|", {"a|b", "c|"}},
      {"", "a\r\nb", {"a\r\nb"}},
  };
  for (const auto& p : przypadki) {
    UstawienieKonca(p.koniec);
    EXPECT_EQ(SurowaLinie(p.tresc), p.linie) << p.koniec;
  }
}

TEST_F(PlikiDanych, LineLengthLimit) {
  const std::string l255(255, 'x'), l256(256, 'y');
  EXPECT_EQ(SurowaLinie(l255 + "\r\nz\r\n"), (Linie{l255, "z"}));
  EXPECT_EQ(SurowaLinie(l256 + "\r\nz\r\n"), Linie{});
  EXPECT_EQ(SurowaLinie("a\r\n" + l256), Linie{"a"});
  EXPECT_EQ(SurowaLinie(l255), Linie{l255});
  EXPECT_EQ(SurowaLinie(l255 + "\r"), Linie{});  // 256 bytes at the end of the file
  UstawienieKonca(std::string(255, 'T'));
  EXPECT_EQ(SurowaLinie(l255 + std::string(254, 'T') + "x"), Linie{});
}

TEST_F(PlikiDanych, LiniaZakonczonaTellsHowTheLastLineEnded) {
  const int32_t uchwyt = Otwarcie("$1\r\n$2");
  char linia[256];
  ASSERT_TRUE(OdczytanieLinii(uchwyt, linia));
  EXPECT_EQ(Sesja.LiniaZakonczona, 1);
  ASSERT_TRUE(OdczytanieLinii(uchwyt, linia));
  EXPECT_STREQ(linia, "$2");
  EXPECT_EQ(Sesja.LiniaZakonczona, 0);
  EXPECT_FALSE(OdczytanieLinii(uchwyt, linia));
  EXPECT_EQ(Sesja.LiniaZakonczona, 0);
}

TEST_F(PlikiDanych, ReadingLeavesTheFileRightAfterTheLine) {
  const int32_t uchwyt = Otwarcie("ab\r\ncd\r\nef\r\n");
  char linia[256];
  ASSERT_TRUE(OdczytanieLinii(uchwyt, linia));
  EXPECT_EQ(platforma::UstawPozycjePliku(uchwyt, 0, 1), 4);
  EXPECT_FALSE(Moje_feof(uchwyt));
  EXPECT_EQ(platforma::UstawPozycjePliku(uchwyt, 0, 1), 4);
  ASSERT_TRUE(OdczytanieLinii(uchwyt, linia));
  ASSERT_TRUE(OdczytanieLinii(uchwyt, linia));
  EXPECT_TRUE(Moje_feof(uchwyt));
  EXPECT_TRUE(Moje_feof(-1));
}

TEST_F(PlikiDanych, ADeviceHasNoLines) {
  for (const char* urzadzenie : {"/dev/null", "/dev/zero"}) {
    int32_t uchwyt = -1;
    ASSERT_TRUE(OtwartoPlik(&uchwyt, urzadzenie, 0)) << urzadzenie;
    char linia[256];
    uint8_t zla = 9;
    EXPECT_FALSE(OdczytanoZPlikuLinieDanych(uchwyt, linia, &zla)) << urzadzenie;
    EXPECT_EQ(zla, 0);
    ZamknieciePliku(&uchwyt);
  }
}

TEST_F(PlikiDanych, LinesByKind) {
  const struct {
    std::string tresc;
    char znacznik;
    Linie linie;
    uint8_t zlaLinia;
  } przypadki[] = {
      {"$12\t\t5\r\n;uwaga\r\n$\r\n", '$', {"12\t\t5", ""}, 0},
      {"$1\r\n#h\r\n$2\r\n", '$', {"1"}, 1},
      {"$1\r\nx\r\n", '$', {"1"}, 1},
      {";a\r\n#1\r\n#2\r\n;b\r\n#3\r\n$d\r\n", '#', {"1", "2", "3"}, 1},
      {"$1\r\n\r\n$2\r\n", '$', {"1"}, 0},
      {";tylko komentarz\r\n", '$', {}, 0},
  };
  for (const auto& p : przypadki) {
    const int32_t uchwyt = Otwarcie(p.tresc);
    Linie linie;
    char linia[256];
    uint8_t zla = 9;
    while (OdczytanoZPlikuKonkretnaLinie(uchwyt, p.znacznik, linia, &zla)) {
      EXPECT_EQ(zla, 0);
      linie.emplace_back(linia);
    }
    EXPECT_EQ(linie, p.linie) << p.tresc;
    EXPECT_EQ(zla, p.zlaLinia) << p.tresc;
    if (zla) {
      EXPECT_STREQ(linia, "");
    }
  }
}

TEST_F(PlikiDanych, HeaderAndDataLinesOfAnInputFile) {
  const int32_t uchwyt = Otwarcie("#1\r\n#\r\n$a\r\n$b\r\n");
  Sesja.UchwytWejscia = uchwyt;
  char linia[256];
  uint8_t zla = 0;
  EXPECT_TRUE(OdczytanoZPlikuLinieNaglowka(uchwyt, linia, &zla));
  EXPECT_STREQ(linia, "1");
  EXPECT_TRUE(OdczytanoZPlikuLinieNaglowka(uchwyt, linia, &zla));
  EXPECT_STREQ(linia, "");
  EXPECT_FALSE(OdczytanoZPlikuLinieNaglowka(uchwyt, linia, &zla));
  EXPECT_EQ(zla, 1);  // the data line that followed is of the wrong kind
  EXPECT_TRUE(OdczytanoZPlikuLinieDanych(uchwyt, linia, &zla));
  EXPECT_STREQ(linia, "b");
  EXPECT_FALSE(OdczytanoZPlikuLinieDanych(uchwyt, linia, &zla));
  EXPECT_EQ(Sesja.LicznikLiniiWejscia, 1u);
}

TEST_F(PlikiDanych, OnlyTheInputFileCountsItsLines) {
  const int32_t uchwyt = Otwarcie("$a\r\n$b\r\n");
  char linia[256];
  uint8_t zla = 0;
  while (OdczytanoZPlikuLinieDanych(uchwyt, linia, &zla)) {
  }
  EXPECT_EQ(Sesja.LicznikLiniiWejscia, 0u);
}

TEST_F(PlikiDanych, WritesLinesWithTheTerminator) {
  const int32_t uchwyt = Otwarcie("", 1);
  Sesja.UchwytWyjscia = uchwyt;
  Sesja.NowyPlikWynikowy = 0;  // appended output: flushed after every line
  EXPECT_TRUE(ZapisanoDoPlikuLinie(uchwyt, "a\tb"));
  EXPECT_TRUE(ZapisanoDoPlikuLinieDanych(uchwyt, "12"));
  EXPECT_TRUE(ZapisanoDoPlikuLinieDanych(uchwyt, ""));
  UstawienieKonca("\n");
  EXPECT_TRUE(ZapisanoDoPlikuLinie(uchwyt, ""));
  EXPECT_EQ(Zawartosc(), "a\tb\r\n$12\r\n$\r\n\n");
  EXPECT_EQ(Sesja.LicznikLiniiWyjscia, 2u);
}

TEST_F(PlikiDanych, WritesA255ByteDataLine) {
  const int32_t uchwyt = Otwarcie("", 1);
  const std::string tekst(255, 'q');
  EXPECT_TRUE(ZapisanoDoPlikuLinieDanych(uchwyt, tekst.c_str()));
  EXPECT_EQ(Zawartosc(), "$" + tekst + "\r\n");
  EXPECT_EQ(Sesja.LicznikLiniiWyjscia, 0u);  // not the output file
}

TEST_F(PlikiDanych, WriteFailsOnAReadOnlyHandle) {
  const int32_t uchwyt = Otwarcie("x\r\n", 0);
  EXPECT_FALSE(ZapisanoDoPlikuLinie(uchwyt, "a"));
  EXPECT_FALSE(ZapisanoDoPlikuLinieDanych(uchwyt, "a"));
  EXPECT_FALSE(ZapisanoDoPlikuLinie(-1, "a"));
}

TEST_F(PlikiDanych, HeaderLinesAreWrittenWithTheirMarker) {
  const int32_t uchwyt = Otwarcie("", 2);
  std::strcpy(Sesja.WierszeNaglowka[0], "1\tCOM1:9600:MUX0:1");
  std::strcpy(Sesja.WierszeNaglowka[2], "Karvo");
  EXPECT_TRUE(ZapisanieNaglowka(uchwyt));
  EXPECT_EQ(Zawartosc(), "#1\tCOM1:9600:MUX0:1\r\n#\r\n#Karvo\r\n");
  EXPECT_FALSE(ZapisanieNaglowka(-1));
}

TEST_F(PlikiDanych, WrittenLinesReadBack) {
  UstawienieKonca("\n");
  int32_t uchwyt = Otwarcie("", 1);
  EXPECT_TRUE(ZapisanoDoPlikuLinieDanych(uchwyt, "x"));
  EXPECT_TRUE(ZapisanoDoPlikuLinieDanych(uchwyt, "y"));
  ASSERT_TRUE(ZamknieciePliku(&uchwyt_));
  EXPECT_EQ(uchwyt_, -1);
  ASSERT_TRUE(OtwartoPlik(&uchwyt_, sciezka_.c_str(), 0));
  char linia[256];
  uint8_t zla;
  EXPECT_TRUE(OdczytanoZPlikuLinieDanych(uchwyt_, linia, &zla));
  EXPECT_TRUE(OdczytanoZPlikuLinieDanych(uchwyt_, linia, &zla));
  EXPECT_STREQ(linia, "y");
}

TEST_F(PlikiDanych, OpenAndCloseResults) {
  int32_t uchwyt = 7;
  EXPECT_FALSE(OtwartoPlik(&uchwyt, katalog_.Sciezka("brak.txt").c_str(), 0));
  EXPECT_EQ(uchwyt, -1);
  EXPECT_FALSE(OtwartoPlik(&uchwyt, "", 1));
  EXPECT_FALSE(OtwartoPlik(&uchwyt, katalog_.Sciezka("x.txt").c_str(), 4));
  EXPECT_FALSE(OtwartoPlik(&uchwyt, katalog_.Katalog().c_str(), 0));  // a directory is no file
  EXPECT_FALSE(PlikDajeSieOtworzyc(katalog_.Sciezka("brak.txt").c_str(), 0));
  EXPECT_TRUE(PlikDajeSieOtworzyc(katalog_.Sciezka("nowy.txt").c_str(), 2));
  EXPECT_TRUE(PlikDajeSieOtworzyc(katalog_.Sciezka("nowy.txt").c_str(), 0));
  uchwyt = -1;
  EXPECT_FALSE(ZamknieciePliku(&uchwyt));
  uchwyt = 123456;
  EXPECT_FALSE(ZamknieciePliku(&uchwyt));
  EXPECT_EQ(uchwyt, 123456);
}

TEST_F(PlikiDanych, OpenModes) {
  const std::string sciezka = katalog_.Zapis("m.txt", "abc");
  int32_t u = -1;
  ASSERT_TRUE(OtwartoPlik(&u, sciezka.c_str(), 3));  // read and write, not truncated
  char bufor[4] = {};
  EXPECT_EQ(platforma::CzytajPlik(u, bufor, 3), 3);
  EXPECT_EQ(platforma::PiszPlik(u, "d", 1), 1);
  ZamknieciePliku(&u);
  EXPECT_EQ(KatalogTymczasowy::Odczyt(sciezka), "abcd");
  ASSERT_TRUE(OtwartoPlik(&u, sciezka.c_str(), 2));  // appended
  platforma::UstawPozycjePliku(u, 0, 0);
  EXPECT_EQ(platforma::PiszPlik(u, "e", 1), 1);
  ZamknieciePliku(&u);
  EXPECT_EQ(KatalogTymczasowy::Odczyt(sciezka), "abcde");
  ASSERT_TRUE(OtwartoPlik(&u, sciezka.c_str(), 1));  // truncated
  ZamknieciePliku(&u);
  EXPECT_EQ(KatalogTymczasowy::Odczyt(sciezka), "");
}

// A data file opened for appending lines whose last line lacks its
// terminator (a run killed while writing it) gets the missing bytes first, so
// the next line written stands on a line of its own; whole files, and files
// opened with the plain modes, are left as they are.
TEST_F(PlikiDanych, ATornLastLineIsEndedBeforeAnythingIsAppended) {
  const struct {
    std::string koniec, tresc;
    uint8_t tryb;
    std::string potem;  // after the open and one line "#h"
  } przypadki[] = {
      {"\r\n", "", 2, "#h\r\n"},
      {"\r\n", "$1\t2\r\n", 2, "$1\t2\r\n#h\r\n"},
      {"\r\n", "$0002\t1.5", 2, "$0002\t1.5\r\n#h\r\n"},
      {"\r\n", "$0002\t1.5\r", 2, "$0002\t1.5\r\n#h\r\n"},
      {"\r\n", "$0002\t1.5\n", 2, "$0002\t1.5\n\r\n#h\r\n"},
      {"\n", "$1", 2, "$1\n#h\n"},
      {"\r\n\x1A", "$1\r\n", 2, "$1\r\n\x1A#h\r\n\x1A"},
      {"\r\n\x1A", "$1\r", 2, "$1\r\n\x1A#h\r\n\x1A"},
      {"\r\n", "$0002\t1.5", 3, "#h\r\n2\t1.5"},
      {"\r\n", "$0002\t1.5", 4, "$0002\t1.5#h\r\n"},  // 4: OtwartoPlik's mode 2, raw bytes appended
  };
  for (const auto& p : przypadki) {
    UstawienieKonca(p.koniec);
    platforma::ZamknijPlik(uchwyt_);
    sciezka_ = katalog_.Zapis("dane.txt", p.tresc);
    if (p.tryb == 2)
      ASSERT_TRUE(OtwartoPlikDoDopisania(&uchwyt_, sciezka_.c_str()));
    else
      ASSERT_TRUE(OtwartoPlik(&uchwyt_, sciezka_.c_str(), p.tryb == 4 ? 2 : p.tryb));
    EXPECT_TRUE(ZapisanoDoPlikuLinie(uchwyt_, "#h"));
    EXPECT_EQ(Zawartosc(), p.potem) << p.tresc << " mode " << int(p.tryb);
  }
}

TEST(PobranieDanej, FieldsOfALine) {
  const struct {
    const char* tekst;
    uint8_t numer;
    char separator;
    const char* pole;  // nullptr = missing
  } przypadki[] = {
      {"12\t\t5", 1, '\t', "12"},   {"12\t\t5", 2, '\t', nullptr}, {"12\t\t5", 3, '\t', "5"},
      {"12\t\t5", 4, '\t', nullptr}, {"12\t\t5", 0, '\t', nullptr}, {"", 1, '\t', nullptr},
      {"\ta", 1, '\t', nullptr},    {"\ta", 2, '\t', "a"},         {"a\t", 2, '\t', nullptr},
      {"13:10", 2, ':', "10"},      {"a:b:c", 3, ':', "c"},        {"in;out;srv", 3, ';', "srv"},
      {"a:b\tc", 1, '\t', "a:b"},   {"\xa5\xe6\tx", 1, '\t', "\xa5\xe6"},
  };
  for (const auto& p : przypadki) {
    char pole[256] = "stale";
    EXPECT_EQ(PobranieDanej(p.tekst, p.numer, p.separator, pole), p.pole != nullptr) << p.tekst << int(p.numer);
    EXPECT_STREQ(pole, p.pole ? p.pole : "") << p.tekst << int(p.numer);
  }
  char pole[256];
  EXPECT_TRUE(NapisZawieraDana("a\tb", 2, pole));
  EXPECT_TRUE(NapisZawieraDanaPoDwukropku("a:b", 2, pole));
  EXPECT_TRUE(NapisZawieraDanaPoSredniku("a;b", 2, pole));
  EXPECT_STREQ(pole, "b");
  EXPECT_FALSE(NapisZawieraDana("", 1, pole));
}

TEST(PobranieDanej, ALongLineHasA255ByteField) {
  char tekst[256];
  std::memset(tekst, 'f', 255);
  tekst[255] = 0;
  char pole[256];
  EXPECT_TRUE(NapisZawieraDana(tekst, 1, pole));
  EXPECT_EQ(std::strlen(pole), 255u);
  EXPECT_FALSE(NapisZawieraDana(tekst, 255, pole));
}

TEST(OczyszczenieNapisu, CleansConfigurationValues) {
  const struct {
    const char *tekst, *wynik;
  } przypadki[] = {
      {"  com2 ;uwaga", "COM2"}, {";com2", ""},   {"a", "A"},        {" ", ""},
      {"", ""},                  {"\tx\t", "X"}, {"a b", "A B"},    {"x;", "X"},
      {"\xa5z", "\xa5Z"},       {" ;", ""},      {"1:2;3;4", "1:2"},
  };
  for (const auto& p : przypadki) {
    char tekst[256];
    std::strcpy(tekst, p.tekst);
    OczyszczenieNapisu(tekst);
    EXPECT_STREQ(tekst, p.wynik) << "[" << p.tekst << "]";
  }
}

}  // namespace
