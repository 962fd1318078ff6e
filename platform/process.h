// The running process as the rest of the driver sees it.
#pragma once

#include <cstdint>
#include <string>

namespace platforma {

// The process identifier (what the Server knows the driver by when no
// identifier of its own is configured).
uint32_t IdentyfikatorProcesu();

// From now on SIGTERM, SIGINT and SIGHUP only note that they came: a wait for
// the line ends at once, the command sees the note and ends there, so the
// report, the log and the closing of the line are not lost to them. SIGXFSZ is
// ignored: a write over the file size limit fails and is reported.
void PrzechwytywanieSygnalowKonca();
// The signal that asked the process to end, 0 while none came.
int SygnalKonca();
// A signal's name as a person knows it ("SIGINT (Ctrl-C)").
std::string NazwaSygnalu(int numer);
// A descriptor that is readable once such a signal came (and until it is
// forgotten), so that a wait for the line ends with it; -1 before the first
// PrzechwytywanieSygnalowKonca.
int UchwytSygnaluKonca();
// Forgets a noted signal (a process that runs several commands, the tests).
void ZapomnienieSygnaluKonca();
// The calling thread never receives those signals, so that they interrupt a
// wait of the main thread (a suspended driver waiting for its Server).
void WatekBezSygnalowKonca();

}  // namespace platforma
