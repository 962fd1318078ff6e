// The register's tables and settings from end to end: units, groups, forms of
// payment, the discount and line-count bytes, the header lines, the status
// bytes, the clock, the unique number, the discount card and the option sets.
// Each test keeps one simulated register and runs the driver against it
// several times, so a write is followed by the read of the same table.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "harness.h"

using namespace e2e;

namespace {

const std::string Z_BUFORA = " (identyfikator odczytany z urzadzenia i pliku ECRTBUF.TXT)";
const std::string ZEGAR = "$zegar\t08.12.26\t14:35\r\n";

std::string Dane(const std::vector<std::string>& linie) {
  std::string t;
  for (const auto& l : linie) t += "$" + l + "\r\n";
  return t;
}

std::string Spacje(size_t n) { return std::string(n, ' '); }

// One ready-made register (with further state keys) behind a pty or behind
// the network module, and the driver run against it; every run's report and
// output are checked whole. The module's link opens without the serial
// port's settling pauses, so the cases that test the commands' own checks use it.
class Kasa {
 public:
  explicit Kasa(const Rodzina& r, const std::string& dodatki = ZEGAR, std::vector<std::string> usterki = {},
                e2e::Lacze lacze = e2e::Lacze::Pty)
      : r_(r) {
    const std::string stan = env_.Sciezka(r.plik);
    ZapiszPlik(stan, CzytajPlik(Urzadzenie(r.plik)) + dodatki);
    sim_ = std::make_unique<Symulator>(env_.Katalog(),
                                       OpcjeSymulatora{.urzadzenia = {stan}, .lacze = lacze, .usterki = usterki});
    if (lacze == e2e::Lacze::ModulTcp) {
      lacze_ = env_.PolaczZModulem(*sim_, r.numer);
      ogon_ = "\t" + env_.Pole5();
    } else {
      env_.PolaczZSymulatorem(*sim_, r.numer);
    }
    zrodlo_ = std::string(r_.nazwa) + ZRODLO + ogon_;
  }

  bool Gotowa() const { return sim_->Gotowy(); }

  // A reading command: its output must be the three header lines and these data lines.
  void Odczyt(int kod, const std::string& funkcja, const std::vector<std::string>& dane, int wynik = 0,
              const std::string& opis = "") {
    env_.Plik("WE.TXT", Srodowisko::Wejscie(r_.numer));
    const std::string zrodlo = zrodlo_;
    const WynikKarvo w = Uruchom(kod, funkcja, "WY.TXT", wynik, opis);
    EXPECT_EQ(BezCzasu(w.wyjscie), Linie({Naglowek0(r_.numer, lacze_, funkcja, "WY.TXT"), "", zrodlo}) + Dane(dane))
        << funkcja;
    ostatnie_ = w.wyjscie;
  }

  // A writing command with these data lines.
  void Zapis(int kod, const std::string& funkcja, const std::vector<std::string>& dane, int wynik = 0,
             const std::string& opis = "") {
    env_.Plik("WE.TXT", Srodowisko::Wejscie(r_.numer, dane));
    Uruchom(kod, funkcja, "", wynik, opis);
  }

  // The simulator ends and writes its state back.
  std::string Stan() {
    sim_->Zatrzymaj();
    return sim_->Stan();
  }
  int IleRazy(uint8_t kod) const { return e2e::IleRazy(sim_->Dziennik(), kod); }
  const std::string& Wyjscie() const { return ostatnie_; }

 private:
  bool Cenometr() const {
    const std::string plik = r_.plik;
    return plik.starts_with("cenometr") || plik.starts_with("ubo");
  }

