// _ODaneRek over a full fiscal memory at the speed of the line: whole karvo
// runs against karvo-sim paced at 115200 bit/s, every record of the memory
// listed in the input file. The memory holds 2076 records, as many as the
// registers that number them in full ('o' and 'p') keep before their special
// records; every record is the longest kind (a report with its totals). The
// ratio is the driver's wall time over the line time of every byte exchanged
// plus the fixed pauses of the port layer; the processor time is the driver's
// own, per record written.
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

void Pomiar(const char* nazwa, const char* urzadzenie, int numer, uint8_t status, int dane, unsigned ile,
            int przebiegi) {
  e2e::Srodowisko env;
  std::string stan, wejscie;
  PamiecFiskalna(urzadzenie, status, dane, ile, stan, wejscie);
  e2e::ZapiszPlik(env.Sciezka("pamiec.txt"), stan);
  e2e::Symulator sim(env.Katalog(), {.urzadzenia = {env.Sciezka("pamiec.txt")}, .baud = BAUD});
  if (!sim.Gotowy()) std::exit(1);
  env.PolaczZSymulatorem(sim, numer, "COM1:115200:MUX0:1", 1);
  env.Plik("WE.TXT", e2e::Srodowisko::Wejscie(numer));
  env.Karvo(113, "WE.TXT", "WY.TXT");  // the first run identifies the register into ECRTBUF.TXT
  env.Plik("WE.TXT", e2e::Srodowisko::Wejscie(numer) + wejscie);
  WypisanieSerii(nazwa, ile, Przebiegi(env, sim, 317, BAUD, przebiegi, std::chrono::minutes(10)));
}

}  // namespace

int main(int argc, char** argv) {
  const unsigned ile = argc > 1 ? unsigned(std::atoi(argv[1])) : 2076;
  const int przebiegi = argc > 2 ? std::atoi(argv[2]) : 3;
  // 0x9A: 63-byte answers with a CRC-16, the record's status inside its data.
  Pomiar("_ODaneRek, second generation with CRC (vin-t)", "vin-t.txt", 7, 0xFC, 59, ile, przebiegi);
  // 0xE5: 43-byte report records, the length from the status.
  Pomiar("_ODaneRek, first generation (typ-0x24)", "typ-0x24.txt", 3, 0xFA, 42, ile, przebiegi);
  return 0;
}
