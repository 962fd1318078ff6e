// What the benchmarks of whole commands against a paced karvo-sim share: the
// bytes on the line from the wire log, the fixed pauses of the port layer,
// and the processor time of the programs run.
#pragma once

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "harness.h"

namespace {

// Bytes that crossed the line in both directions, from the simulator's wire log.
inline long BajtyWDzienniku(const std::string& dziennik) {
  long n = 0;
  std::istringstream linie(dziennik);
  std::string linia;
  while (std::getline(linie, linia)) {
    auto p = linia.find("driver -> ");
    if (p == std::string::npos) p = linia.find("driver <- ");
    if (p == std::string::npos || linia.size() < p + 20) continue;
    std::istringstream hex(linia.substr(p + 20, linia.find("  |", p + 20) - (p + 20)));
    std::string bajt;
    while (hex >> bajt) n += bajt.size() == 2;
  }
  return n;
}

// The pauses the port layer makes on every run of a directly connected
// register: 100 ms after opening the device and 100 ms after creating its
// close event, 2 x 50 ms around the parity change, 1 ms for the line switch.
constexpr double PAUZY_S = 0.301;

// Processor time (user and system) of the child processes that have ended so far.
inline double CzasProcesoraDzieci() {
  rusage r{};
  getrusage(RUSAGE_CHILDREN, &r);
  return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// One whole run of a command that must end with ResultCode 0 (the benchmark
// stops otherwise): its files, its wall and processor seconds, and the bytes
// it put on the line, counted from `przed`, which moves on to the log's end.
struct PomiarPrzebiegu {
  e2e::WynikKarvo wynik;
  double sciana = 0, procesor = 0;
  long bajty = 0;
};

inline PomiarPrzebiegu ZmierzonyPrzebieg(const e2e::Srodowisko& env, const e2e::Symulator& sim, int kod,
                                         long& przed, std::chrono::milliseconds limit) {
  PomiarPrzebiegu p;
  const double procesor0 = CzasProcesoraDzieci();
  const auto t0 = std::chrono::steady_clock::now();
  p.wynik = env.Karvo(kod, "WE.TXT", "WY.TXT", limit);
  p.sciana = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  p.procesor = CzasProcesoraDzieci() - procesor0;
  if (p.wynik.raport.find("#0\t;") == std::string::npos) {
    std::fprintf(stderr, "the run failed:\n%s\n", p.wynik.raport.c_str());
    std::exit(1);
  }
  const long po = BajtyWDzienniku(sim.Dziennik());
  p.bajty = po - przed;
  przed = po;
  return p;
}

}  // namespace