  WynikKarvo Uruchom(int kod, const std::string& funkcja, const std::string& wyjscie, int wynik,
                     const std::string& opis) {
    const WynikKarvo w = env_.Karvo(kod, "WE.TXT", wyjscie);
    EXPECT_FALSE(w.przekroczonyCzas) << funkcja;
    const std::string linia = wynik == 0 ? DOBRZE : Opis(wynik, opis);
    EXPECT_EQ(BezCzasu(w.raport), Linie({Naglowek0(r_.numer, lacze_, funkcja, wyjscie), linia, zrodlo_})) << funkcja;
    // karvo.log keeps every run's report, this one last.
    EXPECT_TRUE(w.log.ends_with(w.raport + std::string(80, '-') + "\r\n")) << w.log;
    // From the second run on the driver finds the register in ECRTBUF.TXT;
    // price checkers are never written there.
    if (!Cenometr()) zrodlo_ = std::string(r_.nazwa) + Z_BUFORA + ogon_;
    return w;
  }

  Stanowisko env_;
  Rodzina r_;
  std::unique_ptr<Symulator> sim_;
  std::string lacze_ = "COM1:9600:MUX0:1";
  std::string ogon_;  // the module's field 5 after the device name
  std::string zrodlo_;
  std::string ostatnie_;
};

const Rodzina& RodzinaZPliku(const std::string& plik) {
  for (const Rodzina& r : RODZINY)
    if (plik == r.plik) return r;
  ADD_FAILURE() << plik;
  return RODZINY.front();
}

// The 40 status lines of five status bytes; a missing byte is written "?".
std::vector<std::string> LinieStatusu(const std::vector<int>& bajty) {
  std::vector<std::string> linie;
  for (size_t k = 0; k < 5; ++k)
    for (int b = 0; b < 8; ++b)
      linie.push_back(DwieCyfry(static_cast<int>(8 * k) + b + 1) + "\t" +
                      (k >= bajty.size() || bajty[k] < 0 ? "?" : ((bajty[k] >> b) & 1) ? "1" : "0"));
  return linie;
}

// The 24 lines of an option set given as its three bytes.
std::vector<std::string> LinieOpcji(int b1, int b2, int b3) {
  const int bajty[] = {b1, b2, b3};
  std::vector<std::string> linie;
  for (int n = 1; n <= 24; ++n) {
    char numer[8];
    std::snprintf(numer, sizeof numer, "%03d", n);
    linie.push_back(std::string(numer) + "\t" + (((bajty[(n - 1) / 8] >> ((n - 1) % 8)) & 1) ? "1" : "0"));
  }
  return linie;
}

std::vector<std::string> Kolejne(size_t ile, std::string (*linia)(size_t numer)) {
  std::vector<std::string> wynik;
  for (size_t n = 1; n <= ile; ++n) wynik.push_back(linia(n));
  return wynik;
}

}  // namespace

// ---- a new register (type 't'): every table written and read back ----

TEST(TabeleNowejKasy, NameTablesWrittenAreReadBack) {
  Kasa k(RodzinaZPliku("vin-t.txt"), ZEGAR + "$grupy\t12\r\n");
  ASSERT_TRUE(k.Gotowa());
  k.Zapis(16, "ZJednost", {"2\tszt.", "16\tkg  "});
  std::vector<std::string> jednostki = {"01\tszt ", "02\tszt.", "03\tl   "};
  for (int n = 4; n <= 15; ++n) jednostki.push_back(DwieCyfry(n) + "\t" + Spacje(4));
  jednostki.push_back("16\tkg  ");
  k.Odczyt(15, "OJednost", jednostki);

  k.Zapis(18, "ZGrupa", {"3\tNAPOJE GAZOWANE    ", "12\tOSTATNIA GRUPA 12  "});
  std::vector<std::string> grupy = {"01\tPIECZYWO" + Spacje(11), "02\tNABIAL" + Spacje(13),
                                    "03\tNAPOJE GAZOWANE    "};
  for (int n = 4; n <= 11; ++n) grupy.push_back(DwieCyfry(n) + "\t" + Spacje(19));
  grupy.push_back("12\tOSTATNIA GRUPA 12  ");
  k.Odczyt(17, "OGrupa", grupy);

  k.Zapis(110, "ZPlat", {"2\tKARTA PLAT.  ", "8\tBON TOWAROWY "});
  std::vector<std::string> platnosci = {"1\tGOTOWKA" + Spacje(6), "2\tKARTA PLAT.  "};
  for (int n = 3; n <= 7; ++n) platnosci.push_back(std::to_string(n) + "\t" + Spacje(13));
  platnosci.push_back("8\tBON TOWAROWY ");
  k.Odczyt(19, "OPlat", platnosci);
  EXPECT_EQ(k.IleRazy(0xD7), 9);
  EXPECT_EQ(k.IleRazy(0xC9), 0);

  const std::string stan = k.Stan();
  for (const char* s :
       {"$jednostka\t2\tszt.\r\n", "$grupa\t12\tOSTATNIA GRUPA 12\r\n", "$platnosc\t8\tBON TOWAROWY\r\n"})
    EXPECT_NE(stan.find(s), std::string::npos) << s << stan;
}

