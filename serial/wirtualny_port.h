// Virtual COM ports of network port servers: their server's address, and the
// preparation of their device entries before an open.
#pragma once

#include <cstdint>
#include <string>

// The dotted IPv4 address of the server behind the virtual port COMn, or empty.
std::string OdczytAdresuIP(uint8_t port);

// The port map needs no device entries written; always false (ignored by its caller).
bool PrzygotowanieWirtualnegoPortu(uint8_t port);
