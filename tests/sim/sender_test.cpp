#include <gtest/gtest.h>

#include "link/sender.h"

using namespace std::chrono;

TEST(Tempo, OneByteTakesElevenBitTimes) {
  EXPECT_EQ(sim::Tempo(1200).CzasBajtu(), duration_cast<sim::Zegar::duration>(nanoseconds(9'166'666)));
  EXPECT_EQ(sim::Tempo(11000).CzasBajtu(), milliseconds(1));
  EXPECT_FALSE(sim::Tempo(0).Wlaczone());
}

TEST(Tempo, BooksByteAfterByteAndStartsAfreshAfterAPause) {
  sim::Tempo tempo(11000);
  const auto t0 = sim::Zegar::now();
  EXPECT_EQ(tempo.NastepnyBajt(t0), t0 + milliseconds(1));
  EXPECT_EQ(tempo.NastepnyBajt(t0), t0 + milliseconds(2));
  EXPECT_EQ(tempo.NastepnyBajt(t0 + milliseconds(1)), t0 + milliseconds(3));
  EXPECT_EQ(tempo.NastepnyBajt(t0 + milliseconds(10)), t0 + milliseconds(11));
}
