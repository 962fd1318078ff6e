// The running process as the rest of the driver sees it.
#pragma once

#include <cstdint>

namespace platforma {

// The process identifier (what the Server knows the driver by when no
// identifier of its own is configured).
uint32_t IdentyfikatorProcesu();

// From now on SIGTERM, SIGINT and SIGHUP only note that they came: the
// command sees the note before its next request and ends there, so the report,
// the log and the closing of the line are not lost to them.
void PrzechwytywanieSygnalowKonca();
// The signal that asked the process to end, 0 while none came.
int SygnalKonca();
// Forgets a noted signal (a process that runs several commands, the tests).
void ZapomnienieSygnaluKonca();
// The calling thread never receives those signals, so that they interrupt a
// wait of the main thread (a suspended driver waiting for its Server).
void WatekBezSygnalowKonca();

}  // namespace platforma
