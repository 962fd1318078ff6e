// _ZGrupa: group names from the input lines (number, exactly 19 characters), one request per line.
#include "commands/catalogue/name_tables.h"

KARVO_FUNKCJA(ZGrupa, .Kod = 18, .Cialo = ZapisNazw<KodRozkazu::ZapisGrupy, SZEROKOSC_GRUPY>);
