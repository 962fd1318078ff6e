// The returnable containers of the registers that keep them (type code '&'),
// as the state file keeps them:
//   $pojemnik          N  NAME  VALUE   container N (1 to 64): at most 19 characters
//                                       (padded with spaces), the deposit value (0 to 65535)
//   $pojemnik_towaru   GOODS  N         goods number GOODS is linked to container N
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "common/bytes.h"
#include "common/data_file.h"

namespace sim {

constexpr size_t LiczbaPojemnikow = 64;
constexpr size_t SzerokoscNazwyPojemnika = 19;

struct Pojemnik {
  Bajty nazwa = Bajty(SzerokoscNazwyPojemnika, ' ');
  uint16_t kaucja = 0;
  bool operator==(const Pojemnik&) const = default;
};

struct StanPojemnikow {
  std::array<Pojemnik, LiczbaPojemnikow> pojemniki{};  // container n is [n - 1]
  std::map<uint16_t, uint8_t> powiazania;              // goods number -> container
  bool operator==(const StanPojemnikow&) const = default;
};

bool PojemnikiZPliku(const PlikDanych& plik, StanPojemnikow& stan, std::string& blad);
void PojemnikiDoPliku(const StanPojemnikow& stan, const StanPojemnikow& wczytany, PlikDanych& plik);

}  // namespace sim
