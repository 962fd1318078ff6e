// The configuration reader: the /F list, the Server file, where the driver's
// files lie, and the register's KONFIG.TXT line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "include/karvo.h"
#include "session/configuration.h"
#include "state/session_state.h"
#include "text/codecs.h"

namespace fs = std::filesystem;

namespace {

void Nazwa(int slot, const char* tekst) { KopiowanieNapisu(Sesja.NazwyPlikowSesji[slot], tekst); }

class Konfiguracja : public ::testing::Test {
 protected:
  void SetUp() override {
    char wzor[] = "/tmp/karvo-config-XXXXXX";
    ASSERT_NE(mkdtemp(wzor), nullptr);
    dir = wzor;
    poprzedni = fs::current_path();
    fs::current_path(dir);
    ZerowanieDanychSesji();
    KopiowanieNapisu(Proces.ZnakiKoncaLinii, "\r\n");
  }
  void TearDown() override {
    ZamknieciePliku(&Sesja.UchwytSerwera);
    ZerowanieDanychSesji();
    KopiowanieNapisu(Proces.ZnakiKoncaLinii, "\r\n");
    Proces.UdostepnianieWyjscia = 0;
    fs::current_path(poprzedni);
    fs::remove_all(dir);
  }
  static void Plik(const fs::path& p, const std::string& tresc) { std::ofstream(p, std::ios::binary) << tresc; }
  fs::path dir, poprzedni;
};

// ---- the link description and the other fields of a KONFIG.TXT line ----

struct PrzypadekLinii {
  const char* linia;
  bool poprawna;
};

class LiniaKonfiguracji : public Konfiguracja, public ::testing::WithParamInterface<PrzypadekLinii> {};

TEST_P(LiniaKonfiguracji, IsCheckedFieldByField) {
  KopiowanieNapisu(Sesja.PlikiSterownika[PlikKonfig], "KONFIG.TXT");
  EXPECT_EQ(OdczytanieLiniiKonfiguracji(GetParam().linia), GetParam().poprawna) << GetParam().linia;
}

INSTANTIATE_TEST_SUITE_P(
    Przypadki, LiniaKonfiguracji,
    ::testing::Values(
        PrzypadekLinii{"1\tCOM1:9600:MUX0:1\t5", true}, PrzypadekLinii{"1\tcom2:19200:mux1:3 ;komentarz\t5", true},
        PrzypadekLinii{"1\t  COM255:115200:MUX4:8  \t0", true}, PrzypadekLinii{"1\tCOM02:9600:MUX0:1\t5", false},
        PrzypadekLinii{"1\tCOM0:9600:MUX0:1\t5", false}, PrzypadekLinii{"1\tCOM256:9600:MUX0:1\t5", false},
        PrzypadekLinii{"1\tCOM1:9600:MUX0:2\t5", false}, PrzypadekLinii{"1\tCOM1:9600:MUX1:4\t5", true},
        PrzypadekLinii{"1\tCOM1:9600:MUX1:5\t5", false}, PrzypadekLinii{"1\tCOM1:9600:MUX3:8\t5", true},
        PrzypadekLinii{"1\tCOM1:9600:MUX3:9\t5", false}, PrzypadekLinii{"1\tCOM1:9600:MUX3:0\t5", false},
        PrzypadekLinii{"1\tCOM1:0:MUX0:1\t5", false}, PrzypadekLinii{"1\tCOM1:115201:MUX0:1\t5", false},
        PrzypadekLinii{"1\tCOM1:$2580:MUX0:1\t5", true},  // a Long in any of its forms
        PrzypadekLinii{"1\tCOM1:9600:MUX6:1\t5", false}, PrzypadekLinii{"1\tCOM1:9600:MUX01:1\t5", false},
        PrzypadekLinii{"1\tCOM1:9600:MUX0:1:1\t5", false}, PrzypadekLinii{"1\tCOM1::MUX0:1\t5", false},
        PrzypadekLinii{"1\tCOM1:9600:MUX0\t5", false}, PrzypadekLinii{"1\tCOM1:9600:MUX0:1:\t5", false},
        PrzypadekLinii{"1\tCOMX:9600:MUX0:1\t5", false}, PrzypadekLinii{"1\t\t5", false},
        PrzypadekLinii{"1\tCOM1:9600:MUX0:1", false},           // no time-out
        PrzypadekLinii{"1\tCOM1:9600:MUX0:1\t65536", false},  // time-out above a Word
        PrzypadekLinii{"1\tCOM1:9600:MUX0:1\t65535\tKasa 1", true},
        // modem kind: identifier and five parts of field 5 required
        PrzypadekLinii{"1\tCOM1:9600:MUX2:3\t5\tSklep\tP0221234567:haslo123:60:10:3", true},
        PrzypadekLinii{"1\tCOM1:9600:MUX2:3\t5\tSklep\tt0221234567:haslo123:60:10:3", true},
        PrzypadekLinii{"1\tCOM1:9600:MUX2:3\t5\tSklep\tX0221234567:haslo123:60:10:3", false},
        PrzypadekLinii{"1\tCOM1:9600:MUX2:3\t5\tSklep\tP1:haslo12:60:10:3", false},
        PrzypadekLinii{"1\tCOM1:9600:MUX2:3\t5\tSklep\tP1:haslo123:60:10", false},
        PrzypadekLinii{"1\tCOM1:9600:MUX2:3\t5\tSklep\tP1:haslo123:60:10:3:4", false},
        PrzypadekLinii{"1\tCOM1:9600:MUX2:3\t5\tSklep\tP1:haslo123:60:10:256", false},
        PrzypadekLinii{"1\tCOM1:9600:MUX2:3\t5\tSklep", false},
        PrzypadekLinii{"1\tCOM1:9600:MUX2:3\t5\t\tP1:haslo123:60:10:3", false},
        // network kind: seven parts
        PrzypadekLinii{"1\tCOM1:19200:MUX5:1\t5\tSklep\t127.0.0.1:4001:x:0:haslo123:10:3", true},
        PrzypadekLinii{"1\tCOM1:19200:MUX5:1\t5\tSklep\t127.0.0.1:65536:x:0:haslo123:10:3", false},
        PrzypadekLinii{"1\tCOM1:19200:MUX5:1\t5\tSklep\t127.0.0.1:4001::0:haslo123:10:3", false},
        PrzypadekLinii{"1\tCOM1:19200:MUX5:1\t5\tSklep\t127.0.0.1:4001:x:0:haslo:10:3", false},
        PrzypadekLinii{"1\tCOM1:19200:MUX5:1\t5\tSklep\t127.0.0:4001:x:0:haslo123:10:3", false},
        PrzypadekLinii{"1\tCOM1:19200:MUX5:1\t5\tSklep\t127.0.0.256:4001:x:0:haslo123:10:3", false},
        PrzypadekLinii{"1\tCOM1:19200:MUX5:1\t5\tSklep\tkasa.local:4001:x:0:haslo123:10:3", false}));

TEST_F(Konfiguracja, SerialLineKeepsItsSettingsAndTheDefaultIdentifier) {
  KopiowanieNapisu(Sesja.PlikiSterownika[PlikKonfig], "/dane/KONFIG.TXT");
  ASSERT_TRUE(OdczytanieLiniiKonfiguracji("7\tcom3:19200:mux1:4\t12"));
  EXPECT_EQ(Sesja.Lacze.NumerPortu, 3);
  EXPECT_EQ(Sesja.Lacze.Predkosc, 19200u);
  EXPECT_EQ(Sesja.Lacze.RodzajLacza, 1);
  EXPECT_EQ(Sesja.Lacze.Kanal, 4);
  EXPECT_EQ(Sesja.Lacze.CzasOczekiwania, 12u);
  EXPECT_STREQ(Sesja.Lacze.TekstIdentyfikacji, "Karvo (identyfikator domyslny)");
  EXPECT_STREQ(Sesja.Lacze.Pole2, "com3:19200:mux1:4");  // kept as written for the report
  ASSERT_TRUE(OdczytanieLiniiKonfiguracji("7\tCOM3:9600:MUX0:1\t12\tKasa przy wejsciu"));
  EXPECT_STREQ(Sesja.Lacze.TekstIdentyfikacji, "Kasa przy wejsciu (identyfikator z pliku /dane/KONFIG.TXT)");
}

TEST_F(Konfiguracja, ModemAndNetworkKindsRunThePortAt19200OnChannel2) {
  ASSERT_TRUE(OdczytanieLiniiKonfiguracji("1\tCOM2:9600:MUX2:3\t5\tSklep\tT0221234567:Haslo_12:60:20:4"));
  EXPECT_EQ(Sesja.Lacze.Predkosc, 19200u);
  EXPECT_EQ(Sesja.Lacze.Kanal, 2);
  EXPECT_EQ(Sesja.Lacze.PredkoscZadana, 9600u);
  EXPECT_EQ(Sesja.Lacze.KanalZadany, 3);
  EXPECT_EQ(Sesja.Lacze.TrybWybierania, 'T');
  EXPECT_STREQ(Sesja.Lacze.NumerTelefonu, "0221234567");
  EXPECT_STREQ(Sesja.Lacze.HasloModulu, "Haslo_12");  // the password keeps its case
  EXPECT_EQ(Sesja.Lacze.CzasPolaczenia, 60u);
  EXPECT_EQ(Sesja.Lacze.CzasOczekiwaniaRamki, 20u);
  EXPECT_EQ(Sesja.Lacze.LimitPowtorzen, 4);

  ASSERT_TRUE(OdczytanieLiniiKonfiguracji("1\tCOM1:19200:MUX5:8\t5\tSklep\t10.1.2.3:4001:opis:7:abcdefgh:15:2"));
  EXPECT_STREQ(Sesja.Lacze.AdresModulu, "10.1.2.3");
  EXPECT_EQ(Sesja.Lacze.PortModulu, 4001u);
  EXPECT_STREQ(Sesja.Lacze.TekstDodatkowy, "opis");
  EXPECT_EQ(Sesja.Lacze.SlowoDodatkowe, 7u);
  EXPECT_STREQ(Sesja.Lacze.HasloModulu, "abcdefgh");
  EXPECT_EQ(Sesja.Lacze.CzasOczekiwaniaRamki, 15u);
  EXPECT_EQ(Sesja.Lacze.LimitPowtorzen, 2);
  EXPECT_EQ(Sesja.Lacze.KanalZadany, 8);
  EXPECT_EQ(Sesja.Lacze.Kanal, 2);
}

// ---- the /F list and the location of the driver's files ----

TEST_F(Konfiguracja, NameListGivesOutputAndServerFiles) {
  Sesja.JestPlikWynikowy = 1;
  Nazwa(1, "in.txt;out.txt");
  Nazwa(2, "w.txt");
  OdczytanieKonfiguracji();
  EXPECT_STREQ(Sesja.NazwyPlikowSesji[1], "in.txt");
  EXPECT_STREQ(Sesja.NazwyPlikowSesji[2], "out.txt");
  EXPECT_EQ(Sesja.BiezacyWynik, 0);

  ZerowanieDanychSesji();
  Nazwa(1, "in.txt;;srv.txt");  // an empty name leaves the slot as it was
  Sesja.JestPlikWynikowy = 1;
  Nazwa(2, "w.txt");
  OdczytanieKonfiguracji();
  EXPECT_STREQ(Sesja.NazwyPlikowSesji[2], "w.txt");
  EXPECT_STREQ(Sesja.NazwyPlikowSesji[3], "srv.txt");
  EXPECT_EQ(Sesja.BiezacyWynik, 54);  // srv.txt does not exist

  ZerowanieDanychSesji();
  Nazwa(1, "in.txt;srv.txt");  // a writing command: the second name is the Server file
  OdczytanieKonfiguracji();
  EXPECT_STREQ(Sesja.NazwyPlikowSesji[1], "in.txt");
  EXPECT_STREQ(Sesja.NazwyPlikowSesji[2], "srv.txt");
  EXPECT_EQ(Sesja.BiezacyWynik, 54);
}

TEST_F(Konfiguracja, DriverFilesLieInTheCurrentDirectoryOrBesideTheInput) {
  OdczytanieKonfiguracji();  // no input name: bare names
  EXPECT_STREQ(Sesja.PlikiSterownika[PlikRaport], "RAPORT.TXT");

  ZerowanieDanychSesji();
  Nazwa(1, "/dane/sklep/towary.txt");
  OdczytanieKonfiguracji();
  EXPECT_STREQ(Sesja.PlikiSterownika[PlikKonfig], "/DANE/SKLEP/KONFIG.TXT");
  EXPECT_STREQ(Sesja.ZastrzezoneNazwy[PlikEcrtbuf], "/DANE/SKLEP/ECRTBUF.TXT");

  ZerowanieDanychSesji();
  Nazwa(1, "C:\\DANE\\TOWARY.TXT");
  OdczytanieKonfiguracji();
  EXPECT_STREQ(Sesja.PlikiSterownika[PlikKonfig], "C:\\DANE\\KONFIG.TXT");

  Plik(dir / "KONFIG.TXT", "");
  ZerowanieDanychSesji();
  Nazwa(1, "/dane/sklep/towary.txt");
  OdczytanieKonfiguracji();
  EXPECT_STREQ(Sesja.PlikiSterownika[PlikKonfig], "KONFIG.TXT");
  EXPECT_STREQ(Sesja.PlikiSterownika[PlikModkonf], "MODKONF.TXT");
}

// ---- the Server file ----

std::string PlikSerwera(const std::string& terminator, const std::string& dodatek = "") {
  return "; plik serwera\r\n$" + terminator +
         "\r\n$k.txt\r\n$r.txt\r\n$c.txt\r\n$m.txt\r\n$e.txt\r\n$49374:12\r\n$1\r\n$0\r\n$1\r\n$10\r\n$100\r\n$"
         "16777215\r\n" +
         dodatek;
}

TEST_F(Konfiguracja, ServerFileSetsPathsAndSettings) {
  Plik(dir / "srv.txt", PlikSerwera("13:10"));
  Nazwa(1, "in.txt;srv.txt");
  OdczytanieKonfiguracji();
  ASSERT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_STREQ(Sesja.PlikiSterownika[PlikKonfig], "k.txt");
  EXPECT_STREQ(Sesja.ZastrzezoneNazwy[PlikEcrtbuf], "e.txt");
  EXPECT_EQ(Sesja.NumerKomunikatu, 49374);
  EXPECT_EQ(Sesja.IdentyfikatorSterownika, 12);
  EXPECT_EQ(Sesja.ZapisKomunikatow, 1);
  EXPECT_EQ(Sesja.Wstrzymany, 0);
  EXPECT_EQ(Sesja.PokazPlikWRaporcie, 1);
  EXPECT_EQ(Sesja.OkresLicznika, 10u);
  EXPECT_EQ(Sesja.OkresLinii, 100u);
  EXPECT_EQ(Sesja.OkresLiniiWyjscia, 16777215u);
  EXPECT_EQ(Proces.UdostepnianieWyjscia, 0);
  EXPECT_STREQ(Proces.ZnakiKoncaLinii, "\r\n");
}

TEST_F(Konfiguracja, ServerFileVariants) {
  const struct {
    std::string tresc;
    uint8_t wynik;
    const char* terminator;
    uint8_t udostepnianie;
  } przypadki[] = {
      {PlikSerwera("10"), 0, "\n", 0},
      {PlikSerwera("13:10", "$1\r\n"), 0, "\r\n", 1},
      {PlikSerwera("13:10", "$2\r\n"), 0, "\r\n", 2},
      {PlikSerwera("13:10", "$3\r\n"), 54, "\r\n", 0},
      {PlikSerwera("13:10", "#x\r\n"), 54, "\r\n", 0},
      {PlikSerwera("13:256"), 54, "\r\n", 0},
      {PlikSerwera("0"), 54, "\r\n", 0},
      {PlikSerwera("x"), 54, "\r\n", 0},
      {"$13:10\r\n$k.txt\r\n", 54, "\r\n", 0},  // lines missing
      {PlikSerwera("13:10").replace(PlikSerwera("13:10").find("16777215"), 8, "16777216"), 54, "\r\n", 0},
      {PlikSerwera("13:10").replace(PlikSerwera("13:10").find("$1\r\n$0"), 2, "$2"), 54, "\r\n", 0},
      {PlikSerwera("13:10").replace(PlikSerwera("13:10").find("49374:12"), 8, "49374"), 0, "\r\n", 0},
      {PlikSerwera("13:10").replace(PlikSerwera("13:10").find("49374:12"), 8, "x:12"), 54, "\r\n", 0},
  };
  for (const auto& p : przypadki) {
    ZamknieciePliku(&Sesja.UchwytSerwera);  // the session close would release it
    ZerowanieDanychSesji();
    KopiowanieNapisu(Proces.ZnakiKoncaLinii, "\r\n");
    Plik(dir / "srv.txt", p.tresc);
    Nazwa(1, "in.txt;srv.txt");
    OdczytanieKonfiguracji();
    EXPECT_EQ(Sesja.BiezacyWynik, p.wynik) << p.tresc;
    EXPECT_STREQ(Proces.ZnakiKoncaLinii, p.terminator) << p.tresc;
    if (p.wynik == 0) {
      EXPECT_EQ(Proces.UdostepnianieWyjscia, p.udostepnianie) << p.tresc;
    }
  }
}

TEST_F(Konfiguracja, InnerCommandsInheritTheServerFile) {
  Sesja.JestPlikWynikowy = 1;
  Nazwa(3, "srv.txt");
  Napis lista{}, dodatkowa{};
  KopiowanieNapisu(lista, "in.txt");
  KopiowanieNapisu(dodatkowa, "out.txt");
  DolaczenieNazwySerwera(lista, dodatkowa);
  EXPECT_STREQ(lista, "in.txt;out.txt;srv.txt");
  EXPECT_STREQ(dodatkowa, "");

  Nazwa(3, "");
  KopiowanieNapisu(lista, "in.txt");
  KopiowanieNapisu(dodatkowa, "out.txt");
  DolaczenieNazwySerwera(lista, dodatkowa);  // not in Server mode: nothing changes
  EXPECT_STREQ(lista, "in.txt");
  EXPECT_STREQ(dodatkowa, "out.txt");
}

}  // namespace
