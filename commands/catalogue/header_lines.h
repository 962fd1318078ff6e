// The receipt header as the register keeps it: on types 'o' and 'p'
// numbered lines, each with an attribute byte and 20 or 40 characters; on
// the others two texts of 24 characters.
#pragma once

#include <cstdint>

constexpr uint8_t SZEROKOSC_LINII = 40;
constexpr uint8_t SZEROKOSC_KROTKIEJ_LINII = 20;
constexpr uint8_t SZEROKOSC_TEKSTU_NAGLOWKA = 24;
// The attribute byte of an 'o'/'p' line.
constexpr uint8_t LINIA_KROTKA = 0x01;  // the line holds 20 characters, else 40
constexpr uint8_t LINIA_Z_FLAGA = 0x02;
