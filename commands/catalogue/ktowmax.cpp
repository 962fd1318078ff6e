// _KTowMax: deletes every goods of the register. The Norda registers clear
// their catalogue with one request; the others delete number by number from
// the lowest, the next-number families skipping from goods to goods.
#include "commands/catalogue/goods_access.h"
#include "commands/command.h"

namespace {

// Parameters of the clearing request: the goods table, all of it.
constexpr uint8_t TABLICA_TOWAROW = 6, CALA_TABLICA = 1;

// A number without goods has nothing to delete: the run goes on past it, so a
// catalogue with gaps is deleted whole.
uint32_t Kasowanie(uint32_t numer, const ZakresTowarow&) {
  const uint32_t nastepny = KasowanieTowaru(numer);
  if (Sesja.BiezacyWynik == WYNIK_BRAK_TOWARU) UstawBlad(BezBledu);
  return nastepny;
}

void KasowanieKatalogu() {
  if (KasaNorda()) {
    Parametry().Bajt(TABLICA_TOWAROW).Bajt(CALA_TABLICA);
    WykonanieRozkazu({KodRozkazu::KasowanieWszystkichTowarow, 1, 2, 1});
    return;
  }
  ZakresTowarow zakres;
  if (OdczytanieZakresuTowarow(zakres)) PrzejscieTowarow(zakres, Kasowanie);
}

}  // namespace

KARVO_FUNKCJA(KTowMax, .Kod = 219, .Cialo = KasowanieKatalogu);
