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

namespace {

class Strumien : public sim::NadajnikStrumienia {
 public:
  Strumien() : sim::NadajnikStrumienia(0) {}
  std::vector<uint8_t> zapisane;

 protected:
  void Zapisz(std::span<const uint8_t> bajty) override { zapisane.insert(zapisane.end(), bajty.begin(), bajty.end()); }
};

}  // namespace

// A late answer waits in the sender without stopping the simulator, and what
// the device sends after it waits behind it, however early that is.
TEST(NadajnikStrumienia, LateBytesWaitAndWhatFollowsWaitsBehindThem) {
  Strumien s;
  const std::vector<uint8_t> pierwsze{1, 2}, drugie{3}, trzecie{4};
  s.Wyslij(pierwsze);
  EXPECT_EQ(s.zapisane, pierwsze);
  EXPECT_FALSE(s.Termin());
  s.Czekaj(milliseconds(500));
  const auto poczatek = sim::Zegar::now();
  s.Wyslij(drugie);
  s.Wyslij(trzecie);
  ASSERT_TRUE(s.Termin());
  EXPECT_GE(*s.Termin(), poczatek + milliseconds(400));
  s.Wypchnij(*s.Termin() - milliseconds(1));
  EXPECT_EQ(s.zapisane, pierwsze);
  s.Wypchnij(*s.Termin());
  EXPECT_EQ(s.zapisane, (std::vector<uint8_t>{1, 2, 3, 4}));
  EXPECT_FALSE(s.Termin());
}
