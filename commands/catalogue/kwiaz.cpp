// _KWiaz: deletes the links of the goods numbers in field 1 (low byte first).
#include "commands/command.h"

namespace {

void KasowanieWiazan() { CialoZapisuLiniami({{KodRozkazu::KasowanieWiazania, 1, 2, 1}, WordJakoParametr}); }

}  // namespace

KARVO_FUNKCJA(KWiaz, .Kod = 211, .Cialo = KasowanieWiazan);
