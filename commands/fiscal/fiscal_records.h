// What the fiscal commands share: the two periodic data sets (their date line
// and their 24 entry lines), the fiscal memory record (fetched with its tries
// and checks, then written as a line or, on the 'o' and 'p' registers, as raw
// bytes) and the 16-bit counters.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/requests.h"

class LiniaWyniku;

// ---- the periodic data sets ARG and PRG ----

// The date of a data set as one line, "12.34.56" from its six bytes.
void ZapisanieDatyZbioru(KodRozkazu kodDaty);
// The 24 entries, four blocks of six, one line each: entry number (2 digits),
// third value, second value, first value (signed); on the Norda registers
// after the date line.
void ZapisanieDanychZbioru(KodRozkazu kodDaty, KodRozkazu kodBloku);

// ---- the fiscal memory ----

// Record numbers of the 'o' and 'p' registers: their memory holds records 0 to
// 2075, then records 2076 to 2080 that are dumped in part; 0xFFFF stands for
// the first part of record 2076.
constexpr uint16_t PierwszyRekordSpecjalny = 2076;
constexpr uint16_t OstatniRekordSpecjalny = 2080;
constexpr uint16_t OstatniRekordOP = 2075;
constexpr uint16_t PoczatekRekordu2076 = 0xFFFF;

// Tries of a record whose check fails before the command gives it up with 46.
constexpr int ProbyRekordu = 100;

// A record as read, with every byte past what the register sent zero.
constexpr std::size_t MiejsceRekordu = 64;
struct RekordFiskalny {
  uint8_t status = 0;  // as received (on the CRC registers: from the record's data)
  uint8_t bajty[MiejsceRekordu]{};
  std::size_t dane = 0;  // data bytes the record holds before its check
};

// Fetches record `numer` and writes its line (or its raw bytes); the outcome is
// the current ResultCode. A record that never passes its check ends with 46 and
// writes nothing; a first-generation record that the module cannot deliver at
// any of the lengths tried ends with 25.
void OdczytanieRekordu(uint16_t numer);

// The output line of a record of a text register: number, kind and the
// kind's fields; a status outside the table gives "?" and the record's bytes.
void LiniaRekordu(uint16_t numer, const RekordFiskalny& rekord, LiniaWyniku& linia);

// The kind printed for a status after OR 0x40 (and, on the second generation,
// the remap); 0 for a status outside the table.
uint8_t StatusRekordu(uint8_t odebrany);
uint8_t RodzajRekordu(uint8_t status);

// Reads a 16-bit counter with request {kod, 3, 0, 0} and writes it as one line.
void OdczytanieLicznika(KodRozkazu kod);

// The 'o' and 'p' registers' records go to the output file as raw bytes; the
// file is opened again for appending first (8 when it cannot).
bool OtwarcieWyjsciaSurowego();
