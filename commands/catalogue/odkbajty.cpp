// _ODKBajty: option set 3 read, one line per bit: the bit number as three digits and 0 or 1.
#include "commands/catalogue/option_bits.h"
#include "commands/command.h"

KARVO_FUNKCJA_Z_WYJSCIEM(ODKBajty, .Kod = 124, .Cialo = [] { OdczytBitowOpcji(3); });
