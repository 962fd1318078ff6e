// _OKlawisz (223 key requests) and _OWiaz (16 link blocks, all full) against
// karvo-sim paced at 115200 bit/s, run in turn: the wall time over the line
// time of every byte exchanged plus the fixed pauses of the port layer, and
// the driver's processor time per request over that of an _ONrKasy run (the
// process start and the session opening, measured in the same turns). Medians
// of the runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "harness.h"

namespace {

constexpr uint32_t BAUD = 115200;
constexpr int NUMER = 7;

struct Polecenie {
  const char* opis;
  int kod;
  int rozkazy;  // the command's own requests, the session's left out
  std::vector<double> stosunki, procesor;
};

double Mediana(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// vin-t.txt with every link block full and a goods number on every key.
std::string Stan(const e2e::Srodowisko& env) {
  std::string stan = e2e::CzytajPlik(e2e::Urzadzenie("vin-t.txt"));
  for (int n = 1; n <= 256; ++n) stan += "$wiazanie\t" + std::to_string(n) + "\t" + std::to_string(n + 1000) + "\r\n";
  for (int k = 33; k <= 255; ++k) stan += "$klawisz\t" + std::to_string(k) + "\t" + std::to_string(k) + "\r\n";
  const std::string sciezka = env.Sciezka("vin-t.txt");
  e2e::ZapiszPlik(sciezka, stan);
  return sciezka;
}

}  // namespace

// karvo_bench_barcodes [RUNS]  (default 7)
int main(int argc, char** argv) {
  const int przebiegi = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  e2e::Srodowisko env;
  e2e::Symulator sim(env.Katalog(), {.urzadzenia = {Stan(env)}, .baud = BAUD});
  if (!sim.Gotowy()) return 1;
  env.PolaczZSymulatorem(sim, NUMER, "COM1:" + std::to_string(BAUD) + ":MUX0:1", 1);
  env.Plik("WE.TXT", e2e::Srodowisko::Wejscie(NUMER));
  // The first run identifies the register into ECRTBUF.TXT, as every later one finds it.
  env.Karvo(113, "WE.TXT", "WY.TXT");
  long przed = BajtyWDzienniku(sim.Dziennik());
  Polecenie polecenia[] = {
      {"_ONrKasy (/K113)", 113, 1, {}, {}}, {"_OKlawisz (/K212)", 212, 223, {}, {}}, {"_OWiaz (/K29)", 29, 16, {}, {}}};
  long bajty[std::size(polecenia)] = {};
  for (int i = 0; i < przebiegi; ++i) {
    for (size_t j = 0; j < std::size(polecenia); ++j) {
      Polecenie& p = polecenia[j];
      const PomiarPrzebiegu m = ZmierzonyPrzebieg(env, sim, p.kod, przed, std::chrono::minutes(5));
      const double linia = double(m.bajty) * 11 / BAUD;
      p.stosunki.push_back(m.sciana / (linia + PAUZY_S));
      p.procesor.push_back(m.procesor);
      bajty[j] = m.bajty;
    }
  }
  const double podstawa = Mediana(polecenia[0].procesor);
  for (size_t j = 0; j < std::size(polecenia); ++j) {
    const Polecenie& p = polecenia[j];
    const double linia = double(bajty[j]) * 11 / BAUD;
    std::printf("%-18s %3d requests, %5ld bytes, line %.3f s + %.3f s: wall/(line + pauses) median %.3f"
                " (min %.3f, max %.3f); processor %.1f ms a run",
                p.opis, p.rozkazy, bajty[j], linia, PAUZY_S, Mediana(p.stosunki),
                *std::min_element(p.stosunki.begin(), p.stosunki.end()),
                *std::max_element(p.stosunki.begin(), p.stosunki.end()), Mediana(p.procesor) * 1e3);
    if (j > 0)
      std::printf(", over _ONrKasy %.0f us a request, %.0f us a byte", (Mediana(p.procesor) - podstawa) / p.rozkazy * 1e6,
                  (Mediana(p.procesor) - podstawa) / double(bajty[j] - bajty[0]) * 1e6);
    std::printf(" (medians of %d runs)\n", przebiegi);
  }
  return 0;
}
