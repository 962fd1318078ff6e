#include <gtest/gtest.h>

#include "platform/comm.h"

using platforma::BEZ_LIMITU;
using platforma::CzasyLinii;

TEST(TerminyLinii, FollowTheReferenceTimeoutRules) {
  const struct {
    CzasyLinii czasy;
    uint32_t ile;
    bool odRazu, pierwszyZnak;
    std::optional<uint32_t> calkowity, odstep, zapis;
  } przypadki[] = {
      // read time-out 0 s: at once with what is queued
      {{BEZ_LIMITU, 0, 0, 0, 0}, 1, true, false, std::nullopt, std::nullopt, std::nullopt},
      // 2 s both ways, as set in seconds
      {{2000, 0, 2000, 0, 2000}, 1, false, false, 2000u, 2000u, 2000u},
      // everything zero: no limit at all
      {{0, 0, 0, 0, 0}, 1, false, false, std::nullopt, std::nullopt, std::nullopt},
      // multipliers count per byte
      {{0, 10, 5, 3, 1}, 4, false, false, 45u, std::nullopt, 13u},
      // the return-on-first-byte combination
      {{BEZ_LIMITU, BEZ_LIMITU, 300, 0, 0}, 8, false, true, 300u, std::nullopt, std::nullopt},
      // huge products saturate instead of wrapping
      {{0, BEZ_LIMITU, BEZ_LIMITU, BEZ_LIMITU, BEZ_LIMITU}, 2, false, false, 0xFFFFFFFEu, std::nullopt,
       0xFFFFFFFEu},
  };
  for (const auto& p : przypadki) {
    const auto t = platforma::TerminyDlaOdczytu(p.czasy, p.ile);
    EXPECT_EQ(t.odRazu, p.odRazu);
    EXPECT_EQ(t.pierwszyZnakKonczy, p.pierwszyZnak);
    EXPECT_EQ(t.calkowity, p.calkowity);
    EXPECT_EQ(t.odstep, p.odstep);
    EXPECT_EQ(platforma::TerminDlaZapisu(p.czasy, p.ile), p.zapis);
  }
}
