// The common opening and closing of every command that has read its configuration.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
// The /F and /W values of the command line that were longer than it allows
// (80 characters): the session then refuses that name with 6 or 8 before it
// opens a data file, instead of using a cut name that may be another file.
// Only the program entry sets them; a library caller's names are not limited.
void NazwyDluzszeNizOpcja(bool wejscie, bool wyjscie);

// A run whose CommandCode selects no command writes no report, so a report of
// an earlier run must not stay where the application would read this run's:
// removes RAPORT.TXT where a command with these names would write it (it is
// in karvo.log already) and answers the paths it removed.
std::vector<std::string> UsuniecieRaportuBezRozkazu(const char* wejscie, const char* wyjscie);
