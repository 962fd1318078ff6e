// Field readers: field k (from 1) of a data line, checked with the validator
// of its type, for the commands and the session's input header. Each answers false and sets ResultCode 11
// when the field is missing (an empty field counts as missing) or does not
// pass its validator. Ranges that a command checks itself go through
// WZakresie after every field of the line has been read, so that a bad field
// later in the line still gives 11.
#pragma once

#include <cstddef>
#include <cstdint>

bool PoleByte(const char* linia, uint8_t k, uint8_t& wartosc);       // PoprawnaLiczbaTypuByte
bool PoleWord(const char* linia, uint8_t k, uint16_t& wartosc);      // PoprawnaLiczbaTypuWord
bool PoleLong(const char* linia, uint8_t k, uint32_t& wartosc);      // PoprawnaLiczbaTypuLong
bool PoleBoolean(const char* linia, uint8_t k, uint8_t& wartosc);    // PoprawnaLiczbaTypuBoolean
bool PoleSzesciobajtowe(const char* linia, uint8_t k, uint8_t (&liczba)[6]);  // PoprawnaLiczbaSzesciobajtowa
// A text of exactly `dlugosc` characters (spaces count); tekst holds 256 bytes.
bool PoleTekst(const char* linia, uint8_t k, std::size_t dlugosc, char* tekst);
// A text of at least `najmniej` characters; a missing field is the empty text.
bool PoleTekstCoNajmniej(const char* linia, uint8_t k, std::size_t najmniej, char* tekst);
// The field as it stands; false and 11 when it is missing.
bool PoleNapis(const char* linia, uint8_t k, char* tekst);

// A value the command checks itself: false and `kod` (19 unless the command
// says otherwise) when it lies outside minimum..maksimum.
bool WZakresie(uint32_t wartosc, uint32_t minimum, uint32_t maksimum, uint8_t kod = 19);
