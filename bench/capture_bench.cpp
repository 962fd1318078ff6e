// What the wire capture costs: _TowarMax of a 5 000-goods family T catalogue
// from an unpaced simulator over a pseudo-terminal, runs without and with
// KARVO_WIRE alternated, so that a loaded machine weighs on both alike.
// Reported: the medians of the driver's processor time per goods record and of
// the wall time, and the ratios with the capture on over off.
//
//   karvo_bench_capture [ROUNDS]     (default 5)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "harness.h"

namespace {

double Mediana(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Pomiar {
  double sciana, procesor;
  long rekordy;
};

Pomiar Przebieg(const e2e::Srodowisko& env, const std::string& nagranie) {
  const double procesor0 = CzasProcesoraDzieci();
  const auto t0 = std::chrono::steady_clock::now();
  // Both runs go through env, so that they differ only in the capture.
  const e2e::WynikKarvo w =
      env.KarvoPrzez({"/usr/bin/env", nagranie.empty() ? "KARVO_BENCH=1" : "KARVO_WIRE=" + nagranie}, 21, "WE.TXT",
                     "WY.TXT", std::chrono::minutes(10));
  const double sciana = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  if (w.raport.find("#0\t;") == std::string::npos) {
    std::fprintf(stderr, "the run failed:\n%s\n", w.raport.c_str());
    std::exit(1);
  }
  return {sciana, CzasProcesoraDzieci() - procesor0, static_cast<long>(std::count(w.wyjscie.begin(), w.wyjscie.end(), '$'))};
}

}  // namespace

int main(int argc, char** argv) {
  const int rundy = argc > 1 ? std::atoi(argv[1]) : 5;
  e2e::Srodowisko env;
  e2e::Symulator sim(env.Katalog(), {.urzadzenia = {std::string(KARVO_BENCH_DIR) + "/towary-t-5000.txt"}});
  if (!sim.Gotowy()) return 1;
  env.PolaczZSymulatorem(sim, 7, "COM1:115200:MUX0:1", 1);
  env.Plik("WE.TXT", e2e::Srodowisko::Wejscie(7));
  env.Karvo(113, "WE.TXT", "WY.TXT");  // ECRTBUF.TXT, as every later run finds it
  std::vector<double> scianaBez, scianaZ, procBez, procZ;
  long rekordy = 0, rozmiar = 0;
  for (int r = 0; r < rundy; ++r) {
    const Pomiar bez = Przebieg(env, "");
    const std::string nagranie = env.Sciezka("capture.txt");
    std::remove(nagranie.c_str());
    const Pomiar z = Przebieg(env, nagranie);
    rozmiar = static_cast<long>(e2e::CzytajPlik(nagranie).size());
    rekordy = bez.rekordy;
    scianaBez.push_back(bez.sciana), scianaZ.push_back(z.sciana);
    procBez.push_back(bez.procesor / double(bez.rekordy) * 1e6), procZ.push_back(z.procesor / double(z.rekordy) * 1e6);
  }
  std::printf("_TowarMax, %ld goods, unpaced, %d rounds alternated; capture %ld bytes a run\n", rekordy, rundy, rozmiar);
  std::printf("  processor a goods: off %.1f us (%.1f..%.1f), on %.1f us (%.1f..%.1f), ratio %.3f\n", Mediana(procBez),
              *std::min_element(procBez.begin(), procBez.end()), *std::max_element(procBez.begin(), procBez.end()),
              Mediana(procZ), *std::min_element(procZ.begin(), procZ.end()), *std::max_element(procZ.begin(), procZ.end()),
              Mediana(procZ) / Mediana(procBez));
  std::printf("  wall: off %.2f s, on %.2f s, ratio %.3f\n", Mediana(scianaBez), Mediana(scianaZ),
              Mediana(scianaZ) / Mediana(scianaBez));
  return 0;
}
