// The fiscal commands from end to end against karvo-sim: the periodic data
// sets and their dates, and the fiscal memory of every register family, over
// the direct line and through the communication module.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

using namespace e2e;

namespace {

std::string Powtorz(const std::string& bajt, int ile) {
  std::string t;
  for (int i = 0; i < ile; ++i) t += bajt;
  return t;
}

// ---- the records of the fiscal memory, by generation ----

// Second generation: raw statuses, remapped by the driver (0xFC a report, 0xFA
// tax rates, 0xEE a time record), totals inverted, 7 tax rates.
const std::vector<std::string> REKORDY_DRUGIEJ = {
    "$fiskalny\t0\tFC 15 03 07 2A 00 FE FF FF FF FF " + Powtorz("FF ", 25) + Powtorz("00 ", 5) + "10 27",
    "$fiskalny\t1\tFA 15 03 07 05 00 08 98 80 00 40 00 00 05 07 D0 80 FF 03 20",
    "$fiskalny\t2\tEE 16 03 07 03 99 01 02 03 00",
    "$fiskalny\t3\tAE 17 03 07 04 00 00 09 04 05",  // bit 6 clear: the time record's flag
    "$fiskalny\t4\tFE",
    "$fiskalny\t6\tF8 01 04 07 07 00 " + Powtorz("FF ", 35) + "01 00",
    "$fiskalny\t7\tF0 01 02",
};
// The line of the record of a status the driver does not know: the status and
// the data bytes before the check, in hexadecimal.
std::string LiniaNieznanego(int daneBajty) {
  return "0007\t?\tf0H:01H:02H" + Powtorz(":00H", daneBajty - 2);
}
std::vector<std::string> LinieDrugiej(int daneBajty) {
  return {"0000\t1\t42\t15.03.07\t10000\t1\t0\t0\t0\t0\t0\t1099511627775",
          "0001\t2\t5\t15.03.07\t22.00\tREZERWA\tZWOLNIONA\t0.05\t20.00\tREZERWA\t8.00",
          "0002\t3\t3\t16.03.07\t12:30\t0",
          "0003\t3\t4\t17.03.07\t09:45\t1",
          "0004\t4",
          "0005\t5",  // no record under this number: erased
          "0006\t6\t7\t01.04.07\t1\t0\t0\t0\t0\t0\t0\t0",
          LiniaNieznanego(daneBajty)};
}

// First generation: the status says the length; 6 tax rates, 0xFF a reserve.
const std::string PODATKI_PIERWSZEJ = "$fiskalny\t1\tFB 15 03 07 05 00 08 98 07 D0 FF 00 00 00 03 20 FF FF";
const std::vector<std::string> RESZTA_PIERWSZEJ = {PODATKI_PIERWSZEJ, "$fiskalny\t2\tFC 16 03 07 03 01 02 03 00",
                                                   "$fiskalny\t3\tFD", "$fiskalny\t4\tFE"};
const std::vector<std::string> LINIE_RESZTY_PIERWSZEJ = {
    "0001\t2\t5\t15.03.07\t22.00\t20.00\tREZERWA\t0.00\t8.00\tREZERWA", "0002\t3\t3\t16.03.07\t12:30\t0", "0003\t4",
    "0004\t5"};

std::vector<std::string> Z(std::string pierwszy, const std::vector<std::string>& reszta) {
  std::vector<std::string> w{std::move(pierwszy)};
  w.insert(w.end(), reszta.begin(), reszta.end());
  return w;
}

// 7 totals of the long report record, counter 10000.
const std::string RAPORT_PIERWSZEJ = "$fiskalny\t0\tFA 15 03 07 2A 00 01 00 00 00 00 02 00 00 00 00 03 00 00 00 00 "
                                     "04 00 00 00 00 05 00 00 00 00 06 00 00 00 00 FF FF FF FF FF 10 27";
// Type codes 24 and 27: 6 totals, their signs in byte 35 (0x40: the second is negative).
const std::string RAPORT_24 = "$fiskalny\t0\tFA 15 03 07 2A 00 01 00 00 00 00 02 00 00 00 00 " + Powtorz("00 ", 20) +
                              "40 10 27";

struct Rejestr {
  const char* plik;
  int numer;
  std::vector<std::string> stan;
  std::vector<std::string> linie;
};

const std::vector<Rejestr>& Rejestry() {
  static const std::vector<Rejestr> r = {
      {"typ-0x24.txt", 3, Z(RAPORT_PIERWSZEJ, RESZTA_PIERWSZEJ),
       Z("0000\t1\t42\t15.03.07\t10000\t1\t2\t3\t4\t5\t6\t1099511627775", LINIE_RESZTY_PIERWSZEJ)},
      {"typ-24.txt", 1, Z(RAPORT_24, RESZTA_PIERWSZEJ),
       Z("0000\t1\t42\t15.03.07\t10000\t1\t-2\t0\t0\t0\t0", LINIE_RESZTY_PIERWSZEJ)},
      {"veko-100.txt", 4, REKORDY_DRUGIEJ, LinieDrugiej(61)},
      {"vin-t.txt", 7, REKORDY_DRUGIEJ, LinieDrugiej(59)},  // a CRC-16, the status inside the data
  };
  return r;
}

struct Kasa {
  Kasa(const Stanowisko& env, const Rejestr& r, Lacze lacze = Lacze::Pty, std::vector<std::string> usterki = {},
       const std::vector<std::string>& dane = {})
      : sim(env.Katalog(), {.urzadzenia = {StanZ(env, r.plik, r.stan)}, .lacze = lacze, .usterki = std::move(usterki)}) {
    if (lacze == Lacze::Pty) env.PolaczZSymulatorem(sim, r.numer);
    else env.PolaczZModulem(sim, r.numer);
    env.Plik("WE.TXT", Srodowisko::Wejscie(r.numer, dane));
  }
  Symulator sim;
};

// ---- the fiscal memory ----

// Every family over the direct line; a first-generation register and one with
// CRC-16 checks through the module over TCP too.
TEST(RekorMax, EveryKindOfEveryFamily) {
  const struct {
    size_t rejestr;
    Lacze lacze;
  } przypadki[] = {{0, Lacze::Pty}, {1, Lacze::Pty}, {2, Lacze::Pty}, {3, Lacze::Pty}, {0, Lacze::ModulTcp},
                   {3, Lacze::ModulTcp}};
  for (const auto& p : przypadki) {
    const Rejestr& r = Rejestry()[p.rejestr];
    SCOPED_TRACE(std::string(r.plik) + (p.lacze == Lacze::Pty ? "" : " through the module"));
    Stanowisko env;
    Kasa k(env, r, p.lacze);
    ASSERT_TRUE(k.sim.Gotowy());
    const WynikKarvo w = env.Karvo(318, "WE.TXT", "WY.TXT");
    EXPECT_EQ(Kod(w), 0) << w.raport;
    EXPECT_EQ(LinieDanych(w.wyjscie), r.linie);
    if (p.lacze != Lacze::Pty) continue;
    const WynikKarvo n = env.Karvo(319, "WE.TXT", "WY.TXT");
    EXPECT_EQ(LinieDanych(n.wyjscie), std::vector<std::string>{std::to_string(r.linie.size())});
  }
}

TEST(RekorMax, AnEmptyMemoryGivesTheHeaderLinesOnly) {
  Stanowisko env;
  Kasa k(env, {"typ-27.txt", 2, {}, {}});
  ASSERT_TRUE(k.sim.Gotowy());
  const WynikKarvo w = env.Karvo(318, "WE.TXT", "WY.TXT");
  EXPECT_EQ(Kod(w), 0) << w.raport;
  EXPECT_EQ(Wiersze(w.wyjscie).size(), 3u);  // the three header lines
  EXPECT_EQ(LinieDanych(env.Karvo(319, "WE.TXT", "WY.TXT").wyjscie), std::vector<std::string>{"0"});
  k.sim.Zatrzymaj();
  EXPECT_EQ(IleRazy(k.sim.Dziennik(), 0xE5), 0);
}

TEST(ODaneRek, TypeCode24ThroughTheModuleReadsTheShortKindsAndSays25ForTheReport) {
  Stanowisko env;
  Kasa k(env, Rejestry()[1], Lacze::ModulTcp, {}, {"1", "2", "3", "4"});
  ASSERT_TRUE(k.sim.Gotowy());
  const WynikKarvo w = env.Karvo(317, "WE.TXT", "WY.TXT");
  EXPECT_EQ(Kod(w), 0) << w.raport;
  EXPECT_EQ(LinieDanych(w.wyjscie), LINIE_RESZTY_PIERWSZEJ);
  // 43 then 18 for the tax rates, down to 9 for the time record, to 1 for the two without data.
  EXPECT_EQ(IleRazy(k.sim.Dziennik(), 0xE5), 2 + 3 + 4 + 4);
  // The report record of 39 bytes lies between 43 and 18: no length tried delivers it.
  env.Plik("WE.TXT", Srodowisko::Wejscie(1, {"2", "0", "1"}));
  const WynikKarvo raport = env.Karvo(317, "WE.TXT", "WY.TXT");
  EXPECT_EQ(Kod(raport), 25) << raport.raport;
  EXPECT_EQ(LinieDanych(raport.wyjscie), std::vector<std::string>{LINIE_RESZTY_PIERWSZEJ[1]});
}

TEST(ODaneRek, ListedNumbersInTheirOrderAndABadNumberGives11) {
  Stanowisko env;
  Kasa k(env, Rejestry()[2]);
  ASSERT_TRUE(k.sim.Gotowy());
  env.Plik("WE.TXT", Srodowisko::Wejscie(4) + "$6\r\n; a comment\r\n$0\r\n$65535\r\n$x\r\n$1\r\n");
  const WynikKarvo w = env.Karvo(317, "WE.TXT", "WY.TXT");
  EXPECT_EQ(Kod(w), 11) << w.raport;
  const auto linie = LinieDrugiej(61);
  EXPECT_EQ(LinieDanych(w.wyjscie), (std::vector<std::string>{linie[6], linie[0], "65535\t5"}));
  env.Plik("WE.TXT", Srodowisko::Wejscie(4, {}));
  EXPECT_EQ(Kod(env.Karvo(317, "WE.TXT", "WY.TXT")), 10);
}

TEST(ODaneRek, ABadCheckIsAskedAgainAndARecordThatNeverPassesEndsWith46) {
  Stanowisko env;
  // Record 1: the first two answers spoilt; record 2: every answer spoilt.
  Kasa k(env, Rejestry()[3], Lacze::Pty, {"0x9A,n=2-3:check=1", "0x9A,p0=2:check=1"}, {"0", "1", "2", "3"});
  ASSERT_TRUE(k.sim.Gotowy());
  const WynikKarvo w = env.Karvo(317, "WE.TXT", "WY.TXT");
  EXPECT_EQ(Kod(w), 46) << w.raport;
  const auto linie = LinieDrugiej(59);
  EXPECT_EQ(LinieDanych(w.wyjscie), (std::vector<std::string>{linie[0], linie[1]}));
  k.sim.Zatrzymaj();
  EXPECT_EQ(IleRazy(k.sim.Dziennik(), 0x9A), 1 + 3 + 100);
}

TEST(ODaneRek, ASilentRegisterGives21) {
  Stanowisko env;
  Kasa k(env, Rejestry()[2], Lacze::Pty, {"0x9A,n=2+:silent"}, {"0", "1"});
  ASSERT_TRUE(k.sim.Gotowy());
  const WynikKarvo w = env.Karvo(317, "WE.TXT", "WY.TXT");
  EXPECT_EQ(Kod(w), 21) << w.raport;
  EXPECT_EQ(LinieDanych(w.wyjscie), std::vector<std::string>{LinieDrugiej(61)[0]});
}

// The 'o' and 'p' registers dump their records raw: the status, then the data
// and the check byte; record 2076 in two parts, 2080 shortened.
const Rejestr OP{"op-o.txt", 6, {"$fiskalny\t5\tFC 01 02 07", "$fiskalny\t2076\tFA " + Powtorz("11 ", 61)}, {}};
const std::string R5 = "\xFC\x01\x02\x07" + std::string(58, '\0') + "\x04";
const std::string R2076 = "\xFA" + std::string(62, '\x11');  // 61 bytes 0x11, then their XOR
const std::string PUSTY(63, '\xFF');                          // erased

// What follows the header lines.
std::string Surowe(const WynikKarvo& w) {
  const size_t naglowek = w.wyjscie.rfind("\r\n#") + 3;
  return w.wyjscie.substr(w.wyjscie.find("\r\n", naglowek) + 2);
}

TEST(ODaneRek, TheOPRegistersDumpTheirRecordsRaw) {
  Stanowisko env;
  Kasa k(env, OP, Lacze::Pty, {}, {"5", "2076", "65535", "2080"});
  ASSERT_TRUE(k.sim.Gotowy());
  const WynikKarvo w = env.Karvo(317, "WE.TXT", "WY.TXT");
  EXPECT_EQ(Kod(w), 0) << w.raport;
  EXPECT_EQ(Surowe(w), R5 + R2076.substr(28) + R2076.substr(0, 28) + PUSTY.substr(0, 32));
}

TEST(RekorMax, TheOPRegistersDumpTheSpecialRecordsThenTheMemory) {
  Stanowisko env;
  Kasa k(env, OP);
  ASSERT_TRUE(k.sim.Gotowy());
  const WynikKarvo w = env.Karvo(318, "WE.TXT", "WY.TXT", std::chrono::seconds(60));
  EXPECT_EQ(Kod(w), 0) << w.raport;
  std::string oczekiwane = R2076.substr(28) + PUSTY + PUSTY + PUSTY + PUSTY.substr(0, 32);
  for (int n = 0; n <= 2075; ++n) oczekiwane += n == 5 ? R5 : PUSTY;
  oczekiwane += R2076.substr(0, 28);
  const std::string surowe = Surowe(w);
  EXPECT_EQ(surowe.size(), oczekiwane.size());
  EXPECT_TRUE(surowe == oczekiwane);
}

// ---- the periodic data sets ----

const std::vector<std::string> ZBIORY = {"$arg_data\t12.03.26", "$prg_data\t01.02.26",  "$arg\t0\t-1\t7\t9",
                                         "$arg\t23\t549755813887\t65535\t1",        "$prg\t5\t-12345\t2\t3"};

// The 24 entry lines, all zero but those given (entry number, line).
std::vector<std::string> LinieZbioru(const std::vector<std::string>& wpisy) {
  std::vector<std::string> l;
  for (int j = 0; j < 24; ++j) l.push_back(DwieCyfry(j) + "\t0\t0\t0");
  for (size_t i = 0; i < wpisy.size(); i += 2) l[std::stoi(wpisy[i])] = wpisy[i + 1];
  return l;
}

TEST(ODaneARG, TheNordaRegistersWriteTheDateFirst) {
  const auto arg = LinieZbioru({"0", "00\t9\t7\t-1", "23", "23\t1\t65535\t549755813887"});
  const auto prg = LinieZbioru({"5", "05\t3\t2\t-12345"});
  const struct {
    Rejestr r;
    bool data;
  } przypadki[] = {{{"norda-u.txt", 8, ZBIORY, {}}, true}, {{"veko-100.txt", 4, ZBIORY, {}}, false}};
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.r.plik);
    Stanowisko env;
    Kasa k(env, p.r);
    ASSERT_TRUE(k.sim.Gotowy());
    for (const auto& [kod, data, linie] : {std::tuple{312, "12.03.26", arg}, std::tuple{313, "01.02.26", prg}}) {
      const WynikKarvo w = env.Karvo(kod, "WE.TXT", "WY.TXT");
      EXPECT_EQ(Kod(w), 0) << w.raport;
      std::vector<std::string> oczekiwane = linie;
      if (p.data) oczekiwane.insert(oczekiwane.begin(), data);
      EXPECT_EQ(LinieDanych(w.wyjscie), oczekiwane) << kod;
    }
  }
}

