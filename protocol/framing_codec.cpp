#include "protocol/framing_codec.h"

#include <array>

namespace {

constexpr std::array<uint16_t, 256> TablicaCrc() {
  std::array<uint16_t, 256> t{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned c = i;
    for (int b = 0; b < 8; ++b) c = (c & 1) ? (c >> 1) ^ 0xA001u : c >> 1;
    t[i] = static_cast<uint16_t>(c);
  }
  return t;
}
constexpr std::array<uint16_t, 256> TABLICA_CRC = TablicaCrc();

}  // namespace

uint16_t Crc16(const uint8_t* dane, std::size_t n, uint16_t crc) {
  for (std::size_t i = 0; i < n; ++i) crc = static_cast<uint16_t>((crc >> 8) ^ TABLICA_CRC[(crc ^ dane[i]) & 0xFF]);
  return crc;
}

std::size_t Kodowanie7w8(const uint8_t* surowe, std::size_t n, uint8_t* wyjscie, std::size_t pojemnosc) {
  if (DlugoscPoZakodowaniu(n) > pojemnosc) return 0;
  std::size_t dlugosc = 0, bajtBitow = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned licznikBitow = i % 7;
    if (licznikBitow == 0) {
      bajtBitow = dlugosc;
      wyjscie[dlugosc++] = 0x80;
    }
    wyjscie[bajtBitow] = static_cast<uint8_t>(wyjscie[bajtBitow] | ((surowe[i] & 0x80) >> (licznikBitow + 1)));
    wyjscie[dlugosc++] = static_cast<uint8_t>(surowe[i] | 0x80);
  }
  return dlugosc;
}

std::size_t Dekodowanie7w8(const uint8_t* zakodowane, std::size_t n, uint8_t* surowe, std::size_t pojemnosc) {
  std::size_t liczba = 0;
  uint8_t bity = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t licznikBitow = i % 8;  // 0 is the group's high-bit byte
    if (licznikBitow == 0) {
      bity = zakodowane[i];
      continue;
    }
    if (liczba == pojemnosc) break;
    const uint8_t bit7 = static_cast<uint8_t>(((bity >> (7 - licznikBitow)) & 1) << 7);
    surowe[liczba++] = static_cast<uint8_t>((zakodowane[i] & 0x7F) | bit7);
  }
  return liczba;
}
