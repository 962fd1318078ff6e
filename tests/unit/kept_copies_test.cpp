// Files a clearing or zeroing command is about to replace: their data lines
// counted, the file kept as a numbered copy; and the inner reports of a
// sequence handed to the log once each.
#include "datafiles/kept_copies.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "session/report_log.h"
#include "state/session_state.h"
#include "temp_dir.h"

namespace {

void UstawienieKonca(const std::string& koniec) {
  std::memset(Proces.ZnakiKoncaLinii, 0, sizeof Proces.ZnakiKoncaLinii);
  std::memcpy(Proces.ZnakiKoncaLinii, koniec.data(), koniec.size());
}

class Kopie : public ::testing::Test {
 protected:
  void SetUp() override {
    ZerowanieDanychSesji();
    UstawienieKonca("\r\n");
  }
  void TearDown() override { UstawienieKonca("\r\n"); }
  KatalogTymczasowy katalog_;
};

TEST_F(Kopie, DataLinesAreThoseThatBeginWithTheMarker) {
  const struct {
    std::string koniec, tresc;
    uint32_t linie;
  } przypadki[] = {
      {"\r\n", "", 0},
      {"\r\n", "#7\r\n#\r\n#\r\n", 0},
      {"\r\n", "#7\r\n#\r\n#\r\n$0001\t1\t2\r\n$0002\t3\t4\r\n", 2},
      {"\r\n", "$torn", 1},
      {"\r\n", ";$ a comment\r\n$1\r\n", 1},
      {"\r\n", "#a\t$b\r\nx$\r\n", 0},
      {"\r\n", "$1\n$2\r\n", 1},      // a lone LF ends no line
      {"\r\n", "$1\r\r\n$2\r\n", 2},  // a lone CR is data
      {"\n", "$1\n$2\n#\n$3", 3},
  };
  for (const auto& p : przypadki) {
    UstawienieKonca(p.koniec);
    const std::string sciezka = katalog_.Zapis("plik.txt", p.tresc);
    EXPECT_EQ(LiczbaLiniiDanych(sciezka.c_str()), p.linie) << p.tresc;
  }
  EXPECT_EQ(LiczbaLiniiDanych(katalog_.Sciezka("brak.txt").c_str()), 0u);
}

// A file with data lines goes to the first free number; one without is left
// where it is (it is emptied as before); the copies never replace each other.
TEST_F(Kopie, AFileWithDataLinesIsKeptUnderTheFirstFreeNumber) {
  const std::string sciezka = katalog_.Sciezka("OPAK.TXT");
  katalog_.Zapis("OPAK.TXT", "#h\r\n");
  EXPECT_TRUE(ZachowanieKopiiNumerowanej(sciezka.c_str()));
  EXPECT_TRUE(std::filesystem::exists(sciezka));
  EXPECT_FALSE(std::filesystem::exists(sciezka + ".1"));

  katalog_.Zapis("OPAK.TXT.2", "an older copy");
  for (const std::string dzien : {"$day 1\r\n", "$day 2\r\n", "$day 3\r\n"}) {
    katalog_.Zapis("OPAK.TXT", "#h\r\n" + dzien);
    EXPECT_TRUE(ZachowanieKopiiNumerowanej(sciezka.c_str())) << dzien;
    EXPECT_FALSE(std::filesystem::exists(sciezka)) << dzien;
  }
  EXPECT_EQ(KatalogTymczasowy::Odczyt(sciezka + ".1"), "#h\r\n$day 1\r\n");
  EXPECT_EQ(KatalogTymczasowy::Odczyt(sciezka + ".2"), "an older copy");
  EXPECT_EQ(KatalogTymczasowy::Odczyt(sciezka + ".3"), "#h\r\n$day 2\r\n");
  EXPECT_EQ(KatalogTymczasowy::Odczyt(sciezka + ".4"), "#h\r\n$day 3\r\n");
}

TEST_F(Kopie, AFileThatCannotBeKeptIsLeftAndSaidSo) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write into a read-only directory";
  const std::string sciezka = katalog_.Zapis("ro/ZMIANY.TXT", "$03\t1\r\n");
  std::filesystem::permissions(katalog_.Sciezka("ro"), std::filesystem::perms::owner_read |
                                                            std::filesystem::perms::owner_exec);
  EXPECT_FALSE(ZachowanieKopiiNumerowanej(sciezka.c_str()));
  std::filesystem::permissions(katalog_.Sciezka("ro"), std::filesystem::perms::owner_all);
  EXPECT_EQ(KatalogTymczasowy::Odczyt(sciezka), "$03\t1\r\n");
}

std::vector<std::string> Dopisane;
uint8_t DoLogu(const char* raport) {
  Dopisane.emplace_back(raport);
  return 1;
}

// The report of the session before goes to the log once, and only where the
// program installed its log.
TEST_F(Kopie, TheLastReportGoesToTheLogOnce) {
  Dopisane.clear();
  std::strcpy(Sesja.ZapisanyRaport, "RAPORT.TXT");
  DopisanieOstatniegoRaportu();
  EXPECT_TRUE(Dopisane.empty());
  UstawienieLoguRaportow(DoLogu);
  DopisanieOstatniegoRaportu();
  DopisanieOstatniegoRaportu();
  EXPECT_EQ(Dopisane, std::vector<std::string>{"RAPORT.TXT"});
  EXPECT_EQ(Sesja.ZapisanyRaport[0], '\0');
  UstawienieLoguRaportow(nullptr);
}

// A report put aside is written beside the configured one, and goes unread.
TEST_F(Kopie, AReportPutAsideIsWrittenBesideAndRemoved) {
  std::strcpy(Sesja.PlikiSterownika[PlikRaport], katalog_.Sciezka("RAPORT.TXT").c_str());
  OdlozenieRaportuSesji();
  EXPECT_STREQ(Sesja.PlikiSterownika[PlikRaport], (katalog_.Sciezka("RAPORT.TXT") + ".~~~").c_str());
  const std::string odlozony = katalog_.Zapis("RAPORT.TXT.~~~", "#0\r\n");
  std::strcpy(Sesja.ZapisanyRaport, odlozony.c_str());
  UsuniecieOdlozonegoRaportu();
  EXPECT_FALSE(std::filesystem::exists(odlozony));
  EXPECT_EQ(Sesja.ZapisanyRaport[0], '\0');
}

// A session whose report was put aside and that failed after all: the report
// goes where the configured one belongs, replacing the empty file there.
TEST_F(Kopie, AReportPutAsideOfASessionThatFailedIsTheRunsReport) {
  const std::string wlasciwy = katalog_.Zapis("RAPORT.TXT", "");
  const std::string odlozony = katalog_.Zapis("RAPORT.TXT.~~~", "#h\r\n#23\t; x\r\n#\r\n");
  std::strcpy(Sesja.ZapisanyRaport, odlozony.c_str());
  PrzywrocenieOdlozonegoRaportu();
  EXPECT_EQ(KatalogTymczasowy::Odczyt(wlasciwy), "#h\r\n#23\t; x\r\n#\r\n");
  EXPECT_FALSE(std::filesystem::exists(odlozony));
  EXPECT_STREQ(Sesja.ZapisanyRaport, wlasciwy.c_str());
  // A report that was not put aside stays where it is.
  PrzywrocenieOdlozonegoRaportu();
  EXPECT_STREQ(Sesja.ZapisanyRaport, wlasciwy.c_str());
}

}  // namespace
