// The common opening and closing of a command, on files only (no link).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "session/configuration.h"
#include "session/session_open.h"
#include "state/session_state.h"
#include "text/codecs.h"

namespace fs = std::filesystem;

namespace {

std::string Zawartosc(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

class Sesje : public ::testing::Test {
 protected:
  void SetUp() override {
    char wzor[] = "/tmp/karvo-session-XXXXXX";
    ASSERT_NE(mkdtemp(wzor), nullptr);
    dir = wzor;
    poprzedni = fs::current_path();
    fs::current_path(dir);
    Plik("KOMENT.TXT", "1\tbrak nazwy\r\n2\tzastrzezona\r\n");
  }
  void TearDown() override {
    ZerowanieDanychSesji();
    fs::current_path(poprzedni);
    fs::remove_all(dir);
  }
  void Plik(const fs::path& p, const std::string& tresc) { std::ofstream(dir / p, std::ios::binary) << tresc; }

  // A command on files only, with the prologue every entry point runs.
  uint8_t Polecenie(const char* wejscie, const char* wyjscie = nullptr) {
    ZerowanieDanychSesji();
    KopiowanieNapisu(Sesja.NazwyPlikowSesji[NazwaFunkcji], "Sorter");
    KopiowanieNapisu(Sesja.NazwyPlikowSesji[NazwaPlikuWejsciowego], wejscie);
    if (wyjscie) KopiowanieNapisu(Sesja.NazwyPlikowSesji[NazwaPlikuWyjsciowego], wyjscie);
    Sesja.JestPlikWynikowy = wyjscie != nullptr;
    Sesja.NowyPlikWynikowy = 1;
    OdczytanieKonfiguracji();
    if (Sesja.BiezacyWynik == 0) RozpoczecieSesji();
    ZakonczenieSesji();
    return Sesja.BiezacyWynik;
  }

  fs::path dir, poprzedni;
};

const char* const Wejscie = "#1 ;kasa\r\n#druga\r\n#trzecia\r\n$dane\r\n";
const char* const Konfig = "; kasy\r\n$1\tCOM1:9600:MUX0:1\t5\tSklep\r\n$2\tCOM2:9600:MUX0:1\t5\r\n";

TEST_F(Sesje, WithoutInputTheReportIsWrittenInTheCurrentDirectory) {
  EXPECT_EQ(Polecenie(""), 1);
  EXPECT_EQ(Zawartosc(dir / "RAPORT.TXT"), "#\r\n#1\t; brak nazwy\r\n#\r\n");
}

TEST_F(Sesje, ResultCodesOfTheOpeningWithTheFileConcerned) {
  const std::string k = "KONFIG.TXT", we = "towary.txt";
  const struct {
    const char* wejscie;
    const char* konfig;
    const char* nazwaWe;
    const char* nazwaWy;
    uint8_t wynik;
    std::string plik;
  } przypadki[] = {
      {"$dane\r\n", Konfig, "towary.txt", nullptr, 11, we},
      {"; tylko komentarz\r\n", Konfig, "towary.txt", nullptr, 10, we},
      {"#100\r\n#\r\n#\r\n", Konfig, "towary.txt", nullptr, 19, ""},
      {"#x\r\n#\r\n#\r\n", Konfig, "towary.txt", nullptr, 11, we},
      {"#3\r\n#\r\n#\r\n", Konfig, "towary.txt", nullptr, 14, k},
      {"#1\r\n#\r\n#\r\n", "; pusty\r\n", "towary.txt", nullptr, 13, k},
      {"#1\r\n#\r\n#\r\n", "$1\tCOM1:9600:MUX0:2\t5\r\n", "towary.txt", nullptr, 16, k},
      {"#1\r\n#\r\n#\r\n", "#zly\r\n", "towary.txt", nullptr, 16, k},
      {"#2\r\n#\r\n#\r\n", "$x\tCOM1:9600:MUX0:1\t5\r\n$2\tCOM1:9600:MUX0:1\t5\r\n", "towary.txt", nullptr, 16, k},
      {"#1\r\n#\r\n", Konfig, "towary.txt", nullptr, 10, we},
      {"#1\r\n$x\r\n#\r\n", Konfig, "towary.txt", nullptr, 11, we},
      {Wejscie, nullptr, "towary.txt", nullptr, 7, k},
      {Wejscie, Konfig, "brak.txt", nullptr, 6, "brak.txt"},
      {Wejscie, Konfig, "konfig.txt", nullptr, 2, "konfig.txt"},
      {Wejscie, Konfig, "towary.txt", "", 3, ""},
      {Wejscie, Konfig, "towary.txt", "Raport.txt", 4, "Raport.txt"},
      {Wejscie, Konfig, "towary.txt", "towary.txt", 5, we},
      {Wejscie, Konfig, "towary.txt", "brak/wy.txt", 8, "brak/wy.txt"},
      {Wejscie, Konfig, "towary.txt", nullptr, 0, ""},
  };
  for (const auto& p : przypadki) {
    fs::remove(dir / "KONFIG.TXT");
    Plik("towary.txt", p.wejscie);
    if (p.konfig) Plik("KONFIG.TXT", p.konfig);
    const uint8_t wynik = Polecenie(p.nazwaWe, p.nazwaWy);
    EXPECT_EQ(wynik, p.wynik) << p.wejscie << " / " << (p.konfig ? p.konfig : "-");
    const std::string raport = Zawartosc(dir / "RAPORT.TXT");
    const std::string oczekiwany =
        std::to_string(p.wynik) + (p.plik.empty() ? "" : "\t; (" + p.plik + ")");
    if (p.wynik == 0) {
      EXPECT_NE(raport.find("\r\n#0\t; program zakonczony bezblednie\r\n"), std::string::npos) << raport;
    } else if (p.wynik > 2) {
      EXPECT_NE(raport.find("\r\n#" + oczekiwany + "\r\n"), std::string::npos) << raport << " / " << oczekiwany;
    }
  }
}

TEST_F(Sesje, HeaderLinesOfASuccessfulRun) {
  Plik("KONFIG.TXT", Konfig);
  Plik("towary.txt", Wejscie);
  ASSERT_EQ(Polecenie("towary.txt", "wynik.txt"), 0);
  const std::regex raport(
      "#1\tCOM1:9600:MUX0:1\t5\t[0-9]{4}\\.[0-9]{2}\\.[0-9]{2}\t[0-9]{2}:[0-9]{2}\tSorter\tWIN 8\\.55\ttowary\\.txt\twynik\\.txt\r\n"
      "#0\t; program zakonczony bezblednie\r\n"
      "#Sklep \\(identyfikator z pliku KONFIG\\.TXT\\)\r\n");
  const std::string tekst = Zawartosc(dir / "RAPORT.TXT");
  EXPECT_TRUE(std::regex_match(tekst, raport)) << tekst;
  EXPECT_EQ(Zawartosc(dir / "wynik.txt"), tekst.substr(0, tekst.find("\r\n#0")) + "\r\n#\r\n" +
                                              tekst.substr(tekst.rfind("#Sklep")));
}

TEST_F(Sesje, AMissingRegisterNamesKonfigInTheReport) {
  Plik("KONFIG.TXT", Konfig);
  Plik("towary.txt", "#3\r\n#\r\n#\r\n");
  EXPECT_EQ(Polecenie("towary.txt"), 14);
  EXPECT_NE(Zawartosc(dir / "RAPORT.TXT").find("\r\n#14\t; (KONFIG.TXT)\r\n"), std::string::npos);
}

TEST_F(Sesje, ArchiveKeepsEveryRunOfAnInputFile) {
  Plik("KONFIG.TXT", Konfig);
  Plik("TOWARY.TXT", Wejscie);
  fs::create_directory(dir / "$$$");
  ASSERT_EQ(Polecenie("TOWARY.TXT"), 0);
  ASSERT_EQ(Polecenie("TOWARY.TXT"), 0);
  const std::string in = Zawartosc(dir / "$$$" / "TOWARY.IN");
  const std::regex blok(";\\*\\*\\* [0-9.]{10} [0-9:]{5} Sorter \\*\\*\\* \r\n#1 ;kasa\r\n#druga\r\n#trzecia\r\n\\$dane\r\n");
  EXPECT_TRUE(std::regex_match(in.substr(0, in.size() / 2), blok)) << in;
  EXPECT_TRUE(std::regex_match(in.substr(in.size() / 2), blok)) << in;
  EXPECT_TRUE(fs::exists(dir / "$$$" / "TOWARY.RAP"));
  EXPECT_TRUE(fs::exists(dir / "$$$" / "TOWARY.KON"));
  EXPECT_FALSE(fs::exists(dir / "$$$" / "TOWARY.OUT"));
  EXPECT_FALSE(fs::exists(dir / "$$$" / "TOWARY.SER"));
}

}  // namespace
