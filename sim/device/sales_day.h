// A large day of sales for a register: many goods numbers with sales, full
// packaging blocks, discount totals and long periodic record streams of every
// kind, the same for the same settings. For durability tests and benchmarks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "device/register_state.h"

namespace sim {

struct UstawieniaDnia {
  size_t towary = 3000;   // goods numbers with sales
  size_t rekordy = 3000;  // records of each periodic stream
  uint32_t ziarno = 1;
};

// Replaces the sales of the register with a generated day. Goods numbers lie
// within the register's capacity and below 0xFF00 (whose records would begin
// with 0xFF); the register's type decides where returns (negative values) appear.
void GenerujDzien(const UstawieniaDnia& ustawienia, StanKasy& kasa);

}  // namespace sim
