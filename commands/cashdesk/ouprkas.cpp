// _OUprKas: the cashiers' rights, one line per cashier: number (at least two
// digits), then the flag fields of bits 3 to 7.
#include "commands/cashdesk/cashier_records.h"

namespace {

bool LiniaUprawnien(uint32_t numer, LiniaWyniku& linia) {
  linia.Pole(Liczba(numer, 2));
  for (uint8_t bit : BITY_UPRAWNIEN) linia.Pole(PoleFlagi(FlagiKasjera(), bit));
  return true;
}

void OdczytUprawnien() { CialoOdczytuRekordow(OdczytTablicyKasjerow(LiniaUprawnien)); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OUprKas, .Kod = 44, .Cialo = OdczytUprawnien);
