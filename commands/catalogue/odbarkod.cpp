// _ODBarkod: the additional barcodes, part by part. A part holds up to nine
// records and ends with the end marker; the all-zero record just before a
// marker ends the table. A part that ends before its ninth record without
// that last record has lost a record that began with 0xFF (a goods number
// from 65280 on) and everything after it in the part: the command reports 25
// instead of a success.
#include "commands/catalogue/barcode_link_records.h"

namespace {

constexpr uint8_t REKORDOW_W_CZESCI = 9;
constexpr Rozkaz ODCZYT_CZESCI = {OdczytDodatkowychKodow, 1, 2, 1 + REKORDOW_W_CZESCI * DLUGOSC_REKORDU_KODU + 1};

bool Znacznik(std::size_t rekord) { return OdpowiedzByte(rekord * DLUGOSC_REKORDU_KODU) == ZNACZNIK_KONCA_REKORDOW; }

bool RekordZerowy(std::size_t rekord) {
  for (std::size_t i = 0; i < DLUGOSC_REKORDU_KODU; ++i)
    if (OdpowiedzByte(rekord * DLUGOSC_REKORDU_KODU + i) != 0) return false;
  return true;
}

// The lines of one part; false when the readout ends here (the table's last
// record, a failed write, lost records).
bool LinieCzesci() {
  std::size_t rekord = 0;
  for (; rekord < REKORDOW_W_CZESCI && !Znacznik(rekord); ++rekord) {
    if (Znacznik(rekord + 1) && RekordZerowy(rekord)) return false;
    LiniaWyniku linia;
    LiniaDodatkowegoKodu(DodatkowyKodZOdpowiedzi(rekord * DLUGOSC_REKORDU_KODU), linia);
    if (!linia.Zapisanie()) return false;
  }
  if (rekord == REKORDOW_W_CZESCI) return true;
  UtraconeRekordy();
  return false;
}

void OdczytDodatkowychKodowKasy() {
  for (uint32_t czesc = 0; czesc <= 0xFFFF; ++czesc) {
    Parametry().Word(static_cast<uint16_t>(czesc));
    WykonanieRozkazu(ODCZYT_CZESCI);
    if (!BrakBledu() || !LinieCzesci()) return;
  }
  // Every part number answered without the table's end: not a register's answer.
  UstawBlad(NieoczekiwanaOdpowiedz);
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ODBarkod, .Kod = 215, .NazwaWydruku = "_ODBarKod", .Cialo = OdczytDodatkowychKodowKasy);
