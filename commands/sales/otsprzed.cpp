// _OTSprzed: the sales of the goods numbers the input file lists, one line each.
#include "commands/command.h"
#include "commands/sales/sales_records.h"

namespace {

constexpr Rozkaz OdczytTowaru{OdczytSprzedazyTowaru, 1, 2, 1 + DlugoscSprzedazyTowaru};

uint16_t numer_ = 0;

bool NumerTowaru(const char* linia) {
  if (!PoleWord(linia, 1, numer_)) return false;
  Parametry().Word(numer_);
  return true;
}

void OdczytIZapis() {
  WykonanieRozkazu(OdczytTowaru);
  LiniaWyniku linia;
  if (BrakBledu() && LiniaSprzedazy(numer_, Odpowiedz(0), false, linia)) linia.Zapisanie();
}

void OdczytWymienionych() { CialoZapisuLiniami({.rozkaz = OdczytTowaru, .Pola = NumerTowaru, .Wyslanie = OdczytIZapis}); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OTSprzed, .Kod = 36, .Cialo = OdczytWymienionych);
