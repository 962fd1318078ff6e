// The CommandCode table as the program entry sees it: which entry point a
// numeric code runs. The table itself is built from the commands' descriptors.
#pragma once

#include <cstdint>

#include "commands/command_entry.h"

struct PozycjaRozkazu {
  int32_t KodRozkazu;
  const char* Nazwa;         // the entry point's name, e.g. "_OTowar"
  const char* NazwaWydruku;  // the name the result message prints, when it differs; else nullptr
  bool ZPlikiemWynikowym;    // takes the output name as its second argument
  FunkcjaWejscia Wejscie;    // set for entry points without an output file
  FunkcjaWejsciaIWyjscia WejscieIWyjscie;  // set for those with one
};

// The row of a CommandCode, or nullptr when no built command has it.
const PozycjaRozkazu* ZnajdzRozkaz(int32_t kod);
// True when the row names an entry point that is built.
bool RozkazWybiera(const PozycjaRozkazu* pozycja);
