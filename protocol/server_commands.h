// Obeying the supervising Server before every attempt of every request: its
// commands are carried out, a suspended driver waits, and SUSPEND and RESUME
// close and reopen the line to the register. The channel itself (the
// endpoint, the posts, the notices) is state/server_channel.h.
#pragma once

// Before every attempt of every request: obeys pending Server commands and
// waits while suspended; the outcome is the current ResultCode (56 on BREAK
// and on a signal that asks the process to end, also without a Server, 54 on
// an unknown command, the line's code when RESUME could not reopen it, 62
// when it set none): the request is sent only while it is 0. SUSPEND closes
// the line and RESUME reopens only a line that SUSPEND closed: a driver that
// starts suspended keeps the line that the session opened. A request that
// reopening the line at RESUME sends (a multiplexer's channel selection)
// takes no further command.
void ObslugaSerweraPrzedRozkazem();
