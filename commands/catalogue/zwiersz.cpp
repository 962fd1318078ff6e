// _ZWiersz: the register's line-count byte, 1 to 30, from field 1 of the first data line.
#include "commands/command.h"

namespace {

// A count outside 1 to 30 is refused before any request, with the register's own code for it.
constexpr uint8_t ZLA_LICZBA_WIERSZY = WynikStatusuKasy(0x6E);  // 210

bool PoleLiczbyWierszy(const char* linia) {
  uint8_t wiersze = 0;
  if (!PoleByte(linia, 1, wiersze) || !WZakresie(wiersze, 1, 30, ZLA_LICZBA_WIERSZY)) return false;
  Parametry().Bajt(wiersze);
  return true;
}

// The register sends no second answer to this write.
void ZapisLiczbyWierszy() {
  CialoZapisuLiniami(
      {.rozkaz = {KodRozkazu::ZapisLiczbyWierszy, 1, 1, 0}, .Pola = PoleLiczbyWierszy, .TylkoPierwszaLinia = true});
}

}  // namespace

KARVO_FUNKCJA(ZWiersz, .Kod = 116, .Cialo = ZapisLiczbyWierszy);
