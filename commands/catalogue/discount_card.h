// The discount card record, 27 bytes alike in the readout answer and in the
// write parameters: value byte A, length byte L, a code of up to 6
// characters (zero-filled), then 19 value bytes. A data line holds its 22
// fields: A, L, the code, the 19 values.
#pragma once

#include <cstdint>

constexpr uint8_t DLUGOSC_KARTY = 27;
constexpr uint8_t POCZATEK_KODU_KARTY = 2;
constexpr uint8_t DLUGOSC_KODU_KARTY = 6;
constexpr uint8_t POCZATEK_WARTOSCI_KARTY = POCZATEK_KODU_KARTY + DLUGOSC_KODU_KARTY;
constexpr uint8_t LICZBA_WARTOSCI_KARTY = DLUGOSC_KARTY - POCZATEK_WARTOSCI_KARTY;
