// _ZBajty: bits of option set 0 set or cleared from the input lines, then the set written back.
#include "commands/catalogue/option_bits.h"
#include "commands/command.h"

KARVO_FUNKCJA(ZBajty, .Kod = 12, .Cialo = [] { ZapisBitowOpcji(0); });
