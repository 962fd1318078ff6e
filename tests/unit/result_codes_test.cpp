#include <gtest/gtest.h>

#include "state/result_codes.h"

TEST(KodBledu, MapsIndicesToResultCodes) {
  const struct { uint8_t indeks, kod; } przypadki[] = {
      {0, 0},     {1, 1},     {65, 65},   {66, 101},  {70, 105},  {71, 107},  {82, 118},
      {83, 200},  {95, 212},  {96, 215},  {97, 217},  {98, 220},  {110, 232}, {111, 111},
      {200, 200}, {255, 255},
  };
  for (const auto& p : przypadki) EXPECT_EQ(KodBledu(p.indeks), p.kod) << int(p.indeks);
}

TEST(KodBledu, NeverProducesTheGapsFromTheRegisterRange) {
  for (int i = 66; i <= 110; ++i) {
    const uint8_t k = KodBledu(static_cast<uint8_t>(i));
    for (uint8_t luka : {106, 213, 214, 216, 218, 219}) EXPECT_NE(k, luka) << i;
  }
}
