// What a simulated register keeps of its fiscal data: the two periodic data
// sets ARG and PRG (a date and 24 entries of three values each) and the fiscal
// memory, a numbered sequence of records. Loaded from the state file; the
// date that request 0xE8 sets is written back.
//
// State file keys (numbers in decimal, 0x.. hexadecimal or 'c'):
//   $arg_data / $prg_data   DD.MM.YY          the data set's date, six digits
//   $arg / $prg   N  V1  V2  V3               entry N (0 to 23): V1 signed, its magnitude
//                                             below 2^39; V2 and V3 0 to 65535
//   $fiskalny     NR  HEX                     fiscal memory record NR: its status byte,
//                                             then its data bytes as the register keeps
//                                             them (without check bytes), in hexadecimal
//   $fiskalne_liczba  N                       the record count the register reports
//                                             (default: the highest NR + 1, 0 without records)
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "common/bytes.h"
#include "common/data_file.h"

namespace sim {

constexpr size_t WpisyZbioru = 24;
constexpr size_t DlugoscDatyZbioru = 6;

struct WpisZbioru {
  int64_t pierwsza = 0;  // 40 bits, two's complement on the wire
  uint16_t druga = 0;
  uint16_t trzecia = 0;
  bool operator==(const WpisZbioru&) const = default;
};

struct ZbiorOkresowy {
  std::array<uint8_t, DlugoscDatyZbioru> data{};  // one decimal digit a byte
  std::array<WpisZbioru, WpisyZbioru> wpisy{};
  bool operator==(const ZbiorOkresowy&) const = default;
};

struct StanFiskalny {
  ZbiorOkresowy arg, prg;
  std::map<uint16_t, Bajty> rekordy;  // status byte first
  std::optional<uint16_t> liczba;

  // The record count request 0xE4 answers.
  uint16_t LiczbaRekordow() const;
  // Record NR as kept (status first), or null when the memory holds none under that number.
  const Bajty* Rekord(uint16_t numer) const;
};

// Reads the fiscal keys; false (with the reason) on a bad value.
bool FiskalneZPliku(const PlikDanych& plik, StanFiskalny& stan, std::string& blad);
// Rewrites the keys whose records differ from the state they were loaded with.
void FiskalneDoPliku(const StanFiskalny& stan, const StanFiskalny& wczytany, PlikDanych& plik);

// Entry j of a data set as the register sends it: 5 bytes of the first value,
// 2 of the second, 2 of the third, each least significant byte first.
Bajty WpisNaDrucie(const WpisZbioru& wpis);

}  // namespace sim
