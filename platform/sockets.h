// IPv4 TCP and UDP sockets with deadlines: the stand-in for the reference
// platform's socket library. Handles are plain integers, -1 for none. Every
// socket made here is non-blocking; the waits are bounded by the caller's
// milliseconds.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platforma {

enum class RodzajGniazda : uint8_t { Strumieniowe = 0, Datagramowe = 1 };  // TCP, UDP

// A new non-blocking IPv4 socket of that kind, or -1.
int32_t UtworzenieGniazda(RodzajGniazda rodzaj);
// Connects to the dotted IPv4 address and port. A stream socket waits for the
// handshake at most czasMs milliseconds; a datagram socket only fixes its peer.
// False on a bad address, a refusal, an error or the deadline.
bool PolaczenieZAdresem(int32_t gniazdo, const char* adres, uint16_t port, int32_t czasMs);
// Bytes waiting to be read (FIONREAD), or -1 when the query fails.
long BajtyDoOdczytu(int32_t gniazdo);
// One send call: the bytes taken by the system, or -1. Never raises SIGPIPE.
long WyslanieDoGniazda(int32_t gniazdo, const void* bufor, std::size_t dlugosc);
// One receive call: bytes read, 0 when the peer closed the connection, -1 on
// an error, -2 when nothing waits (the socket would block).
long OdbiorZGniazda(int32_t gniazdo, void* bufor, std::size_t dlugosc);
// Waits at most czasMs for the socket to become readable (data, a closed
// connection or a pending error): 1 readable, 0 deadline, -1 error.
int CzekanieNaOdczyt(int32_t gniazdo, int32_t czasMs);
bool ZamkniecieGniazda(int32_t gniazdo);

}  // namespace platforma
