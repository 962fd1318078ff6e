// The sales commands from end to end against karvo-sim: the readouts, the
// clearing, the sorting and packing of their files, and the failure codes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "harness.h"

using namespace e2e;

namespace {

// A register on its line, with the driver configured for it.
struct Kasa {
  Kasa(const Stanowisko& env, const char* urzadzenie, int numer, const std::vector<std::string>& stan = {},
       std::vector<std::string> usterki = {})
      : sim(env.Katalog(), {.urzadzenia = {StanZ(env, urzadzenie, stan)}, .usterki = std::move(usterki)}) {
    env.PolaczZSymulatorem(sim, numer);
    env.Plik("WE.TXT", Srodowisko::Wejscie(numer));
  }
  Symulator sim;
};

const std::vector<std::string> SPRZEDAZ = {
    "$sprzedaz\t300\t0\t2\t0",          "$sprzedaz\t7\t1234\t3\t500",      "$sprzedaz\t12\t1234\t5\t0",
    "$sprzedaz\t65000\t1\t0\t1",        "$sprzedaz\t2\t3\t4\t3",           "$sprzedaz\t40\t5\t0\t250",
    "$sprzedaz\t12345\t100000\t1\t4294967295",
};
const std::vector<std::string> LINIE_SPRZEDAZY = {
    "0002\t0.0003\t3", "0007\t1.234\t500", "0012\t0.01234\t0", "0040\t5\t250",
    "0300\t0.00\t0",   "12345\t10000.0\t4294967295", "65000\t1\t1",
};

// ---- _OSprzed ----

TEST(OSprzed, TwoRunsAppendTheirLinesToTheSameFile) {
  Stanowisko env;
  Kasa k(env, "typ-0x24.txt", 3, SPRZEDAZ);
  ASSERT_TRUE(k.sim.Gotowy());
  const WynikKarvo pierwszy = env.Karvo(31, "WE.TXT", "WY.TXT");
  EXPECT_EQ(Kod(pierwszy), 0) << pierwszy.raport;
  const WynikKarvo drugi = env.Karvo(31, "WE.TXT", "WY.TXT");
  EXPECT_EQ(Kod(drugi), 0);
  std::vector<std::string> oczekiwane = LINIE_SPRZEDAZY;
  oczekiwane.insert(oczekiwane.end(), LINIE_SPRZEDAZY.begin(), LINIE_SPRZEDAZY.end());
  EXPECT_EQ(LinieDanych(drugi.wyjscie), oczekiwane);
  // Each run wrote its three header lines before its records.
  const auto linie = Wiersze(drugi.wyjscie);
  ASSERT_EQ(linie.size(), 20u);
  EXPECT_EQ(linie[10][0], '#');
  EXPECT_EQ(linie[12][0], '#');
  EXPECT_EQ(drugi.wyjscie.substr(drugi.wyjscie.size() - 2), "\r\n");
  k.sim.Zatrzymaj();
  EXPECT_EQ(IleRazy(k.sim.Dziennik(), 0xA2), 2);
  EXPECT_EQ(IleRazy(k.sim.Dziennik(), 0xA3), 4);  // the second part, then the end
}

TEST(OSprzed, TypeCodes24And27PrintNegativeValuesWithTheirSign) {
  const std::vector<std::string> stan = {"$sprzedaz\t8\t-5\t0\t-2147483648", "$sprzedaz\t9\t-1250\t2\t-1",
                                         "$sprzedaz\t10\t-2147483648\t3\t0"};
  const struct {
    const char* urzadzenie;
    int numer;
    std::vector<std::string> linie;
  } przypadki[] = {
      {"typ-24.txt", 1, {"0008\t-5\t-2147483648", "0009\t-12.50\t-1", "0010\t-2147483.648\t0"}},
      {"typ-27.txt", 2, {"0008\t-5\t-2147483648", "0009\t-12.50\t-1", "0010\t-2147483.648\t0"}},
      {"typ-0x24.txt", 3, {"0008\t4294967291\t2147483648", "0009\t42949660.46\t4294967295", "0010\t2147483.648\t0"}},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.urzadzenie);
    Stanowisko env;
    Kasa k(env, p.urzadzenie, p.numer, stan);
    ASSERT_TRUE(k.sim.Gotowy());
    const WynikKarvo w = env.Karvo(31, "WE.TXT", "WY.TXT");
    EXPECT_EQ(Kod(w), 0) << w.raport;
    EXPECT_EQ(LinieDanych(w.wyjscie), p.linie);
  }
}

