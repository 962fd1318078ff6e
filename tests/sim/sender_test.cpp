#include <gtest/gtest.h>

#include "link/sender.h"

using namespace std::chrono;

TEST(Tempo, OneByteTakesElevenBitTimes) {
  EXPECT_EQ(sim::Tempo(1200).CzasBajtu(), duration_cast<sim::Zegar::duration>(nanoseconds(9'166'666)));
  EXPECT_EQ(sim::Tempo(11000).CzasBajtu(), milliseconds(1));
  EXPECT_FALSE(sim::Tempo(0).Wlaczone());
}

TEST(Tempo, AnAnswerStartsWhenTheLineIsFreeAndItsBytesFollowOnAFixedSchedule) {
  sim::Tempo tempo(11000);
  const auto t0 = sim::Zegar::now();
  const auto poczatek = tempo.PoczatekOdpowiedzi(t0);
  EXPECT_EQ(poczatek, t0);
  EXPECT_EQ(tempo.KoniecBajtu(poczatek, 0), t0 + milliseconds(1));
  EXPECT_EQ(tempo.KoniecBajtu(poczatek, 9), t0 + milliseconds(10));
  tempo.Zajeta(tempo.KoniecBajtu(poczatek, 9));
  EXPECT_EQ(tempo.PoczatekOdpowiedzi(t0 + milliseconds(3)), t0 + milliseconds(10)) << "behind the line's last byte";
  EXPECT_EQ(tempo.PoczatekOdpowiedzi(t0 + milliseconds(20)), t0 + milliseconds(20)) << "afresh after a pause";
}

namespace {

class Strumien : public sim::NadajnikStrumienia {
 public:
  explicit Strumien(uint32_t baud = 0) : sim::NadajnikStrumienia(baud) {}
  std::vector<uint8_t> zapisane;
  std::vector<sim::Zegar::time_point> kiedy;  // when each byte was written

 protected:
  void Zapisz(std::span<const uint8_t> bajty) override {
    zapisane.insert(zapisane.end(), bajty.begin(), bajty.end());
    kiedy.insert(kiedy.end(), bajty.size(), sim::Zegar::now());
  }
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

// A paced answer: no byte leaves before its place on the schedule counted from
// the answer's start, so a late wakeup is caught up instead of adding up.
TEST(NadajnikStrumienia, PacesAnAnswerOnAnAbsoluteSchedule) {
  Strumien s(110000);  // 100 us a byte
  const std::vector<uint8_t> odpowiedz(200, 0x5A);
  const auto poczatek = sim::Zegar::now();
  s.Wyslij(odpowiedz);
  const auto koniec = sim::Zegar::now();
  ASSERT_EQ(s.zapisane, odpowiedz);
  for (size_t k = 0; k < s.kiedy.size(); ++k)
    ASSERT_GE(s.kiedy[k], poczatek + microseconds(100) * static_cast<int>(k + 1)) << "byte " << k;
  EXPECT_GE(koniec - poczatek, milliseconds(20));
  EXPECT_LT(koniec - poczatek, milliseconds(500)) << "loose: a loaded machine";
}
