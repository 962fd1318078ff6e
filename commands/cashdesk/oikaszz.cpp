// _OIKasZZ: the shift line of each cashier whose number an input line gives
// and whose drawer is open, then the register zeroes that cashier's shift
// data; the logged-in cashier is neither written nor zeroed. Each line is
// on the disk before its zeroing is asked for, and is taken back when the
// register refused the zeroing or never took it.
#include "commands/cashdesk/cashier_records.h"

namespace {

void RaportyIZerowanie() { RaportyKasjerowZWejscia(RodzajRaportu::ZZerowaniem); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OIKasZZ, .Kod = 47, .ZachowanieWyniku = 1, .Cialo = RaportyIZerowanie);
