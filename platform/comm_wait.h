// The waits the line backends share: a blocking wait in the kernel for a
// descriptor, and a sleep that only the close and a signal to end cut short.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>

namespace platforma {

using ZegarLinii = std::chrono::steady_clock;

enum class Gotowosc : uint8_t { Gotowe, Minelo, Przerwano, Sygnal, Blad };

// The deadline ms milliseconds after od; none without a limit.
inline std::optional<ZegarLinii::time_point> Termin(std::optional<uint32_t> ms,
                                                    ZegarLinii::time_point od = ZegarLinii::now()) {
  if (!ms) return std::nullopt;
  return od + std::chrono::milliseconds(*ms);
}

// Milliseconds left until a deadline, for poll: -1 without a deadline.
int PozostaloMs(const std::optional<ZegarLinii::time_point>& termin);

// Waits until uchwyt is ready for co (uchwyt -1: for nothing), the deadline
// passes, the close (budzik readable or przerwano set) or a signal that asks
// the process to end.
Gotowosc CzekanieNaUchwyt(int uchwyt, short co, int budzik, const std::atomic<bool>& przerwano,
                          const std::optional<ZegarLinii::time_point>& termin);

// Sleeps until koniec; only the close and a signal to end cut it short.
Gotowosc DrzemkaLinii(ZegarLinii::time_point koniec, int budzik, const std::atomic<bool>& przerwano);

}  // namespace platforma
