// _KTowar: deletes the goods numbers listed in the input file; numbers outside
// the register's range are skipped without a request.
#include "commands/catalogue/goods_access.h"
#include "commands/command.h"

namespace {

// The register's range, and the number of the line in hand.
struct Towary {
  ZakresTowarow Zakres;
  uint16_t Numer = 0;
};

bool NumerZLinii(const char* linia, Towary& t) { return PoleWord(linia, 1, t.Numer); }

void Kasowanie(Towary& t) {
  if (t.Zakres.Zawiera(t.Numer)) KasowanieTowaru(t.Numer);
}

void KasowanieTowarow() {
  Towary t;
  if (OdczytanieZakresuTowarow(t.Zakres)) CialoZapisuLiniami({.rozkaz = {}, .Pola = NumerZLinii, .Wyslanie = Kasowanie}, t);
}

}  // namespace

KARVO_FUNKCJA(KTowar, .Kod = 26, .Cialo = KasowanieTowarow);
