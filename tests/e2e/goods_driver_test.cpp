// The goods commands from end to end: the real karvo against karvo-sim on
// every goods family (S in both generations, V, W, M, T), their line
// variants, refusals and faults, and over the framed link of mode 5.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "harness.h"

using namespace e2e;

namespace {

// A goods line of the input file, fields joined by tabs.
std::string Pola(std::initializer_list<std::string> pola) {
  std::string linia;
  for (const auto& p : pola) linia += (linia.empty() ? "" : "\t") + p;
  return linia;
}

// One line of each variant; their names are 19, 18, 20 and 20 characters long.
const std::string W1 = Pola({"50", "Ser zolty gouda 1kg", "2", "7", "1", "3", "1", "5900000000505", "2499", "1"});
const std::string W3 = Pola({"51", "Kefir naturalny 1l", "3", "9", "5900000000512", "459"});
const std::string W2 = Pola({"52", "Pieczarki luzem 1 kg", "2", "5900000000529", "1299"});
const std::string W4 = Pola({"53", "Sol kamienna 1kg pak", "5900000000536", "199"});

struct KasaTowarow {
  const char* plik;
  int numer;
  const char* nazwa;
  std::vector<std::string> warianty;      // one _ZTowar run each
  std::map<int, std::string> katalog;     // the goods lines read back afterwards
  std::vector<std::string> odczytywane;   // the input of _OTowar
  std::vector<int> odczytane;             // the goods it gives lines for
};

const KasaTowarow Kasy[] = {
    {"towary-s.txt", 5, "Pelto 200 PLU II gen. ver. 02", {W1},
     {{1, "00001\tChleb zwykly 500g  \t1\t1\t3\t1\t0\t5900000000017\t349\t0"},
      {2, "00002\tMleko 2% 1l        \t2\t3\t0\t7\t1\t5900000000024\t289\t1"},
      {3, "00003\t\xBDurek w butelce    \t1\t12\t2\t1\t0\t0000000000000\t1099\t0"},
      {7, "00007\tWoda mineralna 1,5l\t5\t99\t1\t16\t1\t281474976710655\t4294967295\t1"},
      {12, "00012\tCukier             \t7\t2\t3\t2\t0\t5900000000123\t450\t0"},
      {50, "00050\tSer zolty gouda 1kg\t2\t7\t1\t3\t1\t5900000000505\t2499\t1"}},
     {"50", "60", "1"}, {50, 1}},
    {"towary-o.txt", 6, "Karvo 100 PLU I gen. ver. 01", {W1},
     {{1, "00001\tBulka              \t9\t1\t3\t1\t0\t2000000000015\t60\t0"},
      {4, "00004\tKawa ziarnista     \t8\t40\t0\t1\t0\t5900000000413\t2999\t0"},
      {50, "00050\tSer zolty gouda 1kg\t2\t7\t1\t3\t1\t5900000000505\t2499\t1"}},
     {"50", "60", "1"}, {50, 1}},
    // V keeps 18 name bytes, W and M 20: a name of 19 loses its last character or gains a space.
    {"towary-v.txt", 8, "Norda Vin Plus 1000 PLU ver. 01", {W1, W3},
     {{5, "00005\tChleb zwykly 500g \t1\t1\t5900000000017\t349"},
      {6, "00006\tMaslo 200g        \t2\t15\t5900000000062\t729"},
      {40, "00040\tJaja 10 szt       \t3\t4\t5900000000406\t1199"},
      {50, "00050\tSer zolty gouda 1k\t2\t7\t5900000000505\t2499"},
      {51, "00051\tKefir naturalny 1l\t3\t9\t5900000000512\t459"}},
     {"50", "60", "1", "9999"}, {50}},
    // W shows the barcode bytes as the register keeps them, the unit minus 1 in the top four bits.
    {"towary-w.txt", 9, "Cenometr 600 PLU ver. 01", {W1, W3, W2, W4},
     {{3, "00003\tJablka luzem        \t19592186044455\t399"},
      {4, "00004\tBanany              \t19592186044462\t549"},
      {9, "00009\tSok pomaranczowy 1l \t5900000000093\t699"},
      {50, "00050\tSer zolty gouda 1kg \t41084372089337\t2499"},
      {51, "00051\tKefir naturalny 1l  \t5900000000512\t459"},
      {52, "00052\tPieczarki luzem 1 kg\t23492186044945\t1299"},
      {53, "00053\tSol kamienna 1kg pak\t5900000000536\t199"}},
     {"50", "60", "1", "9999"}, {50}},
    {"towary-m.txt", 10, "Cenometr 100 PLU ver. 03", {W1, W2},
     {{1, "00001\tOlej rzepakowy 1l  \t1\t1\t3\t1\t0\t5900000000017\t899\t0"},
      {2, "00002\tRyz 1kg            \t1\t1\t3\t3\t0\t5900000000024\t459\t0"},
      {50, "00050\tSer zolty gouda 1kg\t1\t1\t3\t3\t0\t5900000000505\t2499\t0"},
      {52, "00052\tPieczarki luzem 1 k\t1\t1\t3\t2\t0\t5900000000529\t1299\t0"}},
     {"50", "60", "1"}, {50, 1}},
    {"towary-t.txt", 7, "Vin 2000 PLU II gen. ver. 02", {W1},
     {{1, "00001\tChleb zwykly 500g  \t1\t1\t3\t1\t0\t5900000000017\t349\t0"},
      {2, "00002\tMleko 2% 1l        \t2\t3\t0\t7\t1\t5900000000024\t289\t1"},
      {15, "00015\tPomidory luzem     \t4\t99\t2\t16\t1\t17592186044415\t268435455\t1"},
      {50, "00050\tSer zolty gouda 1k \t2\t7\t1\t3\t1\t5900000000505\t2499\t1"},
      {300, "00300\tHerbata czarna     \t7\t50\t1\t1\t0\t5900000003001\t1299\t0"}},
     {"50", "60", "1", "9999"}, {50, 1}},
};

void PrintTo(const KasaTowarow& k, std::ostream* os) { *os << k.plik; }

// A register of sim/devices on a pty, with KONFIG.TXT and ports.conf for it.
struct Stoisko {
  Stoisko(const std::string& plik, int numer, std::vector<std::string> usterki = {}, Lacze lacze = Lacze::Pty)
      : numer(numer), sim(env.Katalog(), {.urzadzenia = {plik}, .lacze = lacze, .usterki = std::move(usterki)}) {
    if (!sim.Gotowy()) return;
    if (lacze == Lacze::Pty)
      env.PolaczZSymulatorem(sim, numer);
    else
      opis = env.PolaczZModulem(sim, numer);
  }
  // Runs the command on these data lines of the input file.
  WynikKarvo Karvo(int kod, const std::vector<std::string>& dane = {}, bool zWyjsciem = false) {
    env.Plik("WE.TXT", Srodowisko::Wejscie(numer, dane));
    return env.Karvo(kod, "WE.TXT", zWyjsciem ? "WY.TXT" : "");
  }
  std::string StanPoZatrzymaniu() {
    sim.Zatrzymaj();
    return sim.Stan();
  }

