// The debug trace: one line to the console and appended to "debug.txt" in the
// current directory.
#pragma once

#include <cstdint>

// The first argument is ignored (callers pass 0). The format has its own small
// language: %c a character; %d a signed 32-bit number, %dN (one digit N) the
// number padded with zeros to N digits; %s a text; %F a text that is not
// printed but appended to the trace file's name for this call. At most 18
// segments (the text before the first "%" and one per conversion). A format
// with conversions waits for a key afterwards when the console is interactive.
void Printf(int32_t, const char* format, ...);
