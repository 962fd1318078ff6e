// The port server's answer to each control command: "A" for a command it
// knows, "N" for one it does not, unless a fault says otherwise.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "portserver/commands.h"
#include "portserver/faults.h"

namespace sim {

struct OdpowiedzSerwera {
  PolecenieSerwera polecenie;
  std::optional<Bajty> bajty;   // nothing: no answer at all
  const UsterkaSerwera* usterka = nullptr;  // the fault that decided it
};

class SterowanieSerwera {
 public:
  explicit SterowanieSerwera(std::vector<UsterkaSerwera> usterki = {}) : usterki_(std::move(usterki)) {}

  OdpowiedzSerwera Polecenie(std::span<const uint8_t> datagram);

 private:
  uint32_t Wystapienie(const UsterkaSerwera& u, const std::string& tekst) const;

  std::vector<UsterkaSerwera> usterki_;
  std::map<std::string, uint32_t> liczniki_;  // commands received so far, by text
  uint32_t wszystkie_ = 0;
};

}  // namespace sim
