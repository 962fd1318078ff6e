#include <gtest/gtest.h>

#include <sstream>

#include "common/wire_log.h"
#include "link/sender.h"
#include "replay/capture_file.h"
#include "replay/replay.h"

namespace {

std::optional<std::vector<sim::WpisNagrania>> Rozbior(const std::string& tekst, std::string& blad) {
  std::istringstream wejscie(tekst);
  return sim::RozbiorNagrania(wejscie, blad);
}

// The driver's capture and the simulator's log read alike: the bytes, their
// direction, the pause before each line, the runs.
TEST(RozbiorNagrania, ReadsBothFormsOfTheWireLog) {
  const std::string tekst =
      "# karvo wire capture, run of 2026-12-09 10:00:00; times from the start of the run\r\n"
      "# KONFIG.TXT: 7\tCOM1:9600:MUX0:1\t1\r\n"
      "00:00:00.301             COM1     open at 9600 bit/s, parity 0, time-out 1\r\n"
      "00:00:00.302  driver -> COM1      1B FE  |..|\r\n"
      "00:00:00.310  driver <- COM1      06 74 02 43  |.t.C|\r\n"
      "23:59:59.990  driver -> reg 12    1B 7C  |.||  0x7C a request whose text shows a bar\n"
      "23:59:59.995             reg 12   fault 0xC0,n=1:late=1500\n"
      "00:00:00.010  driver <- reg 12    06 30 37  |.07|  first answer\n"
      "00:00:00.020  driver -> portsrv   41 42  |AB|  not on the line\n"
      "# karvo wire capture, run of 2026-12-09 10:00:05\n"
      "00:00:00.001  driver -> COM1      1B C0  |..|\n";
  std::string blad;
  const auto wpisy = Rozbior(tekst, blad);
  ASSERT_TRUE(wpisy) << blad;
  ASSERT_EQ(wpisy->size(), 5u);
  const struct {
    bool odKierowcy;
    sim::Bajty bajty;
    int64_t opoznienie;
    bool poczatek;
  } oczekiwane[] = {
      {true, {0x1B, 0xFE}, 0, true},
      {false, {0x06, 0x74, 0x02, 0x43}, 8, false},
      {true, {0x1B, 0x7C}, 86'399'680, false},
      {false, {0x06, 0x30, 0x37}, 20 + 1500, false},  // past midnight, with the late answer's pause
      {true, {0x1B, 0xC0}, 0, true},
  };
  for (size_t i = 0; i < wpisy->size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ((*wpisy)[i].odKierowcy, oczekiwane[i].odKierowcy);
    EXPECT_EQ((*wpisy)[i].bajty, oczekiwane[i].bajty);
    EXPECT_EQ((*wpisy)[i].opoznienieMs, oczekiwane[i].opoznienie);
    EXPECT_EQ((*wpisy)[i].poczatekPrzebiegu, oczekiwane[i].poczatek);
  }
  EXPECT_EQ((*wpisy)[1].wiersz, 5);
}

TEST(RozbiorNagrania, RefusesLinesThatAreNoCaptureLines) {
  for (const char* tekst : {"hello\n", "00:00:00.001  driver -> COM1  |..|\n", "0:0:0.1  driver -> COM1  1B  |.|\n"}) {
    SCOPED_TRACE(tekst);
    std::string blad;
    EXPECT_FALSE(Rozbior(tekst, blad));
    EXPECT_NE(blad.find("line 1"), std::string::npos) << blad;
  }
}

// A sender that keeps what the replay answers.
struct Zapis : sim::Nadajnik {
  sim::Bajty wyslane;
  void Wyslij(std::span<const uint8_t> b) override { wyslane.insert(wyslane.end(), b.begin(), b.end()); }
  void Czekaj(std::chrono::milliseconds) override {}
};

TEST(Odtwarzanie, AnswersAsCapturedAndReportsTheFirstByteThatDiffers) {
  const std::string tekst =
      "00:00:00.000  driver -> COM1      1B FE  |..|\n"
      "00:00:00.000  driver <- COM1      06 74 02 43  |.t.C|\n"
      "00:00:00.000  driver -> COM1      1B C0  |..|\n"
      "00:00:00.000  driver <- COM1      06 30 37  |.07|\n";
  std::string blad;
  auto wpisy = Rozbior(tekst, blad);
  ASSERT_TRUE(wpisy);
  sim::Dziennik dziennik;
  const auto teraz = sim::Zegar::now();
  {
    sim::Odtwarzanie o(*wpisy, dziennik, {.szybko = true});
    Zapis z;
    const uint8_t pierwsze[] = {0x1B}, drugie[] = {0xFE, 0x1B, 0xC0};
    o.Odebrano(pierwsze, z, teraz);
    EXPECT_TRUE(z.wyslane.empty());  // half a request is not yet answered
    o.Odebrano(drugie, z, teraz);
    EXPECT_EQ(z.wyslane, (sim::Bajty{0x06, 0x74, 0x02, 0x43, 0x06, 0x30, 0x37}));
    o.Przerwij();
    EXPECT_TRUE(o.Skonczone());
    EXPECT_EQ(o.Wynik(), 0);
  }
  {
    sim::Odtwarzanie o(*wpisy, dziennik, {.szybko = true});
    Zapis z;
    const uint8_t bajty[] = {0x1B, 0xFE, 0x1B, 0x6F};
    o.Odebrano(bajty, z, teraz);
    EXPECT_TRUE(o.Skonczone());
    EXPECT_EQ(o.Wynik(), 1);
    EXPECT_NE(o.Raport().find("line 3 of the capture, byte 2 of 2"), std::string::npos) << o.Raport();
    EXPECT_NE(o.Raport().find("expected C0, got 6F"), std::string::npos) << o.Raport();
  }
  {
    // Captured pauses are kept unless fast; a driver silent past them is reported.
    sim::Odtwarzanie o(*wpisy, dziennik, {.zapasCzasu = std::chrono::milliseconds(100)});
    Zapis z;
    const uint8_t bajty[] = {0x1B, 0xFE};
    o.Odebrano(bajty, z, teraz);
    EXPECT_EQ(z.wyslane.size(), 4u);
    o.Sprawdz(teraz + std::chrono::milliseconds(50));
    EXPECT_FALSE(o.Skonczone());
    o.Sprawdz(teraz + std::chrono::milliseconds(200));
    EXPECT_TRUE(o.Skonczone());
    EXPECT_NE(o.Raport().find("the driver sent nothing more"), std::string::npos) << o.Raport();
  }
}

}  // namespace
