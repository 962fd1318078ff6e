// What the benchmarks of whole commands against a paced karvo-sim share: the
// bytes on the line from the wire log, the fixed pauses of the port layer,
// and the processor time of the programs run.
#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

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

// Runs of one command, alternated with nothing else: each starts without an
// output file. Wall times, ratios over the line time of the bytes exchanged
// plus the pauses, and processor times, each sorted; the bytes, the line time
// and the files of the last run.
struct SeriaPrzebiegow {
  long bajty = 0;
  double linia = 0;
  std::vector<double> sciana, stosunki, procesor;
  e2e::WynikKarvo ostatni;
  static double Mediana(const std::vector<double>& v) { return v[v.size() / 2]; }
};

inline SeriaPrzebiegow Przebiegi(const e2e::Srodowisko& env, const e2e::Symulator& sim, int kod, uint32_t baud,
                                 int przebiegi, std::chrono::milliseconds limit) {
  SeriaPrzebiegow s;
  long przed = BajtyWDzienniku(sim.Dziennik());
  for (int i = 0; i < przebiegi; ++i) {
    std::remove(env.Sciezka("WY.TXT").c_str());
    PomiarPrzebiegu p = ZmierzonyPrzebieg(env, sim, kod, przed, limit);
    s.bajty = p.bajty;
    s.linia = double(p.bajty) * 11 / baud;
    s.sciana.push_back(p.sciana);
    s.stosunki.push_back(p.sciana / (s.linia + PAUZY_S));
    s.procesor.push_back(p.procesor);
    s.ostatni = std::move(p.wynik);
  }
  for (auto* v : {&s.sciana, &s.stosunki, &s.procesor}) std::sort(v->begin(), v->end());
  return s;
}

// One line of a readout's figures: records, bytes, line time, the medians and
// the range of the ratio, the processor time a record.
inline void WypisanieSerii(const char* nazwa, std::size_t rekordy, const SeriaPrzebiegow& s) {
  std::printf("%s: %zu records, %ld bytes, line %.2f s + pauses %.0f ms; wall median %.2f s; ratio median %.4f"
              " (min %.4f, max %.4f); processor %.1f us a record (median)\n",
              nazwa, rekordy, s.bajty, s.linia, PAUZY_S * 1e3, SeriaPrzebiegow::Mediana(s.sciana),
              SeriaPrzebiegow::Mediana(s.stosunki), s.stosunki.front(), s.stosunki.back(),
              SeriaPrzebiegow::Mediana(s.procesor) / double(rekordy ? rekordy : 1) * 1e6);
}

// A full fiscal memory of report records (status, date, number, totals, the
// counter) added to a register's state file, and the input of _ODaneRek that
// lists every record.
inline void PamiecFiskalna(const char* urzadzenie, uint8_t status, int dane, unsigned ile, std::string& stan,
                           std::string& wejscie) {
  auto hex = [](unsigned b) {
    char t[4];
    std::snprintf(t, sizeof t, "%02X ", b & 0xFF);
    return std::string(t);
  };
  stan = e2e::CzytajPlik(e2e::Urzadzenie(urzadzenie));
  wejscie.clear();
  for (unsigned n = 0; n < ile; ++n) {
    std::string r = hex(status) + "15 03 07 " + hex(n) + hex(n >> 8);
    for (int i = 5; i < dane; ++i) r += hex(n * 7 + i);
    stan += "$fiskalny\t" + std::to_string(n) + "\t" + r + "\r\n";
    wejscie += "$" + std::to_string(n) + "\r\n";
  }
}

}  // namespace
