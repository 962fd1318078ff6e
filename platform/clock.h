// Time services of the reference platform: a millisecond tick count, a sleep
// and a short beep.
#pragma once

#include <cstdint>

namespace platforma {

// Milliseconds of a monotonic clock; wraps around like the reference tick count.
uint32_t LicznikMs();

// Sleeps at least the given number of milliseconds (0 only yields the processor).
void Uspienie(uint32_t ms);

// A short tone: the terminal bell on the controlling terminal when there is
// one (no port I/O), then a pause of the tone's duration.
void Sygnal(uint32_t czestotliwoscHz, uint32_t czasMs);

}  // namespace platforma
