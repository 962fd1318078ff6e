// _ZPBarkod: the six barcode codes from the first data line, each field exactly two characters.
#include "commands/catalogue/barcode_link_records.h"

namespace {

bool PolaKodow(const char* linia) {
  Napis kody[LICZBA_KODOW]{};
  for (uint8_t i = 0; i < LICZBA_KODOW; ++i)
    if (!PoleTekst(linia, static_cast<uint8_t>(i + 1), 2, kody[i])) return false;
  Parametry parametry;
  for (const Napis& kod : kody) parametry.Tekst(kod, 2);
  return true;
}

void ZapisKodow() {
  CialoZapisuLiniami({.rozkaz = {KodRozkazu::ZapisTablicyKodow, 1, 2 * LICZBA_KODOW, 1},
                      .Pola = PolaKodow,
                      .TylkoPierwszaLinia = true});
}

}  // namespace

KARVO_FUNKCJA(ZPBarkod, .Kod = 222, .NazwaWydruku = "_ZPBarKod", .Cialo = ZapisKodow);
