// _ZBlok: writes the blocking byte of the goods listed in the input file
// (field 1 the goods number, field 2 the byte, passed through unchanged).
#include "commands/command.h"

namespace {

void ZapisBlokad() { CialoZapisuLiniami({{KodRozkazu::ZapisBlokadyTowaru, 1, 3, 1}, WordIBajtJakoParametry}); }

}  // namespace

KARVO_FUNKCJA(ZBlok, .Kod = 27, .Cialo = ZapisBlokad);
