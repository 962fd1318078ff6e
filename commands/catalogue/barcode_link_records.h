// The records of the additional-barcode table and of the link table, as the
// register sends and takes them, and what their readouts share. Both tables
// begin a record of the readout with the goods number's high byte, and the
// register's end marker is 0xFF at a record's first byte: a goods number from
// 65280 on cannot be read back from them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "commands/command.h"

// The highest goods number these tables can give back (0xFF00 and above begin with the end marker).
constexpr uint32_t NAJWYZSZY_TOWAR_TABELI = 0xFEFF;
// ResultCode 25, "blad odczytu bloku danych z kasy": a readout lost records.
constexpr IndeksBledu BladOdczytuBloku = RozkazNieobslugiwany;
constexpr uint8_t ZNACZNIK_KONCA_REKORDOW = 0xFF;

// A goods number most significant byte first (the additional-barcode and link readouts, _ZDBarkod, _KTBarkod).
void NumerOdStarszego(Parametry& parametry, uint16_t numer);

// The additional-barcode record, 8 bytes: goods number high byte first,
// then the barcode, 6 bytes low byte first. The readout answer and the
// _ZDBarkod parameters carry it alike.
constexpr std::size_t DLUGOSC_REKORDU_KODU = 8;
struct DodatkowyKod {
  uint16_t Towar = 0;
  uint8_t Kod[6]{};
};
DodatkowyKod DodatkowyKodZOdpowiedzi(std::size_t od);
void DodatkowyKodDoParametrow(const DodatkowyKod& kod);
// Its data line: the goods number with at least 4 digits, the barcode with 13.
void LiniaDodatkowegoKodu(const DodatkowyKod& kod, LiniaWyniku& linia);

// The barcode codes: six of two characters each.
constexpr uint8_t LICZBA_KODOW = 6;

// The link record of the readout, 4 bytes: goods number high byte first,
// the linked goods number low byte first.
constexpr std::size_t DLUGOSC_REKORDU_WIAZANIA = 4;
// Its data line: both goods numbers with at least 4 digits.
void LiniaWiazania(std::size_t od, LiniaWyniku& linia);

// After an answer that ended at an end marker before its last record: a
// record that began with 0xFF (a goods number from 65280 on) goes on after
// the marker, and on a direct line those bytes wait. True when they do: the
// record and the rest of the answer are lost, ResultCode 25, and the line is
// let go quiet before it carries anything else.
bool ResztaRekorduPoZnaczniku();
