// The register's cashiers, their rights and their shift data, as its state
// file keeps them:
//   $kasjerow    N                        how many cashiers the table holds (1 to 255, default 8);
//                                         a number beyond it is the end of the table
//   $kasjer      N  NAME  PASSWORD  FLAGS  cashier N: at most 19 and 4 characters (padded with
//                                         spaces), the flag byte (bit 1: the drawer is open)
//   $zalogowany  N                        the logged-in cashier, 0 for nobody
//   $zmiana      N  DD.MM.YY  HH:MM  T1 ... T14  L1 ... L5  S1 ... S5
//                                         cashier N's shift: when it opened, 14 totals (T2
//                                         signed), 5 counters and 5 more totals; values left
//                                         out are 0. Payouts are booked into T14.
// Totals are five bytes wide (below 2^40; T2 from -2^39), counters two.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/data_file.h"

namespace sim {

constexpr size_t SzerokoscNazwyKasjera = 19;
constexpr size_t SzerokoscHasla = 4;
constexpr size_t SumyZmiany = 14, LicznikiZmiany = 5, SumyDalsze = 5;
constexpr size_t SumaWyplat = 13;  // T14: the payouts
constexpr uint64_t GranicaSumy = uint64_t{1} << 40;

struct ZmianaKasjera {
  std::array<uint8_t, 6> data{};     // DDMMYY, one digit a byte
  std::array<uint8_t, 4> godzina{};  // HHMM
  std::array<int64_t, SumyZmiany> sumy{};
  std::array<uint16_t, LicznikiZmiany> liczniki{};
  std::array<uint64_t, SumyDalsze> dalsze{};
  // The totals and counters become 0; the opening time stays.
  void Zeruj();
  bool operator==(const ZmianaKasjera&) const = default;
};

struct Kasjer {
  Bajty nazwa = Bajty(SzerokoscNazwyKasjera, ' ');
  Bajty haslo = Bajty(SzerokoscHasla, ' ');
  uint8_t flagi = 0;
  ZmianaKasjera zmiana;
  bool operator==(const Kasjer&) const = default;
};

struct StanKasjerow {
  std::vector<std::optional<Kasjer>> kasjerzy = std::vector<std::optional<Kasjer>>(8);  // cashier n is [n - 1]
  uint8_t zalogowany = 0;
  // Cashier n, or null when the table has no such cashier.
  Kasjer* Znajdz(size_t numer);
  bool operator==(const StanKasjerow&) const = default;
};

// Reads the cashier keys; false (with the reason) on a bad value.
bool KasjerzyZPliku(const PlikDanych& plik, StanKasjerow& stan, std::string& blad);
// Rewrites the cashier keys whose records differ from the state loaded.
void KasjerzyDoPliku(const StanKasjerow& stan, const StanKasjerow& wczytany, PlikDanych& plik);

// The two parts of the shift data as the register answers them after the
// status byte: the cashier's number and the 14 totals; then the number, the
// opening time, the counters and the totals, with three more bytes after the
// fourth counter when `dluzsza` (the older second-generation Pelto registers).
Bajty PierwszaCzescZmiany(uint8_t numer, const ZmianaKasjera& z);
Bajty DalszaCzescZmiany(uint8_t numer, const ZmianaKasjera& z, bool dluzsza);

}  // namespace sim