TEST(TabeleNowejKasy, SettingsWrittenAreReadBack) {
  Kasa k(RodzinaZPliku("vin-t.txt"));
  ASSERT_TRUE(k.Gotowa());
  k.Zapis(112, "ZRabat", {"0x0F\tfurther fields are ignored", "20"});
  k.Odczyt(111, "ORabat", {"15"});
  k.Zapis(116, "ZWiersz", {"30"});
  k.Odczyt(115, "OWiersz", {"30"});
  k.Zapis(118, "ZLinia", {"SKLEP \"POD LIPA\"        \tUL. DLUGA 1, KRAKOW     "});
  k.Odczyt(117, "OLinia", {"SKLEP \"POD LIPA\"        \tUL. DLUGA 1, KRAKOW     "});
  k.Odczyt(120, "OZegar", {"08.12.26\t14:35"});
  k.Odczyt(121, "ONrUnik", {"VIN 116C0042"});
  // The status bytes of the state file: 0x5B carries the version (2) in its high nibble.
  k.Odczyt(119, "OStatus", LinieStatusu({0x22, 0x00, 0x10, 0x00, 0x01}));

  const std::string karta = "7\t4\tABCDEFGH\t1\t2\t3\t10\t11\t12\t13\t14\t15\t16\t17\t18\t19\t20\t21\t22\t23\t24\t255";
  k.Zapis(123, "ZKartRab", {karta});
  k.Odczyt(122, "OKartRab", {"7\t4\tABCDEF\t1\t2\t3\t10\t11\t12\t13\t14\t15\t16\t17\t18\t19\t20\t21\t22\t23\t24\t255"});

  const std::string stan = k.Stan();
  for (const char* s : {"$rabat\t15\r\n", "$wiersze\t30\r\n", "$naglowek\tSKLEP \"POD LIPA\"\tUL. DLUGA 1, KRAKOW\r\n",
                        "$karta\t7\t4\tABCDEF\t1\t2\t3\t10\t"})
    EXPECT_NE(stan.find(s), std::string::npos) << s << stan;
}

TEST(TabeleNowejKasy, OptionSetsAreReadAndChangedBitByBitThroughTheIndexedRequests) {
  Kasa k(RodzinaZPliku("vin-t.txt"), ZEGAR + "$opcje\t1\t0x81\t0x00\t0xFF\r\n$opcje\t3\t0x00\t0x00\t0x80\r\n");
  ASSERT_TRUE(k.Gotowa());
  k.Odczyt(11, "OBajty", LinieOpcji(0x05, 0x00, 0x80));
  k.Odczyt(13, "ODBajty", LinieOpcji(0x81, 0x00, 0xFF));
  k.Odczyt(126, "ODNBajty", LinieOpcji(0, 0, 0));
  // Bit 3 is bit 2 of byte 1; bit 24 is bit 7 of byte 3; the other 22 bits stay.
  k.Zapis(125, "ZDKBajty", {"3\t1", "24\t0", "9\t1"});
  k.Odczyt(124, "ODKBajty", LinieOpcji(0x04, 0x01, 0x00));
  k.Zapis(12, "ZBajty", {"1\t0"});
  k.Zapis(127, "ZDNBajty", {"16\t1"});
  k.Zapis(14, "ZDBajty", {"1\t0", "1\t1"});
  EXPECT_EQ(k.IleRazy(0xDF), 8);
  EXPECT_EQ(k.IleRazy(0xDE), 4);
  for (uint8_t kod : {0xC3, 0xB4, 0xDB, 0xDD, 0xC2, 0xB3, 0xDA, 0xDC}) EXPECT_EQ(k.IleRazy(kod), 0) << int(kod);
  const std::string stan = k.Stan();
  for (const char* s : {"$opcje\t0\t0x04\t0x00\t0x80\r\n", "$opcje\t1\t0x81\t0x00\t0xFF\r\n",
                        "$opcje\t2\t0x00\t0x80\t0x00\r\n", "$opcje\t3\t0x04\t0x01\t0x00\r\n"})
    EXPECT_NE(stan.find(s), std::string::npos) << s << stan;
}

