// The UDP control of a network port server on HOST:65535. Each datagram is one
// command; the answer goes back to its sender. Every command and answer goes
// to the wire log as "driver -> portsrv" and "driver <- portsrv" lines, the
// command text between the bars. It runs alone, or in the background beside
// the register's line, as a real port server carries both.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "common/wire_log.h"
#include "portserver/control.h"

namespace sim {

inline constexpr uint16_t PortSterowania = 65535;

class SerwerPortow {
 public:
  SerwerPortow(std::vector<UsterkaSerwera> usterki, Dziennik& dziennik)
      : sterowanie_(std::move(usterki)), dziennik_(dziennik) {}
  ~SerwerPortow();
  SerwerPortow(const SerwerPortow&) = delete;
  SerwerPortow& operator=(const SerwerPortow&) = delete;

  bool Otworz(const std::string& host, uint16_t port, std::string& blad);
  bool Otwarty() const { return gniazdo_ >= 0; }
  // Answers commands until the simulator is asked to stop (or the background run ends).
  void Dzialaj();
  // Dzialaj on a thread of its own; the destructor ends and joins it.
  void UruchomWTle();

 private:
  void Obsluz(std::span<const uint8_t> datagram, const void* nadawca, unsigned dlugoscAdresu);

  SterowanieSerwera sterowanie_;
  Dziennik& dziennik_;
  int gniazdo_ = -1;
  std::atomic<bool> koniec_{false};
  std::thread watek_;
};

}  // namespace sim
