#include "commands/command_entry.h"

#include "commands/output_line.h"
#include "commands/parameters.h"
#include "datafiles/field_readers.h"
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

bool OtwarcieSesjiFunkcji(const OpisFunkcji& opis, const char* wejscie, const char* wyjscie) {
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
  if (!BrakBledu()) return false;
  // While the session opens a register that is waking up gets more tries.
  Sesja.OtwieranieSesji = 1;
  Sesja.PierwszyRozkaz = 1;
  RozpoczecieSesji();
  Sesja.OtwieranieSesji = 0;
  return BrakBledu();
}

uint8_t WykonanieFunkcji(const OpisFunkcji& opis, const char* wejscie, const char* wyjscie) {
  if (OtwarcieSesjiFunkcji(opis, wejscie, wyjscie) && opis.Cialo) opis.Cialo();
  ZakonczenieSesji();
  return Sesja.BiezacyWynik;
}

uint8_t ZamkniecieSesjiSekwencji() {
  if (BrakBledu()) OdlozenieRaportuSesji();
  ZakonczenieSesji();
  const uint8_t wynik = Sesja.BiezacyWynik;
  if (wynik != KodBledu(BezBledu))
    PrzywrocenieOdlozonegoRaportu();
  else
    UsuniecieOdlozonegoRaportu();
  return wynik;
}

uint8_t RaportSekwencji(const OpisFunkcji& opis, const char* wejscie, const char* plik, IndeksBledu blad) {
  const OpisFunkcji naPlikach = {.Kod = opis.Kod,
                                 .NowyPlikWynikowy = 0,
                                 .OdczytacNumerKasy = 0,
                                 .SprawdzacNumerKasy = 0,
                                 .OdczytacTypKasy = 0,
                                 .PolaczenieZKasa = 0,
                                 .Nazwa = opis.Nazwa};
  if (OtwarcieSesjiFunkcji(naPlikach, wejscie, nullptr)) {
    UstawBlad(blad);
    KopiowanieNapisu(Sesja.NazwyPlikowSesji[NazwaPlikuWyjsciowego], plik);
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
  // A record gives one line at most; the lines of a block are not known ahead.
  const uint32_t numery = odczyt.Ostatni >= odczyt.Pierwszy ? odczyt.Ostatni - odczyt.Pierwszy + 1 : 0;
  ZakresPostepu(odczyt.Linie ? 0 : numery);
  for (uint32_t numer = odczyt.Pierwszy; numer <= odczyt.Ostatni; ++numer) {
    if (odczyt.Parametry)
      odczyt.Parametry(numer);
    else
      Sesja.Wymiana.ObszarParametrow[0] = static_cast<uint8_t>(numer);
    WykonanieRozkazu(odczyt.rozkaz);
    if (!BrakBledu()) {
      const uint8_t wynik = Sesja.BiezacyWynik;
      if (wynik == odczyt.KodPominiecia && numer >= odczyt.PominiecieOd) {
        UstawBlad(BezBledu);
        continue;
      }
      if (wynik == odczyt.KodKoncaRekordow) UstawBlad(BezBledu);
      if (wynik == odczyt.KodBrakuTablicy) UstawBlad(RozkazNieobslugiwany);
      return;
    }
    if (odczyt.Linie) {
      if (!odczyt.Linie(numer)) return;
      continue;
    }
    LiniaWyniku linia;
    if (odczyt.Linia(numer, linia) && !linia.Zapisanie()) return;
  }
}

bool BajtJakoParametr(const char* linia) {
  uint8_t bajt = 0;
  if (!PoleByte(linia, 1, bajt)) return false;
  Parametry().Bajt(bajt);
  return true;
}

bool NumerJakoParametr(const char* linia, uint16_t& numer) {
  if (!PoleWord(linia, 1, numer)) return false;
  Parametry().Word(numer);
  return true;
}

bool WordJakoParametr(const char* linia) {
  uint16_t numer = 0;
  return NumerJakoParametr(linia, numer);
}

bool WordIBajtJakoParametry(const char* linia) {
  uint16_t numer = 0;
  uint8_t bajt = 0;
  if (!PoleWord(linia, 1, numer) || !PoleByte(linia, 2, bajt)) return false;
  Parametry().Word(numer).Bajt(bajt);
  return true;
}

bool PobranieLiniiDanych(Napis& linia, bool& przeczytano) {
  uint8_t zlaLinia = 0;
  if (!OdczytanoZPlikuLinieDanych(Sesja.UchwytWejscia, linia, &zlaLinia)) {
    if (zlaLinia)
      UstawBlad(BladLiniiWejscia);
    else if (!przeczytano)
      UstawBlad(BrakLiniiWejscia);
    return false;
  }
  przeczytano = true;
  UstawBlad(BladLiniiWejscia);
  return true;
}

bool DalszaLiniaDanych(bool tylkoPierwszaLinia) { return BrakBledu() && !tylkoPierwszaLinia; }
