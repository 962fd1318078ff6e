// The additional barcodes, the barcode codes, the keys and the goods links
// from end to end: each test keeps one simulated register and runs the driver
// against it several times, so a write is followed by the read of the same
// table, and the state written back shows what the register kept.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "harness.h"

using namespace e2e;

namespace {

const std::string ZLA_LINIA = "bledna linia lub bledne pole w pliku wejsciowym (WE.TXT)";
const std::string POZA_ZAKRESEM = "wartosc spoza dopuszczalnego zakresu";
const std::string BLAD_BLOKU = "blad odczytu bloku danych z kasy";

std::string Dane(const std::vector<std::string>& linie) {
  std::string t;
  for (const auto& l : linie) t += "$" + l + "\r\n";
  return t;
}

// The data lines of an output file: what follows its three header lines.
std::string DaneWyjscia(const std::string& wyjscie) {
  size_t p = 0;
  for (int i = 0; i < 3 && p != std::string::npos; ++i) p = wyjscie.find("\r\n", p + (i ? 2 : 0));
  return p == std::string::npos ? std::string() : wyjscie.substr(p + 2);
}

// One ready-made register with further state lines, behind a pty or the
// network module; every run's ResultCode is checked.
class Kasa {
 public:
  Kasa(const Rodzina& r, const std::string& dodatki, Lacze lacze = Lacze::Pty, std::vector<std::string> usterki = {})
      : r_(r) {
    const std::string stan = env_.Sciezka(r.plik);
    ZapiszPlik(stan, CzytajPlik(Urzadzenie(r.plik)) + dodatki);
    sim_ = std::make_unique<Symulator>(env_.Katalog(),
                                       OpcjeSymulatora{.urzadzenia = {stan}, .lacze = lacze, .usterki = usterki});
    if (lacze == Lacze::ModulTcp)
      env_.PolaczZModulem(*sim_, r.numer);
    else
      env_.PolaczZSymulatorem(*sim_, r.numer);
  }
  bool Gotowa() const { return sim_->Gotowy(); }

  // A reading command: its data lines must be these.
  void Odczyt(int kod, const std::vector<std::string>& dane, int wynik = 0, const std::string& opis = "") {
    env_.Plik("WE.TXT", Srodowisko::Wejscie(r_.numer));
    const WynikKarvo w = Uruchom(kod, "WY.TXT", wynik, opis);
    EXPECT_EQ(DaneWyjscia(w.wyjscie), Dane(dane)) << "/K" << kod;
  }
  void Zapis(int kod, const std::vector<std::string>& dane, int wynik = 0, const std::string& opis = "") {
    env_.Plik("WE.TXT", Srodowisko::Wejscie(r_.numer, dane));
    Uruchom(kod, "", wynik, opis);
  }
  // The run with /Q2: what the driver prints at its end.
  std::string Komunikat(int kod, const std::string& wyjscie) {
    env_.Plik("WE.TXT", Srodowisko::Wejscie(r_.numer));
    std::vector<std::string> argumenty = env_.ArgumentyKarvo(kod, "WE.TXT", wyjscie);
    argumenty.push_back("/Q2");
    std::string konsola;
    e2e::Uruchom(argumenty, env_.Katalog().Sciezka(), {"KARVO_PLATFORM_DIR=" + env_.Katalog().Sciezka()},
                 std::chrono::seconds(20), konsola);
    return konsola;
  }
  std::string Stan() {
    sim_->Zatrzymaj();
    return sim_->Stan();
  }
  int IleRazy(uint8_t kod) const { return e2e::IleRazy(sim_->Dziennik(), kod); }
  std::string Dziennik() const { return sim_->Dziennik(); }

 private:
  WynikKarvo Uruchom(int kod, const std::string& wyjscie, int wynik, const std::string& opis) {
    const WynikKarvo w = env_.Karvo(kod, "WE.TXT", wyjscie);
    EXPECT_FALSE(w.przekroczonyCzas) << "/K" << kod;
    const std::string linia = "\r\n#" + (wynik == 0 ? DOBRZE : Opis(wynik, opis)) + "\r\n";
    EXPECT_NE(w.raport.find(linia), std::string::npos) << "/K" << kod << "\n" << w.raport;
    return w;
  }

