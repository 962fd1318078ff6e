// _OObrRab: the discount turnover totals, one line of two or three values.
#include "commands/command.h"
#include "commands/sales/sales_records.h"

namespace {

constexpr std::size_t BajtySumy = 5;

// Three totals on the second-generation registers other than Veko's (100 and 101), two on the others.
uint8_t LiczbaSum() { return KasaDrugiejGeneracjiBezVeko() ? 3 : 2; }

void OdczytSum() {
  if (KasaTypu24Lub27()) return UstawBlad(RozkazNieobslugiwany);
  const uint8_t ile = LiczbaSum();
  WykonanieRozkazu({KodRozkazu::OdczytObrotuRabatow, static_cast<uint8_t>(BajtySumy * ile + 1), 0, 0});
  if (!BrakBledu()) return;
  LiniaWyniku linia;
  for (uint8_t i = 0; i < ile; ++i) linia.Pole(Liczba(OdpowiedzLiczba(BajtySumy * i, BajtySumy)));
  linia.Zapisanie();
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OObrRab, .Kod = 38, .Cialo = OdczytSum);