// ---- the families the commands tell apart ----

// Type 'o': numbered header lines with their attribute, a payment table of
// three, four status bytes, the per-set option requests, no discount card.
TEST(TabeleRodzin, TypeOKeepsNumberedHeaderLinesAndTheOlderRequests) {
  Kasa k(RodzinaZPliku("op-o.txt"));
  ASSERT_TRUE(k.Gotowa());
  const std::string dlugi = "UL. MLYNSKA 3, 00-950 WARSZAWA, TEL. 123";
  k.Zapis(118, "ZLinia", {"2\t" + dlugi + "\t0", "3\tKROTKA LINIA 20 ZNK.\t1", "4\t" + Spacje(20) + "\t0",
                          "5\tTRZYDZIESCI ZNAKOW TO ZA MALO.\t0", "6\tnot read\t0"},
          11, "bledna linia lub bledne pole w pliku wejsciowym (WE.TXT)");
  k.Odczyt(117, "OLinia",
           {"01\tPIEKARNIA \"KLOS\"    \t0", "02\t" + dlugi + "\t0", "03\tKROTKA LINIA 20 ZNK.\t1",
            "04\t" + Spacje(20) + "\t0", "05\t" + Spacje(40) + "\t0", "06\t" + Spacje(40) + "\t0",
            "07\t" + Spacje(40) + "\t0", "08\t" + Spacje(40) + "\t0"});
  EXPECT_EQ(k.IleRazy(0xCE), 3);
  EXPECT_EQ(k.IleRazy(0xCF), 9);

  k.Odczyt(19, "OPlat", {"1\t" + Spacje(13), "2\t" + Spacje(13), "3\t" + Spacje(13)});
  k.Odczyt(119, "OStatus", LinieStatusu({0x10, 0, 0, 0}));
  EXPECT_EQ(k.IleRazy(0x57), 0);
  k.Odczyt(122, "OKartRab", {}, 24, "kasa odrzucila rozkaz");
  // The indexed request is refused once; the write then goes by the set's own request.
  k.Zapis(12, "ZBajty", {"3\t1", "24\t1"});
  k.Odczyt(11, "OBajty", LinieOpcji(0x04, 0x00, 0x80));
  EXPECT_EQ(k.IleRazy(0xDF), 2);
  EXPECT_EQ(k.IleRazy(0xDE), 0);
  EXPECT_EQ(k.IleRazy(0xC2), 1);
  const std::string stan = k.Stan();
  EXPECT_NE(stan.find("$linia\t3\t3\tKROTKA LINIA 20 ZNK.\r\n"), std::string::npos) << stan;
}

TEST(TabeleRodzin, NordaHasTwoFormsOfPaymentAndNoFifthStatusByte) {
  Kasa k(RodzinaZPliku("norda-u.txt"));
  ASSERT_TRUE(k.Gotowa());
  k.Odczyt(19, "OPlat", {"1\tGOTOWKA" + Spacje(6), "2\tCZEK" + Spacje(9)});
  k.Zapis(110, "ZPlat", {"3\tTRZECIA      "}, 115, "kasa zglosila blad o statusie 15");
  k.Odczyt(119, "OStatus", LinieStatusu({0x10, 0, 0, 0}));
  k.Odczyt(126, "ODNBajty", LinieOpcji(0, 0, 0));
  k.Odczyt(124, "ODKBajty", {}, 25, "blad odczytu bloku danych z kasy");
  EXPECT_EQ(k.IleRazy(0x57), 0);
  EXPECT_EQ(k.IleRazy(0xDF), 2);  // refused once a run, then the per-set requests
  EXPECT_EQ(k.IleRazy(0xDD), 1);
}

