// _KKasjer: deletes the cashiers whose numbers the input lines give.
#include "commands/cashdesk/cashier_records.h"

namespace {

void KasowanieKasjerow() { CialoZapisuLiniami({{KodRozkazu::KasowanieKasjera, 1, 1, 1}, BajtJakoParametr}); }

}  // namespace

KARVO_FUNKCJA(KKasjer, .Kod = 43, .Cialo = KasowanieKasjerow);
