// _OTowar: the goods lines of the goods numbers listed in the input file;
// numbers outside the register's range and numbers without goods give no line.
#include "commands/catalogue/goods_access.h"
#include "commands/command.h"

namespace {

ZakresTowarow Zakres;
uint16_t Numer = 0;

bool NumerZLinii(const char* linia) { return PoleWord(linia, 1, Numer); }

void OdczytNumeru() { OdczytanieTowaru(Numer, Zakres); }

void OdczytTowarow() {
  if (OdczytanieZakresuTowarow(Zakres)) CialoZapisuLiniami({.rozkaz = {}, .Pola = NumerZLinii, .Wyslanie = OdczytNumeru});
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OTowar, .Kod = 22, .Cialo = OdczytTowarow);
