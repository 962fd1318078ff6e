// _OKasjer: the cashier table, one line per cashier: number (at least two
// digits), name, password, then the flag fields (bits 1 and 2; on the Norda
// registers bits 1, 3, 4, 5 and 7).
#include "commands/cashdesk/cashier_records.h"

namespace {

constexpr uint8_t BITY_ZWYKLE[] = {1, 2};
constexpr uint8_t BITY_NORDA[] = {1, 3, 4, 5, 7};

template <std::size_t N>
void PolaFlag(LiniaWyniku& linia, const uint8_t (&bity)[N]) {
  for (uint8_t bit : bity) linia.Pole(PoleFlagi(FlagiKasjera(), bit));
}

bool LiniaKasjera(uint32_t numer, LiniaWyniku& linia) {
  linia.Pole(Liczba(numer, 2)).PoleBezZer(Odpowiedz(0), SZEROKOSC_NAZWY_KASJERA);
  linia.PoleBezZer(Odpowiedz(SZEROKOSC_NAZWY_KASJERA), SZEROKOSC_HASLA);
  if (KasaNorda())
    PolaFlag(linia, BITY_NORDA);
  else
    PolaFlag(linia, BITY_ZWYKLE);
  return true;
}

void OdczytKasjerow() { CialoOdczytuRekordow(OdczytTablicyKasjerow(LiniaKasjera)); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OKasjer, .Kod = 41, .Cialo = OdczytKasjerow);
