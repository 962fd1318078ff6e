// _ZJednost: unit names from the input lines (number, exactly 4 characters), one request per line.
#include "commands/catalogue/name_tables.h"

KARVO_FUNKCJA(ZJednost, .Kod = 16, .Cialo = ZapisNazw<KodRozkazu::ZapisJednostki, SZEROKOSC_JEDNOSTKI>);
