// Progress of a long readout, for a person who watches standard error: one
// line redrawn in place with the records so far, the rate and, where the
// range is known, the time left. Nothing is shown when standard error is not
// a terminal, nor in the first second; the files and standard output are
// never touched.
#pragma once

#include <cstdint>
#include <string>

// How many records the readout will give at most (0: not known).
void ZakresPostepu(uint32_t wszystkie);
// One more record was written.
void PostepRekordu();
// The readout ended: the progress line is cleared.
void KoniecPostepu();

// The text of the progress line (without the redraw): "karvo: 1200 of 65535
// records, 270 a second, about 3:57 left".
std::string TekstPostepu(uint32_t rekordy, uint32_t wszystkie, double sekundy);
