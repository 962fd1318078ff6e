// _OUprKas: the cashiers' rights, one line per cashier: number (at least two
// digits), then the flag fields of bits 3 to 7.
#include "commands/cashdesk/cashier_records.h"

namespace {

bool LiniaUprawnien(uint32_t numer, LiniaWyniku& linia) {
  linia.Pole(Liczba(numer, 2));
  for (uint8_t bit : BITY_UPRAWNIEN) linia.Pole(PoleFlagi(FlagiKasjera(), bit));
  return true;
}

// A missing cashier is skipped; the end of the table ends the readout with 0.
void OdczytUprawnien() {
  CialoOdczytuRekordow(
      {.rozkaz = ODCZYT_KASJERA, .KodKoncaRekordow = KONIEC_KASJEROW, .Linia = LiniaUprawnien, .KodPominiecia = BRAK_KASJERA});
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OUprKas, .Kod = 44, .Cialo = OdczytUprawnien);
