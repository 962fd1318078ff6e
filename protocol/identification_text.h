// Helpers shared by the identification modules: the device name and the ECRTBUF.TXT lookup.
#pragma once

#include <cstddef>
#include <cstdint>

// The device name: model, capacity with " PLU" (when the capacity is read),
// generation with " gen." (not for price checkers and the Norda family),
// "ver. " and the version; each part present and not empty, one blank between.
void SkladanieNazwyUrzadzenia(char* nazwa, const char* model, const char* pojemnosc, const char* generacja,
                              const char* wersja);

// Looks the device up in ECRTBUF.TXT (found: capacity from the file); the
// outcome is the current ResultCode (60 for a bad line or a mismatching name).
bool WyszukanieWBuforze();
