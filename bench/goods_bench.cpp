// _TowarMax of a full goods catalogue: the 65 535 goods of a family T
// register (next numbers, 0xBD) and the 5 000 of a family S register (every
// number asked with 0xAC until the capacity answer), the simulator paced at
// 115200 and 9600 bit/s. Reported: the wall time over the line time of every
// byte exchanged plus the fixed pauses of the port layer, the driver's
// processor time per goods record and its peak memory.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_support.h"
#include "harness.h"

namespace {


// Peak resident memory of the children ended so far: the driver's runs (the
// simulator ends only after the figures are taken).
long PamiecDzieciKB() {
  rusage r{};
  getrusage(RUSAGE_CHILDREN, &r);
  return r.ru_maxrss;
}

void Pomiar(const char* opis, const std::string& stan, int numer, uint32_t baud) {
  e2e::Srodowisko env;
  e2e::Symulator sim(env.Katalog(), {.urzadzenia = {stan}, .baud = baud});
  if (!sim.Gotowy()) std::exit(1);
  env.PolaczZSymulatorem(sim, numer, "COM1:" + std::to_string(baud) + ":MUX0:1", 1);
  env.Plik("WE.TXT", e2e::Srodowisko::Wejscie(numer));
  // The first run identifies the register into ECRTBUF.TXT, as every later one finds it.
  env.Karvo(113, "WE.TXT", "WY.TXT");
  long przed = BajtyWDzienniku(sim.Dziennik());
  const PomiarPrzebiegu p = ZmierzonyPrzebieg(env, sim, 21, przed, std::chrono::hours(2));
  const double sciana = p.sciana, procesor = p.procesor;
  const long rekordy = std::count(p.wynik.wyjscie.begin(), p.wynik.wyjscie.end(), '$');
  const long bajty = p.bajty;
  const double linia = double(bajty) * 11 / baud;
  std::printf("%-28s %6u bit/s: %5ld goods, %8ld bytes, line %8.2f s + %.3f s; wall %8.2f s, ratio %.4f;"
              " processor %.1f us a goods (%.2f %% of wall), peak %ld KiB\n",
              opis, baud, rekordy, bajty, linia, PAUZY_S, sciana, sciana / (linia + PAUZY_S),
              procesor / double(rekordy) * 1e6, procesor / sciana * 100, PamiecDzieciKB());
  std::fflush(stdout);
}

struct Przypadek {
  const char* opis;
  const char* plik;
  int numer;
  uint32_t baud;
};

// The family T catalogue at 9600 bit/s takes 48 minutes of line time whole, so
// by default its first 5000 goods stand in for it (the same requests, the same ratio).
const Przypadek Przypadki[] = {
    {"T, 65535 goods (0xBD)", "towary-t-65535.txt", 7, 115200},
    {"S, 5000 goods (0xAC)", "towary-s-5000.txt", 5, 115200},
    {"S, 5000 goods (0xAC)", "towary-s-5000.txt", 5, 9600},
    {"T, 5000 goods (0xBD)", "towary-t-5000.txt", 7, 9600},
    {"T, 65535 goods (0xBD)", "towary-t-65535.txt", 7, 9600},
};

}  // namespace

// karvo_bench_goods [full]: each case in a process of its own, so that the
// peak memory of its children is the driver's alone (the simulator is waited
// for only after the figures are taken); "full" adds the whole family T
// catalogue at 9600 bit/s.
int main(int argc, char** argv) {
  const std::string katalog = KARVO_BENCH_DIR;
  if (argc > 2 && std::string(argv[1]) == "case") {
    const Przypadek& p = Przypadki[std::atoi(argv[2])];
    Pomiar(p.opis, katalog + "/" + p.plik, p.numer, p.baud);
    return 0;
  }
  const bool calosc = argc > 1 && std::string(argv[1]) == "full";
  for (size_t i = 0; i < std::size(Przypadki) - (calosc ? 0 : 1); ++i) {
    std::string konsola;
    e2e::Uruchom({argv[0], "case", std::to_string(i)}, ".", {}, std::chrono::hours(3), konsola);
    std::fputs(konsola.c_str(), stdout);
    std::fflush(stdout);
  }
  return 0;
}
