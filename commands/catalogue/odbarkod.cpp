// _ODBarkod: the additional barcodes, part by part. A part holds up to nine
// records and ends with the end marker; a part may hold fewer (a register
// leaves gaps where barcodes were deleted), and the readout then goes on with
// the next part. The all-zero record just before a marker ends the table.
//
// Two records a register can hold cannot be told from the marker: the
// all-zero record (goods 0, barcode 0) as a part's last, which reads as the
// table's end, and the record of a goods number from 65280 on, whose first
// byte is the marker. On a direct line the rest of such a record still comes
// after the marker: the command then ends with 25. Over a communication
// module, which stops at the marker itself, the record and the rest of its
// part are lost unseen; _ZDBarkod refuses both kinds.
#include "commands/catalogue/barcode_link_records.h"

namespace {

constexpr uint8_t REKORDOW_W_CZESCI = 9;
constexpr Rozkaz ODCZYT_CZESCI = {KodRozkazu::OdczytDodatkowychKodow, 1, 2,
                                  1 + REKORDOW_W_CZESCI * DLUGOSC_REKORDU_KODU + 1};

bool Znacznik(std::size_t rekord) { return OdpowiedzByte(rekord * DLUGOSC_REKORDU_KODU) == ZNACZNIK_KONCA_REKORDOW; }

bool RekordZerowy(std::size_t rekord) {
  for (std::size_t i = 0; i < DLUGOSC_REKORDU_KODU; ++i)
    if (OdpowiedzByte(rekord * DLUGOSC_REKORDU_KODU + i) != 0) return false;
  return true;
}

enum class KoniecCzesci : uint8_t { DalszaCzesc, KoniecTabeli, Blad };

// The lines of one part and what comes after it: the next part, the table's
// end, or the end of the readout on a failed write or a lost record.
KoniecCzesci LinieCzesci() {
  std::size_t rekord = 0;
  for (; rekord < REKORDOW_W_CZESCI && !Znacznik(rekord); ++rekord) {
    if (Znacznik(rekord + 1) && RekordZerowy(rekord)) return KoniecCzesci::KoniecTabeli;
    LiniaWyniku linia;
    LiniaDodatkowegoKodu(DodatkowyKodZOdpowiedzi(rekord * DLUGOSC_REKORDU_KODU), linia);
    if (!linia.Zapisanie()) return KoniecCzesci::Blad;
  }
  if (rekord < REKORDOW_W_CZESCI && ResztaRekorduPoZnaczniku()) return KoniecCzesci::Blad;
  return KoniecCzesci::DalszaCzesc;
}

constexpr uint32_t OSTATNIA_CZESC = 0xFFFF;  // the part number is a word

void NumerCzesci(uint32_t czesc) { Parametry().Word(static_cast<uint16_t>(czesc)); }

// The lines of part `czesc`; false when the readout ends here.
bool LinieWCzesci(uint32_t czesc) {
  if (LinieCzesci() != KoniecCzesci::DalszaCzesc) return false;
  // Every part number answered without the table's end: not a register's answer.
  if (czesc == OSTATNIA_CZESC) UstawBlad(NieoczekiwanaOdpowiedz);
  return true;
}

void OdczytDodatkowychKodowKasy() {
  CialoOdczytuRekordow({.rozkaz = ODCZYT_CZESCI,
                        .Parametry = NumerCzesci,
                        .Ostatni = OSTATNIA_CZESC,
                        .Pierwszy = 0,
                        .Linie = LinieWCzesci});
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ODBarkod, .Kod = 215, .NazwaWydruku = "_ODBarKod", .Cialo = OdczytDodatkowychKodowKasy);
