// _KDBarkod: deletes the additional barcodes listed in field 1 of the input lines.
#include "commands/command.h"

namespace {

bool PolaKodu(const char* linia) {
  uint8_t kod[6]{};
  if (!PoleSzesciobajtowe(linia, 1, kod)) return false;
  Parametry().Bajty(kod, sizeof kod);
  return true;
}

void KasowanieKodow() { CialoZapisuLiniami({{KodRozkazu::KasowanieDodatkowegoKodu, 1, 6, 1}, PolaKodu}); }

}  // namespace

KARVO_FUNKCJA(KDBarkod, .Kod = 217, .NazwaWydruku = "_KDBarKod", .Cialo = KasowanieKodow);
