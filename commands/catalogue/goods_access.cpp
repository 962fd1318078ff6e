#include "commands/catalogue/goods_access.h"

#include "commands/command.h"
#include "text/progress.h"

namespace {

// A range request: its 2-byte number from answer byte 0, or the default kept
// when the register refuses the request.
bool NumerZakresu(const Rozkaz& rozkaz, uint32_t& numer) {
  WykonanieRozkazu(rozkaz);
  if (JestBlad(OdmowaRozkazu)) {
    UstawBlad(BezBledu);
    return true;
  }
  if (!BrakBledu()) return false;
  numer = OdpowiedzWord(0);
  return true;
}

// The readout request of the family; false when a family T register refuses
// its own and the full layout is to be read instead.
bool OdczytWlasnymUkladem(RodzinaTowarow rodzina) {
  switch (rodzina) {
    case RodzinaTowarow::V: WykonanieRozkazu({OdczytTowaruVW, 0, 2, 32}); return true;
    case RodzinaTowarow::W: WykonanieRozkazu({OdczytTowaruVW, 0, 2, 33}); return true;
    case RodzinaTowarow::T:
      WykonanieRozkazu({OdczytTowaruT, 0, 2, 34});
      if (!JestBlad(OdmowaRozkazu)) return true;
      UstawBlad(BezBledu);
      return false;
    default: return false;
  }
}

// The answer in the model; the next number from the layouts that carry one.
bool TowarZOdpowiedzi(RodzinaTowarow rodzina, bool pelny, RekordTowaru& t, uint32_t& nastepny) {
  uint16_t numer = 0;
  if (pelny) {
    TowarZUkladuPelnego(Odpowiedz(0), t);
    return true;
  }
  if (rodzina == RodzinaTowarow::V) TowarZUkladuV(Odpowiedz(0), t, numer);
  if (rodzina == RodzinaTowarow::W) TowarZUkladuW(Odpowiedz(0), t, numer);
  const bool zgodny = rodzina != RodzinaTowarow::T || TowarZUkladuT(Odpowiedz(0), t, numer);
  nastepny = numer;
  if (!zgodny) UstawBlad(NiezgodnoscDanych);
  return zgodny;
}

}  // namespace

bool OdczytanieZakresuTowarow(ZakresTowarow& zakres) {
  zakres = {};
  if (KasaNorda() && !NumerZakresu({OdczytNajnizszegoNumeruV, 3, 0, 0}, zakres.Najnizszy)) return false;
  if (KasaWX() && !NumerZakresu({OdczytNajnizszegoNumeruW, 1, 0, 3}, zakres.Najnizszy)) return false;
  return NumerZakresu({OdczytNajwyzszegoNumeru, 3, 0, 0}, zakres.Najwyzszy);
}

uint32_t OdczytanieTowaru(uint32_t numer, const ZakresTowarow& zakres) {
  uint32_t nastepny = numer + 1;
  if (!zakres.Zawiera(numer)) return nastepny;
  const RodzinaTowarow rodzina = RodzinaTowarowKasy();
  Parametry().Word(static_cast<uint16_t>(numer));
  const bool pelny = !OdczytWlasnymUkladem(rodzina);
  if (pelny) WykonanieRozkazu({OdczytTowaru, 1, 2, 36});
  if (!BrakBledu()) {
    if (Sesja.BiezacyWynik == WYNIK_BRAK_TOWARU) UstawBlad(BezBledu);
    return nastepny;
  }
  RekordTowaru t;
  t.NumerTowaru = static_cast<uint16_t>(numer);
  if (!TowarZOdpowiedzi(rodzina, pelny, t, nastepny)) return nastepny;
  // Family W shows its fields as they come; the others only values within their ranges.
  UstawBlad(NieoczekiwanaOdpowiedz);
  if (rodzina != RodzinaTowarow::W && !WartosciTowaruWZakresie(t)) return nastepny;
  LiniaWyniku linia;
  LiniaTowaru(pelny ? RodzinaTowarow::S : rodzina, t, linia);
  UstawBlad(BezBledu);
  linia.Zapisanie();
  return nastepny;
}

void ZapisanieTowaru(const RekordTowaru& t) {
  const RodzinaTowarow rodzina = RodzinaTowarowKasy();
  const uint8_t ile = ParametryZapisuTowaru(rodzina, t);
  switch (rodzina) {
    case RodzinaTowarow::V: WykonanieRozkazu({ZapisTowaruVKasowanieWM, 0, ile, 1}); return;
    case RodzinaTowarow::W:
    case RodzinaTowarow::M: WykonanieRozkazu({ZapisTowaruWM, 0, ile, 1}); return;
    case RodzinaTowarow::T: WykonanieRozkazu({ZapisTowaruT, 0, ile, 1}); return;
    case RodzinaTowarow::S:
      WykonanieRozkazu({KasaDrugiejGeneracji() ? ZapisTowaruS : ZapisTowaruSStary, 1, ile, 1});
      return;
  }
}

uint32_t KasowanieTowaru(uint32_t numer) {
  Parametry().Word(static_cast<uint16_t>(numer));
  switch (RodzinaTowarowKasy()) {
    case RodzinaTowarow::W: WykonanieRozkazu({ZapisTowaruVKasowanieWM, 0, 2, 3}); break;
    case RodzinaTowarow::M: WykonanieRozkazu({ZapisTowaruVKasowanieWM, 0, 2, 1}); return numer + 1;
    case RodzinaTowarow::T: WykonanieRozkazu({KasowanieTowaruT, 0, 2, 3}); break;
    default:
      WykonanieRozkazu({KasaDrugiejGeneracji() ? KasowanieTowaruVS : KasowanieTowaruSStary, 1, 2, 1});
      return numer + 1;
  }
  return BrakBledu() ? OdpowiedzWord(0) : numer + 1;
}

void PrzejscieTowarow(const ZakresTowarow& zakres, uint32_t (*krok)(uint32_t, const ZakresTowarow&)) {
  ZakresPostepu(zakres.Najwyzszy >= zakres.Najnizszy ? zakres.Najwyzszy - zakres.Najnizszy + 1 : 0);
  uint32_t numer = zakres.Najnizszy;
  while (numer != 0 && numer <= zakres.Najwyzszy) {
    const uint32_t nastepny = krok(numer, zakres);
    if (!BrakBledu()) break;
    if (nastepny != 0 && nastepny <= numer) {
      UstawBlad(NieoczekiwanaOdpowiedz);
      break;
    }
    numer = nastepny;
  }
  if (Sesja.BiezacyWynik == WYNIK_POZA_POJEMNOSCIA) UstawBlad(BezBledu);
}
