// The low-latency setting of a serial device's driver. A USB serial adapter
// holds received bytes until its latency timer runs out (16 ms by default)
// unless the driver asks for low latency, which lowers the timer to 1 ms; an
// unprivileged process may ask. The device's flags are read and written
// through the two operations, so that a test can stand in for the device.
#pragma once

#include <functional>

#include "platform/comm.h"

namespace platforma {

struct OperacjeOpoznienia {
  std::function<int(int& flagi)> Pobierz;  // 0 or the errno code
  std::function<int(int flagi)> Ustaw;
};

// The flag of the serial driver's flags that asks for low latency.
constexpr int FLAGA_NISKIEGO_OPOZNIENIA = 1 << 13;

// Sets the flag where the device has it and lacks it; a device that refuses
// is used as it is.
NiskieOpoznienie WlaczenieNiskiegoOpoznienia(const OperacjeOpoznienia& operacje);
// Puts the flag back as the open found it.
void PrzywrocenieOpoznienia(const OperacjeOpoznienia& operacje, NiskieOpoznienie stan);
// How the debug trace and the wire capture say it.
// Whether the device is a serial device's driver (what the debug trace tells).
inline bool UrzadzenieSzeregowe(NiskieOpoznienie stan) { return stan != NiskieOpoznienie::Niedostepne; }
const char* OpisOpoznienia(NiskieOpoznienie stan);

}  // namespace platforma
