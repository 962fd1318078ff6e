// _OOpak: the sales of the four packaging blocks, one line a record.
#include "commands/command.h"
#include "commands/sales/sales_records.h"

namespace {

constexpr uint8_t LiczbaBlokow = 4;
constexpr Rozkaz OdczytBloku{KodRozkazu::OdczytOpakowan, 1, 1, 178};  // up to 16 records and the end byte

// The lines of one block's records; false when a line could not be made or written.
bool LinieBloku(uint32_t) {
  const std::size_t rekordy = RekordyOdpowiedzi(OdczytBloku.DlugoscDrugiej - 1u, DlugoscRekorduSprzedazy);
  for (std::size_t i = 0; i < rekordy; ++i) {
    const std::size_t p = i * DlugoscRekorduSprzedazy;
    if (OdpowiedzByte(p) == KoniecRekordow) break;
    LiniaWyniku linia;
    if (!LiniaSprzedazy(OdpowiedzWordOdStarszego(p), Odpowiedz(p + 2), false, linia) || !linia.Zapisanie()) return false;
  }
  return true;
}

void OdczytOpakowanBlokami() {
  if (KasaTypu24Lub27()) return UstawBlad(RozkazNieobslugiwany);
  CialoOdczytuRekordow({.rozkaz = OdczytBloku, .Ostatni = LiczbaBlokow - 1, .Pierwszy = 0, .Linie = LinieBloku});
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OOpak, .Kod = 35, .Cialo = OdczytOpakowanBlokami);
