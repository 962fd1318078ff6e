// _ZDBarkod: additional barcodes from the input lines (goods number, barcode).
// A goods number from 65280 on could not be read back (its record would begin
// with the readout's end marker), nor could the all-zero record (it marks the
// table's end): both are refused with 19.
#include "commands/catalogue/barcode_link_records.h"

namespace {

bool PolaKodu(const char* linia) {
  DodatkowyKod kod;
  if (!PoleWord(linia, 1, kod.Towar) || !PoleSzesciobajtowe(linia, 2, kod.Kod)) return false;
  if (!WZakresie(kod.Towar, 0, NAJWYZSZY_TOWAR_TABELI)) return false;
  bool zerowy = kod.Towar == 0;
  for (uint8_t b : kod.Kod) zerowy = zerowy && b == 0;
  if (zerowy) {
    UstawBlad(WartoscPozaZakresem);
    return false;
  }
  DodatkowyKodDoParametrow(kod);
  return true;
}

void ZapisKodow() { CialoZapisuLiniami({{KodRozkazu::ZapisDodatkowegoKodu, 1, DLUGOSC_REKORDU_KODU, 1}, PolaKodu}); }

}  // namespace

KARVO_FUNKCJA(ZDBarkod, .Kod = 216, .NazwaWydruku = "_ZDBarKod", .Cialo = ZapisKodow);
