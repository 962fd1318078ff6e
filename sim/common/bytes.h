// Byte runs and the number syntaxes of the simulator's files and options.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

using Bajty = std::vector<uint8_t>;

// "1B C0 06" for the wire log and the tests.
std::string Szesnastkowo(std::span<const uint8_t> bajty);
// The bytes as text, every byte outside printable ASCII shown as ".".
std::string Czytelnie(std::span<const uint8_t> bajty);

// A number written in decimal ("27"), hexadecimal ("0x1B") or as one quoted
// character ("'t'"); nothing when the text is none of these or exceeds maksimum.
std::optional<uint32_t> Liczba(std::string_view tekst, uint32_t maksimum = 0xFFFFFFFFu);
// The same up to 64 bits.
std::optional<uint64_t> DuzaLiczba(std::string_view tekst, uint64_t maksimum);

// A list of byte numbers separated by commas ("0x7A,0,1"); nothing on any bad item.
std::optional<Bajty> ListaBajtow(std::string_view tekst);

// Bytes written as hexadecimal digit pairs ("1B C0 06" or "1BC006", spaces
// ignored); nothing on an odd digit count or another character. And back, without spaces.
std::optional<Bajty> ZSzesnastkowego(std::string_view tekst);
std::string DoSzesnastkowego(const Bajty& bajty);

// Splits at every separator; empty parts are kept.
std::vector<std::string> Podziel(std::string_view tekst, char separator);

}  // namespace sim
