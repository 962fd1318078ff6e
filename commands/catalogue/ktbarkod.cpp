// _KTBarkod: deletes every additional barcode of the goods numbers in field 1
// of the input lines (the number goes high byte first).
#include "commands/catalogue/barcode_link_records.h"

namespace {

bool PolaTowaru(const char* linia) {
  uint16_t towar = 0;
  if (!PoleWord(linia, 1, towar)) return false;
  Parametry parametry;
  NumerOdStarszego(parametry, towar);
  return true;
}

void KasowanieKodowTowarow() { CialoZapisuLiniami({{KodRozkazu::KasowanieKodowTowaru, 1, 2, 1}, PolaTowaru}); }

}  // namespace

KARVO_FUNKCJA(KTBarkod, .Kod = 218, .NazwaWydruku = "_KTBarKod", .Cialo = KasowanieKodowTowarow);
