// The register's line as a pseudo-terminal: the driver opens the slave side
// through a symbolic link (the target of its ports.conf line). A pty carries
// no modem lines, so DTR/RTS changes are not seen and the modem status is
// not driven here; the line speed the driver sets is seen and logged.
#pragma once

#include <string>

#include "common/wire_log.h"
#include "link/line.h"

namespace sim {

class LaczePty {
 public:
  LaczePty() = default;
  ~LaczePty();
  LaczePty(const LaczePty&) = delete;
  LaczePty& operator=(const LaczePty&) = delete;

  bool Otworz(const std::string& dowiazanie, std::string& blad);
  // Serves the line until the simulator is asked to stop.
  void Dzialaj(UrzadzenieLinii& linia, Dziennik& dziennik, uint32_t baud);
  const std::string& Slave() const { return slave_; }

 private:
  int master_ = -1;
  int slaveFd_ = -1;  // kept open so the master never sees a hang-up between the driver's runs
  std::string slave_, dowiazanie_;
};

}  // namespace sim
