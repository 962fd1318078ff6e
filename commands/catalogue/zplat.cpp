// _ZPlat: names of forms of payment from the input lines (number, exactly 13 characters), one request per line.
#include "commands/catalogue/name_tables.h"

KARVO_FUNKCJA(ZPlat, .Kod = 110, .Cialo = ZapisNazw<KodRozkazu::ZapisPlatnosci, SZEROKOSC_PLATNOSCI>);
