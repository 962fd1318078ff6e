// _KWiaz: deletes the links of the goods numbers in field 1 (low byte first).
#include "commands/command.h"

namespace {

bool PolaTowaru(const char* linia) {
  uint16_t towar = 0;
  if (!PoleWord(linia, 1, towar)) return false;
  Parametry().Word(towar);
  return true;
}

void KasowanieWiazan() { CialoZapisuLiniami({{KasowanieWiazania, 1, 2, 1}, PolaTowaru}); }

}  // namespace

KARVO_FUNKCJA(KWiaz, .Kod = 211, .Cialo = KasowanieWiazan);
