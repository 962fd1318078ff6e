// The frames the communication module exchanges with the driver: the header
// "KARVO", then every raw byte in 7-in-8 coding (each group of seven raw bytes
// behind a byte that carries their bit 7, every wire byte with bit 7 set).
// Raw bytes: length (the coded length of all raw bytes), control byte,
// contents, CRC-16/ARC low and high over the length byte to the last content byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "common/bytes.h"

namespace sim::ramka {

inline constexpr uint8_t Naglowek[5] = {'K', 'A', 'R', 'V', 'O'};
inline constexpr size_t DlugoscNaglowka = 5;
// The length byte describes at most 255 coded bytes: 223 raw bytes.
inline constexpr size_t NajwiecejZakodowanych = 255;
inline constexpr size_t NajwiecejSurowych = 223;
inline constexpr size_t NajwiecejTresci = NajwiecejSurowych - 4;  // without length, control byte and CRC

constexpr size_t DlugoscZakodowana(size_t surowych) { return surowych + (surowych + 6) / 7; }

uint16_t Crc16(std::span<const uint8_t> bajty, uint16_t crc = 0);

Bajty Koduj(std::span<const uint8_t> surowe);
// Nothing when a byte lacks bit 7 or a group's high-bit byte has bits for raw
// bytes that are not there.
std::optional<Bajty> Dekoduj(std::span<const uint8_t> zakodowane);

// A whole frame for the wire; nothing when the contents do not fit.
std::optional<Bajty> Zbuduj(uint8_t bajtSterujacy, std::span<const uint8_t> tresc);

struct Rozebrana {
  uint8_t bajtSterujacy = 0;
  Bajty tresc;
};
// Checks the coding, the length byte and the CRC of the coded bytes behind
// the header; nothing, with the reason, on the first fault found.
std::optional<Rozebrana> Rozbierz(std::span<const uint8_t> poNaglowku, std::string& blad);

// Collects a frame out of a byte stream: hunts the header (garbage before it
// is skipped) and reads as many bytes as the length byte announces.
class Odbiornik {
 public:
  // Feeds one byte; true when a frame is complete (Ramka() then holds the
  // coded bytes behind the header until the next Dodaj).
  bool Dodaj(uint8_t bajt);
  const Bajty& Ramka() const { return ramka_; }
  // Bytes skipped while hunting the header, handed over once and forgotten.
  Bajty Pominiete();
  bool WTrakcie() const { return !gotowa_ && (wNaglowku_ > 0 || !ramka_.empty()); }
  void Zeruj();

 private:
  size_t wNaglowku_ = 0;  // header bytes matched so far
  bool gotowa_ = false;
  size_t oczekiwane_ = 2;
  Bajty ramka_, pominiete_;
};

}  // namespace sim::ramka
