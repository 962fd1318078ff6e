// The console the driver was started from.
#pragma once

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

}  // namespace platforma
