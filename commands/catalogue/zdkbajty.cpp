// _ZDKBajty: bits of option set 3 set or cleared from the input lines, then the set written back.
#include "commands/catalogue/option_bits.h"
#include "commands/command.h"

KARVO_FUNKCJA(ZDKBajty, .Kod = 125, .Cialo = [] { ZapisBitowOpcji(3); });
