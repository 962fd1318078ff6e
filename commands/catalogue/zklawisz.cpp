// _ZKlawisz: gives keys their goods numbers (field 1 the key, one character;
// field 2 the goods number, low byte first).
#include "commands/command.h"

namespace {

bool PolaKlawisza(const char* linia) {
  Napis klawisz{};
  uint16_t towar = 0;
  if (!PoleTekst(linia, 1, 1, klawisz) || !PoleWord(linia, 2, towar)) return false;
  Parametry().Bajt(static_cast<uint8_t>(klawisz[0])).Word(towar);
  return true;
}

void ZapisKlawiszy() { CialoZapisuLiniami({{KodRozkazu::ZapisKlawisza, 1, 3, 1}, PolaKlawisza}); }

}  // namespace

KARVO_FUNKCJA(ZKlawisz, .Kod = 213, .Cialo = ZapisKlawiszy);
