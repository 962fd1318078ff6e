// The serial module's last error: a message (code page 1250) and a code,
// written by any of the port's threads and read only by IsError.
#pragma once

#include <cstdint>
#include <string>

// Sets the record; a null message clears the text.
void ZapamietanieBledu(const char* komunikat, int32_t kod);

struct OstatniBlad {
  std::string komunikat;
  int32_t kod = 0;
};
// Takes the record and clears it in one step.
OstatniBlad PobranieBledu();