// Types 'w' and 'x' (price checkers) lie above 't' and are not Norda: they
// read their forms of payment one by one and have the fifth status byte.
TEST(TabeleRodzin, PriceCheckerWReadsPaymentsOneByOneAndHasTheFifthStatusByte) {
  Kasa k(RodzinaZPliku("cenometr-w.txt"), ZEGAR + "$platnosci\t2\r\n$status\t0\t0\t0\t0\t0x81\r\n");
  ASSERT_TRUE(k.Gotowa());
  k.Odczyt(19, "OPlat", {"1\t" + Spacje(13), "2\t" + Spacje(13)});
  k.Odczyt(119, "OStatus", LinieStatusu({0x10, 0, 0, 0, 0x81}));
}

TEST(TabeleRodzin, AFirstGenerationRegisterHasTwoOptionSetsAndAPaymentTableOfThree) {
  Kasa k(RodzinaZPliku("typ-24.txt"));
  ASSERT_TRUE(k.Gotowa());
  k.Zapis(110, "ZPlat", {"3\tKARTA KREDYT."});
  k.Odczyt(19, "OPlat", {"1\tGOTOWKA" + Spacje(6), "2\tBON" + Spacje(10), "3\tKARTA KREDYT."});
  k.Odczyt(120, "OZegar", {"08.12.26\t14:35"});
  k.Odczyt(126, "ODNBajty", {}, 25, "blad odczytu bloku danych z kasy");
  k.Zapis(127, "ZDNBajty", {"1\t1"}, 25, "blad odczytu bloku danych z kasy");
  k.Odczyt(117, "OLinia", {"KIOSK 24" + Spacje(16) + "\t" + Spacje(24)});
}

// ---- what the commands check themselves, and the failures they report ----

TEST(TabeleGranice, TheLineCountLiesInOneToThirty) {
  Kasa k(RodzinaZPliku("typ-0x24.txt"), ZEGAR, {}, Lacze::ModulTcp);
  ASSERT_TRUE(k.Gotowa());
  k.Zapis(116, "ZWiersz", {"0"}, 210, "kasa zglosila blad o statusie 110");
  k.Zapis(116, "ZWiersz", {"31"}, 210, "kasa zglosila blad o statusie 110");
  EXPECT_EQ(k.IleRazy(0x46), 0);
  k.Zapis(116, "ZWiersz", {"1"});
  k.Odczyt(115, "OWiersz", {"1"});
  k.Zapis(112, "ZRabat", {}, 10, "brak wymaganej linii w pliku wejsciowym (WE.TXT)");
  k.Zapis(112, "ZRabat", {"256"}, 11, "bledna linia lub bledne pole w pliku wejsciowym (WE.TXT)");
  EXPECT_EQ(k.IleRazy(0xCC), 0);
}

TEST(TabeleGranice, ABadLineEndsAWriteAndTheLinesBeforeItStay) {
  Kasa k(RodzinaZPliku("typ-27.txt"), ZEGAR, {}, Lacze::ModulTcp);
  ASSERT_TRUE(k.Gotowa());
  k.Zapis(16, "ZJednost", {"1\tszt ", "2\tkg ", "3\tl   "}, 11,
          "bledna linia lub bledne pole w pliku wejsciowym (WE.TXT)");
  k.Zapis(18, "ZGrupa", {"1\tNAZWA DWUDZIESTO ZNK"}, 11, "bledna linia lub bledne pole w pliku wejsciowym (WE.TXT)");
  k.Zapis(18, "ZGrupa", {"100\tGRUPA SPOZA TABELI."}, 110, "kasa zglosila blad o statusie 10");
  const std::string stan = k.Stan();
  EXPECT_NE(stan.find("$jednostka\t1\tszt\r\n"), std::string::npos) << stan;
  EXPECT_EQ(stan.find("$jednostka\t3"), std::string::npos) << stan;
  EXPECT_EQ(stan.find("$grupa\t"), std::string::npos) << stan;
}

