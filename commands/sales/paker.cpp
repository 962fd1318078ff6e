// _Paker: the data lines of the input file copied to the output file, without
// its comment lines (and without the lines _Sorter has turned into comments).
#include "commands/command.h"

namespace {

// After a read that found no data line: true when it stopped at an empty
// line, which is skipped (the lines after it are still copied).
bool PustaLinia() { return !Moje_feof(Sesja.UchwytWejscia) && Sesja.LiniaZakonczona; }

void Pakowanie() {
  for (;;) {
    Napis linia{};
    uint8_t zlaLinia = 0;
    if (OdczytanoZPlikuLinieDanych(Sesja.UchwytWejscia, linia, &zlaLinia)) {
      if (!ZapisanoDoPlikuLinieDanych(Sesja.UchwytWyjscia, linia)) return UstawBlad(BladZapisuWyjscia);
      continue;
    }
    if (zlaLinia) return UstawBlad(BladLiniiWejscia);
    if (Moje_feof(Sesja.UchwytWejscia)) return;
    // Not at the end: an empty line, or one longer than a line may be.
    if (!PustaLinia()) return UstawBlad(BladLiniiWejscia);
  }
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(Paker, .Kod = 33, .PolaczenieZKasa = 0, .Cialo = Pakowanie);
