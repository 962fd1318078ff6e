// _ONKasWla: the logged-in cashier's number as one line (at least two digits,
// 00 when nobody is logged in).
#include "commands/cashdesk/cashier_records.h"

namespace {

void NumerZalogowanego() {
  uint8_t numer = 0;
  if (OdczytanieZalogowanego(numer)) LiniaWyniku().Pole(Liczba(numer, 2)).Zapisanie();
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ONKasWla, .Kod = 411, .Cialo = NumerZalogowanego);
