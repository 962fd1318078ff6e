// The progress line of a long readout: records, rate and time left.
#include <gtest/gtest.h>

#include "text/progress.h"

namespace {

TEST(TekstPostepu, RecordsRateAndTimeLeft) {
  const struct {
    uint32_t rekordy, wszystkie;
    double sekundy;
    const char* tekst;
  } przypadki[] = {
      {1200, 65535, 4.0, "karvo: 1200 of 65535 records, 300 a second, about 3:34 left"},
      {10, 65535, 1.0, "karvo: 10 of 65535 records, 10 a second, about 1:49:13 left"},
      {500, 0, 2.0, "karvo: 500 records, 250 a second"},  // a range not known: no time left
      {300, 300, 2.0, "karvo: 300 of 300 records, 150 a second"},
      {400, 255, 2.0, "karvo: 400 records, 200 a second"},  // more than the range said
      {0, 100, 0.0, "karvo: 0 of 100 records"},
  };
  for (const auto& p : przypadki)
    EXPECT_EQ(TekstPostepu(p.rekordy, p.wszystkie, p.sekundy), p.tekst) << p.rekordy << " " << p.wszystkie;
}

// Standard error of the tests is not a terminal: nothing is written.
TEST(Postep, SilentWhenStandardErrorIsNoTerminal) {
  testing::internal::CaptureStderr();
  ZakresPostepu(10);
  for (int i = 0; i < 5; ++i) PostepRekordu();
  KoniecPostepu();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
