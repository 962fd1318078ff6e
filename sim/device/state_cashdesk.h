// What a simulated register knows of its cash desk: the report and receipt
// counters and the tax rate table. Read from the state file; no request
// changes them, so nothing is written back.
//
// State file keys:
//   $nr_raportu   N                  the number of the last daily report (0 to 65535)
//   $nr_paragonu  N                  the number of the last receipt (0 to 65535)
//   $podatki      RATE RATE ...      the tax rates in the register's order: a
//                                    percentage with two decimals ("23.00", "8"),
//                                    "-" for a reserve rate (not in use) or "zw"
//                                    for the exempt rate (second-generation
//                                    registers other than the Norda ones)
//   $podatki_znaki  TEXT TEXT ...    Norda registers: the three characters each
//                                    rate carries (fewer are padded with zero bytes)
// The table has 5 rates on the Norda registers, 7 on the other
// second-generation registers and 6 on the rest; rates the key leaves out are
// reserve rates. Without the key the register holds its family's defaults.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/data_file.h"

namespace sim {

struct StawkaPodatku {
  enum class Rodzaj : uint8_t { Procent, Rezerwa, Zwolniona } rodzaj = Rodzaj::Rezerwa;
  uint16_t setne = 0;  // the rate in hundredths of a percent
  std::string znaki;   // Norda registers: three characters
};

struct StanKasowy {
  uint16_t numerRaportu = 0;
  uint16_t numerParagonu = 0;
  std::vector<StawkaPodatku> podatki;
};

// How many rates the register of type code typ keeps.
size_t LiczbaStawek(uint8_t typ);

// The family's defaults, then what the file gives; false (with the reason) on a bad value.
bool KasowyZPliku(const PlikDanych& plik, uint8_t typ, StanKasowy& stan, std::string& blad);

// The answer of request 0xD0: two bytes a rate (high byte first; the reserve
// marker 0x80, 0xFF on the first-generation registers, or 0x40 for exempt in
// the high byte), then on the Norda registers three characters a rate.
Bajty TablicaPodatkow(const StanKasowy& stan, uint8_t typ);

}  // namespace sim