  Stanowisko env_;
  Rodzina r_;
  std::unique_ptr<Symulator> sim_;
};

const Rodzina& RodzinaZPliku(const std::string& plik) {
  for (const Rodzina& r : RODZINY)
    if (plik == r.plik) return r;
  ADD_FAILURE() << plik;
  return RODZINY.front();
}

// "$kod_dodatkowy" lines of goods 1..n, barcode 5900000000000 + goods.
std::string Kody(int od, int ile) {
  std::string t;
  for (int n = od; n < od + ile; ++n) t += "$kod_dodatkowy\t" + std::to_string(n) + "\t" + std::to_string(5900000000000 + n) + "\r\n";
  return t;
}
// A goods number as the lines give it: at least 4 digits.
std::string Cztery(int n) {
  char towar[8];
  std::snprintf(towar, sizeof towar, "%04d", n);
  return towar;
}
std::vector<std::string> LinieKodow(int od, int ile) {
  std::vector<std::string> linie;
  for (int n = od; n < od + ile; ++n) linie.push_back(Cztery(n) + "\t" + std::to_string(5900000000000 + n));
  return linie;
}

bool Zawiera(const std::string& tekst, const std::string& fragment) { return tekst.find(fragment) != std::string::npos; }

}  // namespace

// ---- the additional barcodes ----

TEST(DodatkoweKody, WrittenDeletedAndReadBackPartByPart) {
  Kasa k(RodzinaZPliku("vin-t.txt"), Kody(1, 8));
  ASSERT_TRUE(k.Gotowa());
  // The ninth record fills part 0; the table's all-zero end is then part 1 alone.
  k.Zapis(216, {"258\t12345", "65279\t$FFFFFFFFFFFF"});
  k.Zapis(216, {"0\t0"}, 19, POZA_ZAKRESEM);
  k.Zapis(216, {"1\t77", "65280\t1", "2\t78"}, 19, POZA_ZAKRESEM);
  k.Zapis(216, {"1\t77", "2"}, 11, ZLA_LINIA);
  std::vector<std::string> linie = LinieKodow(1, 8);
  linie.insert(linie.end(), {"0258\t0000000012345", "65279\t281474976710655", "0001\t0000000000077"});
  k.Odczyt(215, linie);
  EXPECT_EQ(k.IleRazy(0xEA), 2);
  // The goods number goes high byte first, the barcode low byte first.
  EXPECT_TRUE(Zawiera(k.Dziennik(), "01 02 39 30 00 00 00 00  |..90....|  parameters")) << k.Dziennik();

  k.Zapis(217, {"5900000000003", "$FFFFFFFFFFFF"});
  k.Zapis(218, {"1", "258"});
  EXPECT_TRUE(Zawiera(k.Dziennik(), "driver -> reg 1     01 02  |..|  parameters"));
  k.Zapis(218, {"258"}, 202, "towar nie zaprogramowany");
  linie = LinieKodow(2, 1);
  for (const std::string& l : LinieKodow(4, 5)) linie.push_back(l);
  k.Odczyt(215, linie);
  EXPECT_TRUE(Zawiera(k.Komunikat(215, "WY.TXT"), "Funkcja _ODBarKod zakonczyla sie wynikiem 0."));
  const std::string stan = k.Stan();
  EXPECT_TRUE(Zawiera(stan, "$kod_dodatkowy\t2\t5900000000002\r\n$kod_dodatkowy\t4\t5900000000004\r\n")) << stan;
  EXPECT_FALSE(Zawiera(stan, "$kod_dodatkowy\t1\t"));
}

TEST(DodatkoweKody, AnEmptyTableWritesNoLineAndALongOneTakesSeveralParts) {
  {
    Kasa pusta(RodzinaZPliku("pelto-103.txt"), "", Lacze::ModulTcp);
    ASSERT_TRUE(pusta.Gotowa());
    pusta.Odczyt(215, {});
    EXPECT_EQ(pusta.IleRazy(0xEA), 1);
  }
  Kasa k(RodzinaZPliku("typ-27.txt"), Kody(100, 20));
  ASSERT_TRUE(k.Gotowa());
  k.Odczyt(215, LinieKodow(100, 20));
  EXPECT_EQ(k.IleRazy(0xEA), 3);
}

// A goods number from 65280 on begins its record with the end marker. On a
// direct line the rest of the record follows the marker, and the readout says
// it lost records; a communication module stops at the marker itself, so over
// TCP the part reads as a short one and the readout goes on with the next.
TEST(DodatkoweKody, ARecordOfAGoodsNumberFrom65280OnEndsTheReadoutWith25OnADirectLine) {
  const std::string stan = Kody(1, 2) + "$kod_dodatkowy\t65300\t999\r\n" + Kody(3, 2);
  {
    Kasa k(RodzinaZPliku("vin-t.txt"), stan, Lacze::Pty);
    ASSERT_TRUE(k.Gotowa());
    k.Odczyt(215, LinieKodow(1, 2), 25, BLAD_BLOKU);
    EXPECT_EQ(k.IleRazy(0xEA), 1);
    // The next run finds a quiet line.
    k.Odczyt(221, {"20\t21\t22\t23\t24\t25"});
  }
  Kasa k(RodzinaZPliku("vin-t.txt"), stan, Lacze::ModulTcp);
  ASSERT_TRUE(k.Gotowa());
  k.Odczyt(215, LinieKodow(1, 2));
  EXPECT_EQ(k.IleRazy(0xEA), 2);
  k.Odczyt(221, {"20\t21\t22\t23\t24\t25"});
}

