// _OSprzed: the sales per goods as a stream of records, appended to the output
// file one line a record (plain form 0xA2/0xA3, or 0xA1 with check bytes).
#include "commands/command.h"
#include "commands/sales/sales_records.h"

namespace {

// Appends the records of one answer; their count, or -1 when a record failed.
int DopisanieRekordow(std::size_t dlugosc, std::size_t bajtyDanych, bool zSuma) {
  const bool zeZnakiem = KasaTypu24Lub27();
  int ile = 0;
  for (std::size_t i = 0; i < RekordyOdpowiedzi(bajtyDanych, dlugosc); ++i) {
    const std::size_t p = i * dlugosc;
    if (OdpowiedzByte(p) == KoniecRekordow) break;
    if (zSuma && XorOdpowiedzi(p, DlugoscRekorduSprzedazy) != OdpowiedzByte(p + DlugoscRekorduSprzedazy)) {
      UstawBlad(NiezgodnoscDanych);
      return -1;
    }
    LiniaWyniku linia;
    if (!LiniaSprzedazy(OdpowiedzWordOdStarszego(p), Odpowiedz(p + 2), zeZnakiem, linia) || !DopisanieLinii(linia))
      return -1;
    ++ile;
  }
  return ile;
}

void OdczytSprzedazyTowarow() {
  ZamknieciePlikuWyniku();
  const bool zSuma = KasaRozszerzona();
  for (bool pierwsza = true;; pierwsza = false) {
    Rozkaz rozkaz = pierwsza ? PierwszaCzescBezSum : DalszaCzescBezSum;
    if (zSuma) {
      rozkaz = CzescZSumami;
      Parametry().Bajt(pierwsza ? WyborSprzedazy : WyborSprzedazy | DalszaCzesc);
    }
    WykonanieRozkazu(rozkaz);
    if (!BrakBledu()) break;
    const std::size_t dlugosc = DlugoscRekorduSprzedazy + (zSuma ? 1 : 0);
    const std::size_t bajtyDanych = (zSuma ? rozkaz.DlugoscDrugiej : rozkaz.DlugoscPierwszej) - 1u;
    const int ile = DopisanieRekordow(dlugosc, bajtyDanych, zSuma);
    if (!ZakonczenieDopisania() || ile <= 0) break;
  }
  OdmowaJakoNieobslugiwany();
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OSprzed, .Kod = 31, .NowyPlikWynikowy = 0, .Cialo = OdczytSprzedazyTowarow);
