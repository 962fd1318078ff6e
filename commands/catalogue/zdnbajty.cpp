// _ZDNBajty: bits of option set 2 set or cleared from the input lines, then the set written back.
#include "commands/catalogue/option_bits.h"
#include "commands/command.h"

KARVO_FUNKCJA(ZDNBajty, .Kod = 127, .Cialo = [] { ZapisBitowOpcji(2); });
