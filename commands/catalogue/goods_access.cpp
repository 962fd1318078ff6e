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

// The request of a family's row: the older registers' code where the row has one.
Rozkaz Wedlug(Rozkaz rozkaz, KodRozkazu kodStary) {
  if (kodStary != KodRozkazu{} && !KasaDrugiejGeneracji()) rozkaz.Kod = kodStary;
  return rozkaz;
}

}  // namespace

bool OdczytanieZakresuTowarow(ZakresTowarow& zakres) {
  zakres = {};
  const Rozkaz& najnizszy = RodzinaKasy().Najnizszy;
  if (najnizszy.Kod != KodRozkazu{} && !NumerZakresu(najnizszy, zakres.Najnizszy)) return false;
  return NumerZakresu({KodRozkazu::OdczytNajwyzszegoNumeru, 3, 0, 0}, zakres.Najwyzszy);
}

uint32_t OdczytanieTowaru(uint32_t numer, const ZakresTowarow& zakres) {
  uint32_t nastepny = numer + 1;
  if (!zakres.Zawiera(numer)) return nastepny;
  const OpisRodzinyTowarow& rodzina = RodzinaKasy();
  Parametry().Word(static_cast<uint16_t>(numer));
  bool wlasny = rodzina.ZOdpowiedzi != nullptr;
  if (wlasny) {
    WykonanieRozkazu(rodzina.Odczyt);
    if (rodzina.PelnyPoOdmowie && JestBlad(OdmowaRozkazu)) {
      UstawBlad(BezBledu);
      wlasny = false;
    }
  }
  const OpisRodzinyTowarow& uklad = wlasny ? rodzina : OpisRodziny(RodzinaTowarow::S);
  if (!wlasny) WykonanieRozkazu(uklad.Odczyt);
  if (!BrakBledu()) {
    if (Sesja.BiezacyWynik == WYNIK_BRAK_TOWARU) UstawBlad(BezBledu);
    return nastepny;
  }
  RekordTowaru t;
  t.NumerTowaru = static_cast<uint16_t>(numer);
  if (wlasny) {
    uint16_t dalej = 0;
    const bool zgodny = rodzina.ZOdpowiedzi(Odpowiedz(0), t, dalej);
    nastepny = dalej;
    if (!zgodny) {
      UstawBlad(NiezgodnoscDanych);
      return nastepny;
    }
  } else {
    TowarZUkladuPelnego(Odpowiedz(0), t);
  }
  // Some families show their fields as they come; the others only values within their ranges.
  UstawBlad(NieoczekiwanaOdpowiedz);
  if (!(wlasny && rodzina.BezSprawdzenia) && !WartosciTowaruWZakresie(t)) return nastepny;
  LiniaWyniku linia;
  LiniaTowaru(uklad.Rodzina, t, linia);
  UstawBlad(BezBledu);
  linia.Zapisanie();
  return nastepny;
}

void ZapisanieTowaru(const RekordTowaru& t) {
  const OpisRodzinyTowarow& rodzina = RodzinaKasy();
  Rozkaz zapis = Wedlug(rodzina.Zapis, rodzina.ZapisStary);
  zapis.LiczbaParametrow = ParametryZapisuTowaru(rodzina.Rodzina, t);
  WykonanieRozkazu(zapis);
}

uint32_t KasowanieTowaru(uint32_t numer) {
  const OpisRodzinyTowarow& rodzina = RodzinaKasy();
  Parametry().Word(static_cast<uint16_t>(numer));
  WykonanieRozkazu(Wedlug(rodzina.Kasowanie, rodzina.KasowanieStare));
  return rodzina.NastepnyPoKasowaniu && BrakBledu() ? OdpowiedzWord(0) : numer + 1;
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
