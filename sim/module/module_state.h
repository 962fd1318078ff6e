// What the communication module keeps between runs, in the state file of the
// first register behind it:
//   $modul_haslo    the module password, exactly 8 characters (default 00000000);
//                   control frame 3 must bring it, control frame 2 changes it
//   $modul_dzwonki  the number of rings, set by control frame 7 (default 0)
//   $modul_wersja   the version text answered to control frame 1, 12 characters
//   $modul_czas1, $modul_czas2   the time-out words last given by control frames 4 and 5
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/data_file.h"

namespace sim {

struct StanModulu {
  std::string haslo = "00000000";
  uint8_t dzwonki = 0;
  std::string wersja = "KARVO MK 1.0";
  uint16_t czas1 = 0, czas2 = 0;

  bool operator==(const StanModulu&) const = default;
};

std::optional<StanModulu> StanModuluZPliku(const PlikDanych& plik, std::string& blad);
// Writes the records whose value differs from the state it was loaded with.
void StanModuluDoPliku(const StanModulu& stan, const StanModulu& wczytany, PlikDanych& plik);

}  // namespace sim