TEST(OSprzed, ACheckByteMismatchGives46AndKeepsTheLinesBefore) {
  Stanowisko env;
  Kasa k(env, "vin-t.txt", 7, SPRZEDAZ, {"0xA1:check=7"});
  ASSERT_TRUE(k.sim.Gotowy());
  const WynikKarvo w = env.Karvo(31, "WE.TXT", "WY.TXT");
  EXPECT_EQ(Kod(w), 46);
  EXPECT_EQ(LinieDanych(w.wyjscie), std::vector<std::string>(LINIE_SPRZEDAZY.begin(), LINIE_SPRZEDAZY.begin() + 6));
}

TEST(OSprzed, FailuresKeepTheLinesWrittenAndRefusalsBecome25) {
  const struct {
    const char* nazwa;
    std::vector<std::string> stan;
    std::vector<std::string> usterki;
    int kod;
    size_t linie;
  } przypadki[] = {
      {"refused", SPRZEDAZ, {"0xA2:refuse"}, 25, 0},
      {"refused later", SPRZEDAZ, {"0xA3:refuse"}, 25, 5},
      {"an early end", SPRZEDAZ, {"0xA3:raw=0x06,0xFF"}, 0, 5},
      // A decimals byte no field can hold is refused, not cut.
      {"decimals", {"$sprzedaz\t1\t1\t0\t1", "$sprzedaz\t2\t1\t200\t1"}, {}, 23, 1},
      {"empty", {}, {}, 0, 0},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.nazwa);
    Stanowisko env;
    Kasa k(env, "typ-0x24.txt", 3, p.stan, p.usterki);
    ASSERT_TRUE(k.sim.Gotowy());
    const WynikKarvo w = env.Karvo(31, "WE.TXT", "WY.TXT");
    EXPECT_EQ(Kod(w), p.kod) << w.raport;
    EXPECT_EQ(LinieDanych(w.wyjscie).size(), p.linie);
  }
}

// ---- the other readouts ----

TEST(OOpak, ReadsTheFourBlocksInOrder) {
  Stanowisko env;
  Kasa k(env, "vin-t.txt", 7, {"$opakowanie\t2\t101\t12\t0\t600", "$opakowanie\t0\t100\t24\t0\t1200",
                               "$opakowanie\t3\t5\t1500\t3\t7"});
  ASSERT_TRUE(k.sim.Gotowy());
  const WynikKarvo w = env.Karvo(35, "WE.TXT", "WY.TXT");
  EXPECT_EQ(Kod(w), 0) << w.raport;
  EXPECT_EQ(LinieDanych(w.wyjscie), (std::vector<std::string>{"0100\t24\t1200", "0101\t12\t600", "0005\t1.500\t7"}));
}

TEST(OOpakOObrRab, TypeCodes24And27Give25WithoutARequest) {
  for (const int kod : {35, 38}) {
    Stanowisko env;
    Kasa k(env, "typ-27.txt", 2);
    ASSERT_TRUE(k.sim.Gotowy());
    const WynikKarvo w = env.Karvo(kod, "WE.TXT", "WY.TXT");
    EXPECT_EQ(Kod(w), 25);
    k.sim.Zatrzymaj();
    EXPECT_EQ(IleRazy(k.sim.Dziennik(), 0xA5) + IleRazy(k.sim.Dziennik(), 0xA7), 0);
  }
}

TEST(OObrRab, TwoOrThreeTotalsByFamily) {
  const struct {
    const char* urzadzenie;
    int numer;
    std::string linia;
  } przypadki[] = {{"vin-t.txt", 7, "1\t2\t1099511627775"}, {"veko-100.txt", 4, "1\t2"}, {"op-o.txt", 6, "1\t2"}};
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.urzadzenie);
    Stanowisko env;
    Kasa k(env, p.urzadzenie, p.numer, {"$rabaty\t1\t2\t1099511627775"});
    ASSERT_TRUE(k.sim.Gotowy());
    const WynikKarvo w = env.Karvo(38, "WE.TXT", "WY.TXT");
    EXPECT_EQ(Kod(w), 0) << w.raport;
    EXPECT_EQ(LinieDanych(w.wyjscie), std::vector<std::string>{p.linia});
  }
}

