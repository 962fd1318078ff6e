// _OPlat: the names of the forms of payment, one line each (the number, the
// 13 characters): one by one on the new registers, as one table of two
// (Norda) or three names on the others.
#include "commands/catalogue/name_tables.h"

namespace {

constexpr uint8_t KONIEC_PLATNOSCI = WynikStatusuKasy(0x0F);  // 115: no such form of payment

bool LiniaZTablicy(uint32_t numer, LiniaWyniku& linia) {
  linia.Pole(Liczba(numer)).Pole(Znaki(Odpowiedz((numer - 1) * SZEROKOSC_PLATNOSCI), SZEROKOSC_PLATNOSCI));
  return true;
}

bool LiniaRekordu(uint32_t numer, LiniaWyniku& linia) {
  linia.Pole(Liczba(numer)).Pole(Znaki(Odpowiedz(0), SZEROKOSC_PLATNOSCI));
  return true;
}

uint8_t LiczbaWTablicy() { return KasaNorda() ? 2 : 3; }

void LinieTablicy() {
  for (uint8_t n = 1; n <= LiczbaWTablicy(); ++n) {
    LiniaWyniku linia;
    LiniaZTablicy(n, linia);
    if (!linia.Zapisanie()) return;
  }
}

// The type code test is the one the register families share: 't' and above, the Norda registers excepted.
void OdczytPlatnosci() {
  if (KasaNowa()) {
    CialoOdczytuRekordow(
        {{KodRozkazu::OdczytPlatnosci, 1, 1, 1 + SZEROKOSC_PLATNOSCI}, KONIEC_PLATNOSCI, LiniaRekordu});
    return;
  }
  const uint8_t dlugosc = static_cast<uint8_t>(1 + SZEROKOSC_PLATNOSCI * LiczbaWTablicy());
  CialoPojedynczejOdpowiedzi({{KodRozkazu::OdczytTablicyPlatnosci, dlugosc, 0, 0}, LinieTablicy});
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OPlat, .Kod = 19, .Cialo = OdczytPlatnosci);
