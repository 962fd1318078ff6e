// The request parameters and the answer as a command sees them: numbers
// packed little-endian (least significant byte first) into
// Sesja.Wymiana.ObszarParametrow, and read back out of Sesja.Wymiana.ObszarOdpowiedzi.
#pragma once

#include <cstddef>
#include <cstdint>

// Fills the parameter area from byte 0 (or from `od`), one item after the
// other; what would pass byte 255 is left out.
class Parametry {
 public:
  explicit Parametry(std::size_t od = 0) : pozycja_(od) {}
  Parametry& Bajt(uint8_t wartosc);
  Parametry& Word(uint16_t wartosc);
  Parametry& Long(uint32_t wartosc);
  // The `ile` low bytes of the value (6 for a six-byte number).
  Parametry& Wielobajtowa(uint64_t wartosc, std::size_t ile);
  Parametry& Bajty(const uint8_t* bajty, std::size_t ile);
  // The text's characters, then `wypelnienie` up to `szerokosc` bytes; a longer text is cut.
  Parametry& Tekst(const char* tekst, std::size_t szerokosc, char wypelnienie = ' ');
  // The number of parameter bytes so far (the request's parameter count when filled from 0).
  std::size_t Ile() const { return pozycja_; }

 private:
  std::size_t pozycja_;
};

// Answer data bytes, from answer byte `od`.
uint8_t OdpowiedzByte(std::size_t od);
uint16_t OdpowiedzWord(std::size_t od);
uint32_t OdpowiedzLong(std::size_t od);
// `ile` bytes (at most 8) as one little-endian number.
uint64_t OdpowiedzLiczba(std::size_t od, std::size_t ile);
// Two bytes, most significant first (the goods number of sales, link and barcode records).
uint16_t OdpowiedzWordOdStarszego(std::size_t od);
// The answer bytes themselves from `od` (below 512).
const uint8_t* Odpowiedz(std::size_t od = 0);
// The XOR of `ile` answer bytes from `od`: the check byte of a record.
uint8_t XorOdpowiedzi(std::size_t od, std::size_t ile);
