// The channel to the supervising Server: progress messages out, commands in.
// Everything here does nothing while the channel is closed (no Server file).
#pragma once

#include <cstdint>

// Stores the message number and binds this driver's endpoint on that bus; 0
// closes the channel. When the endpoint cannot be made (a directory too deep
// for a socket path, no permission) the channel stays closed and the command
// goes on without its Server.
void OtwarcieKanaluSerwera(int32_t numerKomunikatu);
// Closes the channel and removes the driver's endpoint from the bus; the
// session close calls it on every path (the endpoint also goes at process exit).
void ZamkniecieKanaluSerwera();
// The current message number, 0 when the channel is closed.
int32_t KanalSerweraOtwarty();
// Posts one driver message (an upper-case letter and a value, cut to 24 bits)
// to every Server on the bus; 0 when the channel is closed or the post failed.
uint8_t WyslanieKomunikatu(char litera, uint32_t wartosc);
// The next Server command for this driver ("a" to "z") and its value, without
// waiting; 0 when none waits. Every other message on the way is dropped.
char OdebranieRozkazu(uint32_t* wartosc);
// Before every attempt of every request: obeys pending Server commands and
// waits while suspended; the outcome is the current ResultCode (56 on BREAK
// and on a signal that asks the process to end, also without a Server, 54 on
// an unknown command, the link's code when RESUME could not reopen it): the
// request is sent only while it is 0. A request that reopening the link at
// RESUME sends (a multiplexer's channel selection) takes no further command.
void ObslugaSerweraPrzedRozkazem();
// After every request: counts it and sends COUNTER by period.
void ZliczenieRozkazu();
// At the session open: the name for the notices, the channel, AVAILABLE.
void PowitanieSerwera();
// After a line counter was increased: posts the letter ('L' LINES, 'O'
// OUTLINES) with the count when the period divides it, and writes the notice.
void PowiadomienieOkresowe(char litera, uint32_t licznik, uint32_t okres);

// How the channel closes and reopens the link when the Server suspends and
// resumes the driver; the link module sets these, tests substitute them. The
// channel reopens only a link that it closed itself: a driver that starts
// suspended keeps the link that the session opened.
struct ObslugaLaczaSerwera {
  void (*Zamkniecie)() = nullptr;
  bool (*Otwarcie)() = nullptr;  // false when the link could not be reopened (ResultCode set)
};
extern ObslugaLaczaSerwera LaczeSerwera;
