// The periodic sales readout: the register's record streams fetched in
// answers of several records (an opening request, then continuations), one
// or more output lines appended per record. `_OPSprzed`, `_OPSpRoz` and
// `_OPSpRozN` choose the mode and map the final ResultCode.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/requests.h"

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

// One mode: its requests, the records an answer holds and whether each ends
// with a check byte, and what its sales records carry. The record length is
// the request catalogue's (the end-marker record length of the request).
struct OpisTrybu {
  KodRozkazu KodOtwarcia, KodDalszy;
  int Wybor = -1;  // 0xA1: parameter byte 0 of the opening (the continuation adds 0x80); -1: none
  bool Pozycja = false;  // 0x61: the parameters are the record's position in the stream
  uint8_t WOdpowiedzi;
  bool Suma = false;
  // The sales records: a packed date and time after byte 15; the bytes from
  // 20 on (minutes and further totals); one 13-digit total where bit 7 of
  // byte 31 says so; a last 13-digit total of bytes 32 to 39.
  bool Data = false, DalszeBajty = false, JednaSumaZBitem = false, SumaKoncowa = false;
};
const OpisTrybu& OpisTrybuOkresowego(TrybOkresowy tryb);

// Closes the output file, then fetches the stream of the mode to its end (or
// the first failure), appending the lines of each record to the output file;
// the lines written before a failure stay. The outcome is the current ResultCode.
void OdczytOkresowy(TrybOkresowy tryb);
// The body of the periodic sales commands: the readout in `zSumami` on the
// registers that hand out check bytes (KasaRozszerzona), else in `zwykly`; a
// register that refuses the readout (24) or does not serve it (208) gives 25.
void OdczytOkresowyPolecenia(TrybOkresowy zwykly, TrybOkresowy zSumami);

// ---- the records (periodic_lines.cpp) ----

// The kind of a record, from its first byte (0xFF is not a record).
uint8_t RodzajRekorduOkresowego(uint8_t pierwszyBajt);

// Writes the output lines of one record of `dane` data bytes (the check byte
// not counted) read in `tryb`; bytes the record does not have read as 0.
// False when a line could not be written (ResultCode 17).
bool ZapisanieRekorduOkresowego(TrybOkresowy tryb, const uint8_t* rekord, std::size_t dlugosc, std::size_t dane);
