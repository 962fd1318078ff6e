// _ZTowar: writes the goods of the input file, one goods line each, in any of
// the four line variants the register accepts; the first refused line ends it.
#include "commands/catalogue/goods_access.h"
#include "commands/command.h"

namespace {

RekordTowaru Towar;

bool PolaTowaru(const char* linia) { return OdczytanieLiniiTowaruDoZapisu(linia, Towar); }

void Zapis() { ZapisanieTowaru(Towar); }

void ZapisTowarow() {
  ZerowanieWariantuLinii();
  CialoZapisuLiniami({.rozkaz = {}, .Pola = PolaTowaru, .Wyslanie = Zapis});
}

}  // namespace

KARVO_FUNKCJA(ZTowar, .Kod = 23, .Cialo = ZapisTowarow);
