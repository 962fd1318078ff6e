// _OPojemn: containers 2 to 64, one line each: number (at least two digits),
// name (zero bytes left out), deposit value. Container 1 is not read; the
// table has no end-of-records answer, so the first refusal ends the command
// with its ResultCode.
#include "commands/cashdesk/container_records.h"

namespace {

constexpr uint8_t PIERWSZY = 2, OSTATNI = 64;
constexpr Rozkaz ODCZYT{KodRozkazu::OdczytPojemnika, 1, 1, 1 + SZEROKOSC_NAZWY_POJEMNIKA + 2};

bool LiniaPojemnika(uint32_t numer, LiniaWyniku& linia) {
  linia.Pole(Liczba(numer, 2)).PoleBezZer(Odpowiedz(0), SZEROKOSC_NAZWY_POJEMNIKA);
  linia.Pole(Liczba(OdpowiedzWord(SZEROKOSC_NAZWY_POJEMNIKA)));
  return true;
}

void OdczytPojemnikow() {
  if (KasaMaPojemniki())
    CialoOdczytuRekordow({.rozkaz = ODCZYT, .Linia = LiniaPojemnika, .Ostatni = OSTATNI, .Pierwszy = PIERWSZY});
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OPojemn, .Kod = 51, .Cialo = OdczytPojemnikow);
