// _OTSprzed: the sales of the goods numbers the input file lists, one line each.
#include "commands/command.h"
#include "commands/sales/sales_records.h"

namespace {

constexpr Rozkaz OdczytTowaru{KodRozkazu::OdczytSprzedazyTowaru, 1, 2, 1 + DlugoscSprzedazyTowaru};

void OdczytIZapis(uint16_t& numer) {
  WykonanieRozkazu(OdczytTowaru);
  LiniaWyniku linia;
  if (BrakBledu() && LiniaSprzedazy(numer, Odpowiedz(0), false, linia)) linia.Zapisanie();
}

void OdczytWymienionych() {
  uint16_t numer = 0;
  CialoZapisuLiniami({.rozkaz = OdczytTowaru, .Pola = NumerJakoParametr, .Wyslanie = OdczytIZapis}, numer);
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OTSprzed, .Kod = 36, .Cialo = OdczytWymienionych);
