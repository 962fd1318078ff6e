// _ZDBajty: bits of option set 1 set or cleared from the input lines, then the set written back.
#include "commands/catalogue/option_bits.h"
#include "commands/command.h"

KARVO_FUNKCJA(ZDBajty, .Kod = 14, .Cialo = [] { ZapisBitowOpcji(1); });
