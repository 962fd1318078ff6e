// The communication module reached over TCP (the driver's network link):
// one client at a time; a client that comes while another is connected is
// turned away, and a new one is served once the old one has gone.
#pragma once

#include <cstdint>
#include <string>

#include "common/wire_log.h"
#include "link/line_device.h"

namespace sim {

class LaczeModuluTcp {
 public:
  LaczeModuluTcp() = default;
  ~LaczeModuluTcp();
  LaczeModuluTcp(const LaczeModuluTcp&) = delete;
  LaczeModuluTcp& operator=(const LaczeModuluTcp&) = delete;

  bool Otworz(const std::string& host, uint16_t port, std::string& blad);
  uint16_t Port() const { return port_; }
  // Serves clients one after another until the simulator is asked to stop.
  void Dzialaj(UrzadzenieLinii& modul, Dziennik& dziennik);

 private:
  int nasluch_ = -1;
  uint16_t port_ = 0;
};

}  // namespace sim
