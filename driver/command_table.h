// The CommandCode table: which entry point a numeric code runs.
#pragma once

#include <cstdint>

using FunkcjaWejscia = uint8_t (*)(const char* wejscie);
using FunkcjaWejsciaIWyjscia = uint8_t (*)(const char* wejscie, const char* wyjscie);

struct PozycjaRozkazu {
  int32_t KodRozkazu;
  const char* Nazwa;         // the entry point's name, e.g. "_OTowar"
  const char* NazwaWydruku;  // the name the result message prints, when it differs; else nullptr
  bool ZPlikiemWynikowym;    // takes the output name as its second argument
  FunkcjaWejscia Wejscie;    // set for entry points without an output file
  FunkcjaWejsciaIWyjscia WejscieIWyjscie;  // set for those with one
};

// The table row of a CommandCode, or nullptr when the code is not in the table.
const PozycjaRozkazu* ZnajdzRozkaz(int32_t kod);
// True when the row names an entry point that is built.
bool RozkazWybiera(const PozycjaRozkazu* pozycja);
