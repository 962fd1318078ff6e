// _ZPojemn: containers from the input lines (number, a name of exactly 19
// characters, a deposit value that fits 16 bits), one write each.
#include "commands/cashdesk/container_records.h"

namespace {

bool PolaPojemnika(const char* linia) {
  uint8_t numer = 0;
  uint16_t kaucja = 0;
  Napis nazwa{};
  if (!PoleByte(linia, 1, numer) || !PoleTekst(linia, 2, SZEROKOSC_NAZWY_POJEMNIKA, nazwa) ||
      !PoleWord(linia, 3, kaucja))
    return false;
  Parametry().Bajt(numer).Tekst(nazwa, SZEROKOSC_NAZWY_POJEMNIKA).Word(kaucja);
  return true;
}

void ZapisPojemnikow() {
  if (KasaMaPojemniki())
    CialoZapisuLiniami({{KodRozkazu::ZapisPojemnika, 1, 1 + SZEROKOSC_NAZWY_POJEMNIKA + 2, 1}, PolaPojemnika});
}

}  // namespace

KARVO_FUNKCJA(ZPojemn, .Kod = 52, .Cialo = ZapisPojemnikow);
