// The periodic readout engine: the nine modes as a table, the walk over the
// records of an answer with their check bytes, and the appending of lines.
#include "commands/sales/periodic_readout.h"

#include "commands/command.h"
#include "commands/sales/sales_records.h"

namespace {

constexpr uint8_t DalszaCzesc = 0x80;  // 0xA1: the next part of the list
constexpr int BezWyboru = -1;

// One mode: its requests, record length, the records an answer holds, and
// whether each record ends with a check byte.
struct OpisTrybu {
  uint8_t kodOtwarcia, kodDalszy;
  int wybor;  // parameter byte 0 of 0xA1 for the opening (the continuation adds 0x80)
  uint8_t dlugosc;
  uint8_t wOdpowiedzi;
  bool suma;
};

constexpr OpisTrybu Tryby[LiczbaTrybow] = {
    {OdczytOkresowejSprzedazy, OdczytDalszejOkresowejSprzedazy, BezWyboru, 16, 4, false},
    {OdczytOkresowejSprzedazyRozszerzonej, OdczytDalszejOkresowejSprzedazyRozszerzonej, BezWyboru, 20, 3, false},
    {OdczytOkresowejSprzedazyDlugiej, OdczytDalszejOkresowejSprzedazyDlugiej, BezWyboru, 29, 3, false},
    {OdczytRekordowZSuma, OdczytRekordowZSuma, 0x00, 17, 4, true},
    {OdczytRekordowZSuma, OdczytRekordowZSuma, 0x01, 21, 3, true},
    {OdczytRekordowZSuma, OdczytRekordowZSuma, 0x02, 30, 3, true},
    {OdczytRekordowZSuma, OdczytRekordowZSuma, 0x03, 38, 3, true},
    {OdczytRekordowZSuma, OdczytRekordowZSuma, 0x10, 12, 3, true},
    {OdczytRekorduSprzedazyZArgumentem, OdczytRekorduSprzedazyZArgumentem, BezWyboru, 38, 1, true},
};

// Mode 5 records are 33 bytes on the Norda registers.
uint8_t DlugoscRekordu(TrybOkresowy tryb) {
  return tryb == TrybD6_Suma && KasaNorda() ? 33 : Tryby[tryb].dlugosc;
}

// Mode 8 asks for a record by its position in the stream: the records this
// readout has written so far, 0 for the opening.
std::size_t pozycja_ = 0;

// The request of a mode and phase; its parameters are filled.
Rozkaz Zadanie(bool otwarcie, TrybOkresowy tryb) {
  const OpisTrybu& t = Tryby[tryb];
  const uint8_t r = DlugoscRekordu(tryb);
  const uint8_t dlugosc = static_cast<uint8_t>(r * t.wOdpowiedzi + 2);  // status or acknowledgement, records, end byte
  if (tryb == TrybNumerowany) {
    if (otwarcie) pozycja_ = 0;
    Parametry().Word(static_cast<uint16_t>(pozycja_));
    return {t.kodOtwarcia, 1, 2, dlugosc};
  }
  if (t.wybor != BezWyboru) {
    Parametry().Bajt(static_cast<uint8_t>(otwarcie ? t.wybor : t.wybor | DalszaCzesc));
    return {t.kodOtwarcia, 1, 1, dlugosc};
  }
  return {otwarcie ? t.kodOtwarcia : t.kodDalszy, dlugosc, 0, 0};
}

}  // namespace

std::size_t PobranieRekordowOkresowych(bool otwarcie, TrybOkresowy tryb) {
  const OpisTrybu& t = Tryby[tryb];
  const Rozkaz rozkaz = Zadanie(otwarcie, tryb);
  WykonanieRozkazu(rozkaz);
  if (!BrakBledu()) return 0;
  const std::size_t r = DlugoscRekordu(tryb);
  const std::size_t dane = r - (t.suma ? 1 : 0);
  const std::size_t bajty = (rozkaz.DlugoscDrugiej ? rozkaz.DlugoscDrugiej : rozkaz.DlugoscPierwszej) - 1u;
  std::size_t ile = 0;
  for (std::size_t i = 0; i < RekordyOdpowiedzi(bajty, r); ++i) {
    const std::size_t p = i * r;
    if (OdpowiedzByte(p) == KoniecRekordow) break;
    if (t.suma && XorOdpowiedzi(p, dane) != OdpowiedzByte(p + dane)) {
      UstawBlad(NiezgodnoscDanych);
      break;
    }
    if (!ZapisanieRekorduOkresowego(tryb, Odpowiedz(p), r, dane)) break;
    ++ile;
    ++pozycja_;
  }
  if (!ZakonczenieDopisania()) return 0;
  return ile;
}

void OdczytOkresowy(TrybOkresowy tryb) {
  ZamknieciePlikuWyniku();
  PobranieRekordowOkresowych(true, tryb);
  if (!BrakBledu()) return;
  while (PobranieRekordowOkresowych(false, tryb) != 0 && BrakBledu()) {
  }
}
