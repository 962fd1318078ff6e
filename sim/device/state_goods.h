// The goods catalogue of a simulated register: one record per goods number,
// kept in the state file as one "$towar" line each:
//   $towar NUMBER NAME RATE GROUP ATTRIBUTE UNIT FLAG1 BARCODE PRICE FLAG2 [BLOCKING [NAMEBYTE]]
// tab-separated, the fields in the order of the goods lines of the data files.
// NAME keeps the bytes the register was sent (at most 20); a byte below 0x20
// and the backslash are written \xHH. BLOCKING is the byte of request 0xA4,
// NAMEBYTE the byte that request 0xE6 answers; both 0 when left out.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "common/data_file.h"

namespace sim {

struct Towar {
  std::string nazwa;
  uint8_t stawka = 1;
  uint8_t grupa = 1;
  uint8_t atrybut = 3;
  uint8_t jednostka = 1;
  uint8_t znacznik1 = 0;
  uint64_t kod = 0;  // barcode, 48 bits
  uint32_t cena = 0;  // in the smallest currency unit
  uint8_t znacznik2 = 0;
  uint8_t blokada = 0;
  uint8_t znacznikNazwy = 0;
  bool operator==(const Towar&) const = default;
};

using Towary = std::map<uint16_t, Towar>;

constexpr size_t NajdluzszaNazwa = 20;
constexpr uint64_t NajwiekszyKod = (uint64_t{1} << 48) - 1;

// Reads every "$towar" line; false (with the reason) on a malformed line, a
// number given twice or a number above the capacity.
bool TowaryZPliku(const PlikDanych& plik, uint32_t pojemnosc, Towary& towary, std::string& blad);
// Rewrites the "$towar" lines when the catalogue differs from the one loaded.
void TowaryDoPliku(const Towary& towary, const Towary& wczytane, PlikDanych& plik);
PlikDanych::Rekord RekordTowaru(uint16_t numer, const Towar& towar);

// Goods 1 to ile with varied values, each as the register of type code typ
// keeps it after a write, so a readout gives them back whole.
Towary WygenerowaneTowary(uint8_t typ, uint32_t ile);

}  // namespace sim
