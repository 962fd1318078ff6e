// _OPBarkod: the six two-character barcode codes, as one line of six fields.
#include "commands/catalogue/barcode_link_records.h"

namespace {

void LiniaKodow() {
  LiniaWyniku linia;
  for (uint8_t i = 0; i < LICZBA_KODOW; ++i) linia.Pole(Znaki(Odpowiedz(2 * i), 2));
  linia.Zapisanie();
}

void OdczytKodow() {
  CialoPojedynczejOdpowiedzi({{KodRozkazu::OdczytTablicyKodow, 1 + 2 * LICZBA_KODOW, 0, 0}, LiniaKodow});
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OPBarkod, .Kod = 221, .NazwaWydruku = "_OPBarKod", .Cialo = OdczytKodow);
