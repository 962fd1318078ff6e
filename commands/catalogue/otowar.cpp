// _OTowar: the goods lines of the goods numbers listed in the input file;
// numbers outside the register's range and numbers without goods give no line.
#include "commands/catalogue/goods_access.h"
#include "commands/command.h"

namespace {

// The register's range, and the number of the line in hand.
struct Towary {
  ZakresTowarow Zakres;
  uint16_t Numer = 0;
};

bool NumerZLinii(const char* linia, Towary& t) { return PoleWord(linia, 1, t.Numer); }

void OdczytNumeru(Towary& t) { OdczytanieTowaru(t.Numer, t.Zakres); }

void OdczytTowarow() {
  Towary t;
  if (OdczytanieZakresuTowarow(t.Zakres))
    CialoZapisuLiniami({.rozkaz = {}, .Pola = NumerZLinii, .Wyslanie = OdczytNumeru}, t);
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OTowar, .Kod = 22, .Cialo = OdczytTowarow);
