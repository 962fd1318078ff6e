// Signals while the register is silent, and a file size limit: the run ends
// promptly with its report either way.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "harness.h"

namespace {

using namespace e2e;
using namespace std::chrono_literals;

bool Zawiera(const std::string& tekst, const std::string& fragment) { return tekst.find(fragment) != std::string::npos; }

// A signal that asks the driver to end wakes its wait for a register that
// stays silent for a 5 s time-out: the run ends within about a second, with
// the break's code and no second wait for the line to fall quiet.
TEST(SygnalWCiszy, EndsTheRunPromptlyWith56WhateverTheTimeOut) {
  for (const int sygnal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(strsignal(sygnal));
    Stanowisko env;
    Symulator sim(env.Katalog(), {.urzadzenia = {"vin-t.txt"}, .usterki = {"0xFE,n=1:silent"}});
    ASSERT_TRUE(sim.Gotowy());
    env.PolaczZSymulatorem(sim, 7, "COM1:9600:MUX0:1", 5);
    env.Plik("WE.TXT", Srodowisko::Wejscie(7));
    KarvoWTle karvo(env, 113, "WE.TXT", "WY.TXT");
    ASSERT_TRUE(CzekajNaRozkaz(sim, 0xFE));
    std::this_thread::sleep_for(300ms);  // well inside the silence
    const auto start = std::chrono::steady_clock::now();
    karvo.Sygnal(sygnal);
    const WynikKarvo w = karvo.Koniec();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_LT(ms.count(), 2500) << "loosely: the time-out alone is 5 s";
    EXPECT_EQ(w.kodWyjscia, 0);
    EXPECT_TRUE(Zawiera(w.raport, "\r\n#" + Opis(56, "rozkaz przerwany przez serwer") + "\r\n")) << w.raport;
    SprawdzLog(w);
  }
}

// The same over TCP to a communication module that stays silent: the wait of
// the network link wakes on the signal too.
TEST(SygnalWCiszy, EndsARunOverTheNetworkPromptlyWith56) {
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"vin-t.txt"}, .lacze = Lacze::ModulTcp,
                                .dodatkowe = {"--module-fault", "*:silent"}});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZModulem(sim, 7, {.czas = 5, .limit = 3});
  env.Plik("WE.TXT", Srodowisko::Wejscie(7));
  KarvoWTle karvo(env, 113, "WE.TXT", "WY.TXT");
  std::this_thread::sleep_for(800ms);  // connected and waiting for the first answer frame
  const auto start = std::chrono::steady_clock::now();
  karvo.Sygnal(SIGTERM);
  const WynikKarvo w = karvo.Koniec();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  EXPECT_LT(ms.count(), 2500) << "loosely: the time-out alone is 5 s, with three repeats";
  EXPECT_TRUE(Zawiera(w.raport, "\r\n#56\t")) << w.raport;
  SprawdzLog(w);
}

// Over the file size limit a write fails like any other: the run reports the
// output file it could not write instead of dying without a report.
TEST(LimitRozmiaruPliku, AWriteOverItIsReportedAs17) {
  if (::access("/usr/bin/prlimit", X_OK) != 0) GTEST_SKIP() << "no prlimit here";
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"towary-t.txt"}});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 7);
  env.Plik("WE.TXT", Srodowisko::Wejscie(7));
  const WynikKarvo pelny = env.Karvo(21, "WE.TXT", "WY.TXT");
  ASSERT_TRUE(Zawiera(pelny.raport, "\r\n#" + DOBRZE + "\r\n")) << pelny.raport;
  // A limit that the report and the log of the run fit under, and the output not.
  const size_t limit = pelny.wyjscie.size() - 40;
  ASSERT_LT(pelny.log.size() + 40, limit);
  std::filesystem::remove(env.Sciezka("karvo.log"));

  const WynikKarvo w =
      env.KarvoPrzez({"/usr/bin/prlimit", "--fsize=" + std::to_string(limit)}, 21, "WE.TXT", "WY.TXT");
  EXPECT_EQ(w.kodWyjscia, 0) << w.konsola;
  EXPECT_TRUE(Zawiera(w.raport, "\r\n#17\t")) << w.raport;
  EXPECT_LE(w.wyjscie.size(), limit);
}

}  // namespace
