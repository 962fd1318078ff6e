// The wire capture and its replay: a run captured with KARVO_WIRE, played back
// by karvo-sim --replay, gives the driver the same files; a capture that no
// longer matches the driver's bytes is reported. The captures kept in
// tests/replay/ are runs against the simulator; with KARVO_REPLAY_RECORD=1
// the RecordsTheKeptCaptures test records them again from the table below.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "harness.h"

using namespace e2e;
using namespace std::chrono_literals;

namespace {

struct Nagrywany {
  const char* nazwa;  // its folder in tests/replay
  std::string urzadzenie;
  int kasa;
  int kod;
  Lacze lacze = Lacze::Pty;
  std::string opisLacza = "COM1:9600:MUX0:1";
  std::vector<std::string> usterki = {};
  std::vector<std::string> stan = {};  // lines added to the register's state
  std::vector<std::string> dane = {};  // data lines of the input file
  bool zWyjsciem = true;
};

const std::vector<std::string> SPRZEDAZ = {"$sprzedaz\t7\t1234\t3\t500", "$sprzedaz\t12\t1234\t5\t0",
                                           "$sprzedaz\t40\t5\t0\t250", "$sprzedaz\t300\t0\t2\t0",
                                           "$sprzedaz\t301\t2\t0\t10", "$sprzedaz\t302\t9\t1\t99",
                                           "$sprzedaz\t65000\t1\t0\t1"};

const std::vector<Nagrywany> NAGRANIA = {
    {"goods-t-pty", "towary-t.txt", 7, 21},
    {"goods-s-pty", "towary-s.txt", 5, 21},
    {"goods-w-pty", "towary-w.txt", 9, 21},
    {"goods-t-module-tcp", "towary-t.txt", 7, 21, Lacze::ModulTcp},
    {"number-module-modem", "vin-t.txt", 7, 113, Lacze::ModulRfc2217},
    {"number-norda-rfc2217", "norda-u.txt", 8, 113, Lacze::Rfc2217, "COM1:19200:MUX0:1"},
    {"number-late-answer", "vin-t.txt", 7, 113, Lacze::Pty, "COM1:9600:MUX0:1", {"0xC0,n=1:late=1500"}},
    {"sales-vin-t", "vin-t.txt", 7, 31, Lacze::Pty, "COM1:9600:MUX0:1", {}, SPRZEDAZ},
    {"sales-check-byte", "vin-t.txt", 7, 31, Lacze::Pty, "COM1:9600:MUX0:1", {"0xA1:check=4"}, SPRZEDAZ},
    {"sales-typ-24", "typ-24.txt", 1, 31, Lacze::Pty, "COM1:9600:MUX0:1", {}, SPRZEDAZ},
    {"price-write-t", "towary-t.txt", 7, 23, Lacze::Pty, "COM1:9600:MUX0:1", {}, {},
     {"2\tMleko 2% 1l        \t2\t3\t0\t7\t1\t5900000000024\t299\t1"}, false},
    {"goods-refused-t", "towary-t.txt", 7, 21, Lacze::Pty, "COM1:9600:MUX0:1", {"0xBD,n=3:refuse"}},
};

void PrintTo(const Nagrywany& n, std::ostream* os) { *os << n.nazwa; }

// The report names the module's address with the port the simulator happened to take.
std::string BezPortu(const std::string& tekst) {
  return std::regex_replace(BezCzasu(tekst), std::regex(R"(127\.0\.0\.1:\d+)"), "127.0.0.1:PORT");
}

std::string Folder(const Nagrywany& n) { return std::string(KARVO_SOURCE_DIR) + "/tests/replay/" + n.nazwa; }

// The register's state: a ready-made one with the case's lines added.
std::string StanKasy(const Srodowisko& env, const Nagrywany& n) {
  std::string tresc = CzytajPlik(Urzadzenie(n.urzadzenie));
  for (const auto& linia : n.stan) tresc += linia + "\n";
  const std::string sciezka = env.Sciezka("register-" + n.urzadzenie);
  ZapiszPlik(sciezka, tresc);
  return sciezka;
}

void Polacz(const Srodowisko& env, const Symulator& sim, const Nagrywany& n) {
  if (n.lacze == Lacze::ModulTcp || n.lacze == Lacze::ModulRfc2217) env.PolaczZModulem(sim, n.kasa);
  else env.PolaczZSymulatorem(sim, n.kasa, n.opisLacza);
}

// One run of the case's command, with a capture when sciezka is given.
WynikKarvo Przebieg(const Srodowisko& env, const Symulator& sim, const Nagrywany& n, const std::string& nagranie = "") {
  Polacz(env, sim, n);
  env.Plik("WE.TXT", Srodowisko::Wejscie(n.kasa, [&] {
             std::vector<std::string> d;
             for (const auto& linia : n.dane) d.push_back("$" + linia);
             return d;
           }()));
  const std::vector<std::string> przedrostek =
      nagranie.empty() ? std::vector<std::string>{} : std::vector<std::string>{"/usr/bin/env", "KARVO_WIRE=" + nagranie};
  return env.KarvoPrzez(przedrostek, n.kod, "WE.TXT", n.zWyjsciem ? "WY.TXT" : "");
}

// The replaying simulator on the case's kind of line.
OpcjeSymulatora Odtwarzacz(const std::string& nagranie, Lacze lacze, std::vector<std::string> dodatkowe = {}) {
  dodatkowe.insert(dodatkowe.begin(), {"--replay", nagranie});
  return {.lacze = lacze, .dodatkowe = dodatkowe};
}

class Odtworzenie : public testing::TestWithParam<Nagrywany> {};

TEST_P(Odtworzenie, GivesTheCapturedFiles) {
  const Nagrywany& n = GetParam();
  const std::string folder = Folder(n);
  ASSERT_TRUE(std::filesystem::exists(folder + "/capture.txt")) << folder;
  Srodowisko env;
  Symulator sim(env.Katalog(), Odtwarzacz(folder + "/capture.txt", n.lacze));
  ASSERT_TRUE(sim.Gotowy());
  const WynikKarvo w = Przebieg(env, sim, n);
  EXPECT_EQ(sim.KoniecSam(3s), 0) << sim.Bledy();
  EXPECT_EQ(BezPortu(w.raport), BezPortu(CzytajPlik(folder + "/RAPORT.TXT")));
  if (n.zWyjsciem) {
    EXPECT_EQ(BezPortu(w.wyjscie), BezPortu(CzytajPlik(folder + "/WY.TXT")));
  }
}

INSTANTIATE_TEST_SUITE_P(Zachowane, Odtworzenie, testing::ValuesIn(NAGRANIA),
                         [](const testing::TestParamInfo<Nagrywany>& i) {
                           std::string nazwa = i.param.nazwa;
                           for (char& c : nazwa) c = c == '-' ? '_' : c;
                           return nazwa;
                         });

// Records the kept captures again (KARVO_REPLAY_RECORD=1), from runs against the simulator.
TEST(Nagrania, RecordsTheKeptCaptures) {
  if (!std::getenv("KARVO_REPLAY_RECORD")) GTEST_SKIP() << "KARVO_REPLAY_RECORD=1 records tests/replay again";
  for (const Nagrywany& n : NAGRANIA) {
    SCOPED_TRACE(n.nazwa);
    Srodowisko env;
    Symulator sim(env.Katalog(), {.urzadzenia = {StanKasy(env, n)}, .lacze = n.lacze, .usterki = n.usterki});
    ASSERT_TRUE(sim.Gotowy());
    const std::string folder = Folder(n);
    std::filesystem::create_directories(folder);
    std::filesystem::remove(folder + "/capture.txt");
    const WynikKarvo w = Przebieg(env, sim, n, folder + "/capture.txt");
    ZapiszPlik(folder + "/RAPORT.TXT", w.raport);
    if (n.zWyjsciem) ZapiszPlik(folder + "/WY.TXT", w.wyjscie);
  }
}

// A fresh run captured, replayed from the driver's capture and from the
// simulator's own wire log: the same files each time.
TEST(Nagrania, ARunCapturedAndReplayedGivesTheSameFiles) {
  const Nagrywany n = NAGRANIA[7];  // the sales readout
  Srodowisko nagrywanie;
  Symulator sim(nagrywanie.Katalog(), {.urzadzenia = {StanKasy(nagrywanie, n)}});
  ASSERT_TRUE(sim.Gotowy());
  const std::string nagranie = nagrywanie.Sciezka("capture.txt");
  const WynikKarvo oryginal = Przebieg(nagrywanie, sim, n, nagranie);
  ASSERT_EQ(oryginal.kodWyjscia, 0);
  sim.Zatrzymaj();
  const std::string naglowek = CzytajPlik(nagranie).substr(0, 200);
  EXPECT_NE(naglowek.find("# karvo wire capture, run of "), std::string::npos) << naglowek;
  EXPECT_NE(naglowek.find("# command line: karvo /K31 /FWE.TXT /WWY.TXT"), std::string::npos) << naglowek;

  for (const std::string& zrodlo : {nagranie, nagrywanie.Sciezka("wire.log")}) {
    SCOPED_TRACE(zrodlo);
    Srodowisko env;
    Symulator odtwarzacz(env.Katalog(), Odtwarzacz(zrodlo, Lacze::Pty, {"--fast"}));
    ASSERT_TRUE(odtwarzacz.Gotowy());
    const WynikKarvo w = Przebieg(env, odtwarzacz, n);
    EXPECT_EQ(odtwarzacz.KoniecSam(3s), 0) << odtwarzacz.Bledy();
    EXPECT_EQ(BezCzasu(w.wyjscie), BezCzasu(oryginal.wyjscie));
    EXPECT_EQ(BezCzasu(w.raport), BezCzasu(oryginal.raport));
  }
}

// One byte of a request changed in the capture: the replay names the line,
// the byte, what it expected and what came.
TEST(Nagrania, AChangedRequestByteIsReported) {
  const Nagrywany& n = NAGRANIA[0];
  std::string tresc = CzytajPlik(Folder(n) + "/capture.txt");
  const size_t zadanie = tresc.find("driver -> COM1      1B BD 02 00");
  ASSERT_NE(zadanie, std::string::npos);
  tresc.replace(tresc.find("1B BD 02 00", zadanie), 11, "1B BD 03 00");
  Srodowisko env;
  env.Plik("changed.txt", tresc);
  Symulator sim(env.Katalog(), Odtwarzacz(env.Sciezka("changed.txt"), Lacze::Pty, {"--fast"}));
  ASSERT_TRUE(sim.Gotowy());
  Przebieg(env, sim, n);
  EXPECT_EQ(sim.KoniecSam(3s), 1);
  const std::string raport = sim.Bledy();
  EXPECT_NE(raport.find("byte 3 of 4"), std::string::npos) << raport;
  EXPECT_NE(raport.find("expected 03, got 02"), std::string::npos) << raport;
  EXPECT_NE(raport.find("1B BD 03 00"), std::string::npos) << raport;
}

// A capture that cannot be written never breaks the run.
TEST(Nagrania, AnUnwritableCaptureIsSaidAndTheRunGoesOn) {
  const Nagrywany& n = NAGRANIA[0];
  Srodowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {n.urzadzenie}});
  ASSERT_TRUE(sim.Gotowy());
  const WynikKarvo w = Przebieg(env, sim, n, env.Sciezka("no/such/folder/capture.txt"));
  EXPECT_NE(w.raport.find("\r\n#0\t; "), std::string::npos) << w.raport;
  EXPECT_NE(w.konsola.find("karvo: the wire capture"), std::string::npos) << w.konsola;
}

}  // namespace
