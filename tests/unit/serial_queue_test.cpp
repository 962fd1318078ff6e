// The port's input queue: what one read takes from the device beyond the byte
// asked for is handed out without a system call, counted as waiting, purged
// with the rest, and a read that must wait sleeps in the kernel until a byte,
// its time-out, the close or a signal that asks the process to end.
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "include/karvo.h"
#include "platform/process.h"
#include "serial/kolejka_wejscia.h"
#include "serial/komunikaty.h"
#include "serial_test_support.h"

using namespace std::chrono_literals;

namespace {

class KolejkaPortu : public TestPortow {
 protected:
  void SetUp() override {
    TestPortow::SetUp();
    ASSERT_GE(pty_.urzadzenie, 0);
    MapaPortow({"COM1\t" + pty_.nazwa});
  }
  void Otworz(uint16_t odczytS) { ASSERT_EQ(InitializePort(1, 115200, 1, odczytS), 0) << PobierzBlad().komunikat; }
  // Waits until the device holds ile unread bytes.
  void CzekajNaUrzadzeniu(int ile) {
    int wKolejce = -1;
    for (int i = 0; i < 400 && wKolejce != ile; ++i) {
      if (i) std::this_thread::sleep_for(5ms);
      ioctl(static_cast<int>(GetCOMHandle(1)), FIONREAD, &wKolejce);
    }
    ASSERT_EQ(wKolejce, ile);
  }
  ParaPty pty_;
};

// One read takes everything the device has; the rest comes from the queue in
// order and is counted as waiting until it is taken.
TEST_F(KolejkaPortu, BytesAlreadyThereAreReadAheadAndCountedAsWaiting) {
  Otworz(1);
  pty_.Pisz({10, 11, 12, 13});
  CzekajNaUrzadzeniu(4);
  uint8_t b = 0;
  ASSERT_EQ(ReadByte(&b), 1);
  EXPECT_EQ(b, 10);
  CzekajNaUrzadzeniu(0);  // read ahead: nothing is left on the device
  EXPECT_EQ(BajtyWKolejceWejscia(), 3u);
  pty_.Pisz({14});
  CzekajNaUrzadzeniu(1);
  EXPECT_EQ(BajtyWKolejceWejscia(), 4u) << "the queue and the device together";
  for (uint8_t oczekiwany : {11, 12, 13, 14}) {
    ASSERT_EQ(ReadByte(&b), 1);
    EXPECT_EQ(b, oczekiwany);
    EXPECT_EQ(TimeOut(), 0);
  }
  EXPECT_EQ(BajtyWKolejceWejscia(), 0u);
  EXPECT_FALSE(PobierzBlad().jest);
}

TEST_F(KolejkaPortu, APurgeDropsWhatWasReadAhead) {
  Otworz(0);
  pty_.Pisz({1, 2, 3});
  CzekajNaUrzadzeniu(3);
  uint8_t b = 0;
  ASSERT_EQ(ReadByte(&b), 1);
  ASSERT_EQ(BajtyWKolejceWejscia(), 2u);
  EXPECT_EQ(ClearPort(), 0);
  EXPECT_EQ(BajtyWKolejceWejscia(), 0u);
  EXPECT_EQ(ReadByte(&b), 0);
  EXPECT_EQ(PobierzBlad().komunikat, komunikaty::NIEPOPRAWNY_ODCZYT);
  pty_.Pisz({4});
  CzekajNaUrzadzeniu(1);
  ASSERT_EQ(ReadByte(&b), 1);
  EXPECT_EQ(b, 4) << "after the purge the line carries on";
}

TEST_F(KolejkaPortu, AWaitingReadIsWokenByTheByte) {
  Otworz(5);
  std::thread nadawca([this] {
    std::this_thread::sleep_for(150ms);
    pty_.Pisz({0x42});
  });
  uint8_t b = 0;
  const long long ms = CzasMs([&] { EXPECT_EQ(ReadByte(&b), 1); });
  nadawca.join();
  EXPECT_EQ(b, 0x42);
  EXPECT_GE(ms, 100);
  EXPECT_LT(ms, 4000) << "woken by the byte, not by the time-out";
  EXPECT_EQ(TimeOut(), 0);
}

// The read time-out counts for each byte: bytes that keep coming within it
// keep every read whole, and the first gap longer than it fails the read.
TEST_F(KolejkaPortu, TheTimeOutCountsForEachByteWhileBytesTrickleIn) {
  Otworz(5);
  ASSERT_EQ(MsSetTimeouts(1000, 300), 1);
  std::thread nadawca([this] {
    for (uint8_t i = 0; i < 6; ++i) {
      std::this_thread::sleep_for(100ms);
      pty_.Pisz({i});
    }
  });
  uint8_t b = 0;
  for (uint8_t i = 0; i < 6; ++i) {
    ASSERT_EQ(ReadByte(&b), 1) << "byte " << int(i);
    EXPECT_EQ(b, i);
  }
  nadawca.join();
  const long long ms = CzasMs([&] { EXPECT_EQ(ReadByte(&b), 0); });
  EXPECT_GE(ms, 280);
  EXPECT_EQ(TimeOut(), 1);
  const Blad blad = PobierzBlad();
  EXPECT_EQ(blad.komunikat, komunikaty::TIMEOUT_ODCZYTU);
  EXPECT_EQ(blad.kod, ETIMEDOUT);
}

// A signal that asks the process to end wakes a read waiting for a silent
// register at once; once the signal is forgotten the waits are whole again.
TEST_F(KolejkaPortu, ASignalToEndWakesAWaitingRead) {
  platforma::PrzechwytywanieSygnalowKonca();
  Otworz(60);
  std::thread sygnal([] {
    platforma::WatekBezSygnalowKonca();
    std::this_thread::sleep_for(200ms);
    ::kill(::getpid(), SIGTERM);
  });
  uint8_t b = 0;
  const long long ms = CzasMs([&] { EXPECT_EQ(ReadByte(&b), 0); });
  sygnal.join();
  EXPECT_LT(ms, 5000);
  EXPECT_EQ(platforma::SygnalKonca(), SIGTERM);
  EXPECT_EQ(TimeOut(), 1);
  const Blad blad = PobierzBlad();
  EXPECT_EQ(blad.komunikat, komunikaty::ODCZYT_PRZERWANY);
  EXPECT_EQ(blad.kod, EINTR);
  EXPECT_EQ(ReadByte(&b), 0) << "a later wait ends at once too";

  platforma::ZapomnienieSygnaluKonca();
  ::signal(SIGTERM, SIG_DFL);
  ASSERT_EQ(MsSetTimeouts(1000, 150), 1);
  const long long poZapomnieniu = CzasMs([&] { EXPECT_EQ(ReadByte(&b), 0); });
  EXPECT_GE(poZapomnieniu, 140);
  EXPECT_EQ(PobierzBlad().komunikat, komunikaty::TIMEOUT_ODCZYTU);
}

}  // namespace
