// Sales readouts at the speed of the line: whole karvo runs against karvo-sim
// paced at 115200 bit/s, with a large generated day of sales. The ratio is the
// driver's wall time over the line time of every byte exchanged plus the
// fixed pauses of the port layer; the processor time is the driver's own,
// per record written.
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

size_t LinieDanych(const std::string& tekst) {
  size_t n = 0;
  for (size_t p = 0; (p = tekst.find("\r\n$", p)) != std::string::npos; p += 3) ++n;
  return n;
}

// pojemnosc: the register's goods capacity, when the bench sets it (0: as the ready register has it).
void Pomiar(const char* nazwa, const std::string& urzadzenie, int numer, int kod, const std::string& towary,
            int przebiegi, const std::string& pojemnosc = "") {
  e2e::Srodowisko env;
  std::string konsola, baza = e2e::CzytajPlik(e2e::Urzadzenie(urzadzenie));
  if (!pojemnosc.empty()) {
    const size_t p = baza.find("$pojemnosc\t");
    baza.replace(p, baza.find('\r', p) - p, "$pojemnosc\t" + pojemnosc);
  }
  e2e::ZapiszPlik(env.Sciezka("baza.txt"), baza);
  const std::string stan = env.Sciezka("dzien.txt");
  if (e2e::Uruchom({KARVO_SIM_DAY_BINARY, env.Sciezka("baza.txt"), stan, "--goods", towary, "--records", "0"},
                   "", {}, std::chrono::seconds(60), konsola) != 0) {
    std::fprintf(stderr, "karvo-sim-day failed: %s\n", konsola.c_str());
    std::exit(1);
  }
  e2e::Symulator sim(env.Katalog(), {.urzadzenia = {stan}, .baud = BAUD});
  if (!sim.Gotowy()) std::exit(1);
  env.PolaczZSymulatorem(sim, numer, "COM1:115200:MUX0:1", 1);
  env.Plik("WE.TXT", e2e::Srodowisko::Wejscie(numer));
  env.Karvo(113, "WE.TXT", "WY.TXT");  // the first run identifies the register into ECRTBUF.TXT
  const SeriaPrzebiegow s = Przebiegi(env, sim, kod, BAUD, przebiegi, std::chrono::minutes(10));
  WypisanieSerii(nazwa, LinieDanych(s.ostatni.wyjscie), s);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string towary = argc > 1 ? argv[1] : "10000";
  const int przebiegi = argc > 2 ? std::atoi(argv[2]) : 3;
  Pomiar("_OSprzed, check-byte form (vin-t)", "vin-t.txt", 7, 31, towary, przebiegi);
  // The generator keeps to the register's capacity: 4000 goods here.
  Pomiar("_OSprzed, plain form (typ-0x24)", "typ-0x24.txt", 3, 31, towary, przebiegi);
  // Every number of 1 to 65535 asked for (the register keeps no highest number of its own).
  if (argc > 3 && std::string(argv[3]) == "otspmax")
    Pomiar("_OTSpMax, 65535 numbers (typ-0x24)", "typ-0x24.txt", 3, 37, towary, 1, "65535");
  return 0;
}
