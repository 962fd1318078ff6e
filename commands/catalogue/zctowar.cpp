// _ZCTowar: writes only the group, unit, barcode and price of the goods of
// the input file, with one request on every register family; the line takes
// any of the four goods line variants, whose other fields are checked but not sent.
#include "commands/catalogue/goods_record.h"
#include "commands/command.h"

namespace {

bool PolaTowaru(const char* linia, uint8_t& wariant) {
  RekordTowaru t;
  if (!OdczytanieLiniiTowaru(linia, wariant, t)) return false;
  Parametry().Word(t.NumerTowaru).Bajt(t.NumerGrupy).Bajt(t.NumerJednostki).Bajty(t.KodKreskowy, 6).Long(t.Cena);
  return true;
}

void ZapisCen() {
  uint8_t wariant = 0;
  CialoZapisuLiniami({{KodRozkazu::ZapisCenyTowaru, 1, 14, 1}, PolaTowaru}, wariant);
}

}  // namespace

KARVO_FUNKCJA(ZCTowar, .Kod = 25, .Cialo = ZapisCen);
