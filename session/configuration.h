// Where the driver's own files lie, the Server file, and the register's KONFIG.TXT line.
#pragma once

#include <cstdint>

// Splits the /F name list, reads the Server file when one is named and fixes
// the paths of KONFIG.TXT, RAPORT.TXT, KOMENT.TXT, MODKONF.TXT and ECRTBUF.TXT.
void OdczytanieKonfiguracji();
// The same for the paths alone: nothing is said on standard error, and the
// Server file is closed again.
void SciezkiPlikowSterownika();
// Checks fields 2 to 5 of the register's KONFIG.TXT data line and stores the link settings.
bool OdczytanieLiniiKonfiguracji(const char* linia);
// For commands that start further commands: appends ";" extra and ";" the
// Server file name to the name list when the running command is in Server mode.
void DolaczenieNazwySerwera(char* listaNazw, char* dodatkowaNazwa);
