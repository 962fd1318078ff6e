// The control commands of a network port server: short texts that arrive one
// to a UDP datagram, each answered with one byte ("A": accepted).
//
//   R         reset the remote port's control state
//   PSpv      set output p (0, 1 or 3) to level v (0 or 1); the line switch
//             behind the port reads outputs 0 and 1 (channel 1: PS00 PS11,
//             2: PS00 PS10, 3: PS01 PS11, 4: PS01 PS10)
//   PBRn      the remote port's speed, n 0 to 11 (PBR3: 9600 bit/s)
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace sim {

struct PolecenieSerwera {
  bool znane = false;
  std::string tekst;  // the datagram as readable text
  std::string opis;   // what it does, for the wire log
};

PolecenieSerwera RozpoznajPolecenie(std::span<const uint8_t> datagram);

// The speed a PBRn command sets; 0 for an n outside the table.
uint32_t PredkoscPolecenia(uint32_t numer);

}  // namespace sim
