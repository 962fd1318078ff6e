// The register families: every test on the type code lives here, so the
// commands ask a test and never compare type codes themselves.
#include <cstdint>
#include <initializer_list>

#include "protocol/identification.h"
#include "state/session_state.h"

namespace {

uint8_t Kod() { return Sesja.Urzadzenie.KodTypuKasy; }

bool KodJednymZ(std::initializer_list<uint8_t> kody) {
  for (uint8_t k : kody)
    if (Kod() == k) return true;
  return false;
}

}  // namespace

bool KasaPelto() { return KodJednymZ({28, 31, 103, 104}); }
bool KasaVeko() { return KodJednymZ({22, 23, 29, 32, 35, 38, 100, 101}); }
bool KasaTamo() { return KodJednymZ({'+', 'f'}); }
bool KasaLapo() { return Kod() == 'k'; }
bool KasaVin() { return Kod() == 't'; }
bool KasaCenometr() { return KodJednymZ({'w', 'x', '\'', '9', 'm', 'n'}); }
bool KasaUbo() { return KodJednymZ({'%', '='}); }
bool KasaNorda() { return KodJednymZ({'u', 'v'}); }
bool KasaOP() { return KodJednymZ({'o', 'p'}); }
bool KasaDrugiejGeneracji() { return Kod() >= 100 && !KasaOP(); }
bool KasaDrugiejGeneracjiBezVeko() { return KasaDrugiejGeneracji() && !KasaVeko(); }
bool KasaWX() { return KodJednymZ({'w', 'x'}); }
bool KasaMN() { return KodJednymZ({'m', 'n', '\'', '9'}); }
bool KasaZPojemnikami() { return Kod() == '&'; }
bool KasaNowa() { return Kod() >= 116 && !KasaNorda(); }
bool KasaRozszerzona() {
  return (KasaDrugiejGeneracji() && KasaPelto() && Sesja.Urzadzenie.PodwersjaTypu > 1) || Kod() > 115;
}
bool KasaPeltoPierwszychPodwersji() {
  return KasaDrugiejGeneracji() && KasaPelto() && Sesja.Urzadzenie.PodwersjaTypu <= 2;
}
bool KasaT() { return Kod() == 116 || Kod() > 120; }
bool KasaMLubN() { return KodJednymZ({'m', 'n'}); }
bool KasaStarszaNizT() { return Kod() < 't'; }
bool KasaTypu24Lub27() { return Kod() == 24 || Kod() == 27; }

// Price checkers have no register number of their own.
bool KasaPodajeNumer() { return !KasaCenometr() && !KasaUbo(); }

const char* SlowoModelu() {
  if (KasaPelto()) return "Pelto";
  if (KasaVeko()) return "Veko";
  if (KasaTamo()) return "Tamo";
  if (KasaLapo()) return "Lapo";
  if (KasaVin()) return "Vin";
  if (KasaCenometr()) return "Cenometr";
  if (KasaUbo()) return "Ubo";
  if (Kod() == 'u') return "Norda Vin Plus";
  if (Kod() == 'v') return "Norda Vin Prof";
  return "Karvo";
}
