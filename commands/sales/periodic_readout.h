// The periodic sales readout: the register's record streams fetched in
// answers of several records (an opening request, then continuations), one
// or more output lines appended per record. `_OPSprzed`, `_OPSpRoz` and
// `_OPSpRozN` choose the mode and map the final ResultCode.
#pragma once

#include <cstddef>
#include <cstdint>

// The nine readout modes.
enum TrybOkresowy : uint8_t {
  TrybAD = 0,        // 0xAD / 0xAE, records of 16 bytes
  TrybEE = 1,        // 0xEE / 0xE9, 20 bytes with a packed date
  TrybD6 = 2,        // 0xD6 / 0xD5, 29 bytes
  TrybAD_Suma = 3,   // 0xA1 0x00 / 0x80: mode 0 with a check byte
  TrybEE_Suma = 4,   // 0xA1 0x01 / 0x81: mode 1 with a check byte
  TrybD6_Suma = 5,   // 0xA1 0x02 / 0x82: 30 bytes, 33 on the Norda registers
  TrybDlugi = 6,     // 0xA1 0x03 / 0x83, 38 bytes
  TrybSprzedazy = 7, // 0xA1 0x10 / 0x90, 12 bytes
  TrybNumerowany = 8,  // 0x61 with the record's position, 38 bytes, one a request
  LiczbaTrybow = 9,
};

// Closes the output file, then fetches the stream of the mode to its end (or
// the first failure), appending the lines of each record to the output file;
// the lines written before a failure stay. The outcome is the current ResultCode.
void OdczytOkresowy(TrybOkresowy tryb);

// One request of the readout (the opening or a continuation) and its records;
// answers how many records it wrote.
std::size_t PobranieRekordowOkresowych(bool otwarcie, TrybOkresowy tryb);

// ---- the records (periodic_lines.cpp) ----

// The kind of a record, from its first byte (0xFF is not a record).
uint8_t RodzajRekorduOkresowego(uint8_t pierwszyBajt);

// Writes the output lines of one record of `dane` data bytes (the check byte
// not counted) read in `tryb`; bytes the record does not have read as 0.
// False when a line could not be written (ResultCode 17).
bool ZapisanieRekorduOkresowego(TrybOkresowy tryb, const uint8_t* rekord, std::size_t dlugosc, std::size_t dane);
