// _ZBlok: writes the blocking byte of the goods listed in the input file
// (field 1 the goods number, field 2 the byte, passed through unchanged).
#include "commands/command.h"

namespace {

bool PolaBlokady(const char* linia) {
  uint16_t numer = 0;
  uint8_t blokada = 0;
  if (!PoleWord(linia, 1, numer) || !PoleByte(linia, 2, blokada)) return false;
  Parametry().Word(numer).Bajt(blokada);
  return true;
}

void ZapisBlokad() { CialoZapisuLiniami({{ZapisBlokadyTowaru, 1, 3, 1}, PolaBlokady}); }

}  // namespace

KARVO_FUNKCJA(ZBlok, .Kod = 27, .Cialo = ZapisBlokad);
