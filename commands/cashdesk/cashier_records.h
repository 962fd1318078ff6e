// The cashier table and the cashiers' shift data as the cashier commands
// share them: the cashier record, the readout of the whole table, and the
// shift line of one cashier (with its zeroing).
#pragma once

#include <cstdint>

#include "commands/command.h"

// The register's cashier record: name, password, flag byte.
constexpr std::size_t SZEROKOSC_NAZWY_KASJERA = 19;
constexpr std::size_t SZEROKOSC_HASLA = 4;
constexpr std::size_t FLAGI_KASJERA = SZEROKOSC_NAZWY_KASJERA + SZEROKOSC_HASLA;  // answer byte of the flags
constexpr Rozkaz ODCZYT_KASJERA{KodRozkazu::OdczytKasjera, 1, 1, 1 + FLAGI_KASJERA + 1};
constexpr Rozkaz ZAPIS_FLAG_KASJERA{KodRozkazu::ZapisUprawnienKasjera, 1, 2, 1};

// Flag bit 1: the cashier's drawer is open (the shift readouts choose by it).
constexpr uint8_t BIT_ZMIANY = 1;
// The rights bits that _OUprKas and _ZUprKas carry, in the order of their fields.
constexpr uint8_t BITY_UPRAWNIEN[] = {3, 4, 5, 6, 7};

constexpr uint8_t KONIEC_KASJEROW = WynikStatusuKasy(0x67);  // 203: beyond the cashier table
constexpr uint8_t BRAK_KASJERA = WynikStatusuKasy(0x68);     // 204: no such cashier

// Reads cashier `numer` (0xB0); true when it succeeded.
bool OdczytanieKasjera(uint8_t numer);
// Reads cashier `numer` and writes its flag byte back with bit `bity[i]` set
// as `wartosci[i]` says, for the `ile` bits given; the other bits stay as the
// register keeps them.
void ZapisanieFlagKasjera(uint8_t numer, const uint8_t* bity, const uint8_t* wartosci, std::size_t ile);
// The flag byte of the cashier just read.
inline uint8_t FlagiKasjera() { return OdpowiedzByte(FLAGI_KASJERA); }
inline bool BitFlag(uint8_t flagi, uint8_t bit) { return (flagi >> bit) & 1; }
// A flag field: "1" when the bit is set, else "0".
inline const char* PoleFlagi(uint8_t flagi, uint8_t bit) { return BitFlag(flagi, bit) ? "1" : "0"; }
// The flag byte with `bit` set when `ustawiony`, cleared otherwise.
constexpr uint8_t ZFlaga(uint8_t flagi, uint8_t bit, bool ustawiony) {
  return static_cast<uint8_t>(ustawiony ? flagi | (1u << bit) : flagi & ~(1u << bit));
}

// The cashier table as a record readout: cashiers 1, 2, ... up to 255 (the
// number is one byte, never wrapped); a missing cashier is skipped, the end
// of the table ends the readout with 0; `linia` builds the line of the
// cashier just read.
inline OdczytRekordow OdczytTablicyKasjerow(bool (*linia)(uint32_t numer, LiniaWyniku& linia)) {
  return {.rozkaz = ODCZYT_KASJERA, .KodKoncaRekordow = KONIEC_KASJEROW, .Linia = linia, .KodPominiecia = BRAK_KASJERA};
}

// Which cashiers a shift readout takes: every one, those with their drawer
// open, those with it closed, or those with it open who are not logged in,
// whose data are then zeroed.
enum class RodzajRaportu : uint8_t { Kazdy, Otwarci, Zamknieci, ZZerowaniem };

// RaportKasjera: the shift line of cashier `numer` when the cashier fits the
// kind (a cashier the register does not know is skipped with ResultCode 0).
void RaportKasjera(uint8_t numer, RodzajRaportu rodzaj);
// Body kind 3 on cashier numbers: RaportKasjera(number, rodzaj) for the
// number in field 1 of each input line.
void RaportyKasjerowZWejscia(RodzajRaportu rodzaj);
// The shift readout of the cashier table (OdczytTablicyKasjerow): the shift
// line of every cashier 1 to 255 that fits the kind, a missing one skipped;
// the end of the cashier table counts as success.
void RaportyKasjerow(RodzajRaportu rodzaj);
// Reads the logged-in cashier's number (0xB7): 0 when nobody is logged in;
// false when the request failed.
bool OdczytanieZalogowanego(uint8_t& numer);
