// _ZUprKas: the rights of cashiers from the input lines (number, then the
// flags of bits 3 to 7): the cashier is read and its flag byte written back
// with those five bits as the line gives them.
#include "commands/cashdesk/cashier_records.h"

namespace {

uint8_t numer = 0;
uint8_t uprawnienia[std::size(BITY_UPRAWNIEN)] = {};

bool PolaUprawnien(const char* linia) {
  if (!PoleByte(linia, 1, numer)) return false;
  for (uint8_t i = 0; i < std::size(uprawnienia); ++i)
    if (!PoleBoolean(linia, static_cast<uint8_t>(2 + i), uprawnienia[i])) return false;
  return true;
}

void ZapisUprawnien() {
  if (!OdczytanieKasjera(numer)) return;
  uint8_t bajt = FlagiKasjera();
  for (uint8_t i = 0; i < std::size(BITY_UPRAWNIEN); ++i) bajt = ZFlaga(bajt, BITY_UPRAWNIEN[i], uprawnienia[i]);
  Parametry().Bajt(numer).Bajt(bajt);
  WykonanieRozkazu(ZAPIS_FLAG_KASJERA);
}

void ZapisUprawnienKasjerow() { CialoZapisuLiniami({ZAPIS_FLAG_KASJERA, PolaUprawnien, ZapisUprawnien}); }

}  // namespace

KARVO_FUNKCJA(ZUprKas, .Kod = 45, .Cialo = ZapisUprawnienKasjerow);
