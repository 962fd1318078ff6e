// What a line attachment (pty, RFC 2217 port, TCP socket) feeds: the registers
// on a serial line, or a communication module that frames the exchanges.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "link/sender.h"

namespace sim {

class UrzadzenieLinii {
 public:
  virtual ~UrzadzenieLinii() = default;
  virtual void Odebrano(std::span<const uint8_t> bajty, Nadajnik& wyjscie, Zegar::time_point teraz) = 0;
  virtual void LinieSterujace(bool dtr, bool rts) = 0;
  virtual void Predkosc(uint32_t baud) = 0;
  // The next moment Sprawdz has something to do, if any.
  virtual std::optional<Zegar::time_point> Termin() const = 0;
  virtual void Sprawdz(Zegar::time_point teraz) = 0;
  // The line was broken (client gone): forget what was started.
  virtual void Przerwij() = 0;
  // The modem lines the attachment shows (0x10 CTS, 0x20 DSR, 0x40 ring,
  // 0x80 carrier): the attachment's own unless the device drives them.
  virtual uint8_t LinieModemu(uint8_t spoczynkowe) const { return spoczynkowe; }
  // The attachment drops its client now (a port server that fails).
  virtual bool ZerwanieKlienta() const { return false; }
};

}  // namespace sim
