// _OJednost: the 16 unit names, one line each: the unit number as two digits and its 4 characters.
#include "commands/catalogue/name_tables.h"

namespace {

constexpr uint8_t LICZBA_JEDNOSTEK = 16;

void LinieJednostek() {
  for (uint8_t n = 1; n <= LICZBA_JEDNOSTEK; ++n) {
    const uint8_t* nazwa = Odpowiedz((n - 1) * SZEROKOSC_JEDNOSTKI);
    if (!LiniaWyniku().Pole(Liczba(n, 2)).Pole(Znaki(nazwa, SZEROKOSC_JEDNOSTKI)).Zapisanie()) return;
  }
}

void OdczytJednostek() {
  CialoPojedynczejOdpowiedzi(
      {{KodRozkazu::OdczytJednostek, 1 + LICZBA_JEDNOSTEK * SZEROKOSC_JEDNOSTKI, 0, 0}, LinieJednostek});
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OJednost, .Kod = 15, .Cialo = OdczytJednostek);
