// _OIKasWla: the shift line of the logged-in cashier; with nobody logged in
// the output file holds no data line and the command succeeds.
#include "commands/cashdesk/cashier_records.h"

namespace {

void RaportZalogowanego() {
  uint8_t numer = 0;
  if (OdczytanieZalogowanego(numer) && numer != 0) RaportKasjera(numer, RodzajRaportu::Kazdy);
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OIKasWla, .Kod = 410, .Cialo = RaportZalogowanego);
