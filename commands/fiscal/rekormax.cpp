// _RekorMax: the whole fiscal memory. The register reports its record count
// and the records 0 to count - 1 follow, one line each; the 'o' and 'p'
// registers dump their records as raw bytes instead: records 2076 to 2080,
// then 0 to 2075, then the first part of record 2076.
#include "commands/command.h"
#include "commands/fiscal/fiscal_records.h"

namespace {

void OdczytPamieciOP() {
  if (!OtwarcieWyjsciaSurowego()) return;
  for (uint16_t n = PierwszyRekordSpecjalny; n <= OstatniRekordSpecjalny && BrakBledu(); ++n) OdczytanieRekordu(n);
  for (uint16_t n = 0; n <= OstatniRekordOP && BrakBledu(); ++n) OdczytanieRekordu(n);
  if (BrakBledu()) OdczytanieRekordu(PoczatekRekordu2076);
}

void OdczytPamieci() {
  if (KasaOP()) return OdczytPamieciOP();
  WykonanieRozkazu({KodRozkazu::OdczytNumeruRekordu, 3, 0, 0});
  const uint16_t liczba = BrakBledu() ? OdpowiedzWord(0) : 0;
  for (uint32_t n = 0; n < liczba && BrakBledu(); ++n) OdczytanieRekordu(static_cast<uint16_t>(n));
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(RekorMax, .Kod = 318, .Cialo = OdczytPamieci);
