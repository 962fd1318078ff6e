#include "commands/command_entry.h"

#include "commands/output_line.h"
#include "include/karvo.h"
#include "protocol/engine.h"
#include "protocol/identification_text.h"
#include "session/configuration.h"
#include "session/report_log.h"
#include "session/session_open.h"
#include "state/result_codes.h"
#include "state/session_state.h"
#include "text/codecs.h"
#include "text/progress.h"

uint8_t WykonanieFunkcji(const OpisFunkcji& opis, const char* wejscie, const char* wyjscie) {
  // An inner command of a sequence: the report of the one before goes to the log first.
  DopisanieOstatniegoRaportu();
  ZerowanieDanychSesji();
  DopisanieNapisu(Sesja.NazwyPlikowSesji[NazwaFunkcji], opis.Nazwa + 1);  // without the underscore
  if (wejscie) DopisanieNapisu(Sesja.NazwyPlikowSesji[NazwaPlikuWejsciowego], wejscie);
  if (wyjscie) DopisanieNapisu(Sesja.NazwyPlikowSesji[NazwaPlikuWyjsciowego], wyjscie);
  Sesja.JestPlikWynikowy = opis.JestPlikWynikowy;
  Sesja.NowyPlikWynikowy = opis.NowyPlikWynikowy;
  Sesja.OdczytacNumerKasy = opis.OdczytacNumerKasy;
  Sesja.SprawdzacNumerKasy = opis.SprawdzacNumerKasy;
  Sesja.OdczytacTypKasy = opis.OdczytacTypKasy;
  Sesja.PolaczenieZKasa = opis.PolaczenieZKasa;
  Sesja.ZachowanieWyniku = opis.ZachowanieWyniku;
  Sesja.OdczytacPojemnoscPLU = 1;
  OdczytanieKonfiguracji();
  if (BrakBledu()) {
    // While the session opens a register that is waking up gets more tries.
    Sesja.OtwieranieSesji = 1;
    Sesja.PierwszyRozkaz = 1;
    RozpoczecieSesji();
    Sesja.OtwieranieSesji = 0;
    if (BrakBledu() && opis.Cialo) opis.Cialo();
  }
  ZakonczenieSesji();
  return Sesja.BiezacyWynik;
}

bool ZapisanieLiniiWyniku(const char* linia) {
  if (ZapisanoDoPlikuLinieDanych(Sesja.UchwytWyjscia, linia)) return true;
  UstawBlad(BladZapisuWyjscia);
  return false;
}

void CialoPojedynczejOdpowiedzi(const PojedynczaOdpowiedz& odczyt) {
  if (odczyt.Parametry) odczyt.Parametry();
  WykonanieRozkazu(odczyt.rozkaz);
  if (BrakBledu()) odczyt.Wiersze();
}

void CialoOdczytuRekordow(const OdczytRekordow& odczyt) {
  ZakresPostepu(odczyt.Ostatni);
  for (uint32_t numer = 1; numer <= odczyt.Ostatni; ++numer) {
    if (odczyt.Parametry)
      odczyt.Parametry(numer);
    else
      Sesja.Wymiana.ObszarParametrow[0] = static_cast<uint8_t>(numer);
    WykonanieRozkazu(odczyt.rozkaz);
    if (!BrakBledu()) {
      if (Sesja.BiezacyWynik == odczyt.KodKoncaRekordow) UstawBlad(BezBledu);
      return;
    }
    LiniaWyniku linia;
    if (odczyt.Linia(numer, linia) && !linia.Zapisanie()) return;
  }
}

void CialoZapisuLiniami(const ZapisLiniami& zapis) {
  bool przeczytano = false;
  for (;;) {
    Napis linia{};
    uint8_t zlaLinia = 0;
    if (!OdczytanoZPlikuLinieDanych(Sesja.UchwytWejscia, linia, &zlaLinia)) {
      if (zlaLinia)
        UstawBlad(BladLiniiWejscia);
      else if (!przeczytano)
        UstawBlad(BrakLiniiWejscia);
      return;
    }
    przeczytano = true;
    UstawBlad(BladLiniiWejscia);
    if (zapis.Pola(linia)) {
      UstawBlad(BezBledu);
      if (zapis.Wyslanie)
        zapis.Wyslanie();
      else
        WykonanieRozkazu(zapis.rozkaz);
    }
    if (!BrakBledu() || zapis.TylkoPierwszaLinia) return;
  }
}
