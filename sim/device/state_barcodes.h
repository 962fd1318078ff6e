// The register's additional barcodes, barcode codes, keys and goods links, as
// its state file keeps them (numbers in decimal, 0x.. hexadecimal or 'c'):
//   $kod_dodatkowy  GOODS  BARCODE   one additional barcode (0 to 2^48 - 1) of a goods
//                                    number (0 to 65535), in the table's order
//   $kody_kreskowe  C1 .. C6         the six barcode codes, two characters each
//   $klawisz        KEY  GOODS       key code KEY (33 to 255) gives goods number GOODS
//   $wiazanie       GOODS  LINKED    one goods link, in the table's order
//   $bloki_wiazan   N                how many link blocks of 16 the register has: 8 or 16
//                                    (16 on the new registers, else 8)
// Only keys whose value a request changed are written back.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/data_file.h"

namespace sim {

constexpr size_t LiczbaKodowKreskowych = 6;
constexpr unsigned PierwszyKlawisz = 33;
constexpr size_t RekordowWBlokuWiazan = 16;
constexpr size_t PojemnoscDodatkowychKodow = 2000;

struct DodatkowyKod {
  uint16_t towar = 0;
  uint64_t kod = 0;  // 48 bits
  bool operator==(const DodatkowyKod&) const = default;
};

struct Wiazanie {
  uint16_t towar = 0;
  uint16_t powiazany = 0;
  bool operator==(const Wiazanie&) const = default;
};

struct StanKodow {
  std::vector<DodatkowyKod> dodatkowe;
  std::array<std::string, LiczbaKodowKreskowych> kody{"20", "21", "22", "23", "24", "25"};
  std::array<uint16_t, 256> klawisze{};  // by key code; 0: no goods
  std::vector<Wiazanie> wiazania;
  uint8_t blokiWiazan = 16;
};

// The tables of a register of type code typ: its defaults, then what the
// file gives. False (with the reason) on a bad value.
bool KodyZPliku(const PlikDanych& plik, uint8_t typ, StanKodow& stan, std::string& blad);
// Writes the keys whose value differs from the state it was loaded with.
void KodyDoPliku(const StanKodow& stan, const StanKodow& wczytany, PlikDanych& plik);

}  // namespace sim
