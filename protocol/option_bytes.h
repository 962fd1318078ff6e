// The register's four sets of option bits, three bytes each: reading and
// writing a set through the request that names it, or through the set's
// own request on registers that refuse that one.
#pragma once

#include <cstdint>

constexpr uint8_t BITY_ZESTAWU = 24;

// Reads the set into Sesja.Opcje; the outcome is the current ResultCode
// (24 when the register refuses both forms of the read).
void OdczytanieZestawuOpcji(uint8_t zestaw);
// Writes the set from Sesja.Opcje in the form that the read found the register to take.
void ZapisanieZestawuOpcji(uint8_t zestaw);

// Bit `numer` (1 to 24) of the set: bit (numer - 1) mod 8 of byte (numer - 1) / 8.
bool BitOpcji(uint8_t zestaw, uint8_t numer);
void UstawienieBituOpcji(uint8_t zestaw, uint8_t numer, bool wartosc);
