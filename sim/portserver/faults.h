// Faults of the port server's control, so that the driver's handling of a
// refused or unanswered command can be reached on purpose.
//
// A fault is written  COMMAND[,n=N]:KIND
//   COMMAND   a command text ("PS00") or * for every command
//   n=N       only the N-th command that matches COMMAND (counted from 1)
//   KIND      silent        no answer at all
//             answer=TEXT   TEXT instead of "A" (may be empty: an empty datagram)
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/bytes.h"

namespace sim {

struct UsterkaSerwera {
  std::string zapis;       // as written, for the wire log
  std::string polecenie;   // "*": every command
  uint32_t wystapienie = 0;  // 0: every matching command
  bool cisza = false;
  Bajty odpowiedz;

  bool PasujeDo(std::string_view tekst) const { return polecenie == "*" || polecenie == tekst; }
};

std::optional<UsterkaSerwera> CzytajUsterkeSerwera(std::string_view zapis, std::string& blad);

}  // namespace sim
