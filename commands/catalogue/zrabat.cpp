// _ZRabat: the register's discount byte from field 1 of the first data line.
#include "commands/command.h"

namespace {

bool PoleRabatu(const char* linia) {
  uint8_t rabat = 0;
  if (!PoleByte(linia, 1, rabat)) return false;
  Parametry().Bajt(rabat);
  return true;
}

void ZapisRabatu_() {
  CialoZapisuLiniami({.rozkaz = {ZapisRabatu, 1, 1, 1}, .Pola = PoleRabatu, .TylkoPierwszaLinia = true});
}

}  // namespace

KARVO_FUNKCJA(ZRabat, .Kod = 112, .Cialo = ZapisRabatu_);
