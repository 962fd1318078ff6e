// The mark a run leaves on its port: found by the next run only when the run
// before it did not take it away, and tied to the device it was left on.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "platform/port_marker.h"
#include "serial_test_support.h"

using platforma::PrzejecieZnacznikaPortu;
using platforma::ZdjecieZnacznikaPortu;

class ZnacznikPortuTest : public TestPortow {};

TEST_F(ZnacznikPortuTest, ARunThatEndedWithoutTakingItAwayLeavesIt) {
  ParaPty pty;
  MapaPortow({"COM1\t" + pty.nazwa});
  EXPECT_FALSE(PrzejecieZnacznikaPortu(1)) << "the first run finds none";
  ZdjecieZnacznikaPortu();
  EXPECT_FALSE(PrzejecieZnacznikaPortu(1)) << "a clean close takes it away";
  // This run is killed: nothing takes the mark away.
  EXPECT_TRUE(PrzejecieZnacznikaPortu(1));
  EXPECT_TRUE(PrzejecieZnacznikaPortu(1)) << "the mark is the next run's until it closes cleanly";
  ZdjecieZnacznikaPortu();
  EXPECT_FALSE(PrzejecieZnacznikaPortu(1));
  ZdjecieZnacznikaPortu();
}

TEST_F(ZnacznikPortuTest, AMarkOfAnotherLineUnderTheSameNameIsNotThisLines) {
  std::string nazwa;
  {
    ParaPty stary;
    nazwa = stary.nazwa;
    MapaPortow({"COM1\t" + stary.nazwa});
    EXPECT_FALSE(PrzejecieZnacznikaPortu(1));
  }
  // Pseudo-terminals come again under the numbers of closed ones: a new one
  // under the same name is another line, whose register nobody left waiting.
  // (The moment a device node is made is kept to the system clock's tick.)
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  ParaPty nowy;
  MapaPortow({"COM1\t" + nowy.nazwa});
  EXPECT_FALSE(PrzejecieZnacznikaPortu(1)) << nazwa << " then " << nowy.nazwa;
  ZdjecieZnacznikaPortu();
}

TEST_F(ZnacznikPortuTest, APortThatIsNoDeviceHasNone) {
  MapaPortow({"COM1\t" + katalog_ + "/nie-ma", "COM2\t" + katalog_});
  EXPECT_FALSE(PrzejecieZnacznikaPortu(1));
  EXPECT_FALSE(PrzejecieZnacznikaPortu(2));
  ZdjecieZnacznikaPortu();
}
