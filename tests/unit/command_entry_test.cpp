#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "commands/command.h"
#include "include/karvo.h"
#include "scripted_register.h"
#include "state/result_codes.h"
#include "state/session_state.h"

namespace {

namespace fs = std::filesystem;

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
const ZapisLiniami ZAPIS_BAJTOW{{0xC4, 1, 1, 1}, PoleBajtu};

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
  CialoOdczytuRekordow({{0xC5, 1, 1, 2}, 111, LiniaRekordu});
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(Wynik(), "$1\t10\r\n$2\t20\r\n$3\t30\r\n");
  ASSERT_EQ(kasa.Parametry.size(), 4u);
  EXPECT_EQ(kasa.Parametry[3], Bajty{4});
}

TEST_F(CialoFunkcji, RecordReadoutKeepsAnyOtherCode) {
  Wyjscie();
  kasa.NaRozkaz = [](uint8_t) { return PoWykonaniu({0x0C}); };
  CialoOdczytuRekordow({{0xC5, 1, 1, 2}, 111, LiniaRekordu});
  EXPECT_EQ(Sesja.BiezacyWynik, 112);
  EXPECT_EQ(Wynik(), "");
}

TEST_F(CialoFunkcji, RecordReadoutStopsAtTheLastAddressableRecord) {
  Wyjscie();
  kasa.NaRozkaz = [](uint8_t) { return PoWykonaniu({0, 1}); };
  OdczytRekordow odczyt{{0xC5, 1, 1, 2}, 111, LiniaRekordu};
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
  CialoOdczytuRekordow({{0xC5, 1, 1, 2}, 111, LiniaRekordu});
  EXPECT_EQ(Sesja.BiezacyWynik, 17);
  EXPECT_EQ(kasa.Rozkazy.size(), 1u);
  Sesja.UchwytWyjscia = -1;
}

void LiniaOdpowiedzi() { LiniaWyniku().Pole(Znaki(Odpowiedz(0), 2)).Zapisanie(); }

TEST_F(CialoFunkcji, SingleAnswerBecomesOutputLines) {
  Wyjscie();
  kasa.NaRozkaz = [](uint8_t) { return Potwierdzenie({'4', '2'}); };
  CialoPojedynczejOdpowiedzi({{0x35, 3, 0, 0}, LiniaOdpowiedzi});
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(Wynik(), "$42\r\n");

  CzystaSesja();
  Wyjscie();
  kasa.NaRozkaz = [](uint8_t) { return Odmowa(); };
  CialoPojedynczejOdpowiedzi({{0x35, 3, 0, 0}, LiniaOdpowiedzi});
  EXPECT_EQ(Sesja.BiezacyWynik, 24);
  EXPECT_EQ(Wynik(), "");
}

}  // namespace
