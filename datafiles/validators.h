// Helpers of the field validators used across the driver; the validators
// themselves are exported and declared in karvo.h.
#pragma once

#include <cstdint>

#include "karvo.h"

// Byte n of the value, counting from 1 at the least significant byte; 0 when
// n is 0 or above 4.
uint8_t BajtLiczby(uint8_t n, uint32_t wartosc);
// Removes spaces (not tabs) from the start and then from the end of the text.
void UsuniecieSpacji(char* tekst);
