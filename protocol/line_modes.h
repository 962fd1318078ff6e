// The line modes as one table of operations. The byte primitives, the frame
// layer and the engine call through the current entry and never ask which
// mode is in use.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/line.h"

struct TrybLacza {
  bool Ramkowy;
  // What the engine sees.
  void (*Czyszczenie)();
  void (*WyslanieBajtu)(uint8_t bajt);
  uint8_t (*OdebranieBajtu)();
  bool (*WyslanoWszystko)();
  // How frames travel in the framed modes; each sets its own ResultCode on failure.
  bool (*JestNosna)();
  bool (*WyslanieBajtowRamki)(const uint8_t* bufor, std::size_t dlugosc);
  bool (*OdbiorBajtuRamki)(uint8_t* bajt);
};

// The entry for the configured link kind (MUX2 framed over the serial line,
// MUX5 framed over TCP, the others direct; direct too while the modem commands talk to the modem).
const TrybLacza& BiezacyTrybLacza();
