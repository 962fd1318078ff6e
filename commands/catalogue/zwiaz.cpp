// _ZWiaz: goods links from the input lines (goods number, linked goods
// number; both go low byte first). The readout gives a link back high byte
// first, so a goods number from 65280 on could not be read back: 19.
#include "commands/catalogue/barcode_link_records.h"

namespace {

bool PolaWiazania(const char* linia) {
  uint16_t towar = 0, powiazany = 0;
  if (!PoleWord(linia, 1, towar) || !PoleWord(linia, 2, powiazany)) return false;
  if (!WZakresie(towar, 0, NAJWYZSZY_TOWAR_TABELI)) return false;
  Parametry().Word(towar).Word(powiazany);
  return true;
}

void ZapisWiazan() { CialoZapisuLiniami({{KodRozkazu::ZapisWiazania, 1, 4, 1}, PolaWiazania}); }

}  // namespace

KARVO_FUNKCJA(ZWiaz, .Kod = 210, .Cialo = ZapisWiazan);
