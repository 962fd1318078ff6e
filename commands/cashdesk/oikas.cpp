// _OIKas: the shift line of each cashier whose number an input line gives;
// a cashier the register does not know is skipped.
#include "commands/cashdesk/cashier_records.h"

namespace {

uint8_t numer = 0;

bool NumerKasjera(const char* linia) { return PoleByte(linia, 1, numer); }

void Raport() { RaportKasjera(numer, RodzajRaportu::Kazdy); }

void RaportyZWejscia() { CialoZapisuLiniami({{}, NumerKasjera, Raport}); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OIKas, .Kod = 46, .Cialo = RaportyZWejscia);
