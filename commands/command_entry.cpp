#include "commands/command_entry.h"

#include "include/karvo.h"
#include "protocol/engine.h"
#include "protocol/identification_text.h"
#include "session/configuration.h"
#include "session/result_codes.h"
#include "session/session_open.h"
#include "session/session_state.h"

uint8_t WykonanieFunkcji(const OpisFunkcji& opis, const char* wejscie, const char* wyjscie, void (*cialo)()) {
  ZerowanieDanychSesji();
  DopisanieDoNapisu(Sesja.NazwyPlikowSesji[NazwaFunkcji], opis.Nazwa);
  if (wejscie) DopisanieDoNapisu(Sesja.NazwyPlikowSesji[NazwaPlikuWejsciowego], wejscie);
  if (wyjscie) DopisanieDoNapisu(Sesja.NazwyPlikowSesji[NazwaPlikuWyjsciowego], wyjscie);
  Sesja.JestPlikWynikowy = opis.JestPlikWynikowy;
  Sesja.NowyPlikWynikowy = opis.NowyPlikWynikowy;
  Sesja.OdczytacNumerKasy = opis.OdczytacNumerKasy;
  Sesja.SprawdzacNumerKasy = opis.SprawdzacNumerKasy;
  Sesja.OdczytacTypKasy = opis.OdczytacTypKasy;
  Sesja.PolaczenieZKasa = opis.PolaczenieZKasa;
  Sesja.OdczytacPojemnoscPLU = 1;
  OdczytanieKonfiguracji();
  if (BrakBledu()) {
    // While the session opens a register that is waking up gets more tries.
    Sesja.OtwieranieSesji = 1;
    Sesja.PierwszyRozkaz = 1;
    RozpoczecieSesji();
    Sesja.OtwieranieSesji = 0;
    if (BrakBledu() && cialo) cialo();
  }
  ZakonczenieSesji();
  return Sesja.BiezacyWynik;
}

void Wykonanie(const Rozkaz& r) { WykonanieRozkazu(r.Kod, r.DlugoscPierwszej, r.LiczbaParametrow, r.DlugoscDrugiej); }

bool ZapisanieLiniiWyniku(const char* linia) {
  if (ZapisanoDoPlikuLinieDanych(Sesja.UchwytWyjscia, linia)) return true;
  UstawBlad(17);
  return false;
}

void CialoPojedynczejOdpowiedzi(const Rozkaz& rozkaz, void (*parametry)(), void (*wiersze)()) {
  if (parametry) parametry();
  Wykonanie(rozkaz);
  if (BrakBledu()) wiersze();
}

void CialoOdczytuRekordow(const OdczytRekordow& odczyt) {
  for (uint32_t numer = 1; numer <= odczyt.Ostatni; ++numer) {
    if (odczyt.Parametry)
      odczyt.Parametry(numer);
    else
      Sesja.Wymiana.ObszarParametrow[0] = static_cast<uint8_t>(numer);
    Wykonanie(odczyt.rozkaz);
    if (!BrakBledu()) {
      if (Sesja.BiezacyWynik == odczyt.KodKoncaRekordow) UstawBlad(0);
      return;
    }
    Napis linia{};
    if (odczyt.Linia(numer, linia) && !ZapisanieLiniiWyniku(linia)) return;
  }
}

void CialoZapisuLiniami(const ZapisLiniami& zapis) {
  bool przeczytano = false;
  for (;;) {
    Napis linia{};
    uint8_t zlaLinia = 0;
    if (!OdczytanoZPlikuLinieDanych(Sesja.UchwytWejscia, linia, &zlaLinia)) {
      if (zlaLinia)
        UstawBlad(11);
      else if (!przeczytano)
        UstawBlad(10);
      return;
    }
    przeczytano = true;
    UstawBlad(11);
    if (zapis.Pola(linia)) {
      UstawBlad(0);
      if (zapis.Wyslanie)
        zapis.Wyslanie();
      else
        Wykonanie(zapis.rozkaz);
    }
    if (!BrakBledu() || zapis.TylkoPierwszaLinia) return;
  }
}
