// The byte coding of the communication module's frames: every wire byte after
// the header has bit 7 set; each group of up to seven raw bytes is preceded
// by a byte that carries their seventh bits. Frames are checked with CRC-16/ARC.
#pragma once

#include <cstddef>
#include <cstdint>

// Encoded size of n raw bytes: one high-bit byte per group of seven, a short last group included.
constexpr std::size_t DlugoscPoZakodowaniu(std::size_t n) { return n + n / 7 + (n % 7 != 0 ? 1 : 0); }

// CRC-16/ARC (reflected polynomial 0xA001, initial value 0, no final XOR), continued from crc.
uint16_t Crc16(const uint8_t* dane, std::size_t n, uint16_t crc = 0);

// Encodes n raw bytes into wyjscie; returns the encoded count, or 0 with
// nothing promised about wyjscie when more than pojemnosc bytes would be needed.
std::size_t Kodowanie7w8(const uint8_t* surowe, std::size_t n, uint8_t* wyjscie, std::size_t pojemnosc);
// Decodes n wire bytes into surowe (a short last group gives as many raw bytes
// as it has bytes behind its high-bit byte); returns the raw count, never more than pojemnosc.
std::size_t Dekodowanie7w8(const uint8_t* zakodowane, std::size_t n, uint8_t* surowe, std::size_t pojemnosc);
