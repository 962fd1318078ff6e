// _ZTowar: writes the goods of the input file, one goods line each, in any of
// the four line variants the register accepts; the first refused line ends it.
#include "commands/catalogue/goods_access.h"
#include "commands/command.h"

namespace {

bool PolaTowaru(const char* linia, LinieTowarow& l) { return OdczytanieLiniiTowaruDoZapisu(linia, l.Wariant, l.Towar); }

void Zapis(LinieTowarow& l) { ZapisanieTowaru(l.Towar); }

void ZapisTowarow() {
  LinieTowarow l;
  CialoZapisuLiniami({.rozkaz = {}, .Pola = PolaTowaru, .Wyslanie = Zapis}, l);
}

}  // namespace

KARVO_FUNKCJA(ZTowar, .Kod = 23, .Cialo = ZapisTowarow);