// A part may end before its ninth record (the register leaves gaps where
// barcodes were deleted): the readout goes on with the next part, and only
// an all-zero record right before a marker ends the table.
TEST(DodatkoweKody, APartThatEndsEarlyIsFollowedByTheNext) {
  const std::string r1 = "0,1,0x0F,0,0,0,0,0", r2 = "0,2,0x10,0,0,0,0,0", r3 = "0x01,0x02,0x11,0,0,0,0,0";
  const std::string zero = "0,0,0,0,0,0,0,0";
  const std::string l1 = "0001\t0000000000015", l2 = "0002\t0000000000016", l3 = "0258\t0000000000017";
  const std::string l0 = "0000\t0000000000000";
  struct Przypadek {
    const char* opis;
    std::vector<std::string> czesci;  // the answers to parts 0, 1, ... (raw2 bytes before the marker)
    std::vector<std::string> linie;
  } przypadki[] = {
      {"short parts, the table's end in the last", {r1, r2 + "," + r3, zero}, {l1, l2, l3}},
      {"an empty part between two", {r1, "", r2 + "," + zero}, {l1, l2}},
      {"an all-zero record inside a part is a record", {r1 + "," + zero + "," + r2, r3 + "," + zero}, {l1, l0, l2, l3}},
      {"the first part empty", {"", "", r3 + "," + zero}, {l3}},
  };
  for (const Przypadek& p : przypadki) {
    SCOPED_TRACE(p.opis);
    for (Lacze lacze : {Lacze::Pty, Lacze::ModulTcp}) {
      std::vector<std::string> usterki;
      for (size_t i = 0; i < p.czesci.size(); ++i)
        usterki.push_back("0xEA,p0=" + std::to_string(i) + ":raw2=0," + (p.czesci[i].empty() ? "" : p.czesci[i] + ",") +
                          "0xFF");
      Kasa k(RodzinaZPliku("vin-t.txt"), Kody(1, 30), lacze, usterki);
      ASSERT_TRUE(k.Gotowa());
      k.Odczyt(215, p.linie);
      EXPECT_EQ(k.IleRazy(0xEA), static_cast<int>(p.czesci.size()));
    }
  }
}

// ---- the barcode codes ----

TEST(KodyKreskowe, SixCodesWrittenAndReadBack) {
  Kasa k(RodzinaZPliku("veko-100.txt"), "", Lacze::ModulTcp);
  ASSERT_TRUE(k.Gotowa());
  k.Odczyt(221, {"20\t21\t22\t23\t24\t25"});
  k.Zapis(222, {"27\t28\t29\t2A\t2B\t2C", "not\tread"});
  k.Zapis(222, {"27\t28\t29\t2AB\t2B\t2C"}, 11, ZLA_LINIA);
  k.Zapis(222, {"27\t28\t29\t2A\t2B"}, 11, ZLA_LINIA);
  k.Zapis(222, {}, 10, "brak wymaganej linii w pliku wejsciowym (WE.TXT)");
  EXPECT_EQ(k.IleRazy(0xD8), 1);
  k.Odczyt(221, {"27\t28\t29\t2A\t2B\t2C"});
  EXPECT_TRUE(Zawiera(k.Komunikat(222, ""), "Funkcja _ZPBarKod zakonczyla sie wynikiem 10."));
  EXPECT_TRUE(Zawiera(k.Stan(), "$kody_kreskowe\t27\t28\t29\t2A\t2B\t2C\r\n"));
}

// ---- the keys ----

TEST(Klawisze, EveryKeyIsReadWithItsOwnRequest) {
  Kasa k(RodzinaZPliku("vin-t.txt"), "$klawisz\t65\t17\r\n$klawisz\t255\t65535\r\n");
  ASSERT_TRUE(k.Gotowa());
  k.Zapis(213, {"B\t258", "!\t1", "AB\t3"}, 11, ZLA_LINIA);
  k.Zapis(213, {"\xE9\t4"});
  k.Zapis(214, {"A", "!"});
  k.Zapis(214, {" "}, 25, BLAD_BLOKU);
  std::vector<std::string> linie;
  for (int kod = 33; kod <= 255; ++kod) {
    const char* towar = kod == 'B' ? "0258" : kod == 0xE9 ? "0004" : kod == 255 ? "65535" : "0000";
    linie.push_back(std::string(1, static_cast<char>(kod)) + "\t" + towar);
  }
  k.Odczyt(212, linie);
  EXPECT_EQ(k.IleRazy(0xF3), 223);
  const std::string stan = k.Stan();
  EXPECT_TRUE(Zawiera(stan, "$klawisz\t66\t258\r\n$klawisz\t233\t4\r\n$klawisz\t255\t65535\r\n")) << stan;
  EXPECT_FALSE(Zawiera(stan, "$klawisz\t65\t"));
}

