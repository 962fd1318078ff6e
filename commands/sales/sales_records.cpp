#include "commands/sales/sales_records.h"

#include "commands/command.h"

namespace {

constexpr uint8_t StatusNieobslugiwany = 0x6C;  // 208: the register does not serve the request
// A quantity of d decimal places takes at most d + 3 characters ("-0." and
// the digits); a field part holds one character less than its buffer.
constexpr uint8_t NajwiecejMiejsc = sizeof(Fragment{}.Tekst) - 1 - 3;

}  // namespace

bool SprzedazZSumaKontrolna() {
  const uint8_t typ = Sesja.Urzadzenie.KodTypuKasy;
  return typ > 115 || ((typ == 103 || typ == 104) && Sesja.Urzadzenie.PodwersjaTypu > 1);
}

bool KasaStaraSprzedaz() { return Sesja.Urzadzenie.KodTypuKasy == 24 || Sesja.Urzadzenie.KodTypuKasy == 27; }

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

bool OtwarcieDoDopisania() {
  if (OtwartoPlik(&Sesja.UchwytWyjscia, Sesja.NazwyPlikowSesji[NazwaPlikuWyjsciowego], 2)) return true;
  UstawBlad(BladOtwarciaWyjscia);
  return false;
}

// The appended file is the output file while it is open, so each line is
// counted and flushed to the disk as it is written.
bool DopisanieLinii(const LiniaWyniku& linia) { return linia.Zapisanie(); }

void ZamkniecieDopisania() { ZamknieciePlikuWyniku(); }

bool DopisanieDoWyniku(const LiniaWyniku& linia) {
  if (!OtwarcieDoDopisania()) return false;
  const bool zapisano = DopisanieLinii(linia);
  ZamkniecieDopisania();
  return zapisano;
}

void OdmowaJakoNieobslugiwany() {
  if (JestBlad(OdmowaRozkazu) || Sesja.BiezacyWynik == WynikStatusuKasy(StatusNieobslugiwany))
    UstawBlad(RozkazNieobslugiwany);
}
