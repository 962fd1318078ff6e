// The message bus between a driver run and its Server on Linux, as both sides
// write it: the one definition of its datagram and endpoint names.
//
// Bus N is the directory bus/N under the platform directory. Every party that
// wants the messages binds one Unix datagram socket there, its endpoint: a
// driver "d<pid>", a Server "s<pid>" (any name that does not begin with "d").
// A message is one 12-byte datagram, three unsigned 32-bit little-endian
// numbers: the message number N, wParam (the driver's identifier), and lParam,
// (value << 8) | letter for a Server message. A receiver drops datagrams of
// any other length.
//
// C++ only, header-only data and arithmetic: it includes nothing of the driver
// and nothing of POSIX.
#pragma once

#ifndef __cplusplus
#error "karvo_bus.h is a C++ header"
#endif

#include <cstddef>
#include <cstdint>

namespace karvo::bus {

// The buses' directory under the platform directory: bus N is Directory/N.
inline constexpr const char* Directory = "bus";
inline constexpr std::size_t DatagramLength = 12;
inline constexpr char DriverPrefix = 'd';
inline constexpr char ServerPrefix = 's';
// A Server message's value keeps 24 bits; a larger one becomes this.
inline constexpr uint32_t MaxValue = 0xFFFFFF;

struct Message {
  uint32_t Number = 0;
  uint32_t WParam = 0;
  uint32_t LParam = 0;
};

constexpr uint32_t Param(char letter, uint32_t value) {
  return (value > MaxValue ? MaxValue : value) << 8 | static_cast<unsigned char>(letter);
}
constexpr char Letter(uint32_t lParam) { return static_cast<char>(lParam & 0xFF); }
constexpr uint32_t Value(uint32_t lParam) { return lParam >> 8; }

constexpr void Encode(const Message& m, uint8_t (&bytes)[DatagramLength]) {
  const uint32_t words[] = {m.Number, m.WParam, m.LParam};
  for (std::size_t w = 0; w < 3; ++w)
    for (std::size_t i = 0; i < 4; ++i) bytes[4 * w + i] = static_cast<uint8_t>(words[w] >> (8 * i));
}

// False, and `m` untouched, for a datagram of another length.
constexpr bool Decode(const uint8_t* bytes, std::size_t length, Message& m) {
  if (length != DatagramLength) return false;
  uint32_t words[3] = {};
  for (std::size_t w = 0; w < 3; ++w)
    for (std::size_t i = 0; i < 4; ++i) words[w] |= uint32_t{bytes[4 * w + i]} << (8 * i);
  m = {words[0], words[1], words[2]};
  return true;
}

}  // namespace karvo::bus
