// _OOpak: the sales of the four packaging blocks, one line a record.
#include "commands/command.h"
#include "commands/sales/sales_records.h"

namespace {

constexpr uint8_t LiczbaBlokow = 4;
constexpr Rozkaz OdczytBloku{OdczytOpakowan, 1, 1, 178};  // up to 16 records and the end byte

void OdczytOpakowanBlokami() {
  if (KasaTypu24Lub27()) return UstawBlad(RozkazNieobslugiwany);
  for (uint8_t blok = 0; blok < LiczbaBlokow; ++blok) {
    Parametry().Bajt(blok);
    WykonanieRozkazu(OdczytBloku);
    if (!BrakBledu()) return;
    const std::size_t rekordy = RekordyOdpowiedzi(OdczytBloku.DlugoscDrugiej - 1u, DlugoscRekorduSprzedazy);
    for (std::size_t i = 0; i < rekordy; ++i) {
      const std::size_t p = i * DlugoscRekorduSprzedazy;
      if (OdpowiedzByte(p) == KoniecRekordow) break;
      LiniaWyniku linia;
      if (!LiniaSprzedazy(OdpowiedzWordOdStarszego(p), Odpowiedz(p + 2), false, linia) || !linia.Zapisanie()) return;
    }
  }
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OOpak, .Kod = 35, .Cialo = OdczytOpakowanBlokami);
