#include "serial/zdarzenie.h"

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;

TEST(Zdarzenie, TakesTheFirstSetEventInListOrderAndStaysSet) {
  Zdarzenie a, b(true), c(true);
  EXPECT_EQ(Zdarzenie::CzekajNaKtores({&a, &b, &c}), 1);
  EXPECT_EQ(Zdarzenie::CzekajNaKtores({&c, &b}), 0);
  EXPECT_TRUE(b.Ustawione());  // manual reset: a wait does not clear it
  b.Resetuj();
  c.Resetuj();
  EXPECT_EQ(Zdarzenie::CzekajNaKtores({&a, &b, &c}, 20ms), -1);
}

TEST(Zdarzenie, WakesAWaiterOnAnotherThread) {
  Zdarzenie stop, zadanie;
  std::thread t([&] {
    std::this_thread::sleep_for(30ms);
    zadanie.Ustaw();
  });
  EXPECT_EQ(Zdarzenie::CzekajNaKtores({&stop, &zadanie}, 5s), 1);
  t.join();
}
