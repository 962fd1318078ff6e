// _OIKas: the shift line of each cashier whose number an input line gives;
// a cashier the register does not know is skipped.
#include "commands/cashdesk/cashier_records.h"

namespace {

void RaportyZWejscia() { RaportyKasjerowZWejscia(RodzajRaportu::Kazdy); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OIKas, .Kod = 46, .Cialo = RaportyZWejscia);
