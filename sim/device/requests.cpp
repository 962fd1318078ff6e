#include "device/requests.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace sim {
namespace {

// Every group of requests; a new requests_*.cpp adds its group here.
const std::span<const Rozkaz>* const Grupy[] = {
    &RozkazySesji,   &RozkazyTabel, &RozkazyOpcji, &RozkazySprzedazy, &RozkazyTowarow,
    &RozkazyKodow,     // barcodes, keys and links
    &RozkazyKasjerow,  // cashiers and shifts
    &RozkazyPojemnikow,
    &RozkazyFiskalne,  // periodic data sets and the fiscal memory
    &RozkazyKasowe,    // report and receipt counters, tax rates
};


struct Tablica {
  std::array<const Rozkaz*, 256> wedlugKodu{};
  std::vector<const Rozkaz*> wszystkie;
  Tablica() {
    for (const auto* grupa : Grupy) {
      for (const Rozkaz& r : *grupa) {
        if (wedlugKodu[r.kod]) {
          std::fprintf(stderr, "karvo-sim: request 0x%02X is in the table twice\n", r.kod);
          std::abort();
        }
        wedlugKodu[r.kod] = &r;
        wszystkie.push_back(&r);
      }
    }
  }
};

const Tablica& TablicaRozkazow() {
  static const Tablica tablica;
  return tablica;
}

}  // namespace

const Rozkaz* ZnajdzRozkaz(uint8_t kod) { return TablicaRozkazow().wedlugKodu[kod]; }

std::span<const Rozkaz* const> WszystkieRozkazy() { return TablicaRozkazow().wszystkie; }

uint8_t LiczbaParametrow(const Rozkaz& rozkaz, const StanKasy& stan) {
  return rozkaz.liczbaParametrow ? rozkaz.liczbaParametrow(stan) : rozkaz.parametry;
}

}  // namespace sim
