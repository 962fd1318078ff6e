// What the user is told on standard error when the reading of a data file
// ends before the file does: an empty line or one longer than 255 bytes ends
// it as the end of the file would (stored files rely on that), but the lines
// after it are then silently left out, so the driver names the line.
#pragma once

#include <cstdint>

// Why the reading of one raw line ended.
enum class PowodKonca : uint8_t { Linia, LiniaZZerem, KoniecPliku, PustaLinia, ZaDluga };

// The reading of the file stopped for this reason; the notice waits for the
// end of the session, since a reader may go on past an empty line (_Paker).
void ZapamietanieKoncaOdczytu(int32_t uchwyt, PowodKonca powod);
// A line was read: an earlier stop of this file was gone past.
void OdczytTrwa(int32_t uchwyt, const char* linia);
// A line held a zero byte and was refused as a bad line: said at once.
void ZgloszenieBajtuZero(int32_t uchwyt);
