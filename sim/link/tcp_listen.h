// The listening socket and the full send that every TCP attachment (RFC 2217
// port, communication module) shares.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace sim {

// Listens on host:port (port 0: any free one); -1, with the reason, on failure.
// rzeczywisty receives the port that was taken.
int OtworzNasluch(const std::string& host, uint16_t port, uint16_t& rzeczywisty, std::string& blad);
// Accepts a waiting client with TCP_NODELAY set; -1 when none.
int PrzyjmijKlienta(int nasluch);
bool WyslijWszystko(int fd, std::span<const uint8_t> bajty);

}  // namespace sim
