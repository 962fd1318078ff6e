// _KKasjer: deletes the cashiers whose numbers the input lines give.
#include "commands/cashdesk/cashier_records.h"

namespace {

bool NumerKasjera(const char* linia) {
  uint8_t numer = 0;
  if (!PoleByte(linia, 1, numer)) return false;
  Parametry().Bajt(numer);
  return true;
}

void KasowanieKasjerow() { CialoZapisuLiniami({{KasowanieKasjera, 1, 1, 1}, NumerKasjera}); }

}  // namespace

KARVO_FUNKCJA(KKasjer, .Kod = 43, .Cialo = KasowanieKasjerow);