TEST(TabeleGranice, TheDiscountCardCodeMustHoldItsLength) {
  Kasa k(RodzinaZPliku("vin-t.txt"), ZEGAR, {}, Lacze::ModulTcp);
  ASSERT_TRUE(k.Gotowa());
  const std::string reszta = "\t1\t2\t3\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t9";
  const std::string zla = "bledna linia lub bledne pole w pliku wejsciowym (WE.TXT)";
  k.Zapis(123, "ZKartRab", {"1\t4\tABC" + reszta}, 11, zla);
  k.Zapis(123, "ZKartRab", {"1\t4\tABCD" + reszta.substr(0, reszta.size() - 2)}, 11, zla);  // 21 fields
  k.Zapis(123, "ZKartRab", {"1\t4\tABCD" + reszta.substr(0, reszta.size() - 1) + "290"}, 11, zla);
  k.Zapis(123, "ZKartRab", {}, 10, "brak wymaganej linii w pliku wejsciowym (WE.TXT)");
  EXPECT_EQ(k.IleRazy(0xB9), 0);
  // L = 0 with no code at all is a record.
  k.Zapis(123, "ZKartRab", {"1\t0\t\t1\t2\t3\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t9"});
  k.Odczyt(122, "OKartRab", {"1\t0\t\t1\t2\t3\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t9"});
}

TEST(TabeleGranice, AnOptionWriteWithABadBitChangesNothing) {
  Kasa k(RodzinaZPliku("vin-t.txt"), ZEGAR, {}, Lacze::ModulTcp);
  ASSERT_TRUE(k.Gotowa());
  const std::string zla = "bledna linia lub bledne pole w pliku wejsciowym (WE.TXT)";
  k.Zapis(12, "ZBajty", {"1\t1", "0\t1"}, 11, zla);
  k.Zapis(12, "ZBajty", {"1\t1", "25\t1"}, 11, zla);
  k.Zapis(12, "ZBajty", {"1\t2"}, 11, zla);
  k.Zapis(12, "ZBajty", {}, 10, "brak wymaganej linii w pliku wejsciowym (WE.TXT)");
  EXPECT_EQ(k.IleRazy(0xDE), 0);
  EXPECT_NE(k.Stan().find("$opcje\t0\t0x05\t0x00\t0x80\r\n"), std::string::npos);
}

// The register refuses the indexed write after it answered the indexed read:
// the command reports the refusal and sends no other write.
TEST(TabeleGranice, ARefusedIndexedWriteEndsWith24) {
  Kasa k(RodzinaZPliku("vin-t.txt"), ZEGAR, {"0xDE:refuse"}, Lacze::ModulTcp);
  ASSERT_TRUE(k.Gotowa());
  k.Zapis(14, "ZDBajty", {"1\t1"}, 24, "kasa odrzucila rozkaz");
  EXPECT_EQ(k.IleRazy(0xB3), 0);
}

TEST(TabeleGranice, StatusBytesThatFailAreMarkedOrEndTheReadout) {
  Kasa k(RodzinaZPliku("vin-t.txt"), ZEGAR, {"0x55,n=1:refuse", "0x56,n=2:silent"});
  ASSERT_TRUE(k.Gotowa());
  k.Odczyt(119, "OStatus", LinieStatusu({0x22, 0x00, -1, 0x00, 0x01}));
  std::vector<std::string> poczatek = LinieStatusu({0x22, 0x00, 0x10});
  poczatek.resize(24);
  k.Odczyt(119, "OStatus", poczatek, 21, "brak odpowiedzi kasy");
}

