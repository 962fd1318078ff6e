// _ZRabat: the register's discount byte from field 1 of the first data line.
#include "commands/command.h"

namespace {

void ZapisRabatu() {
  CialoZapisuLiniami(
      {.rozkaz = {KodRozkazu::ZapisRabatu, 1, 1, 1}, .Pola = BajtJakoParametr, .TylkoPierwszaLinia = true});
}

}  // namespace

KARVO_FUNKCJA(ZRabat, .Kod = 112, .Cialo = ZapisRabatu);
