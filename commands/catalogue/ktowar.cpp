// _KTowar: deletes the goods numbers listed in the input file; numbers outside
// the register's range are skipped without a request.
#include "commands/catalogue/goods_access.h"
#include "commands/command.h"

namespace {

ZakresTowarow Zakres;
uint16_t Numer = 0;

bool NumerZLinii(const char* linia) { return PoleWord(linia, 1, Numer); }

void Kasowanie() {
  if (Zakres.Zawiera(Numer)) KasowanieTowaru(Numer);
}

void KasowanieTowarow() {
  if (OdczytanieZakresuTowarow(Zakres)) CialoZapisuLiniami({.rozkaz = {}, .Pola = NumerZLinii, .Wyslanie = Kasowanie});
}

}  // namespace

KARVO_FUNKCJA(KTowar, .Kod = 26, .Cialo = KasowanieTowarow);
