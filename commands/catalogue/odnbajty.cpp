// _ODNBajty: option set 2 read, one line per bit: the bit number as three digits and 0 or 1.
#include "commands/catalogue/option_bits.h"
#include "commands/command.h"

KARVO_FUNKCJA_Z_WYJSCIEM(ODNBajty, .Kod = 126, .Cialo = [] { OdczytBitowOpcji(2); });
