// The program entry: options, dispatch, log append and the result message.
#pragma once

#include <cstdint>

// Runs the driver on a command line and returns the process exit code.
int ProgramGlowny(int argc, const char* const* argv);

// Appends a report (raport.txt of the current directory unless named) and a
// separator line to karvo.log; 1 on success. Without a report (nullptr: the
// run wrote none) it says so on standard error and leaves the log alone.
uint8_t DopisanieRaportuDoLogu(const char* raport = "raport.txt");

// Prints the result message (format with %s for the name and %d for the code)
// when the print selector is the digit 2.
void WypisanieWyniku(char selektor, const char* nazwa, uint8_t wynik);
