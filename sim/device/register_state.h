// Everything a simulated register knows, loaded from its state file and
// written back into it. Later commands add their records here (goods,
// cashiers, sales...) together with one entry each in the field table of
// register_state.cpp.
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>

#include "common/data_file.h"
#include "device/state_tables.h"
#include "device/state_sales.h"
#include "device/state_goods.h"
#include "device/state_barcodes.h"
#include "device/state_cashiers.h"
#include "device/state_containers.h"
#include "device/state_fiscal.h"
#include "device/state_cashdesk.h"

namespace sim {

struct StanKasy {
  uint8_t typ = 0;            // type code: the model family
  uint8_t wersja = 0;         // version number of the register's program
  uint8_t litera = 0;         // version letter, 0 when the register has none
  std::string identyfikator;  // identification text as the register sends it
  std::string numer = "01";   // the register's number: two characters
  uint32_t pojemnosc = 0;     // how many goods numbers the register holds
  uint8_t adres = 1;          // address on a shared line (switch channel or multiplexer address)
  std::bitset<256> odrzuca;   // request codes this register refuses with 0x15
  StanTabel tabele;           // units, groups, payments, header, status, clock, card, options
  StanSprzedazy sprzedaz;     // sales counters and periodic records (state_sales.h)
  Towary towary;              // the goods catalogue ("$towar" lines)
  StanKodow kody;             // additional barcodes, barcode codes, keys, goods links
  StanKasjerow kasjerzy;      // cashiers, their rights and shifts (state_cashiers.h)
  StanPojemnikow pojemniki;   // containers and goods links (state_containers.h)
  StanFiskalny fiskalne;      // periodic data sets and the fiscal memory (state_fiscal.h)
  StanKasowy kasowy;          // report and receipt counters, tax rates (state_cashdesk.h)
};

// Reads the records of a state file; nothing (with the reason) on a missing
// or malformed value.
std::optional<StanKasy> StanZPliku(const PlikDanych& plik, std::string& blad);

// Writes into the file the records whose value differs from the state it was
// loaded with; every other line stays as it was.
void StanDoPliku(const StanKasy& stan, const StanKasy& wczytany, PlikDanych& plik);

}  // namespace sim
