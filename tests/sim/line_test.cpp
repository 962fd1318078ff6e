// Several registers on one line: the line switch and the two multiplexers.
#include <gtest/gtest.h>

#include "link/line.h"
#include "sim_test_support.h"

using sim::Bajty;
using sim::Linia;
using sim::RodzajLinii;

namespace {

struct Linia3 {
  explicit Linia3(RodzajLinii rodzaj, std::vector<sim::Usterka> usterki = {}) {
    std::vector<std::unique_ptr<sim::Kasa>> kasy;
    for (uint8_t adres : {1, 2, 4}) {
      auto stan = simtest::Stan("vin-t.txt");
      stan.adres = adres;
      stan.numer = "0" + std::to_string(adres);
      kasy.push_back(std::make_unique<sim::Kasa>(stan, usterki, dziennik));
    }
    linia = std::make_unique<Linia>(rodzaj, std::move(kasy), dziennik, usterki);
  }
  Bajty Wyslij(Bajty bajty) {
    linia->Odebrano(bajty, wyjscie, sim::Zegar::now());
    return wyjscie.Odbierz();
  }
  // The number of the register that answers 0xC0, or "" when none does.
  std::string Numer() {
    const Bajty odp = Wyslij({0x1B, 0xC0});
    return odp.size() == 3 ? std::string(odp.begin() + 1, odp.end()) : "";
  }
  sim::Dziennik dziennik;
  simtest::Zapis wyjscie;
  std::unique_ptr<Linia> linia;
};

}  // namespace

TEST(Linia, TheLineSwitchSelectsTheChannelOfDtrAndRts) {
  Linia3 l(RodzajLinii::Przelacznik);
  EXPECT_EQ(l.Numer(), "");  // both lines off: channel 3, nobody there
  const struct { bool dtr, rts; const char* numer; } kanaly[] = {
      {false, true, "01"}, {true, true, "02"}, {false, false, ""}, {true, false, "04"}};
  for (const auto& k : kanaly) {
    l.linia->LinieSterujace(k.dtr, k.rts);
    EXPECT_EQ(l.Numer(), k.numer) << k.dtr << k.rts;
  }
}

TEST(Linia, Multiplexer3IsSelectedByRequest01WhileTheRegisterWaits) {
  Linia3 l(RodzajLinii::Multiplekser3);
  EXPECT_EQ(l.Numer(), "");  // nothing selected yet
  EXPECT_TRUE(l.Wyslij({0x1B, 0x01, 0x02}).empty());
  EXPECT_EQ(l.Numer(), "02");
  // Split across reads, and followed at once by a request.
  EXPECT_TRUE(l.Wyslij({0x1B}).empty());
  EXPECT_TRUE(l.Wyslij({0x01}).empty());
  EXPECT_EQ(l.Wyslij({0x04, 0x1B, 0xC0}), (Bajty{0x06, '0', '4'}));
  // Inside an exchange the bytes 1B 01 are parameters of the register.
  EXPECT_EQ(l.Wyslij({0x1B, 0x43}), Bajty{0x06});
  EXPECT_TRUE(l.Wyslij({0x1B, 0x01}).empty());
  EXPECT_EQ(l.linia->Wybrana()->Stan().numer, std::string("\x1B\x01"));
  EXPECT_EQ(l.linia->Wybrana()->Stan().adres, 4);
}

TEST(Linia, Multiplexer4IsSelectedByFeAndTheAddress) {
  Linia3 l(RodzajLinii::Multiplekser4);
  EXPECT_TRUE(l.Wyslij({0xFE, 0x01}).empty());
  EXPECT_EQ(l.Numer(), "01");
  // 0xFE after the escape is the type-code request, not a selection.
  EXPECT_EQ(l.Wyslij({0x1B, 0xFE}).size(), 4u);
  EXPECT_TRUE(l.Wyslij({0xFE, 0x03}).empty());
  EXPECT_EQ(l.Numer(), "");
}

TEST(Linia, ASilentSelectionFaultLeavesTheOldRegisterSelected) {
  Linia3 l(RodzajLinii::Multiplekser3, simtest::Usterki({"0x01,n=2:silent"}));
  l.Wyslij({0x1B, 0x01, 0x01});
  l.Wyslij({0x1B, 0x01, 0x02});
  EXPECT_EQ(l.Numer(), "01");
  l.Wyslij({0x1B, 0x01, 0x02});
  EXPECT_EQ(l.Numer(), "02");
}

TEST(Linia, ASingleRegisterAnswersWhateverItsAddress) {
  std::vector<std::unique_ptr<sim::Kasa>> kasy;
  sim::Dziennik dziennik;
  auto stan = simtest::Stan("vin-t.txt");
  stan.adres = 5;
  kasy.push_back(std::make_unique<sim::Kasa>(stan, std::vector<sim::Usterka>{}, dziennik));
  Linia linia(RodzajLinii::Pojedyncza, std::move(kasy), dziennik);
  simtest::Zapis wyjscie;
  linia.Wybierz(1);
  linia.Odebrano(Bajty{0x1B, 0xC0}, wyjscie, sim::Zegar::now());
  EXPECT_EQ(wyjscie.wyslane.size(), 3u);
}