TEST(OTSprzed, ReadsTheListedNumbersUntilOneIsRefused) {
  Stanowisko env;
  Kasa k(env, "vin-t.txt", 7, {"$sprzedaz\t5\t1500\t3\t4500"});
  ASSERT_TRUE(k.sim.Gotowy());
  env.Plik("WE.TXT", Srodowisko::Wejscie(7, {"5", "6", "20001", "5"}));
  const WynikKarvo w = env.Karvo(36, "WE.TXT", "WY.TXT");
  EXPECT_EQ(Kod(w), 105);  // 20001 lies beyond the capacity of 20000
  EXPECT_EQ(LinieDanych(w.wyjscie), (std::vector<std::string>{"0005\t1.500\t4500", "0006\t0\t0"}));
}

TEST(OTSpMax, WritesTheNumbersThatSoldUntilTheCapacityEnds) {
  Stanowisko env;
  std::string stan = CzytajPlik(Urzadzenie("pelto-103.txt"));
  const std::string pojemnosc = "$pojemnosc\t8000";
  stan.replace(stan.find(pojemnosc), pojemnosc.size(), "$pojemnosc\t120");
  env.Plik("pelto.txt", stan + "$sprzedaz\t5\t1\t0\t10\r\n$sprzedaz\t6\t0\t3\t0\r\n$sprzedaz\t119\t0\t0\t1\r\n"
                                "$sprzedaz\t120\t2\t1\t0\r\n");
  Symulator sim(env.Katalog(), {.urzadzenia = {env.Sciezka("pelto.txt")}});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 5);
  env.Plik("WE.TXT", Srodowisko::Wejscie(5));
  const WynikKarvo w = env.Karvo(37, "WE.TXT", "WY.TXT");
  EXPECT_EQ(Kod(w), 0) << w.raport;  // 121 lies beyond the capacity: the end, not a failure
  EXPECT_EQ(LinieDanych(w.wyjscie), (std::vector<std::string>{"0005\t1\t10", "0119\t0\t1", "0120\t0.2\t0"}));
  sim.Zatrzymaj();
  EXPECT_EQ(IleRazy(sim.Dziennik(), 0xCB), 121);
}

TEST(OTSpMax, ARangeEndingAt65535Ends) {
  Stanowisko env;
  std::string stan = CzytajPlik(Urzadzenie("norda-u.txt"));
  const std::string pojemnosc = "$pojemnosc\t5000";
  stan.replace(stan.find(pojemnosc), pojemnosc.size(), "$pojemnosc\t65535");
  env.Plik("norda.txt", stan + "$towar\t65530\tA\t1\t1\t3\t1\t0\t0\t1\t0\r\n$towar\t65535\tB\t1\t1\t3\t1\t0\t0\t1\t0\r\n"
                                "$sprzedaz\t65535\t3\t0\t9\r\n");
  Symulator sim(env.Katalog(), {.urzadzenia = {env.Sciezka("norda.txt")}});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 8);
  env.Plik("WE.TXT", Srodowisko::Wejscie(8));
  const WynikKarvo w = env.Karvo(37, "WE.TXT", "WY.TXT");
  ASSERT_FALSE(w.przekroczonyCzas);
  EXPECT_EQ(Kod(w), 0) << w.raport;
  EXPECT_EQ(LinieDanych(w.wyjscie), std::vector<std::string>{"65535\t3\t9"});
  sim.Zatrzymaj();
  EXPECT_EQ(IleRazy(sim.Dziennik(), 0xCB), 6);
}

TEST(OPSprzed, ReadsThePeriodicRecordsInTheRegistersForm) {
  const std::string s16 = "$okresAD\t0539300700D204000097 3C860100 0200";
  const struct {
    const char* urzadzenie;
    int numer, kod;
    std::vector<std::string> usterki;
    int wynik;
    std::vector<std::string> linie;
    uint8_t rozkaz;
  } przypadki[] = {
      {"typ-0x24.txt", 3, 310, {}, 0, {"2\t12345\t5\t1\t0007\t1.234\t99900"}, 0xAD},
      {"vin-t.txt", 7, 310, {}, 0, {"2\t12345\t5\t1\t0007\t1.234\t99900"}, 0xA1},
      {"vin-t.txt", 7, 311, {}, 0, {}, 0xA1},
      {"vin-t.txt", 7, 310, {"0xA1:status=0x6C"}, 25, {}, 0xA1},
      {"typ-0x24.txt", 3, 311, {"0xEE:refuse"}, 25, {}, 0xEE},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(std::string(p.urzadzenie) + " " + std::to_string(p.kod));
    Stanowisko env;
    Kasa k(env, p.urzadzenie, p.numer, {s16}, p.usterki);
    ASSERT_TRUE(k.sim.Gotowy());
    const WynikKarvo w = env.Karvo(p.kod, "WE.TXT", "WY.TXT");
    EXPECT_EQ(Kod(w), p.wynik) << w.raport;
    EXPECT_EQ(LinieDanych(w.wyjscie), p.linie);
    k.sim.Zatrzymaj();
    EXPECT_GE(IleRazy(k.sim.Dziennik(), p.rozkaz), 1);
  }
}

