// The channel to the supervising Server: progress messages out, commands in.
// Everything here does nothing while the channel is closed (no Server file).
#pragma once

#include <cstdint>

void OtwarcieKanaluSerwera(int32_t numerKomunikatu);
int32_t KanalSerweraOtwarty();
uint8_t WyslanieKomunikatu(char litera, uint32_t wartosc);
char OdebranieRozkazu(uint32_t* wartosc);
// Before every attempt of every request: obeys pending Server commands; the
// outcome is the current ResultCode (56 on BREAK, 54 on an unknown command).
void ObslugaSerweraPrzedRozkazem();
// After every request: counts it and sends COUNTER by period.
void ZliczenieRozkazu();
void PowitanieSerwera();
// After a line counter was increased: posts the letter ('L' LINES, 'O'
// OUTLINES) with the count when the period divides it, and writes the notice.
void PowiadomienieOkresowe(char litera, uint32_t licznik, uint32_t okres);

// How the channel closes and reopens the link when the Server suspends and
// resumes the driver; the link module sets these, tests substitute them.
struct ObslugaLaczaSerwera {
  void (*Zamkniecie)() = nullptr;
  bool (*Otwarcie)() = nullptr;  // false when the link could not be reopened (ResultCode set)
};
extern ObslugaLaczaSerwera LaczeSerwera;
