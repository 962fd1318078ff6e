// _OTSpMax: the sales of every goods number of the register's range, one line
// for each number that sold something.
#include "commands/catalogue/goods_access.h"
#include "commands/command.h"
#include "commands/sales/sales_records.h"

namespace {

constexpr Rozkaz OdczytTowaru{KodRozkazu::OdczytSprzedazyTowaru, 1, 2, 1 + DlugoscSprzedazyTowaru};

// A byte of the quantity (0 to 3) or of the amount (5 to 8) is not 0; the decimals byte does not count.
bool CokolwiekSprzedano() { return OdpowiedzLong(0) != 0 || OdpowiedzLong(5) != 0; }

uint32_t SprzedazNumeru(uint32_t numer, const ZakresTowarow&) {
  Parametry().Word(static_cast<uint16_t>(numer));
  WykonanieRozkazu(OdczytTowaru);
  LiniaWyniku linia;
  if (BrakBledu() && CokolwiekSprzedano() &&
      LiniaSprzedazy(static_cast<uint16_t>(numer), Odpowiedz(0), false, linia))
    linia.Zapisanie();
  // The number counts in 32 bits, so the range may end at 65535.
  return numer + 1;
}

void OdczytWszystkich() {
  ZakresTowarow zakres;
  if (OdczytanieZakresuTowarow(zakres)) PrzejscieTowarow(zakres, SprzedazNumeru);
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OTSpMax, .Kod = 37, .Cialo = OdczytWszystkich);
