// A capture read back: the driver's wire capture and the simulator's own wire
// log share one readable form, so either can be replayed. Only the bytes
// count, in order: "driver -> WHO  HEX  |text|" are the driver's bytes,
// "driver <- WHO  HEX  |text|" the far end's answer; each line's time gives
// the pause before it. Header lines ("#") start a run; events are kept only
// for what they say about a late answer.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "common/bytes.h"

namespace sim {

struct WpisNagrania {
  bool odKierowcy = false;     // bytes the driver sent (false: bytes it received)
  Bajty bajty;
  int64_t czasMs = 0;          // the line's time, from midnight or from the start of the run
  int64_t opoznienieMs = 0;    // the pause since the line before it, late answers included
  bool poczatekPrzebiegu = false;  // the first line of a run: the driver starts it when it likes
  int wiersz = 0;              // line number in the file
  std::string tekst;           // the line as written, for the report
};

// The byte lines of a capture; lines that are neither bytes, events nor headers are an error.
std::optional<std::vector<WpisNagrania>> RozbiorNagrania(std::istream& wejscie, std::string& blad);
std::optional<std::vector<WpisNagrania>> WczytajNagranie(const std::string& sciezka, std::string& blad);

}  // namespace sim