// ---- _KSprOp ----

TEST(KSprOp, EachFormClearsWhatItNamesAndAnyOtherTextClearsAll) {
  const std::vector<std::string> stan = {"$sprzedaz\t5\t1\t0\t1", "$okresAD\t01"};
  const struct {
    const char* urzadzenie;
    int numer;
    std::vector<std::string> dane;
    std::vector<std::string> usterki;
    int wynik;
    bool sprzedaz, okresy;  // still there afterwards
    int a8, n90;           // requests sent
  } przypadki[] = {
      {"vin-t.txt", 7, {}, {}, 0, false, false, 1, 0},
      {"vin-t.txt", 7, {"CLA"}, {}, 0, false, false, 1, 0},
      {"vin-t.txt", 7, {"CNT\tfurther fields"}, {}, 0, false, true, 0, 1},
      {"vin-t.txt", 7, {"CLR"}, {}, 0, true, false, 0, 1},
      // Only "CNT" and "CLR" as written ask for less; any other text, a file
      // name as the end-of-day sequence passes it, clears all.
      {"vin-t.txt", 7, {"cnt"}, {}, 0, false, false, 1, 0},
      {"vin-t.txt", 7, {"SPRZEDAZ.TXT\tSPAK.TXT"}, {}, 0, false, false, 1, 0},
      {"norda-u.txt", 8, {}, {}, 0, false, false, 1, 0},
      {"vin-t.txt", 7, {}, {"0xA8:refuse"}, 25, true, true, 1, 0},
      {"vin-t.txt", 7, {"CNT"}, {"0x90:status=0x6C"}, 25, true, true, 0, 1},
      {"vin-t.txt", 7, {}, {"0xA8:ack=0x65"}, 201, true, true, 1, 0},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(std::string(p.urzadzenie) + " " + (p.dane.empty() ? "(none)" : p.dane[0]) +
                 (p.usterki.empty() ? "" : " " + p.usterki[0]));
    Stanowisko env;
    Kasa k(env, p.urzadzenie, p.numer, stan, p.usterki);
    ASSERT_TRUE(k.sim.Gotowy());
    env.Plik("WE.TXT", Srodowisko::Wejscie(p.numer, p.dane));
    const WynikKarvo w = env.Karvo(39, "WE.TXT");
    EXPECT_EQ(Kod(w), p.wynik) << w.raport;
    k.sim.Zatrzymaj();
    const std::string po = k.sim.Stan();
    EXPECT_EQ(po.find("$sprzedaz\t") != std::string::npos, p.sprzedaz) << po;
    EXPECT_EQ(po.find("$okresAD") != std::string::npos, p.okresy);
    EXPECT_EQ(IleRazy(k.sim.Dziennik(), 0xA8), p.a8);
    EXPECT_EQ(IleRazy(k.sim.Dziennik(), 0x90), p.n90);
  }
}

// ---- _Sorter, _Paker, _SortPak ----

const std::string NAGLOWEK = "#3\r\n#\r\n#\r\n";

struct Pliki : Stanowisko {
  Pliki() { Konfig("$3\tCOM1:9600:MUX0:1\t1\tSymulator\r\n"); }
  bool BezKopii() const { return !std::filesystem::exists(Sciezka("sorter.~~~")); }
};

