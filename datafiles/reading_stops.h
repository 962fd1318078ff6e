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

// The name the user gave the file behind a handle (the input file, KONFIG.TXT,
// the Server file); nullptr for any other file.
const char* NazwaPlikuUzytkownika(int32_t uchwyt);
// The number (from 1) of the line that ends at the position: the line just
// read when the position stands right after it (zakonczona: its terminator
// was read too). The file's position is left as it was.
uint32_t NumerLiniiKonczacejSieNa(int32_t uchwyt, int64_t pozycja, bool zakonczona);
