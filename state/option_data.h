// Part of the session record: the register's option bits as the option
// commands read them, and which form of the option requests it takes.
#pragma once

#include <cstdint>

constexpr uint8_t LICZBA_ZESTAWOW_OPCJI = 4;
constexpr uint8_t BAJTY_ZESTAWU = 3;

struct DaneOpcji {
  uint8_t ZestawyOpcji[LICZBA_ZESTAWOW_OPCJI * BAJTY_ZESTAWU]{};  // set s in bytes 3s to 3s + 2
  // The register takes the requests that name the set; cleared for the rest
  // of the command once it refuses them.
  uint8_t IndeksowaneZestawy = 1;
};