TEST(ODanePRG, AFailedBlockLeavesTheLinesBefore) {
  Stanowisko env;
  Kasa k(env, {"veko-100.txt", 4, ZBIORY, {}}, Lacze::Pty, {"0xE3,p0=2:status=0x6C"});
  ASSERT_TRUE(k.sim.Gotowy());
  const WynikKarvo w = env.Karvo(313, "WE.TXT", "WY.TXT");
  EXPECT_EQ(Kod(w), 208) << w.raport;
  EXPECT_EQ(LinieDanych(w.wyjscie).size(), 12u);
}

TEST(ZDataAkt, SetsTheDateOfDataSetARGFromTheClock) {
  Stanowisko env;
  std::vector<std::string> stan = ZBIORY;
  stan.push_back("$zegar\t24.12.26\t10:30");
  Kasa k(env, {"typ-27.txt", 2, stan, {}});
  ASSERT_TRUE(k.sim.Gotowy());
  EXPECT_EQ(LinieDanych(env.Karvo(314, "WE.TXT", "WY.TXT").wyjscie), std::vector<std::string>{"12.03.26"});
  const WynikKarvo z = env.Karvo(316, "WE.TXT");
  EXPECT_EQ(Kod(z), 0) << z.raport;
  EXPECT_EQ(LinieDanych(env.Karvo(314, "WE.TXT", "WY.TXT").wyjscie), std::vector<std::string>{"24.12.26"});
  EXPECT_EQ(LinieDanych(env.Karvo(315, "WE.TXT", "WY.TXT").wyjscie), std::vector<std::string>{"01.02.26"});
  k.sim.Zatrzymaj();
  EXPECT_NE(k.sim.Stan().find("$arg_data\t24.12.26\r\n"), std::string::npos);
}

}  // namespace
