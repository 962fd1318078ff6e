// The channel to the supervising Server: progress messages out, commands in.
// Everything here does nothing while the channel is closed (no Server file).
// Obeying the commands is the engine's (protocol/server_commands.h).
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
// After every request: counts it and sends COUNTER by period.
void ZliczenieRozkazu();
// At the session open: the name for the notices, the channel, AVAILABLE.
void PowitanieSerwera();
// After a line counter was increased: posts the letter ('L' LINES, 'O'
// OUTLINES) with the count when the period divides it, and writes the notice.
void PowiadomienieOkresowe(char litera, uint32_t licznik, uint32_t okres);

// Waits until a message arrives on the endpoint, at most ms milliseconds;
// false on time-out, on an interrupted wait and while the channel is closed.
bool CzekanieNaKomunikat(int ms);
// Prints the notice "###DRIVER: <name>, PID=<pid>" and its ending (to the
// console and the debug trace) when the Server file asks for notices.
void PowiadomienieSerwera(const char* zakonczenie);

// Whether a SUSPEND closed the line to the register, so that RESUME reopens
// only that. Opening or closing the channel forgets it: a driver that starts
// suspended keeps the line that the session opened.
bool LaczeZamknieteNaRozkaz();
void UstawienieLaczaZamknietegoNaRozkaz(bool zamkniete);
