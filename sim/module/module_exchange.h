// How the module carries one framed request out on its register: the escape
// byte and the code, the first answer (its length with the acknowledgement),
// the parameters, the second answer (its length with the status byte), both
// ended early by an end-of-records byte 0xFF at a record's start.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "common/bytes.h"
#include "device/register.h"

namespace sim {

struct ZadanieRamki {
  uint8_t pierwsza = 0;  // first answer length, acknowledgement included
  uint8_t druga = 0;     // second answer length, status included
  uint8_t rekord = 0;    // record length of the end marker, 0 for none
  uint8_t kod = 0;
  Bajty parametry;
  bool statusJestDana = false;  // the status byte is data: the second answer is taken whatever it is
};

// The answer bytes as the register sent them, in the order the driver reads
// them; nothing when the register did not give what the frame waits for.
// opoznienie receives how long the register kept quiet before its answers.
std::optional<Bajty> WymianaZKasa(Kasa& kasa, const ZadanieRamki& z, Zegar::time_point teraz,
                                  std::chrono::milliseconds* opoznienie = nullptr);

// 0xFF as the first byte of a record of length dlugoscRekordu ends the list (0: no end marker).
bool KoniecRekordow(uint8_t bajt, size_t pozycja, uint8_t dlugoscRekordu);

}  // namespace sim
