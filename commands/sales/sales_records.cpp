#include "commands/sales/sales_records.h"

#include "commands/command.h"
#include "datafiles/data_files.h"
#include "platform/files.h"

namespace {

constexpr uint8_t StatusNieobslugiwany = 0x6C;  // 208: the register does not serve the request
// A quantity of d decimal places takes at most d + 3 characters ("-0." and
// the digits); a field part holds one character less than its buffer.
constexpr uint8_t NajwiecejMiejsc = sizeof(Fragment{}.Tekst) - 1 - 3;

}  // namespace

bool PierwszaCzescSprzedazyPusta(bool& pusta) {
  if (KasaRozszerzona()) {
    Parametry().Bajt(WyborSprzedazy);
    WykonanieRozkazu(CzescZSumami);
  } else {
    WykonanieRozkazu(PierwszaCzescBezSum);
  }
  pusta = OdpowiedzByte(0) == KoniecRekordow;
  return BrakBledu();
}

bool LiniaSprzedazy(uint16_t numer, const uint8_t* dane, bool zeZnakiem, LiniaWyniku& linia) {
  const uint8_t miejsca = dane[4];
  if (miejsca > NajwiecejMiejsc) {
    UstawBlad(NieoczekiwanaOdpowiedz);
    return false;
  }
  linia.Pole(Liczba(numer, 4))
      .Pole(LiczbaBajtowNaTekst(dane, 0, 3, miejsca, zeZnakiem))
      .Pole(LiczbaBajtowNaTekst(dane, 5, 8, 0, zeZnakiem));
  return true;
}

void ZamknieciePlikuWyniku() { ZamknieciePliku(&Sesja.UchwytWyjscia); }

bool DopisanieLinii(const LiniaWyniku& linia) {
  if (Sesja.UchwytWyjscia < 0 &&
      !OtwartoPlikDoDopisania(&Sesja.UchwytWyjscia, Sesja.NazwyPlikowSesji[NazwaPlikuWyjsciowego])) {
    UstawBlad(BladOtwarciaWyjscia);
    return false;
  }
  // The appended output file is the output file while it is open, so the line
  // is counted; its flush to the disk waits for the answer's last line.
  const uint8_t dopisywany = Sesja.NowyPlikWynikowy;
  Sesja.NowyPlikWynikowy = 1;
  const bool zapisano = linia.Zapisanie();
  Sesja.NowyPlikWynikowy = dopisywany;
  return zapisano;
}

bool ZakonczenieDopisania() {
  if (Sesja.UchwytWyjscia < 0) return true;
  const bool naDysku = platforma::SynchronizujPlik(Sesja.UchwytWyjscia);
  ZamknieciePlikuWyniku();
  if (naDysku) return true;
  if (BrakBledu()) UstawBlad(BladZapisuWyjscia);
  return false;
}

void OdmowaJakoNieobslugiwany() {
  if (JestBlad(OdmowaRozkazu) || Sesja.BiezacyWynik == WynikStatusuKasy(StatusNieobslugiwany))
    UstawBlad(RozkazNieobslugiwany);
}
