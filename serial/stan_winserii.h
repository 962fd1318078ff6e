// The serial module's process-wide state: the port table and the settings
// that the exported functions keep between calls.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

class TComm;

struct StanWinserii {
  uint8_t ComSelector = 1;
  bool Zainicjowano = false;  // set by the first initialisation, never cleared
  std::atomic<bool> FlagaCTS{true};
  uint8_t WyborParzystosci = 2;
  std::atomic<bool> FlagaTimeout{false};  // the last transfer moved no byte
  std::optional<int> ZapamietanyPriorytet;  // the process priority found when a watcher started
  // Last, so that it goes first at the process exit while the rest still stands.
  std::array<std::unique_ptr<TComm>, 256> TablicaPortow;
};

StanWinserii& Winseria();
