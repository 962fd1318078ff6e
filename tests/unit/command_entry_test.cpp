#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "commands/command.h"
#include "include/karvo.h"
#include "scripted_register.h"
#include "state/result_codes.h"
#include "state/session_state.h"

namespace {

namespace fs = std::filesystem;

// The requests the bodies under test send: a write of one byte, a numbered
// record of one byte, a read of two characters.
constexpr Rozkaz ZAPIS_BAJTU{KodRozkazu{0xC4}, 1, 1, 1};
constexpr Rozkaz ODCZYT_REKORDU{KodRozkazu{0xC5}, 1, 1, 2};
constexpr Rozkaz ODCZYT_ZNAKOW{KodRozkazu{0x35}, 3, 0, 0};

// The bodies run on an open session: an input file positioned after its
// header, an output file, a register on the line.
class CialoFunkcji : public ::testing::Test {
 protected:
  void SetUp() override {
    CzystaSesja();
    std::random_device los;
    katalog = fs::temp_directory_path() / ("karvo-body-" + std::to_string(los()) + std::to_string(los()));
    fs::create_directories(katalog);
  }
  void TearDown() override {
    ZamknieciePliku(&Sesja.UchwytWejscia);
    ZamknieciePliku(&Sesja.UchwytWyjscia);
    fs::remove_all(katalog);
  }
  void Wejscie(const std::string& tekst) {
    const fs::path p = katalog / "in.txt";
    std::ofstream(p, std::ios::binary) << tekst;
    ASSERT_TRUE(OtwartoPlik(&Sesja.UchwytWejscia, p.c_str(), 0));
  }
  void Wyjscie() {
    std::strcpy(Sesja.NazwyPlikowSesji[NazwaPlikuWyjsciowego], (katalog / "out.txt").c_str());
    Sesja.JestPlikWynikowy = 1;
    Sesja.NowyPlikWynikowy = 1;
    ASSERT_TRUE(OtwartoPlik(&Sesja.UchwytWyjscia, Sesja.NazwyPlikowSesji[NazwaPlikuWyjsciowego], 1));
  }
  std::string Wynik() {
    ZamknieciePliku(&Sesja.UchwytWyjscia);
    std::ifstream f(katalog / "out.txt", std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }

  fs::path katalog;
  SkryptowanaKasa kasa;
};

// A write of one byte per line, field 1 a byte number below 50.
bool PoleBajtu(const char* linia) {
  uint8_t b = 0;
  if (!PoleByte(linia, 1, b) || !WZakresie(b, 0, 49)) return false;
  Parametry().Bajt(b);
  return true;
}
const ZapisLiniami ZAPIS_BAJTOW{ZAPIS_BAJTU, PoleBajtu};

TEST_F(CialoFunkcji, LineByLineWriteOutcomes) {
  const struct { const char* wejscie; uint8_t wynik; size_t rozkazy; } przypadki[] = {
      {"", 10, 0},
      {";only\r\n;comments\r\n", 10, 0},
      {"$1\r\n;c\r\n$2\r\n", 0, 2},
      {"$1\r\n$2\r\nbad\r\n$3\r\n", 11, 2},
      {"$1\r\n$x\r\n$3\r\n", 11, 1},
      {"$1\r\n$\r\n", 11, 1},
      {"$1\r\n$60\r\n$3\r\n", 19, 1},
      {"$1\r\n#header\r\n", 11, 1},
  };
  for (const auto& p : przypadki) {
    CzystaSesja();
    kasa.Rozkazy.clear();
    kasa.NaRozkaz = [](uint8_t) { return PoWykonaniu({0}); };
    Wejscie(p.wejscie);
    CialoZapisuLiniami(ZAPIS_BAJTOW);
    EXPECT_EQ(Sesja.BiezacyWynik, p.wynik) << p.wejscie;
    EXPECT_EQ(kasa.Rozkazy.size(), p.rozkazy) << p.wejscie;
    ZamknieciePliku(&Sesja.UchwytWejscia);
  }
}

TEST_F(CialoFunkcji, ARefusedLineEndsTheWrite) {
  int n = 0;
  kasa.NaRozkaz = [&n](uint8_t) { return PoWykonaniu({static_cast<uint8_t>(++n == 2 ? 0x0B : 0)}); };
  Wejscie("$1\r\n$2\r\n$3\r\n");
  CialoZapisuLiniami(ZAPIS_BAJTOW);
  EXPECT_EQ(Sesja.BiezacyWynik, 111);
  EXPECT_EQ(kasa.Rozkazy.size(), 2u);
}

// A readout of records whose answer is one byte; record 4 is not there (status 0x0B).
bool LiniaRekordu(uint32_t numer, LiniaWyniku& linia) {
  linia.Pole(Liczba(numer)).Pole(Liczba(OdpowiedzByte(0)));
  return true;
}

TEST_F(CialoFunkcji, RecordReadoutEndsAtTheEndOfRecordsCode) {
  Wyjscie();
  kasa.NaRozkaz = [this](uint8_t) {
    const auto numer = static_cast<uint8_t>(kasa.Rozkazy.size());  // this request included
    return numer >= 4 ? PoWykonaniu({0x0B}) : PoWykonaniu({0, static_cast<uint8_t>(numer * 10)});
  };
  CialoOdczytuRekordow({ODCZYT_REKORDU, 111, LiniaRekordu});
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(Wynik(), "$1\t10\r\n$2\t20\r\n$3\t30\r\n");
  ASSERT_EQ(kasa.Parametry.size(), 4u);
  EXPECT_EQ(kasa.Parametry[3], Bajty{4});
}

TEST_F(CialoFunkcji, RecordReadoutKeepsAnyOtherCode) {
  Wyjscie();
  kasa.NaRozkaz = [](uint8_t) { return PoWykonaniu({0x0C}); };
  CialoOdczytuRekordow({ODCZYT_REKORDU, 111, LiniaRekordu});
  EXPECT_EQ(Sesja.BiezacyWynik, 112);
  EXPECT_EQ(Wynik(), "");
}

TEST_F(CialoFunkcji, RecordReadoutStopsAtTheLastAddressableRecord) {
  Wyjscie();
  kasa.NaRozkaz = [](uint8_t) { return PoWykonaniu({0, 1}); };
  OdczytRekordow odczyt{ODCZYT_REKORDU, 111, LiniaRekordu};
  odczyt.Ostatni = 3;
  CialoOdczytuRekordow(odczyt);
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(kasa.Rozkazy.size(), 3u);
}

TEST_F(CialoFunkcji, OutputThatCannotBeWrittenGives17) {
  Wyjscie();
  ZamknieciePliku(&Sesja.UchwytWyjscia);
  Sesja.UchwytWyjscia = 9999;
  kasa.NaRozkaz = [](uint8_t) { return PoWykonaniu({0, 1}); };
  CialoOdczytuRekordow({ODCZYT_REKORDU, 111, LiniaRekordu});
  EXPECT_EQ(Sesja.BiezacyWynik, 17);
  EXPECT_EQ(kasa.Rozkazy.size(), 1u);
  Sesja.UchwytWyjscia = -1;
}

void LiniaOdpowiedzi() { LiniaWyniku().Pole(Znaki(Odpowiedz(0), 2)).Zapisanie(); }

TEST_F(CialoFunkcji, SingleAnswerBecomesOutputLines) {
  Wyjscie();
  kasa.NaRozkaz = [](uint8_t) { return Potwierdzenie({'4', '2'}); };
  CialoPojedynczejOdpowiedzi({ODCZYT_ZNAKOW, LiniaOdpowiedzi});
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(Wynik(), "$42\r\n");

  CzystaSesja();
  Wyjscie();
  kasa.NaRozkaz = [](uint8_t) { return Odmowa(); };
  CialoPojedynczejOdpowiedzi({ODCZYT_ZNAKOW, LiniaOdpowiedzi});
  EXPECT_EQ(Sesja.BiezacyWynik, 24);
  EXPECT_EQ(Wynik(), "");
}

// The per-line value of kind 3: what the parse took from a line reaches the
// send of that line, and the value lives on across the lines of the run.
struct Suma {
  uint8_t Ostatni = 0;
  unsigned Razem = 0;
  unsigned Linie = 0;
};
bool PoleSumy(const char* linia, Suma& s) {
  if (!PoleByte(linia, 1, s.Ostatni) || !WZakresie(s.Ostatni, 0, 49)) return false;
  ++s.Linie;
  return true;
}
void WyslanieSumy(Suma& s) {
  s.Razem += s.Ostatni;
  Parametry().Bajt(static_cast<uint8_t>(s.Razem));
  WykonanieRozkazu(ZAPIS_BAJTU);
}

TEST_F(CialoFunkcji, LineByLineValueTravelsFromTheFieldsToTheRequest) {
  const struct { const char* wejscie; bool tylkoPierwsza; uint8_t wynik; std::vector<Bajty> wyslane; } przypadki[] = {
      {"$1\r\n$2\r\n$3\r\n", false, 0, {{1}, {3}, {6}}},
      {"$1\r\n$2\r\n$3\r\n", true, 0, {{1}}},
      {"$5\r\n$x\r\n$3\r\n", false, 11, {{5}}},
      {"$5\r\n$60\r\n", false, 19, {{5}}},
      {"", false, 10, {}},
  };
  for (const auto& p : przypadki) {
    CzystaSesja();
    kasa.Parametry.clear();
    kasa.NaRozkaz = [](uint8_t) { return PoWykonaniu({0}); };
    Wejscie(p.wejscie);
    Suma s;  // a new run starts from nothing
    CialoZapisuLiniami({.rozkaz = {}, .Pola = PoleSumy, .Wyslanie = WyslanieSumy, .TylkoPierwszaLinia = p.tylkoPierwsza},
                       s);
    EXPECT_EQ(Sesja.BiezacyWynik, p.wynik) << p.wejscie;
    EXPECT_EQ(kasa.Parametry, p.wyslane) << p.wejscie;
    EXPECT_EQ(s.Linie, p.wyslane.size()) << p.wejscie;
    ZamknieciePliku(&Sesja.UchwytWejscia);
  }
}

// Record readouts with their knobs: a first number other than 1, a code that
// skips a number (from a number on), a code that means the register has no
// such table, and an answer that gives several lines.
bool DwieLinie(uint32_t numer) {
  return LiniaWyniku().Pole(Liczba(numer), "a").Zapisanie() && LiniaWyniku().Pole(Liczba(numer), "b").Zapisanie();
}

TEST_F(CialoFunkcji, RecordReadoutKnobs) {
  const struct {
    const char* nazwa;
    OdczytRekordow odczyt;
    std::vector<uint8_t> statusy;  // the status of each request in turn; 0 beyond the list
    uint8_t wynik;
    std::string linie;
  } przypadki[] = {
      {"first number", {.rozkaz = ODCZYT_REKORDU, .Linia = LiniaRekordu, .Ostatni = 4, .Pierwszy = 3}, {}, 0,
       "$3\t0\r\n$4\t0\r\n"},
      {"skipped number",
       {.rozkaz = ODCZYT_REKORDU, .KodKoncaRekordow = 111, .Linia = LiniaRekordu, .KodPominiecia = 112},
       {0, 0x0C, 0, 0x0B}, 0, "$1\t0\r\n$3\t0\r\n"},
      {"skipped only from 3",
       {.rozkaz = ODCZYT_REKORDU, .Linia = LiniaRekordu, .Ostatni = 4, .KodPominiecia = 112, .PominiecieOd = 3},
       {0, 0x0C}, 112, "$1\t0\r\n"},
      {"skipped from 3 on",
       {.rozkaz = ODCZYT_REKORDU, .Linia = LiniaRekordu, .Ostatni = 4, .KodPominiecia = 112, .PominiecieOd = 3},
       {0, 0, 0x0C}, 0, "$1\t0\r\n$2\t0\r\n$4\t0\r\n"},
      {"no such table", {.rozkaz = ODCZYT_REKORDU, .Linia = LiniaRekordu, .KodBrakuTablicy = 112}, {0, 0x0C}, 25,
       "$1\t0\r\n"},
      {"any other code stays", {.rozkaz = ODCZYT_REKORDU, .Linia = LiniaRekordu, .KodBrakuTablicy = 112}, {0x0D}, 113,
       ""},
      {"several lines an answer", {.rozkaz = ODCZYT_REKORDU, .Ostatni = 1, .Pierwszy = 0, .Linie = DwieLinie}, {}, 0,
       "$0a\r\n$0b\r\n$1a\r\n$1b\r\n"},
  };
  for (const auto& p : przypadki) {
    CzystaSesja();
    Wyjscie();
    kasa.Rozkazy.clear();
    kasa.Parametry.clear();
    kasa.NaRozkaz = [this, &p](uint8_t) {
      const size_t i = kasa.Rozkazy.size() - 1;
      const uint8_t status = i < p.statusy.size() ? p.statusy[i] : 0;
      return status ? PoWykonaniu({status}) : PoWykonaniu({0, 0});
    };
    CialoOdczytuRekordow(p.odczyt);
    EXPECT_EQ(Sesja.BiezacyWynik, p.wynik) << p.nazwa;
    EXPECT_EQ(Wynik(), p.linie) << p.nazwa;
    ASSERT_FALSE(kasa.Parametry.empty()) << p.nazwa;
    EXPECT_EQ(kasa.Parametry[0], Bajty{static_cast<uint8_t>(p.odczyt.Pierwszy)}) << p.nazwa;
  }
}

// A line longer than a data line holds is never cut short: it is not written,
// the command ends with 17 and standard error says why; the lines before it stay.
TEST_F(CialoFunkcji, AnOutputLineThatDoesNotFitIsRefusedWhole) {
  const struct { const char* pierwsze; bool zapisana; } przypadki[] = {
      {"xxxxx", true},    // 5 + 50 fields of a tab and 4 characters: 255, the most a line holds
      {"xxxxxx", false},  // 256
  };
  for (const auto& p : przypadki) {
    CzystaSesja();
    Wyjscie();
    ASSERT_TRUE(LiniaWyniku().Pole("przed").Zapisanie());
    LiniaWyniku linia;
    linia.Pole(p.pierwsze);
    std::string oczekiwana = p.pierwsze;
    for (int i = 0; i < 50; ++i) {
      linia.Pole("abcd");
      oczekiwana += "\tabcd";
    }
    testing::internal::CaptureStderr();
    const bool zapisana = linia.Zapisanie();
    const std::string komunikat = testing::internal::GetCapturedStderr();
    EXPECT_EQ(zapisana, p.zapisana) << p.pierwsze;
    EXPECT_EQ(linia.ZaDluga(), !p.zapisana) << p.pierwsze;
    if (p.zapisana) {
      EXPECT_EQ(Sesja.BiezacyWynik, 0);
      EXPECT_EQ(komunikat, "");
      EXPECT_EQ(Wynik(), "$przed\r\n$" + oczekiwana + "\r\n");
    } else {
      EXPECT_EQ(Sesja.BiezacyWynik, 17);
      EXPECT_EQ(komunikat,
                "karvo: an output line needs more than 255 characters: it was not written (ResultCode 17)\n");
      EXPECT_EQ(Wynik(), "$przed\r\n");
    }
  }
}

}  // namespace
