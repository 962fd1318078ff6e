// The register's line served as an RFC 2217 port: one telnet client at a
// time; its DTR and RTS changes reach the line (the line switch), its speed
// is logged, and the modem lines (carrier, ring, CTS, DSR) are the
// simulator's to drive.
#pragma once

#include <cstdint>
#include <string>

#include "common/wire_log.h"
#include "link/line.h"

namespace sim {

class LaczeRfc2217 {
 public:
  LaczeRfc2217() = default;
  ~LaczeRfc2217();
  LaczeRfc2217(const LaczeRfc2217&) = delete;
  LaczeRfc2217& operator=(const LaczeRfc2217&) = delete;

  // Port 0 takes a free port; Port() then tells which.
  bool Otworz(const std::string& host, uint16_t port, std::string& blad);
  uint16_t Port() const { return port_; }
  // The modem lines as the driver's ModemStatus reads them (0x10 CTS, 0x20 DSR, 0x40 ring, 0x80 carrier).
  void UstawStanModemu(uint8_t stan) { modem_ = stan; }
  // Serves clients one after another until the simulator is asked to stop.
  void Dzialaj(UrzadzenieLinii& linia, Dziennik& dziennik, uint32_t baud);

 private:
  int nasluch_ = -1;
  uint16_t port_ = 0;
  uint8_t modem_ = 0x30;
};

}  // namespace sim
