// The Hayes modem in front of the module: AT lines with echo and replies, the
// PIN, dialling with each outcome, data passed through once connected, the
// "+++" escape with its guard time, and hanging up.
#include <gtest/gtest.h>

#include <string>

#include "modem/modem.h"
#include "sim_test_support.h"

using namespace std::chrono_literals;

namespace {

// Stands for the module: records what reaches it.
class Za : public sim::UrzadzenieLinii {
 public:
  void Odebrano(std::span<const uint8_t> b, sim::Nadajnik&, sim::Zegar::time_point) override {
    dane.append(b.begin(), b.end());
  }
  void LinieSterujace(bool, bool) override {}
  void Predkosc(uint32_t) override {}
  std::optional<sim::Zegar::time_point> Termin() const override { return std::nullopt; }
  void Sprawdz(sim::Zegar::time_point) override {}
  void Przerwij() override {}
  std::string dane;
};

struct Stanowisko {
  explicit Stanowisko(sim::UstawieniaModemu u = {}) : modem(za, dziennik, std::move(u)) {}
  // Sends the text at the moment t (from the start); answers what came back.
  std::string Wyslij(const std::string& tekst, sim::Zegar::duration t) {
    modem.Odebrano(sim::Bajty(tekst.begin(), tekst.end()), wyjscie, start + t);
    return Odebrane();
  }
  std::string Sprawdz(sim::Zegar::duration t) {
    modem.Sprawdz(start + t);
    return Odebrane();
  }
  std::string Odebrane() {
    const sim::Bajty b = wyjscie.Odbierz();
    return std::string(b.begin(), b.end());
  }
  bool Nosna() const { return modem.LinieModemu(0x30) == 0xB0; }

  sim::Zegar::time_point start = sim::Zegar::now();
  sim::Dziennik dziennik;
  simtest::Zapis wyjscie;
  Za za;
  sim::Modem modem;
};

TEST(Modem, TakesCommandLinesWithEchoAndReplies) {
  Stanowisko s;
  const struct { const char* wyslane; const char* odpowiedz; } przypadki[] = {
      {"AT\r", "AT\r\r\nOK\r\n"},
      {"ATZ S0=1 &D0 X4\r", "ATZ S0=1 &D0 X4\r\r\nOK\r\n"},
      {"ATK\r", "ATK\r\r\nERROR\r\n"},
      {"hello\r", "hello\r"},           // not a command: echoed, not answered
      {"ATE0\r", "ATE0\r\r\nOK\r\n"},  // echo ends after this line
      {"ATV0\r", "0\r"},
      {"ATX\r", "0\r"},
      {"ATO\r", "4\r"},                // no carrier to go back to
      {"ATV1E1\r", "\r\nOK\r\n"},
      {"AT+CPIN?\r", "AT+CPIN?\r\r\n+CPIN: READY\r\n\r\nOK\r\n"},
  };
  for (const auto& p : przypadki) EXPECT_EQ(s.Wyslij(p.wyslane, 0ms), p.odpowiedz) << p.wyslane;
  EXPECT_FALSE(s.Nosna());
  EXPECT_TRUE(s.za.dane.empty());
}

TEST(Modem, DialsToEachOutcome) {
  using W = sim::UstawieniaModemu::Wybieranie;
  const struct { W wybieranie; const char* odpowiedz; bool nosna; } przypadki[] = {
      {W::Polaczenie, "\r\nCONNECT 19200\r\n", true},
      {W::Zajete, "\r\nBUSY\r\n", false},
      {W::BrakNosnej, "\r\nNO CARRIER\r\n", false},
      {W::Nigdy, "", false},
  };
  for (const auto& p : przypadki) {
    Stanowisko s({.wybieranie = p.wybieranie, .czasWybierania = 200ms});
    EXPECT_EQ(s.Wyslij("ATE0\r", 0ms), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(s.Wyslij("ATDT5551234\r", 10ms), "");
    EXPECT_EQ(s.Sprawdz(100ms), "");
    EXPECT_FALSE(s.Nosna());
    EXPECT_EQ(s.Sprawdz(300ms), p.odpowiedz);
    EXPECT_EQ(s.Nosna(), p.nosna);
  }
  // A byte while the modem dials gives the call up.
  Stanowisko s({.czasWybierania = 200ms});
  s.Wyslij("ATE0\r", 0ms);
  s.Wyslij("ATD\r", 0ms);
  EXPECT_EQ(s.Wyslij("x", 50ms), "\r\nNO CARRIER\r\n");
  EXPECT_EQ(s.Sprawdz(300ms), "");
  EXPECT_FALSE(s.Nosna());
}

TEST(Modem, DialsOnlyAfterThePin) {
  Stanowisko s({.czasWybierania = 10ms, .pin = "1234"});
  s.Wyslij("ATE0\r", 0ms);
  EXPECT_EQ(s.Wyslij("AT+CPIN?\r", 0ms), "\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n");
  EXPECT_EQ(s.Wyslij("ATDT1\r", 0ms), "\r\nERROR\r\n");
  EXPECT_EQ(s.Wyslij("AT+CPIN=9999\r", 0ms), "\r\nERROR\r\n");
  EXPECT_EQ(s.Wyslij("AT+CPIN=\"1234\"\r", 0ms), "\r\nOK\r\n");
  EXPECT_EQ(s.Wyslij("ATDT1\r", 0ms), "");
  EXPECT_EQ(s.Sprawdz(20ms), "\r\nCONNECT 19200\r\n");
}

TEST(Modem, EscapesOnlyWithTheGuardTimeAndHangsUp) {
  Stanowisko s({.czasWybierania = 0ms, .czasOchronny = 1000ms});
  s.Wyslij("ATE0\r", 0ms);
  s.Wyslij("ATD\r", 0ms);
  EXPECT_EQ(s.Sprawdz(0ms), "\r\nCONNECT 19200\r\n");
  // Data reaches the module, pluses too; "+++" too soon after data is data.
  EXPECT_EQ(s.Wyslij("KARVO+++", 100ms), "");
  EXPECT_EQ(s.Sprawdz(2000ms), "");
  // "+++" after a silence, then data within the guard time: still data; and
  // pluses too far apart are data too.
  s.Wyslij("+++", 3000ms);
  s.Wyslij("A", 3500ms);
  EXPECT_EQ(s.Sprawdz(4600ms), "");
  s.Wyslij("+", 6000ms);
  s.Wyslij("++", 7100ms);
  EXPECT_EQ(s.Sprawdz(8200ms), "");
  EXPECT_EQ(s.za.dane, "KARVO++++++A+++");
  // The real escape: silence, "+++", silence. The carrier stays.
  s.Wyslij("+++", 10000ms);
  EXPECT_EQ(s.Sprawdz(10500ms), "");
  EXPECT_EQ(s.Sprawdz(11000ms), "\r\nOK\r\n");
  EXPECT_TRUE(s.Nosna());
  EXPECT_EQ(s.Wyslij("ATH0\r", 11100ms), "\r\nOK\r\n");
  EXPECT_FALSE(s.Nosna());
  EXPECT_EQ(s.za.dane, "KARVO++++++A++++++");
}

TEST(Modem, StartsConnectedWhenAsked) {
  Stanowisko s({.nosna = true});
  EXPECT_TRUE(s.Nosna());
  EXPECT_EQ(s.Wyslij("AT\r", 0ms), "");  // data for the module, not a command
  EXPECT_EQ(s.za.dane, "AT\r");
}

}  // namespace
