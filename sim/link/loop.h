// What every line attachment's loop shares: the stop request (SIGTERM, SIGINT)
// and the wait until the next device deadline.
#pragma once

#include <optional>

#include "link/sender.h"

namespace sim {

// Installs the handlers; a signal only sets the flag and interrupts the wait.
void UstawObslugeSygnalow();
bool Zatrzymano();
void Zatrzymaj();

// Milliseconds to wait in poll: until the deadline, at most maksimum.
int CzasOczekiwania(std::optional<Zegar::time_point> termin, int maksimum);
// The earlier of two deadlines, either of which may be missing.
std::optional<Zegar::time_point> Wczesniejszy(std::optional<Zegar::time_point> a, std::optional<Zegar::time_point> b);

// "HOST:PORT" split; nothing on a bad port.
bool RozdzielAdres(const std::string& tekst, std::string& host, uint16_t& port);

}  // namespace sim