// A register that answers every record number, 0 included: the readouts stop
// after number 255 instead of wrapping round to 0 and reading for ever.
TEST(TabeleGranice, ReadoutsStopAfterRecord255OnARegisterThatAnswersEveryNumber) {
  std::string grupa0 = "0xC7,p0=0:raw2=0";
  for (int i = 0; i < 19; ++i) grupa0 += ",0x41";
  std::string linia0 = "0xCF,p0=0:raw2=0,0";
  for (int i = 0; i < 40; ++i) linia0 += ",0x41";
  Kasa op(RodzinaZPliku("op-o.txt"), ZEGAR + "$grupy\t255\r\n$linie\t255\r\n", {grupa0, linia0}, Lacze::ModulTcp);
  ASSERT_TRUE(op.Gotowa());
  op.Odczyt(17, "OGrupa", Kolejne(255, [](size_t n) {
              return DwieCyfry(static_cast<int>(n)) + "\t" + (n == 1 ? "CHLEB" + Spacje(14) : Spacje(19));
            }));
  EXPECT_EQ(op.IleRazy(0xC7), 255);
  std::vector<std::string> linie = {"01\tPIEKARNIA \"KLOS\"    \t0",
                                    "02\tUL. MLYNSKA 3, 00-950 WARSZAWA" + Spacje(10) + "\t1"};
  for (int n = 3; n <= 255; ++n) linie.push_back(DwieCyfry(n) + "\t" + Spacje(40) + "\t0");
  op.Odczyt(117, "OLinia", linie);
  EXPECT_EQ(op.IleRazy(0xCF), 255);

  std::string platnosc0 = "0xD7,p0=0:raw2=0";
  for (int i = 0; i < 13; ++i) platnosc0 += ",0x41";
  Kasa t(RodzinaZPliku("vin-t.txt"), ZEGAR + "$platnosci\t255\r\n", {platnosc0}, Lacze::ModulTcp);
  ASSERT_TRUE(t.Gotowa());
  t.Odczyt(19, "OPlat", Kolejne(255, [](size_t n) {
             return std::to_string(n) + "\t" +
                    (n == 1 ? "GOTOWKA" + Spacje(6) : n == 2 ? "KARTA" + Spacje(8) : Spacje(13));
           }));
  EXPECT_EQ(t.IleRazy(0xD7), 255);
}

TEST(TabeleGranice, AGroupReadoutEndsAtTheRegistersEndOfRecords) {
  Kasa k(RodzinaZPliku("pelto-103.txt"), ZEGAR, {"0xC7:eor=13"}, Lacze::ModulTcp);
  ASSERT_TRUE(k.Gotowa());
  k.Odczyt(17, "OGrupa", Kolejne(12, [](size_t n) { return DwieCyfry(static_cast<int>(n)) + "\t" + Spacje(19); }));
  Kasa pusta(RodzinaZPliku("ubo-pct.txt"), ZEGAR + "$grupy\t0\r\n", {}, Lacze::ModulTcp);
  ASSERT_TRUE(pusta.Gotowa());
  pusta.Odczyt(17, "OGrupa", {});
}

// Through the communication module (the network kind) the header line write
// of type 'o' takes as many parameter bytes as its attribute says.
TEST(TabeleZaModulem, HeaderLinesOfTypeOOverTheNetworkModule) {
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"op-o.txt"}, .lacze = Lacze::ModulTcp});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZModulem(sim, 6);
  const std::string dlugi = "ADRES: UL. MLYNSKA 3, 00-950 WARSZAWA   ";
  env.Plik("WE.TXT", Srodowisko::Wejscie(6, {"1\tPIEKARNIA \"KLOS\" SA.\t1", "2\t" + dlugi + "\t0"}));
  WynikKarvo w = env.Karvo(118, "WE.TXT");
  EXPECT_NE(w.raport.find("\r\n#" + DOBRZE + "\r\n"), std::string::npos) << w.raport;
  env.Plik("WE.TXT", Srodowisko::Wejscie(6));
  w = env.Karvo(117, "WE.TXT", "WY.TXT");
  EXPECT_NE(w.raport.find("\r\n#" + DOBRZE + "\r\n"), std::string::npos) << w.raport;
  EXPECT_NE(w.wyjscie.find("\r\n$01\tPIEKARNIA \"KLOS\" SA.\t1\r\n$02\t" + dlugi + "\t0\r\n$03\t"), std::string::npos)
      << w.wyjscie;
}
