// Files a command that clears or zeroes the register's data is about to
// empty or append to: such a file may hold the only copy of data the
// register no longer has (a day cleared, shifts zeroed, by an earlier run or
// by a run broken off after its clearing).
#pragma once

#include <cstdint>

// The data lines ("$" at the start of a line) the file holds; 0 when it
// holds none or cannot be read.
uint32_t LiczbaLiniiDanych(const char* sciezka);

// Before the file is emptied: when it holds data lines it is kept beside
// itself under its name followed by "." and the first number from 1 that no
// file has (OPAK.TXT.1), and standard error says so. False when it holds
// data lines and could not be kept: it must not be emptied then.
bool ZachowanieKopiiNumerowanej(const char* sciezka);