  Stanowisko env;
  int numer;
  Symulator sim;
  std::string opis = "COM1:9600:MUX0:1";
};

// The output file: the three header lines, then "$" + each line. The third
// header line is the report's (the device name, then where its
// identification came from: after the first run also ECRTBUF.TXT).
std::string Wyjscie(const Stoisko& s, const WynikKarvo& w, const char* nazwa, const std::string& funkcja,
                    const std::vector<std::string>& linie) {
  const size_t l2 = w.raport.find("\r\n#", w.raport.find("\r\n#") + 2) + 3;
  const std::string urzadzenie = w.raport.substr(l2, w.raport.find("\r\n", l2) - l2);
  EXPECT_EQ(urzadzenie.rfind(std::string(nazwa) + " (identyfikator odczytany z urzadzenia", 0), 0u) << urzadzenie;
  std::string tekst = Linie({Naglowek0(s.numer, s.opis, funkcja, "WY.TXT"), "", urzadzenie});
  for (const auto& l : linie) tekst += "$" + l + "\r\n";
  return tekst;
}

std::string WynikRaportu(const WynikKarvo& w) {
  const size_t a = w.raport.find("\r\n#") + 3;
  return w.raport.substr(a, w.raport.find("\r\n", a) - a);
}

class KazdaRodzina : public ::testing::TestWithParam<KasaTowarow> {};

TEST_P(KazdaRodzina, WritesEachAcceptedVariantAndReadsTheCatalogueBack) {
  const KasaTowarow& k = GetParam();
  Stoisko s(k.plik, k.numer);
  ASSERT_TRUE(s.sim.Gotowy());
  for (const std::string& wariant : k.warianty) {
    const WynikKarvo w = s.Karvo(23, {wariant});
    EXPECT_EQ(WynikRaportu(w), DOBRZE) << wariant;
  }
  WynikKarvo w = s.Karvo(21, {}, true);
  ASSERT_FALSE(w.przekroczonyCzas);
  std::vector<std::string> wszystkie;
  for (const auto& [numer, linia] : k.katalog) wszystkie.push_back(linia);
  EXPECT_EQ(BezCzasu(w.wyjscie), Wyjscie(s, w, k.nazwa, "TowarMax", wszystkie));
  EXPECT_EQ(WynikRaportu(w), DOBRZE);

  w = s.Karvo(22, k.odczytywane, true);
  std::vector<std::string> wybrane;
  for (int n : k.odczytane) wybrane.push_back(k.katalog.at(n));
  EXPECT_EQ(BezCzasu(w.wyjscie), Wyjscie(s, w, k.nazwa, "OTowar", wybrane));
  EXPECT_EQ(WynikRaportu(w), DOBRZE);
}

TEST_P(KazdaRodzina, RefusesALineOfAnotherNameLength) {
  const KasaTowarow& k = GetParam();
  Stoisko s(k.plik, k.numer);
  ASSERT_TRUE(s.sim.Gotowy());
  // 17 characters fit no variant; a variant the register does not take is no better.
  const std::string krotka = Pola({"54", "Za krotka nazwa 1", "1", "1", "3", "1", "0", "1", "1", "0"});
  std::vector<std::string> linie = {krotka};
  if (std::string(k.plik) == "towary-s.txt") linie = {W3};
  const WynikKarvo w = s.Karvo(23, linie);
  EXPECT_EQ(WynikRaportu(w), Opis(11, "bledna linia lub bledne pole w pliku wejsciowym", "WE.TXT"));
  EXPECT_EQ(s.StanPoZatrzymaniu().find("$towar\t54\t"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Rodziny, KazdaRodzina, ::testing::ValuesIn(Kasy), [](const auto& info) {
  std::string n = info.param.plik;
  return n.substr(7, n.find('.') - 7);
});

// ---- the variant state, refusals and values the layout cannot hold ----

TEST(ZTowar, AVariantSwitchInMidFileStopsAfterTheFirstGoods) {
  Stoisko s("towary-w.txt", 9);
  ASSERT_TRUE(s.sim.Gotowy());
  const WynikKarvo w = s.Karvo(23, {W3, W1});
  EXPECT_EQ(WynikRaportu(w), Opis(11, "bledna linia lub bledne pole w pliku wejsciowym", "WE.TXT"));
  const std::string stan = s.StanPoZatrzymaniu();
  EXPECT_NE(stan.find("$towar\t51\tKefir"), std::string::npos) << stan;
  EXPECT_EQ(stan.find("$towar\t50\t"), std::string::npos) << stan;
}

TEST(ZTowar, AValueTheLayoutCannotHoldIsRefusedBeforeAnythingIsSent) {
  const struct { const char* plik; int numer; std::string linia; uint8_t kod; } przypadki[] = {
      // Unit 17 (or 0) would spill out of its four bits, a barcode of 2^44 into the carrier bits.
      {"towary-t.txt", 7, Pola({"60", "Ser zolty gouda 1kg", "2", "7", "1", "17", "1", "5", "1", "1"}), 0xBE},
      {"towary-m.txt", 10, Pola({"60", "Pieczarki luzem 1 kg", "0", "5", "1"}), 0x02},
      {"towary-w.txt", 9, Pola({"60", "Sol kamienna 1kg pak", "17592186044416", "199"}), 0x02},
      // A group above 15 would spill into the rate's four bits.
      {"towary-v.txt", 8, Pola({"60", "Kefir naturalny 1l", "3", "16", "5", "1"}), 0x04},
      // The flags have one bit each on T, the price 28.
      {"towary-t.txt", 7, Pola({"60", "Ser zolty gouda 1kg", "2", "7", "1", "1", "2", "5", "1", "1"}), 0xBE},
      {"towary-t.txt", 7, Pola({"60", "Ser zolty gouda 1kg", "2", "7", "1", "1", "1", "5", "268435456", "1"}), 0xBE},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.linia);
    Stoisko s(p.plik, p.numer);
    ASSERT_TRUE(s.sim.Gotowy());
    EXPECT_EQ(WynikRaportu(s.Karvo(23, {p.linia})), Opis(19, "wartosc spoza dopuszczalnego zakresu"));
    s.sim.Zatrzymaj();
    EXPECT_EQ(IleRazy(s.sim.Dziennik(), p.kod), 0);
  }
}

TEST(ZBPTowar, ListsTheRefusedGoodsAndGoesOnWithTheNext) {
  Stoisko s("towary-t.txt", 7, {"0xBE,towar=61:status=0x7C"});
  ASSERT_TRUE(s.sim.Gotowy());
  const auto linia = [](const char* n) {
    return Pola({n, "Ser zolty gouda 1kg", "2", "7", "1", "3", "1", "5900000000505", "2499", "1"});
  };
  const WynikKarvo w = s.Karvo(24, {linia("60"), linia("61"), linia("62")}, true);
  EXPECT_EQ(BezCzasu(w.wyjscie), Wyjscie(s, w, "Vin 2000 PLU II gen. ver. 02", "ZBPTowar", {"00061\t224"}));
  EXPECT_EQ(WynikRaportu(w), Opis(224, "kasa zglosila blad o statusie 124"));
  const std::string stan = s.StanPoZatrzymaniu();
  EXPECT_NE(stan.find("$towar\t60\t"), std::string::npos);
  EXPECT_EQ(stan.find("$towar\t61\t"), std::string::npos);
  EXPECT_NE(stan.find("$towar\t62\t"), std::string::npos);
}

// ---- the other write commands ----

TEST(ZCTowarZBlokKTowar, ChangeAndDeleteSingleGoods) {
  Stoisko s("towary-m.txt", 10);
  ASSERT_TRUE(s.sim.Gotowy());
  // Only the group, unit, barcode and price are sent: the name of the line stays unsent.
  EXPECT_EQ(WynikRaportu(s.Karvo(25, {Pola({"2", "Inna nazwa towaru 20", "4", "77", "1234"})})), DOBRZE);
  EXPECT_EQ(WynikRaportu(s.Karvo(27, {Pola({"2", "0x5A"})})), DOBRZE);
  EXPECT_EQ(WynikRaportu(s.Karvo(26, {"1"})), DOBRZE);
  // A number without goods: the register's 202 ends the deletion.
  EXPECT_EQ(WynikRaportu(s.Karvo(26, {"1"})), Opis(202, "towar nie zaprogramowany"));
  const std::string stan = s.StanPoZatrzymaniu();
  EXPECT_EQ(stan.find("$towar\t1\t"), std::string::npos);
  EXPECT_NE(stan.find("$towar\t2\tRyz 1kg\t1\t1\t3\t4\t0\t77\t1234\t0\t90\r\n"), std::string::npos) << stan;
}

TEST(KTowMax, DeletesEveryGoodsOnEachFamily) {
  const struct { const char* plik; int numer; uint8_t kod; int zadan; } przypadki[] = {
      {"towary-v.txt", 8, 0x63, 1},    // one clearing request
      {"towary-w.txt", 9, 0x04, 3},    // from the lowest (3) from goods to goods: 3, 4, 9
      {"towary-t.txt", 7, 0xBF, 4},    // from 1: 1, 2, 15, 300
      {"towary-m.txt", 10, 0x04, 101}, // every number to the capacity (100), then 105
      {"towary-s.txt", 5, 0x9F, 201},  // the gaps between its goods are passed over
      {"towary-o.txt", 6, 0xF1, 101},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.plik);
    Stoisko s(p.plik, p.numer);
    ASSERT_TRUE(s.sim.Gotowy());
    EXPECT_EQ(WynikRaportu(s.Karvo(219)), DOBRZE);
    EXPECT_EQ(s.StanPoZatrzymaniu().find("$towar"), std::string::npos);
    EXPECT_EQ(IleRazy(s.sim.Dziennik(), p.kod), p.zadan);
  }
}

TEST(ONNazwa, ReadsTheNameByteAndIsRefusedByTypes24And27) {
  Stoisko s("towary-s.txt", 5);
  ASSERT_TRUE(s.sim.Gotowy());
  const WynikKarvo w = s.Karvo(28, {"7", "1"}, true);
  EXPECT_EQ(BezCzasu(w.wyjscie), Wyjscie(s, w, "Pelto 200 PLU II gen. ver. 02", "ONNazwa", {"0007\t1", "0001\t0"}));
  EXPECT_EQ(WynikRaportu(w), DOBRZE);
  for (const auto& [plik, numer] : {std::pair{"typ-24.txt", 1}, std::pair{"typ-27.txt", 2}}) {
    Stoisko stara(plik, numer);
    ASSERT_TRUE(stara.sim.Gotowy());
    // Not even read: its bad line would give 11.
    const WynikKarvo o = stara.Karvo(28, {"x"}, true);
    EXPECT_EQ(WynikRaportu(o), Opis(25, "blad odczytu bloku danych z kasy"));
    EXPECT_EQ(o.wyjscie.find("\r\n$"), std::string::npos);
  }
}

// ---- readout failures ----

TEST(TowarMax, ReadoutFailuresKeepTheLinesBeforeThem) {
  const std::map<int, std::string> t = Kasy[5].katalog;
  const struct {
    const char* usterka;
    std::vector<int> przed;
    int kod;
    const char* opis;
  } przypadki[] = {
      {"0xBD,towar=15:badcheck", {1, 2}, 46, "kasa zglosila blad wykonania rozkazu"},
      {"0xBD,n=3+:silent", {1, 2}, 21, "brak odpowiedzi kasy"},
      {"0xBD,towar=2:stored=grupa,0", {1}, 23, "nieoczekiwana odpowiedz kasy"},
      // The register's answer that the number lies beyond its capacity ends the readout well.
      {"0xBD,towar=15:eor=15", {1, 2}, 0, nullptr},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.usterka);
    Stoisko s("towary-t.txt", 7, {p.usterka});
    ASSERT_TRUE(s.sim.Gotowy());
    const WynikKarvo w = s.Karvo(21, {}, true);
    std::vector<std::string> linie;
    for (int n : p.przed) linie.push_back(t.at(n));
    EXPECT_EQ(BezCzasu(w.wyjscie), Wyjscie(s, w, Kasy[5].nazwa, "TowarMax", linie));
    EXPECT_EQ(WynikRaportu(w), p.opis ? Opis(p.kod, p.opis) : DOBRZE);
  }
}

// ---- over the framed link of mode 5 ----

TEST(ModulTcp, WritesAndReadsTheCatalogue) {
  Stoisko s("towary-t.txt", 7, {}, Lacze::ModulTcp);
  ASSERT_TRUE(s.sim.Gotowy());
  EXPECT_EQ(WynikRaportu(s.Karvo(23, {W1})), DOBRZE);
  const WynikKarvo w = s.Karvo(21, {}, true);
  const KasaTowarow& k = Kasy[5];
  std::vector<std::string> wszystkie;
  for (const auto& [numer, linia] : k.katalog) wszystkie.push_back(linia);
  EXPECT_EQ(BezCzasu(w.wyjscie), Wyjscie(s, w, k.nazwa, "TowarMax", wszystkie));
  EXPECT_EQ(WynikRaportu(w), DOBRZE);
}

}  // namespace
