#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "include/karvo.h"
#include "protocol/identification.h"
#include "scripted_register.h"
#include "state/session_state.h"

namespace {

namespace fs = std::filesystem;

// What the scripted register is.
struct ModelKasy {
  uint8_t Typ = 0x24;
  uint8_t Podwersja = 5;
  char Znak = 'B';
  bool OdmawiaFE = false;
  std::string Identyfikator = "ABCDEFGHIJKL";
  uint32_t Pojemnosc = 4000;
  bool Ma6F = false;
  std::string Numer = "07";
};

uint32_t NumerTowaru(const Bajty& p) { return p.size() >= 2 ? p[0] | (p[1] << 8) : 0; }

OdpowiedzKasy OdpowiedzModelu(const ModelKasy& m, uint8_t kod) {
  switch (kod) {
    case 0xFE: return m.OdmawiaFE ? Odmowa() : Potwierdzenie({m.Typ, m.Podwersja, static_cast<uint8_t>(m.Znak)});
    case 0xFF: return Potwierdzenie({m.Typ});
    case 0x5B: return Potwierdzenie({static_cast<uint8_t>(m.Podwersja << 4 | 0x0C)});
    case 0x71: {
      Bajty b(m.Identyfikator.begin(), m.Identyfikator.end());
      b.resize(12, ' ');
      return Potwierdzenie(b);
    }
    case 0x6F:
      return m.Ma6F ? Potwierdzenie({static_cast<uint8_t>(m.Pojemnosc & 0xFF), static_cast<uint8_t>(m.Pojemnosc >> 8)})
                    : Odmowa();
    case 0xE6:
      // Odd numbers within the capacity are empty goods places (status 0x66, ResultCode 202).
      return {{0x06}, [cap = m.Pojemnosc](const Bajty& p) {
                const uint32_t n = NumerTowaru(p);
                if (n > cap) return Bajty{0x05, 0};
                return Bajty{static_cast<uint8_t>(n % 2 ? 0x66 : 0x00), 0};
              }};
    case 0xAC:
      return {{0x06}, [cap = m.Pojemnosc](const Bajty& p) {
                if (NumerTowaru(p) > cap) return Bajty{0x05};
                return Bajty(36, 0);
              }};
    case 0xC0: return Potwierdzenie({static_cast<uint8_t>(m.Numer[0]), static_cast<uint8_t>(m.Numer[1])});
    default: return Cisza();
  }
}

std::string Zawartosc(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void Zapis(const fs::path& p, const std::string& tekst) {
  std::ofstream f(p, std::ios::binary);
  f << tekst;
}

class Identyfikacja : public ::testing::Test {
 protected:
  void SetUp() override {
    CzystaSesja();
    Sesja.OdczytacPojemnoscPLU = 1;
    std::random_device los;
    katalog = fs::temp_directory_path() / ("karvo-ident-" + std::to_string(los()) + std::to_string(los()));
    fs::create_directories(katalog);
    bufor = katalog / "ECRTBUF.TXT";
    std::strcpy(Sesja.PlikiSterownika[PlikEcrtbuf], bufor.c_str());
    kasa.NaRozkaz = [this](uint8_t kod) { return OdpowiedzModelu(model, kod); };
  }
  void TearDown() override { fs::remove_all(katalog); }

  bool Odczyt() { return OdczytanieTypuUrzadzenia() != 0; }

  fs::path katalog, bufor;
  ModelKasy model;
  SkryptowanaKasa kasa;
  DaneUrzadzenia& u = Sesja.Urzadzenie;
};

TEST_F(Identyfikacja, UnknownDeviceIsNamedAndAppended) {
  ASSERT_TRUE(Odczyt());
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_STREQ(u.IdentyfikatorUrzadzenia, "ABCDEFGHIJK");
  EXPECT_STREQ(u.KodTypuTekst, "36");
  EXPECT_STREQ(u.WersjaTekst, "05");
  EXPECT_STREQ(u.ZnakWersjiTekst, "B");
  EXPECT_EQ(u.Generacja, 1);
  EXPECT_EQ(u.PojemnoscPLU, 4000u);
  EXPECT_STREQ(u.NazwaUrzadzenia, "Karvo 4000 PLU I gen. ver. 05");
  EXPECT_STREQ(u.ZrodloIdentyfikatora, "identyfikator odczytany z urzadzenia");
  EXPECT_EQ(Zawartosc(bufor), "$ABCDEFGHIJK\txx\t36\tKarvo\t4000\tI\t05\tKarvo 4000 PLU I gen. ver. 05\r\n");
  EXPECT_FALSE(UrzadzenieZnalezioneWBuforze());
}

TEST_F(Identyfikacja, RefusedTypeRequestFallsBackToTheOlderPair) {
  model.OdmawiaFE = true;
  ASSERT_TRUE(Odczyt());
  EXPECT_EQ(kasa.Rozkazy[0], 0xFE);
  EXPECT_EQ(kasa.Rozkazy[1], 0xFF);
  EXPECT_EQ(kasa.Rozkazy[2], 0x5B);
  EXPECT_EQ(u.KodTypuKasy, 0x24);
  EXPECT_EQ(u.PodwersjaTypu, 5);
  EXPECT_EQ(u.ZnakWersji, 0);
  EXPECT_STREQ(u.ZnakWersjiTekst, "");
}

TEST_F(Identyfikacja, SilentRegisterEndsTheIdentification) {
  kasa.NaRozkaz = [](uint8_t) { return Cisza(); };
  EXPECT_FALSE(Odczyt());
  EXPECT_EQ(Sesja.BiezacyWynik, 21);
  EXPECT_FALSE(fs::exists(bufor));
}

TEST_F(Identyfikacja, IdentificationTextByGeneration) {
  const struct { uint8_t typ, podwersja; char znak; const char* tekst; const char* model; } przypadki[] = {
      {0x24, 5, 'B', "ABCDEFGHIJK", "Karvo"},  {100, 1, 'A', "ABCDEFGHIJKL", "Veko"},
      {102, 1, 'A', "ABCDEFGHIJKL", "Tamo"},   {102, 2, 'A', "ABC DEFGHIJK", "Tamo"},
      {101, 1, 'B', "ABC DEFGHIJK", "Veko"},   {'r', 1, 'A', "ABCDEFGHIJK", "Karvo"},
      {'o', 1, 'A', "ABCDEFGHIJK", "Karvo"},   {'u', 3, 'A', "ABC DEFGHI", "Norda Vin Plus"},
      {'v', 3, 'A', "ABC DEFGHI", "Norda Vin Prof"}, {'t', 1, 'A', "ABC DEFGHIJK", "Vin"},
  };
  for (const auto& p : przypadki) {
    CzystaSesja();
    Sesja.OdczytacPojemnoscPLU = 0;
    std::strcpy(Sesja.PlikiSterownika[PlikEcrtbuf], bufor.c_str());
    model.Typ = p.typ;
    model.Podwersja = p.podwersja;
    model.Znak = p.znak;
    ASSERT_TRUE(Odczyt()) << int(p.typ);
    EXPECT_STREQ(u.IdentyfikatorUrzadzenia, p.tekst) << int(p.typ);
    EXPECT_STREQ(u.ModelUrzadzenia, p.model) << int(p.typ);
  }
}

TEST_F(Identyfikacja, NameLeavesOutTheGenerationOfPriceCheckersAndNorda) {
  const struct { uint8_t typ; const char* nazwa; } przypadki[] = {
      {'w', "Cenometr 4000 PLU ver. 05"},
      {'%', "Ubo 4000 PLU ver. 05"},
      {'u', "Norda Vin Plus 4000 PLU ver. 05"},
      {28, "Pelto 4000 PLU I gen. ver. 05"},
      {104, "Pelto 4000 PLU II gen. ver. 05"},
  };
  for (const auto& p : przypadki) {
    CzystaSesja();
    Sesja.OdczytacPojemnoscPLU = 1;
    std::strcpy(Sesja.PlikiSterownika[PlikEcrtbuf], (katalog / std::to_string(p.typ)).c_str());
    model.Typ = p.typ;
    ASSERT_TRUE(Odczyt()) << int(p.typ);
    EXPECT_STREQ(u.NazwaUrzadzenia, p.nazwa);
  }
}

TEST_F(Identyfikacja, PriceCheckersAreNotAppendedAndProbeWithAC) {
  model.Typ = 'x';
  ASSERT_TRUE(Odczyt());
  EXPECT_FALSE(fs::exists(bufor));
  EXPECT_GT(kasa.IleRazy(0xAC), 0);
  EXPECT_EQ(kasa.IleRazy(0xE6), 0);
  EXPECT_FALSE(KasaPodajeNumer());
}

TEST_F(Identyfikacja, WithoutCapacityTheNameHasNoneAndNothingIsAppended) {
  Sesja.OdczytacPojemnoscPLU = 0;
  ASSERT_TRUE(Odczyt());
  EXPECT_STREQ(u.PojemnoscTekst, "?????");
  EXPECT_EQ(u.PojemnoscPLU, 0xFFFFu);
  EXPECT_STREQ(u.NazwaUrzadzenia, "Karvo I gen. ver. 05");
  EXPECT_EQ(kasa.IleRazy(0xE6), 0);
  // A line with "?????" for its capacity could never be read back.
  EXPECT_FALSE(fs::exists(bufor));
}

TEST_F(Identyfikacja, CapacityByBisection) {
  const struct { uint32_t pojemnosc; int najwiecejProb; } przypadki[] = {
      {0, 18}, {1, 18}, {2, 18}, {3, 18}, {4000, 18}, {32767, 18}, {32768, 18}, {65534, 18}, {65535, 1},
  };
  for (const auto& p : przypadki) {
    CzystaSesja();
    Sesja.OdczytacPojemnoscPLU = 1;
    std::strcpy(Sesja.PlikiSterownika[PlikEcrtbuf], (katalog / std::to_string(p.pojemnosc)).c_str());
    kasa.Rozkazy.clear();
    model.Pojemnosc = p.pojemnosc;
    ASSERT_TRUE(Odczyt()) << p.pojemnosc;
    EXPECT_EQ(u.PojemnoscPLU, p.pojemnosc);
    EXPECT_EQ(u.PojemnoscTekst, std::to_string(p.pojemnosc));
    EXPECT_LE(kasa.IleRazy(0xE6), p.najwiecejProb) << p.pojemnosc;
  }
}

TEST_F(Identyfikacja, NewerRegistersReportTheirCapacity) {
  model.Typ = 't';
  model.Ma6F = true;
  model.Pojemnosc = 12345;
  ASSERT_TRUE(Odczyt());
  EXPECT_EQ(u.PojemnoscPLU, 12345u);
  EXPECT_EQ(kasa.IleRazy(0xE6), 0);

  CzystaSesja();
  Sesja.OdczytacPojemnoscPLU = 1;
  std::strcpy(Sesja.PlikiSterownika[PlikEcrtbuf], (katalog / "inny.txt").c_str());
  model.Ma6F = false;  // refused: the search takes over
  ASSERT_TRUE(Odczyt());
  EXPECT_EQ(u.PojemnoscPLU, 12345u);
  EXPECT_GT(kasa.IleRazy(0xE6), 0);
}

TEST_F(Identyfikacja, AProbeThatFailsEndsTheSearchWithItsCode) {
  kasa.NaRozkaz = [this](uint8_t kod) {
    if (kod == 0xE6) return PoWykonaniu({0x0B, 0});
    return OdpowiedzModelu(model, kod);
  };
  EXPECT_FALSE(Odczyt());
  EXPECT_EQ(Sesja.BiezacyWynik, 111);
  EXPECT_EQ(kasa.IleRazy(0xE6), 1);
}

TEST_F(Identyfikacja, KnownDeviceTakesItsCapacityFromTheFile) {
  Zapis(bufor, ";devices\r\n$OTHER\t01\t36\tKarvo\t10\tI\t05\tKarvo 10 PLU I gen. ver. 05\r\n"
               "$ABCDEFGHIJK\t07\t36\tKarvo\t3000\tI\t05\tKarvo 3000 PLU I gen. ver. 05\r\n");
  const std::string przed = Zawartosc(bufor);
  std::strcpy(Sesja.WierszeNaglowka[NaglowekUrzadzenia], "Kasa 1 (identyfikator z pliku KONFIG.TXT)\t0:1:2");
  ASSERT_TRUE(Odczyt());
  EXPECT_TRUE(UrzadzenieZnalezioneWBuforze());
  EXPECT_EQ(u.PojemnoscPLU, 3000u);
  EXPECT_EQ(kasa.IleRazy(0xE6), 0);
  EXPECT_EQ(Zawartosc(bufor), przed);
  const std::string zrodlo = "identyfikator odczytany z urzadzenia i pliku " + bufor.string();
  EXPECT_EQ(u.ZrodloIdentyfikatora, zrodlo);
  EXPECT_EQ(std::string(Sesja.WierszeNaglowka[NaglowekUrzadzenia]),
            "Karvo 3000 PLU I gen. ver. 05 (" + zrodlo + ")\t0:1:2");
  EXPECT_FALSE(UrzadzenieDoDopisania());
}

// The file is a cache: a line that is no valid entry of the device is passed
// over and the device is identified again and appended; the lines after it
// still count.
TEST_F(Identyfikacja, BadOrMismatchingLinesOfTheFileAreSkipped) {
  const std::string dopisana = "$ABCDEFGHIJK\txx\t36\tKarvo\t4000\tI\t05\tKarvo 4000 PLU I gen. ver. 05\r\n";
  const char* linie[] = {
      "$ABCDEFGHIJK\t07\t36\tKarvo\t3000\tI\t05\tKarvo 3000 PLU II gen. ver. 05\r\n",  // name differs
      "$ABCDEFGHIJK\t07\t36\tKarvo\t3000\tI\t05\tkarvo 3000 PLU I gen. ver. 05\r\n",   // case differs
      "$OTHER\t07\t36\tKarvo\tmany\tI\t05\tKarvo many PLU I gen. ver. 05\r\n",          // not a word
      "$OTHER\t7a\t36\tKarvo\t10\tI\t05\tx\r\n",                                        // not a byte or xx
      "$OTHER\txx\t36\tKarvo\t10\tI\t05\r\n",                                           // seven fields
      "#OTHER\txx\t36\tKarvo\t10\tI\t05\tx\r\n",                                        // not a data line
      "$ABCDEFGHIJK\t07\t36\tKar",                                                      // torn
  };
  for (const char* linia : linie) {
    CzystaSesja();
    Sesja.OdczytacPojemnoscPLU = 1;
    std::strcpy(Sesja.PlikiSterownika[PlikEcrtbuf], bufor.c_str());
    Zapis(bufor, linia);
    kasa.Rozkazy.clear();
    EXPECT_TRUE(Odczyt()) << linia;
    EXPECT_EQ(Sesja.BiezacyWynik, 0) << linia;
    EXPECT_FALSE(UrzadzenieZnalezioneWBuforze()) << linia;
    EXPECT_GT(kasa.IleRazy(0xE6), 0) << linia;
    const std::string linie = linia;
    const bool zakonczona = linie.size() >= 2 && linie.compare(linie.size() - 2, 2, "\r\n") == 0;
    EXPECT_EQ(Zawartosc(bufor), linie + (zakonczona ? "" : "\r\n") + dopisana) << linia;
  }
}

TEST_F(Identyfikacja, LinesAfterABadEmptyOrOverlongLineAreStillRead) {
  for (const std::string& zla : {std::string("$ABCDEFG\r\n"), std::string("\r\n"), "$" + std::string(300, 'x') + "\r\n"}) {
    CzystaSesja();
    Sesja.OdczytacPojemnoscPLU = 1;
    std::strcpy(Sesja.PlikiSterownika[PlikEcrtbuf], bufor.c_str());
    Zapis(bufor, zla + "$ABCDEFGHIJK\t07\t36\tKarvo\t3000\tI\t05\tKarvo 3000 PLU I gen. ver. 05\r\n");
    ASSERT_TRUE(Odczyt());
    EXPECT_TRUE(UrzadzenieZnalezioneWBuforze());
    EXPECT_EQ(u.PojemnoscPLU, 3000u);
  }
}

// An overlong last line without its terminator (the one after it is cut off
// in the middle) is ended before the append, and the next lookup finds the
// appended line instead of reading it from the middle of the long one.
TEST_F(Identyfikacja, AnOverlongUnendedLastLineDoesNotHideTheAppendedOne) {
  for (const std::string& dluga : {std::string(300, 'x'), std::string(255, 'x') + "\r", std::string(256, 'x') + "\r", std::string(254, 'x') + "\r", "\n" + std::string(270, 'x') + "\n"}) {
    CzystaSesja();
    Sesja.OdczytacPojemnoscPLU = 1;
    std::strcpy(Sesja.PlikiSterownika[PlikEcrtbuf], bufor.c_str());
    Zapis(bufor, dluga);
    kasa.Rozkazy.clear();
    ASSERT_TRUE(Odczyt());
    ASSERT_FALSE(UrzadzenieZnalezioneWBuforze());
    CzystaSesja();
    Sesja.OdczytacPojemnoscPLU = 1;
    std::strcpy(Sesja.PlikiSterownika[PlikEcrtbuf], bufor.c_str());
    kasa.Rozkazy.clear();
    ASSERT_TRUE(Odczyt());
    EXPECT_TRUE(UrzadzenieZnalezioneWBuforze()) << dluga.size();
    EXPECT_EQ(kasa.IleRazy(0xE6), 0);
  }
}

TEST_F(Identyfikacja, OtherDevicesAreSkippedAndANumberlessLineIsValid) {
  Zapis(bufor, "$OTHER\txx\t36\tKarvo\t10\tI\t05\tKarvo 10 PLU I gen. ver. 05");
  ASSERT_TRUE(Odczyt());
  // The last line had no terminator: it is ended before the new line.
  EXPECT_EQ(Zawartosc(bufor),
            "$OTHER\txx\t36\tKarvo\t10\tI\t05\tKarvo 10 PLU I gen. ver. 05\r\n"
            "$ABCDEFGHIJK\txx\t36\tKarvo\t4000\tI\t05\tKarvo 4000 PLU I gen. ver. 05\r\n");
}

TEST_F(Identyfikacja, WithTheNumberToReadTheSessionAppendsAfterIt) {
  Sesja.OdczytacNumerKasy = 1;
  ASSERT_TRUE(Odczyt());
  EXPECT_FALSE(fs::exists(bufor));
  EXPECT_TRUE(UrzadzenieDoDopisania());
  ASSERT_EQ(OdczytanieNumeruUrzadzenia(), 1);
  EXPECT_EQ(u.NumerUrzadzenia, 7);
  ASSERT_TRUE(DopisanieDoPlikuIdentyfikatorow());
  EXPECT_EQ(Zawartosc(bufor), "$ABCDEFGHIJK\t07\t36\tKarvo\t4000\tI\t05\tKarvo 4000 PLU I gen. ver. 05\r\n");
  // The next session finds it.
  CzystaSesja();
  Sesja.OdczytacPojemnoscPLU = 1;
  std::strcpy(Sesja.PlikiSterownika[PlikEcrtbuf], bufor.c_str());
  kasa.Rozkazy.clear();
  ASSERT_TRUE(Odczyt());
  EXPECT_TRUE(UrzadzenieZnalezioneWBuforze());
  EXPECT_EQ(kasa.IleRazy(0xE6), 0);
}

TEST_F(Identyfikacja, AppendToAFileThatCannotBeOpenedGives59) {
  std::strcpy(Sesja.PlikiSterownika[PlikEcrtbuf], (katalog / "brak" / "ECRTBUF.TXT").c_str());
  EXPECT_FALSE(Odczyt());
  EXPECT_EQ(Sesja.BiezacyWynik, 59);
}

TEST_F(Identyfikacja, RegisterNumber) {
  const struct { const char* numer; uint8_t poprawny, wartosc; } przypadki[] = {
      {"07", 1, 7}, {"99", 1, 99}, {"x7", 0, 0}, {"ab", 0, 0},
  };
  for (const auto& p : przypadki) {
    CzystaSesja();
    model.Numer = p.numer;
    EXPECT_EQ(OdczytanieNumeruUrzadzenia(), p.poprawny) << p.numer;
    EXPECT_EQ(Sesja.BiezacyWynik, 0);
    EXPECT_STREQ(u.NumerKasyTekst, p.numer);
    if (p.poprawny) {
      EXPECT_EQ(u.NumerUrzadzenia, p.wartosc);
    }
  }
}

TEST(TestyTypu, EveryFamilyByTypeCode) {
  using Test = bool (*)();
  const struct { const char* nazwa; Test test; std::vector<int> kody; } rodziny[] = {
      {"Pelto", KasaPelto, {28, 31, 103, 104}},
      {"Veko", KasaVeko, {22, 23, 29, 32, 35, 38, 100, 101}},
      {"Tamo", KasaTamo, {'+', 'f'}},
      {"Lapo", KasaLapo, {'k'}},
      {"Vin", KasaVin, {'t'}},
      {"Cenometr", KasaCenometr, {'w', 'x', '\'', '9', 'm', 'n'}},
      {"Ubo", KasaUbo, {'%', '='}},
      {"Norda", KasaNorda, {'u', 'v'}},
      {"OP", KasaOP, {'o', 'p'}},
      {"WX", KasaWX, {'w', 'x'}},
      {"MN", KasaMN, {'m', 'n', '\'', '9'}},
      {"ZPojemnikami", KasaZPojemnikami, {'&'}},
  };
  ZerowanieDanychSesji();
  for (const auto& r : rodziny) {
    for (int kod = 0; kod < 256; ++kod) {
      Sesja.Urzadzenie.KodTypuKasy = static_cast<uint8_t>(kod);
      const bool oczekiwany = std::find(r.kody.begin(), r.kody.end(), kod) != r.kody.end();
      EXPECT_EQ(r.test(), oczekiwany) << r.nazwa << " " << kod;
    }
  }
  for (int kod = 0; kod < 256; ++kod) {
    Sesja.Urzadzenie.KodTypuKasy = static_cast<uint8_t>(kod);
    const bool druga = kod >= 100 && kod != 'o' && kod != 'p';
    EXPECT_EQ(KasaDrugiejGeneracji(), druga) << kod;
    EXPECT_EQ(KasaNowa(), kod >= 116 && kod != 'u' && kod != 'v') << kod;
    EXPECT_EQ(KasaT(), kod == 116 || kod > 120) << kod;
    EXPECT_EQ(KasaDrugiejGeneracjiBezVeko(), druga && kod != 100 && kod != 101) << kod;
  }
}

TEST(TestyTypu, ExtendedRegisters) {
  ZerowanieDanychSesji();
  const struct { uint8_t typ, podwersja; bool rozszerzona; } przypadki[] = {
      {103, 2, true}, {103, 1, false}, {104, 5, true}, {28, 5, false}, {115, 0, false}, {116, 0, true}, {'u', 0, true},
  };
  for (const auto& p : przypadki) {
    Sesja.Urzadzenie.KodTypuKasy = p.typ;
    Sesja.Urzadzenie.PodwersjaTypu = p.podwersja;
    EXPECT_EQ(KasaRozszerzona(), p.rozszerzona) << int(p.typ) << " " << int(p.podwersja);
  }
}

}  // namespace
