// _ZUprKas: the rights of cashiers from the input lines (number, then the
// flags of bits 3 to 7): the cashier is read and its flag byte written back
// with those five bits as the line gives them.
#include "commands/cashdesk/cashier_records.h"

namespace {

struct Uprawnienia {
  uint8_t Numer = 0;
  uint8_t Bity[std::size(BITY_UPRAWNIEN)] = {};
};

bool PolaUprawnien(const char* linia, Uprawnienia& u) {
  if (!PoleByte(linia, 1, u.Numer)) return false;
  for (uint8_t i = 0; i < std::size(u.Bity); ++i)
    if (!PoleBoolean(linia, static_cast<uint8_t>(2 + i), u.Bity[i])) return false;
  return true;
}

void ZapisUprawnien(Uprawnienia& u) {
  ZapisanieFlagKasjera(u.Numer, BITY_UPRAWNIEN, u.Bity, std::size(BITY_UPRAWNIEN));
}

void ZapisUprawnienKasjerow() {
  Uprawnienia u;
  CialoZapisuLiniami({ZAPIS_FLAG_KASJERA, PolaUprawnien, ZapisUprawnien}, u);
}

}  // namespace

KARVO_FUNKCJA(ZUprKas, .Kod = 45, .Cialo = ZapisUprawnienKasjerow);
