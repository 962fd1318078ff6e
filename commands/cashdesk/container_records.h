// The container table of the registers that keep returnable containers:
// each container a name and a deposit value, and goods linked to them.
#pragma once

#include "commands/command.h"

constexpr std::size_t SZEROKOSC_NAZWY_POJEMNIKA = 19;

// True on a register with containers; elsewhere ResultCode 25 (the command
// ends before it sends anything).
inline bool KasaMaPojemniki() {
  if (KasaZPojemnikami()) return true;
  UstawBlad(RozkazNieobslugiwany);
  return false;
}
