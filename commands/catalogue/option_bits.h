// The bodies of the option commands: a set of option bits read into 24
// lines, and a set changed bit by bit from the input lines and written back.
#pragma once

#include <cstdint>

void OdczytBitowOpcji(uint8_t zestaw);
void ZapisBitowOpcji(uint8_t zestaw);
