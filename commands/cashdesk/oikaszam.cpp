// _OIKasZam: the shift lines of all cashiers whose drawer is closed (flag bit
// 1 clear); no input line is read.
#include "commands/cashdesk/cashier_records.h"

namespace {

void RaportyZamknietych() { RaportyKasjerow(RodzajRaportu::Zamknieci); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OIKasZam, .Kod = 49, .Cialo = RaportyZamknietych);
