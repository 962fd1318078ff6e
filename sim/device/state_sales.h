// What a simulated register knows of its sales: the sales of each goods number,
// the four packaging blocks, the discount turnover totals and the periodic
// record streams, with where each readout has got to. Loaded from the state
// file and written back when a clearing request changed it.
//
// State file keys (every number in decimal, 0x.. hexadecimal or 'c'):
//   $sprzedaz    NR  QUANTITY  DECIMALS  AMOUNT      sales of goods number NR (1 to 65535)
//   $opakowanie  BLOCK  NR  QUANTITY  DECIMALS  AMOUNT   one record of packaging block 0 to 3 (16 a block)
//   $rabaty      V1  V2  [V3]                        discount turnover totals (below 2^40)
//   $okresAD / $okresEE / $okresD6 / $okres61  HEX   one periodic record, its bytes in hexadecimal
//                                                    (spaces allowed), without the check byte
//   $sprzedaz_porcja  N                              records a sales answer with check bytes holds (1 to 5, default 5)
// QUANTITY and AMOUNT are 32-bit numbers; a negative one (down to -2147483648)
// goes out as its two's complement, as the registers of type codes 24 and 27 keep returns.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/bytes.h"
#include "common/data_file.h"

namespace sim {

struct SprzedazTowaru {
  int64_t ilosc = 0;    // quantity, in units of 10^-miejsca
  uint8_t miejsca = 0;  // decimal places of the quantity
  int64_t kwota = 0;    // amount in the smallest currency unit
  bool operator==(const SprzedazTowaru&) const = default;
};

using SprzedazNumeru = std::pair<uint16_t, SprzedazTowaru>;

// The periodic record streams, each named after the request that opens its
// readout without check bytes; request 0xA1 reads the same streams with them.
enum class Okres : uint8_t { AD, EE, D6, R61 };
constexpr size_t LiczbaOkresow = 4;

// Data bytes of one periodic record (without the check byte). The 0xD6 stream
// keeps 32 bytes for the Norda registers, whose check-byte form sends them all;
// every other form sends the first 29.
constexpr size_t DlugoscOkresu[LiczbaOkresow] = {16, 20, 32, 37};

constexpr size_t LiczbaBlokow = 4;
constexpr size_t RekordyBloku = 16;
constexpr size_t NajwiecejWPorcji = 5;

// Where each readout goes on from: the next record. Not kept in the state file.
struct Kursory {
  size_t sprzedaz = 0;
  std::array<size_t, LiczbaOkresow> okresy{};
};

struct StanSprzedazy {
  std::vector<SprzedazNumeru> towary;  // in goods number order, one entry a number
  std::array<std::vector<SprzedazNumeru>, LiczbaBlokow> opakowania;
  std::vector<uint64_t> rabaty;  // empty: all zero
  std::array<std::vector<Bajty>, LiczbaOkresow> okresy;
  uint8_t porcja = NajwiecejWPorcji;
  Kursory kursory;

  // The sales of a goods number, or null when it has sold nothing.
  const SprzedazTowaru* Towar(uint16_t numer) const;
  // The counters: goods, packaging blocks and discount totals.
  void ZerujLiczniki();
  void ZerujOkresy();
};

// Reads the sales keys of a state file; false (with the reason) on a bad value.
bool SprzedazZPliku(const PlikDanych& plik, StanSprzedazy& stan, std::string& blad);

// Rewrites the sales keys whose records differ from the state they were loaded with.
void SprzedazDoPliku(const StanSprzedazy& stan, const StanSprzedazy& wczytany, PlikDanych& plik);

// An 11-byte sales record: the number (high byte first), the quantity (4 bytes,
// low byte first), its decimal places and the amount (4 bytes).
Bajty RekordSprzedazy(uint16_t numer, const SprzedazTowaru& s);

// The 32 bits a register sends for a quantity or amount, low byte first.
void DopiszCztery(Bajty& cel, int64_t wartosc);

}  // namespace sim
