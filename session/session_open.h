// The common opening and closing of every command that has read its configuration.
#pragma once

#include <cstdint>

// Checks the names, opens the files, greets the Server, reads the input
// header, finds the register in KONFIG.TXT, opens the link and identifies the
// register; the outcome is the current ResultCode.
void RozpoczecieSesji();
// Closes the files, writes RAPORT.TXT, archives the run's files in "$$$" and
// closes the link. Runs on every path.
void ZakonczenieSesji();
// Writes the three report header lines as "#" lines (into the output file
// and RAPORT.TXT); yes when all three were written.
uint8_t ZapisanieNaglowka(int32_t uchwyt);
