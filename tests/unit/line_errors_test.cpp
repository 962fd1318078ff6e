// Why a field or a line gave ResultCode 11, and where it stands.
#include "datafiles/line_errors.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "datafiles/data_files.h"
#include "datafiles/field_readers.h"
#include "state/result_codes.h"
#include "state/session_state.h"
#include "temp_dir.h"

namespace {

class BledyLinii : public ::testing::Test {
 protected:
  void SetUp() override {
    ZerowanieDanychSesji();
    std::memset(Proces.ZnakiKoncaLinii, 0, sizeof Proces.ZnakiKoncaLinii);
    std::memcpy(Proces.ZnakiKoncaLinii, "\r\n", 2);
    ZgloszenieBleduLinii();  // forgets what an earlier test noted
  }
  void TearDown() override {
    ZamknieciePliku(&Sesja.UchwytWejscia);
    ZerowanieDanychSesji();
  }
  // Opens the text as the session's input file, named DANE.TXT.
  // A new input file in place of the last one, nothing noted yet.
  void Wejscie(const std::string& tresc) {
    ZamknieciePliku(&Sesja.UchwytWejscia);
    ZgloszenieBleduLinii();
    const std::string sciezka = katalog_.Zapis("DANE.TXT", tresc);
    std::strcpy(Sesja.NazwyPlikowSesji[NazwaPlikuWejsciowego], "DANE.TXT");
    ASSERT_TRUE(OtwartoPlik(&Sesja.UchwytWejscia, sciezka.c_str(), 0));
  }
  KatalogTymczasowy katalog_;
};

// A reader of one field, as a command calls it.
using Czytnik = bool (*)(const char* linia, uint8_t k);
bool Bajt(const char* l, uint8_t k) { uint8_t v; return PoleByte(l, k, v); }
bool Slowo(const char* l, uint8_t k) { uint16_t v; return PoleWord(l, k, v); }
bool Dlugie(const char* l, uint8_t k) { uint32_t v; return PoleLong(l, k, v); }
bool Logiczne(const char* l, uint8_t k) { uint8_t v; return PoleBoolean(l, k, v); }
bool Szesc(const char* l, uint8_t k) { uint8_t v[6]; return PoleSzesciobajtowe(l, k, v); }
bool Nazwa5(const char* l, uint8_t k) { Napis t{}; return PoleTekst(l, k, 5, t); }
bool CoNajmniej3(const char* l, uint8_t k) { Napis t{}; return PoleTekstCoNajmniej(l, k, 3, t); }

TEST_F(BledyLinii, EachReaderSaysWhyItsFieldFailed) {
  const struct {
    const char* linia;
    Czytnik czytnik;
    uint8_t k;
    const char* opis;  // empty: the field is good
  } przypadki[] = {
      {"12\tx", Bajt, 1, ""},
      {"12\t\t5", Bajt, 2, "field 2: empty"},
      {"12", Bajt, 3, "field 3: missing (the line has 1 field)"},
      {"1\t2", Bajt, 3, "field 3: missing (the line has 2 fields)"},
      {"256", Bajt, 1, "field 1: \"256\" is above 255"},
      {"$1FF", Bajt, 1, "field 1: \"$1FF\" is above 255"},
      {"1.50", Bajt, 1, "field 1: \"1.50\" is not a whole number (0 to 255)"},
      {"2,00", Slowo, 1, "field 1: \"2,00\" is not a whole number (0 to 65535)"},
      {"-1", Slowo, 1, "field 1: \"-1\" is not a number (0 to 65535)"},
      {"65536", Slowo, 1, "field 1: \"65536\" is above 65535"},
      {"4294967296", Dlugie, 1, "field 1: \"4294967296\" is above 4294967295"},
      {"12a\xB1", Dlugie, 1, "field 1: \"12a\\xB1\" is not a number (0 to 4294967295)"},
      {"2", Logiczne, 1, "field 1: \"2\" is neither 0 nor 1"},
      {"'ABCDEFG'", Szesc, 1,
       "field 1: \"'ABCDEFG'\" is not a number (decimal digits, hexadecimal as $1A, 1AH or 0x1A, or 1 to 6 characters "
       "between apostrophes)"},
      {"abcde", Nazwa5, 1, ""},
      {"abcd", Nazwa5, 1, "field 1: 4 characters where 5 are needed"},
      {"abcdef", Nazwa5, 1, "field 1: 6 characters where 5 are needed"},
      {"ab\xC5\x82" "de", Nazwa5, 1,
       "field 1: 6 characters where 5 are needed; it holds 1 UTF-8 letter of 2 or more bytes: write texts in the "
       "register's one-byte code page"},
      {"\xC4\x85\xC4\x99" "cd", Nazwa5, 1,
       "field 1: 6 characters where 5 are needed; it holds 2 UTF-8 letters of 2 or more bytes each: write texts in "
       "the register's one-byte code page"},
      // Code page 852 bytes are one character each: no UTF-8 is claimed.
      {"ab\xA5\x88", Nazwa5, 1, "field 1: 4 characters where 5 are needed"},
      {"1\t\t3", CoNajmniej3, 2, "field 2: 0 characters where at least 3 are needed"},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.linia);
    ZerowanieDanychSesji();
    ZgloszenieBleduLinii();
    const bool dobre = p.czytnik(p.linia, p.k);
    EXPECT_EQ(dobre, p.opis[0] == 0);
    EXPECT_EQ(OpisBleduLinii(), p.opis);
    EXPECT_EQ(Sesja.BiezacyWynik, dobre ? 0 : 11);
  }
}

