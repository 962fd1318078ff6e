// The program entry: options, dispatch, log append and the result message.
#pragma once

#include <cstdint>

// Runs the driver on a command line and returns the process exit code.
int ProgramGlowny(int argc, const char* const* argv);

// Appends raport.txt of the current directory to karvo.log; 1 on success.
uint8_t DopisanieRaportuDoLogu();

// Prints the result message (format with %s for the name and %d for the code)
// when the print selector is the digit 2.
void WypisanieWyniku(char selektor, const char* nazwa, uint8_t wynik);
