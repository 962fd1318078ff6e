// The console the driver was started from.
#pragma once

#include <string>
#include <string_view>

namespace platforma {

// True when standard input is an interactive terminal and we run in its foreground.
bool WejscieInteraktywne();
// Reads one character when standard input is an interactive terminal (the
// person at the console presses a key); with redirected or closed input it
// returns at once and consumes nothing, so a driver started by a spooler with
// a silent pipe as its input never hangs here.
void CzekanieNaKlawisz();
// True when standard error is a terminal: a person watches it, so a line
// that shows progress may be redrawn there.
bool BledyNaTerminalu();
// True when the locale of the environment (LC_ALL, LC_CTYPE, LANG) has the
// character set UTF-8. The process's own locale stays "C": the driver's
// letter case rules must not change with the user's locale.
bool LokalizacjaUtf8();
// A text in code page 852 (the driver's Polish messages) in UTF-8.
std::string Cp852NaUtf8(std::string_view tekst);
// Writes one of the driver's messages in code page 852 to standard error:
// converted to UTF-8 when standard error is a terminal and the locale's
// character set is UTF-8 (a person reads it there), else as the bytes stand
// (a caller that redirects standard error may parse them).
void KomunikatCp852(std::string_view tekst);

}  // namespace platforma
