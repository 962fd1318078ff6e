// _OWiaz: the goods links, in 16 blocks of up to 16 records. A register with
// fewer blocks answers 208 for blocks 8 to 15: those are skipped. A record
// that begins with 0xFF (a goods number from 65280 on) looks like the block's
// end; on a direct line the rest of it follows the marker, and the command
// then reports 25 instead of a success.
#include "commands/catalogue/barcode_link_records.h"

namespace {

constexpr uint8_t LICZBA_BLOKOW = 16;
constexpr uint8_t PIERWSZY_BLOK_NIEOBOWIAZKOWY = 8;
constexpr uint8_t REKORDOW_W_BLOKU = 16;
constexpr uint8_t WYNIK_BRAK_BLOKU = WynikStatusuKasy(0x6C);  // 208
constexpr Rozkaz ODCZYT_BLOKU = {KodRozkazu::OdczytWiazan, 1, 1, 1 + REKORDOW_W_BLOKU * DLUGOSC_REKORDU_WIAZANIA + 1};

// The lines of one block; false when the readout ends here.
bool LinieBloku(uint32_t) {
  std::size_t rekord = 0;
  for (; rekord < REKORDOW_W_BLOKU; ++rekord) {
    const std::size_t od = rekord * DLUGOSC_REKORDU_WIAZANIA;
    if (OdpowiedzByte(od) == ZNACZNIK_KONCA_REKORDOW) break;
    LiniaWyniku linia;
    LiniaWiazania(od, linia);
    if (!linia.Zapisanie()) return false;
  }
  return rekord == REKORDOW_W_BLOKU || !ResztaRekorduPoZnaczniku();
}

void OdczytWiazanKasy() {
  CialoOdczytuRekordow({.rozkaz = ODCZYT_BLOKU,
                        .Ostatni = LICZBA_BLOKOW - 1,
                        .Pierwszy = 0,
                        .KodPominiecia = WYNIK_BRAK_BLOKU,
                        .PominiecieOd = PIERWSZY_BLOK_NIEOBOWIAZKOWY,
                        .Linie = LinieBloku});
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OWiaz, .Kod = 29, .Cialo = OdczytWiazanKasy);