// Where a failure is told: in the line last read of the input file, with its
// number (the first failure of a line is the one told), in the first header
// line as it was cleaned, and without a place for a text that is no line of
// the file (a command's own).
TEST_F(BledyLinii, AFailureIsToldWhereItStands) {
  const struct {
    const char* tresc;
    int naglowkow, danych;  // the lines read before the field, of each kind
    bool oczyszczona;       // the header line cleaned as the first one is
    const char* tekst;      // read instead of the last line
    uint8_t pole;
    const char* opis;
  } przypadki[] = {
      {"#7\r\n;c\r\n#\r\n#\r\n$1\tx\r\n;\r\n$2\t300\r\n", 3, 2, false, nullptr, 2,
       "DANE.TXT line 7 field 2: \"300\" is above 255"},
      {";\r\n#7x ; a shop\r\n#\r\n#\r\n", 1, 0, true, nullptr, 1,
       "DANE.TXT line 2 field 1: \"7X\" is not a number (0 to 255)"},
      {"$1\r\n", 0, 1, false, "x", 1, "field 1: \"x\" is not a number (0 to 255)"},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.tresc);
    Wejscie(p.tresc);
    Napis linia{};
    uint8_t zla = 0;
    for (int i = 0; i < p.naglowkow; ++i) ASSERT_TRUE(OdczytanoZPlikuLinieNaglowka(Sesja.UchwytWejscia, linia, &zla));
    for (int i = 0; i < p.danych; ++i) ASSERT_TRUE(OdczytanoZPlikuLinieDanych(Sesja.UchwytWejscia, linia, &zla));
    if (p.oczyszczona) OczyszczenieNapisu(linia);
    const char* czytana = p.tekst ? p.tekst : linia;
    EXPECT_FALSE(Bajt(czytana, p.pole));
    EXPECT_EQ(OpisBleduLinii(), p.opis);
    if (p.tekst) continue;
    EXPECT_FALSE(Bajt(czytana, 3));
    EXPECT_EQ(OpisBleduLinii(), p.opis);
  }
}

TEST_F(BledyLinii, ALineOfTheWrongKindIsToldWithItsNumber) {
  const struct {
    const char* tresc;
    char znacznik;
    const char* opis;
  } przypadki[] = {
      {"$1\r\n;\r\n#x\r\n", '$', "DANE.TXT line 3: a header line where a data line (\"$\") must stand"},
      {"#1\r\n", '$', "DANE.TXT line 1: a header line where a data line (\"$\") must stand"},
      {";\r\n$1\r\n", '#', "DANE.TXT line 2: a data line where a header line (\"#\") must stand"},
      {"\t$1\r\n", '$', "DANE.TXT line 1: the line begins with 0x09: a line begins with \"#\" (header), \"$\" (data) or \";\" (comment)"},
      {"\xEF\xBB\xBF#7\r\n", '#', "DANE.TXT line 1: the file begins with a UTF-8 byte order mark: write it without one"},
      // Without a terminator at the end, the last line still has its number.
      {"$1\r\n$2\r\nx", '$', "DANE.TXT line 3: the line begins with \"x\": a line begins with \"#\" (header), \"$\" (data) or \";\" (comment)"},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.tresc);
    Wejscie(p.tresc);
    Napis linia{};
    uint8_t zla = 0;
    while (OdczytanoZPlikuKonkretnaLinie(Sesja.UchwytWejscia, p.znacznik, linia, &zla)) {
    }
    EXPECT_EQ(zla, 1);
    EXPECT_EQ(OpisBleduLinii(), p.opis);
  }
}

}  // namespace
