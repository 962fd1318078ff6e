// _OIKasOtw: the shift lines of all cashiers whose drawer is open (flag bit 1
// set); no input line is read.
#include "commands/cashdesk/cashier_records.h"

namespace {

void RaportyOtwartych() { RaportyKasjerow(RodzajRaportu::Otwarci); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OIKasOtw, .Kod = 48, .Cialo = RaportyOtwartych);