TEST(Klawisze, APriceCheckerHasNoKeys) {
  Kasa k(RodzinaZPliku("cenometr-w.txt"), "", Lacze::ModulTcp);
  ASSERT_TRUE(k.Gotowa());
  k.Odczyt(212, {}, 25, BLAD_BLOKU);
  EXPECT_EQ(k.IleRazy(0xF3), 1);
  k.Zapis(213, {"A\t1"}, 24, "kasa odrzucila rozkaz");
}

// ---- the goods links ----

TEST(Wiazania, WrittenDeletedAndReadBackInSixteenBlocks) {
  std::string stan;
  for (int n = 1; n <= 17; ++n) stan += "$wiazanie\t" + std::to_string(n) + "\t" + std::to_string(n + 100) + "\r\n";
  Kasa k(RodzinaZPliku("vin-t.txt"), stan);
  ASSERT_TRUE(k.Gotowa());
  k.Zapis(210, {"258\t3", "65279\t65535", "2\t7"});
  k.Zapis(210, {"65280\t1"}, 19, POZA_ZAKRESEM);
  EXPECT_TRUE(Zawiera(k.Dziennik(), "02 01 03 00  |....|  parameters"));
  k.Zapis(211, {"1", "258"});
  k.Zapis(211, {"1"}, 202, "towar nie zaprogramowany");
  std::vector<std::string> linie = {"0002\t0007"};
  for (int n = 3; n <= 17; ++n) linie.push_back((n < 10 ? "000" : "00") + std::to_string(n) + "\t0" + std::to_string(n + 100));
  linie.push_back("65279\t65535");
  k.Odczyt(29, linie);
  EXPECT_EQ(k.IleRazy(0xE7), 16);
  // The record 01 02 03 00 of a block reads as goods 258 linked to goods 3.
  k.Zapis(210, {"258\t3"});
  k.Odczyt(29, [&] { auto l = linie; l.push_back("0258\t0003"); return l; }());
  EXPECT_TRUE(Zawiera(k.Dziennik(), "01 02 03 00 FF  |")) << k.Dziennik();
  EXPECT_TRUE(Zawiera(k.Stan(), "$wiazanie\t65279\t65535\r\n$wiazanie\t258\t3\r\n"));
}

TEST(Wiazania, BlocksTheRegisterDoesNotHaveAreSkipped) {
  {
    Kasa k(RodzinaZPliku("typ-27.txt"), "$wiazanie\t1\t2\r\n", Lacze::ModulTcp);
    ASSERT_TRUE(k.Gotowa());
    k.Odczyt(29, {"0001\t0002"});
    EXPECT_EQ(k.IleRazy(0xE7), 16);
  }
  // A register that refuses block 9 with 208 still gives blocks 10 to 15;
  // the same refusal of block 3 ends the readout.
  std::string stan;
  for (int n = 1; n <= 16 * 11; ++n) stan += "$wiazanie\t" + std::to_string(n) + "\t1\r\n";
  std::vector<std::string> linie;
  for (int n = 1; n <= 16 * 11; ++n)
    if (n <= 16 * 9 || n > 16 * 10) linie.push_back(Cztery(n) + "\t0001");
  {
    Kasa t(RodzinaZPliku("vin-t.txt"), stan, Lacze::ModulTcp, {"0xE7,p0=9:status=0x6C"});
    ASSERT_TRUE(t.Gotowa());
    t.Odczyt(29, linie);
  }
  Kasa z(RodzinaZPliku("vin-t.txt"), stan, Lacze::ModulTcp, {"0xE7,p0=3:status=0x6C"});
  ASSERT_TRUE(z.Gotowa());
  linie.resize(16 * 3);
  z.Odczyt(29, linie, 208, "kasa zglosila blad o statusie 108");
}

TEST(Wiazania, ALinkOfAGoodsNumberFrom65280OnIsReportedOnADirectLine) {
  Kasa k(RodzinaZPliku("pelto-103.txt"), "$wiazanie\t1\t2\r\n$wiazanie\t65290\t3\r\n$wiazanie\t4\t5\r\n");
  ASSERT_TRUE(k.Gotowa());
  k.Odczyt(29, {"0001\t0002"}, 25, BLAD_BLOKU);
  k.Odczyt(221, {"20\t21\t22\t23\t24\t25"});
}