TEST(Sorter, KeepsTheLastLineOfEachNumber) {
  const struct {
    const char* nazwa;
    std::string przed, po;
  } przypadki[] = {
      {"six characters", NAGLOWEK + "$00005\r\n$00007\r\n$00005\r\n$00009\r\n",
       NAGLOWEK + ";00005\r\n$00007\r\n$00005\r\n$00009\r\n"},
      {"longer lines and comments", NAGLOWEK + ";x\r\n$5\tA\r\n$7\tB\r\n;y\r\n$05\tC\r\n$9\r\n$7",
       NAGLOWEK + ";x\r\n;5\tA\r\n;7\tB\r\n;y\r\n$05\tC\r\n$9\r\n$7"},
      // As _OSprzed leaves a file after two runs: the second header is a comment now.
      {"two readouts", NAGLOWEK + "$0002\t1\t1\r\n$0007\t2\t2\r\n#7\tX\r\n#\r\n#\r\n$0002\t3\t3\r\n",
       NAGLOWEK + ";0002\t1\t1\r\n$0007\t2\t2\r\n;7\tX\r\n;\r\n;\r\n$0002\t3\t3\r\n"},
      {"no data lines", NAGLOWEK, NAGLOWEK},
      {"comments before the header", ";a\r\n" + NAGLOWEK + "$1\r\n$1\r\n", ";a\r\n" + NAGLOWEK + ";1\r\n$1\r\n"},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.nazwa);
    Pliki env;
    env.Plik("WE.TXT", p.przed);
    const WynikKarvo w = env.Karvo(32, "WE.TXT");
    EXPECT_EQ(Kod(w), 0) << w.raport;
    EXPECT_EQ(CzytajPlik(env.Sciezka("WE.TXT")), p.po);
    EXPECT_TRUE(env.BezKopii());
  }
}

TEST(Sorter, ABadLineLeavesTheFileAsItWas) {
  for (const std::string dane : {"$00005\r\n$abcde\r\n$00005\r\n", "$00005\r\n\r\n$00005\r\n", "$1\r\nX\r\n$1\r\n",
                                 "$70000\r\n", "$\r\n"}) {
    SCOPED_TRACE(dane);
    Pliki env;
    env.Plik("WE.TXT", NAGLOWEK + dane);
    const WynikKarvo w = env.Karvo(32, "WE.TXT");
    EXPECT_EQ(Kod(w), 11);
    EXPECT_EQ(CzytajPlik(env.Sciezka("WE.TXT")), NAGLOWEK + dane);
    EXPECT_TRUE(env.BezKopii());
  }
}

TEST(Paker, CopiesTheDataLinesPastCommentsAndEmptyLines) {
  const struct {
    const char* nazwa;
    std::string wejscie;
    int wynik;
    std::vector<std::string> linie;
  } przypadki[] = {
      {"comments and an empty line", NAGLOWEK + "$1\tA\r\n;c\r\n\r\n$2\r\n;00005\r\n$3", 0, {"1\tA", "2", "3"}},
      {"only comments", NAGLOWEK + ";a\r\n;b\r\n", 0, {}},
      {"a bad line", NAGLOWEK + "$1\r\nX\r\n$2\r\n", 11, {"1"}},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.nazwa);
    Pliki env;
    env.Plik("WE.TXT", p.wejscie);
    const WynikKarvo w = env.Karvo(33, "WE.TXT", "WY.TXT");
    EXPECT_EQ(Kod(w), p.wynik) << w.raport;
    EXPECT_EQ(LinieDanych(w.wyjscie), p.linie);
    EXPECT_EQ(Wiersze(w.wyjscie).size(), 3 + p.linie.size());
  }
}

TEST(SortPak, SortsTheReadoutOfTwoRunsAndPacksIt) {
  Stanowisko env;
  Kasa k(env, "typ-0x24.txt", 3, SPRZEDAZ);
  ASSERT_TRUE(k.sim.Gotowy());
  env.Plik("WE.TXT", Srodowisko::Wejscie(3));
  for (int i = 0; i < 2; ++i) ASSERT_EQ(Kod(env.Karvo(31, "WE.TXT", "SPRZEDAZ.TXT")), 0);
  const WynikKarvo w = env.Karvo(34, "SPRZEDAZ.TXT", "WY.TXT");
  EXPECT_EQ(Kod(w), 0) << w.raport;
  EXPECT_EQ(LinieDanych(w.wyjscie), LINIE_SPRZEDAZY);
  EXPECT_EQ(LinieDanych(CzytajPlik(env.Sciezka("SPRZEDAZ.TXT"))), LINIE_SPRZEDAZY);
  EXPECT_TRUE(!std::filesystem::exists(env.Sciezka("sorter.~~~")));
  // A bad line stops it at the sorting, before any output.
  env.Plik("ZLE.TXT", NAGLOWEK + "$1\r\n$x\r\n");
  const WynikKarvo zle = env.Karvo(34, "ZLE.TXT", "WY2.TXT");
  EXPECT_EQ(Kod(zle), 11);
  EXPECT_EQ(CzytajPlik(env.Sciezka("ZLE.TXT")), NAGLOWEK + "$1\r\n$x\r\n");
}

}  // namespace
