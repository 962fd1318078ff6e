// The register's answers: lengths per family, values, and every fault kind.
#include <gtest/gtest.h>

#include "sim_test_support.h"

using sim::Bajty;
using simtest::Stanowisko;

namespace {

// What the driver's identification reads of each ready-made register: the
// lengths of its calls, written out here once more on purpose.
struct Rodzina {
  const char* plik;
  bool odrzucaFE;      // identified through 0xFF and 0x5B instead
  size_t identyfikator;  // characters of the 0x71 answer
  bool pojemnosc6F;    // reports its capacity through 0x6F
  uint8_t sonda;       // request of the capacity probe: 0xE6, or 0xAC on price checkers and Ubo
};

const Rodzina Rodziny[] = {
    {"typ-24.txt", true, 11, false, 0xE6},        {"typ-27.txt", true, 11, false, 0xE6},
    {"typ-0x24.txt", false, 11, false, 0xE6},     {"veko-100.txt", false, 12, false, 0xE6},
    {"pelto-103.txt", false, 11, false, 0xE6},    {"tamo-f.txt", false, 11, false, 0xE6},
    {"op-o.txt", false, 11, false, 0xE6},         {"vin-t.txt", false, 11, true, 0xE6},
    {"norda-u.txt", false, 11, false, 0xE6},      {"cenometr-w.txt", false, 11, true, 0xAC},
    {"cenometr-m.txt", false, 11, false, 0xAC},   {"pojemniki-amp.txt", false, 11, false, 0xE6},
    {"ubo-pct.txt", false, 11, false, 0xAC},
};

Bajty Slowo(uint32_t n) { return {static_cast<uint8_t>(n & 0xFF), static_cast<uint8_t>(n >> 8)}; }

// The goods capacity search by bisection, as the driver runs it.
uint32_t Bisekcja(Stanowisko& s, uint8_t sonda) {
  uint32_t dol = 1, gora = 0xFFFF, proba = 0xFFFF;
  for (int krok = 0; krok < 40; ++krok) {
    const Bajty odp = s.Rozkaz(sonda, Slowo(proba));
    EXPECT_EQ(odp.size(), 2u);
    const bool wewnatrz = odp.size() == 2 && (odp[1] == 0x00 || odp[1] == 0x66);
    if (!wewnatrz) {
      EXPECT_EQ(odp.at(1), 0x05);
      gora = proba;
      proba = dol + (proba - dol) / 2;
    } else {
      dol = proba;
      if (gora == dol || gora == dol + 1) return dol;
      proba = dol + (gora - dol) / 2;
    }
  }
  ADD_FAILURE() << "the search did not end";
  return 0;
}

}  // namespace

TEST(Kasa, AnswersTheIdentificationOfEveryFamilyWithTheDriversLengths) {
  for (const Rodzina& r : Rodziny) {
    SCOPED_TRACE(r.plik);
    const sim::StanKasy stan = simtest::Stan(r.plik);
    Stanowisko s(stan);
    EXPECT_EQ(s.Rozkaz(0xC0), (Bajty{0x06, uint8_t(stan.numer[0]), uint8_t(stan.numer[1])}));
    if (r.odrzucaFE) {
      EXPECT_EQ(s.Rozkaz(0xFE), Bajty{0x15});
    } else {
      EXPECT_EQ(s.Rozkaz(0xFE), (Bajty{0x06, stan.typ, stan.wersja, stan.litera}));
    }
    EXPECT_EQ(s.Rozkaz(0xFF), (Bajty{0x06, stan.typ}));
    const Bajty wersja = s.Rozkaz(0x5B);
    ASSERT_EQ(wersja.size(), 2u);
    EXPECT_EQ(wersja[1] >> 4, stan.wersja);
    const Bajty tekst = s.Rozkaz(0x71);
    ASSERT_EQ(tekst.size(), 1 + r.identyfikator);
    EXPECT_EQ(std::string(tekst.begin() + 1, tekst.end()).substr(0, stan.identyfikator.size()),
              stan.identyfikator.substr(0, r.identyfikator));
    if (r.pojemnosc6F) {
      EXPECT_EQ(s.Rozkaz(0x6F), (Bajty{0x06, uint8_t(stan.pojemnosc), uint8_t(stan.pojemnosc >> 8)}));
    } else {
      EXPECT_EQ(s.Rozkaz(0x6F), Bajty{0x15});
    }
    EXPECT_EQ(Bisekcja(s, r.sonda), stan.pojemnosc);
    // The number write: the acknowledgement, the two characters, no second answer.
    EXPECT_EQ(s.Rozkaz(0x43, {'4', '2'}), Bajty{0x06});
    EXPECT_EQ(s.kasa.Stan().numer, "42");
    EXPECT_EQ(s.Rozkaz(0xC0), (Bajty{0x06, '4', '2'}));
  }
}

TEST(Kasa, ARegisterThatHoldsEveryGoodsNumberEndsTheSearchAfterOneProbe) {
  auto stan = simtest::Stan("typ-0x24.txt");
  stan.pojemnosc = 0xFFFF;
  Stanowisko s(stan);
  EXPECT_EQ(Bisekcja(s, 0xE6), 0xFFFFu);
  EXPECT_EQ(s.kasa.Wystapienia(0xE6), 1u);
}

TEST(Kasa, RefusesUnknownRequestsAndIgnoresBytesBeforeTheEscape) {
  Stanowisko s(simtest::Stan("vin-t.txt"));
  EXPECT_EQ(s.Rozkaz(0x99), Bajty{0x15});
  const Bajty szum{0x00, 0x43, 0x06, 0xFF};
  s.kasa.Odebrano(szum, s.wyjscie, sim::Zegar::now());
  EXPECT_TRUE(s.wyjscie.Odbierz().empty());
  EXPECT_EQ(s.Rozkaz(0xC0).size(), 3u);
}

TEST(Kasa, GivesUpParametersThatStopComingAndServesTheNextRequest) {
  Stanowisko s(simtest::Stan("vin-t.txt"));
  const auto start = sim::Zegar::now();
  s.kasa.Odebrano(Bajty{0x1B, 0x43, '9'}, s.wyjscie, start);
  EXPECT_EQ(s.wyjscie.Odbierz(), Bajty{0x06});
  ASSERT_TRUE(s.kasa.Termin());
  s.kasa.Sprawdz(start + std::chrono::milliseconds(100));
  EXPECT_FALSE(s.kasa.Bezczynna());
  s.kasa.Sprawdz(start + std::chrono::seconds(1));
  EXPECT_TRUE(s.kasa.Bezczynna());
  EXPECT_EQ(s.kasa.Stan().numer, "07");  // not carried out
  EXPECT_EQ(s.Rozkaz(0xC0), (Bajty{0x06, '0', '7'}));
}

// Each fault kind on a read (0xC0), a read with parameters (0xE6) and a write (0x43).
TEST(Kasa, InjectsEachKindOfFault) {
  const struct {
    const char* usterka;
    uint8_t kod;
    Bajty parametry;
    Bajty oczekiwane;
    const char* numerPo;  // the register's number afterwards: was the write carried out
  } przypadki[] = {
      {"0xC0:silent", 0xC0, {}, {}, "07"},
      {"0xC0:refuse", 0xC0, {}, {0x15}, "07"},
      {"0xC0:ack=0x01", 0xC0, {}, {0x01}, "07"},
      {"0xC0:raw=0x06,0x39", 0xC0, {}, {0x06, 0x39}, "07"},
      {"0xC0:cut=2", 0xC0, {}, {0x06, '0'}, "07"},
      {"0xE6:cut=1", 0xE6, {1, 0}, {0x06}, "07"},
      {"0xE6:status=0x0B", 0xE6, {1, 0}, {0x06, 0x0B}, "07"},
      {"0xE6:status=0x7A", 0xE6, {1, 0}, {0x06, 0x7A, 0, 0}, "07"},
      {"0xE6:status=0x13,1,2", 0xE6, {1, 0}, {0x06, 0x13, 1, 2}, "07"},
      {"0xE6:eor=5", 0xE6, {5, 0}, {0x06, 0x05}, "07"},
      {"0xE6:eor=5", 0xE6, {4, 0}, {0x06, 0x66}, "07"},
      {"0xE6,p0=4:eor=3", 0xE6, {4, 0}, {0x06, 0x05}, "07"},
      {"0xE6,p0=4:eor=3", 0xE6, {3, 0}, {0x06, 0x66}, "07"},
      {"0xE6:raw2=0x00,0x11", 0xE6, {1, 0}, {0x06, 0x00, 0x11}, "07"},
      {"0xE6:silent2", 0xE6, {1, 0}, {0x06}, "07"},
      {"0x43:silent2", 0x43, {'1', '2'}, {0x06}, "12"},
      {"0x43:status=0x0B", 0x43, {'1', '2'}, {0x06, 0x0B}, "07"},
      {"0x43:refuse", 0x43, {'1', '2'}, {0x15}, "07"},
      // Parameters held past the byte time-out (500 ms) come too late: dropped, no answer.
      {"0x43:hold=900", 0x43, {'1', '2'}, {0x06}, "07"},
      {"0x43:hold=100", 0x43, {'1', '2'}, {0x06}, "12"},
      {"0x43,p1=0x33:status=0x13", 0x43, {'1', '2'}, {0x06}, "12"},
      {"0x43,p1=0x32:status=0x13", 0x43, {'1', '2'}, {0x06, 0x13}, "07"},
      {"*:refuse", 0x43, {'1', '2'}, {0x15}, "07"},
      {"0xC0,reg=2:silent", 0xC0, {}, {0x06, '0', '7'}, "07"},
      {"0xC0,reg=1:silent", 0xC0, {}, {}, "07"},
      {"0xC0,n=2:silent", 0xC0, {}, {0x06, '0', '7'}, "07"},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.usterka);
    Stanowisko s(simtest::Stan("vin-t.txt"), simtest::Usterki({p.usterka}));
    EXPECT_EQ(s.Rozkaz(p.kod, p.parametry), p.oczekiwane);
    EXPECT_EQ(s.kasa.Stan().numer, p.numerPo);
    EXPECT_TRUE(s.kasa.Bezczynna());
  }
}

TEST(Kasa, GarbageIsAsLongAsTheAnswerAndNeverLooksGood) {
  for (const char* z : {"0x71:garbage", "0x71:garbage=3"}) {
    Stanowisko s(simtest::Stan("vin-t.txt"), simtest::Usterki({z}));
    for (int i = 0; i < 20; ++i) {
      const Bajty odp = s.Rozkaz(0x71);
      ASSERT_EQ(odp.size(), std::string(z).find('=') == std::string::npos ? 12u : 3u) << z;
      EXPECT_NE(odp[0], 0x06);
    }
  }
  Stanowisko s(simtest::Stan("vin-t.txt"), simtest::Usterki({"0xE6:garbage2=4"}));
  const Bajty odp = s.Rozkaz(0xE6, {1, 0});
  ASSERT_EQ(odp.size(), 5u);
  EXPECT_EQ(odp[0], 0x06);
  EXPECT_NE(odp[1], 0x00);
}

TEST(Kasa, LateAnswersAskTheLineForAPauseBeforeTheRightAnswer) {
  Stanowisko s(simtest::Stan("vin-t.txt"), simtest::Usterki({"0xE6:late=300", "0xE6:late2=70"}));
  EXPECT_EQ(s.Rozkaz(0xE6, {1, 0}), (Bajty{0x06, 0x66}));
  EXPECT_EQ(s.wyjscie.pauzy, (std::vector<long>{300, 70}));
}

TEST(Kasa, OccurrencesCountPerRequestCode) {
  Stanowisko s(simtest::Stan("vin-t.txt"), simtest::Usterki({"0xC0,n=2-3:refuse", "0xFE,n=2+:silent"}));
  std::vector<size_t> c0, fe;
  for (int i = 0; i < 5; ++i) {
    c0.push_back(s.Rozkaz(0xC0).size());
    fe.push_back(s.Rozkaz(0xFE).size());
  }
  EXPECT_EQ(c0, (std::vector<size_t>{3, 1, 1, 3, 3}));
  EXPECT_EQ(fe, (std::vector<size_t>{4, 0, 0, 0, 0}));
  EXPECT_EQ(s.kasa.Wystapienia(0xC0), 5u);
}

TEST(Kasa, TheFirstMatchingFaultOfAPhaseWins) {
  Stanowisko s(simtest::Stan("vin-t.txt"), simtest::Usterki({"0xC0:ack=0x65", "0xC0:refuse"}));
  EXPECT_EQ(s.Rozkaz(0xC0), Bajty{0x65});
}

TEST(Kasa, ARefusedCodeOfTheStateFileIsAnsweredWith0x15) {
  auto stan = simtest::Stan("vin-t.txt");
  stan.odrzuca.set(0x6F);
  Stanowisko s(stan);
  EXPECT_EQ(s.Rozkaz(0x6F), Bajty{0x15});
}

TEST(Kasa, ARequestWithoutAcknowledgementTakesItsParametersAtOnce) {
  static const sim::Rozkaz Wlasne[] = {
      {.kod = 0x03, .opis = "goods record without acknowledgement", .parametry = 2, .potwierdza = false,
       .wykonanie = [](sim::Wymiana& w) { return Bajty{0x00, w.parametry[0], w.parametry[1]}; }},
      {.kod = 0x94, .opis = "data from the first byte", .potwierdza = false,
       .pierwsza = [](sim::Wymiana&) { return Bajty{0x31, 0x32}; }},
  };
  sim::Dziennik dziennik;
  simtest::Zapis wyjscie;
  sim::Kasa kasa(simtest::Stan("vin-t.txt"), {}, dziennik, {}, Wlasne);
  kasa.Odebrano(Bajty{0x1B, 0x03, 0x07, 0x00}, wyjscie, sim::Zegar::now());
  EXPECT_EQ(wyjscie.Odbierz(), (Bajty{0x00, 0x07, 0x00}));
  kasa.Odebrano(Bajty{0x1B, 0x94}, wyjscie, sim::Zegar::now());
  EXPECT_EQ(wyjscie.Odbierz(), (Bajty{0x31, 0x32}));
  EXPECT_TRUE(kasa.Bezczynna());
}

// A late acknowledgement of a write leaves the driver its full time for the
// parameters, counted from when the acknowledgement goes out.
TEST(Kasa, WaitsForParametersFromWhenALateAcknowledgementLeaves) {
  Stanowisko s(simtest::Stan("vin-t.txt"), simtest::Usterki({"0x43:late=2000"}));
  const auto start = sim::Zegar::now();
  s.kasa.Odebrano(Bajty{0x1B, 0x43}, s.wyjscie, start);
  EXPECT_EQ(s.wyjscie.pauzy, std::vector<long>{2000});
  s.kasa.Sprawdz(start + std::chrono::milliseconds(2300));
  ASSERT_FALSE(s.kasa.Bezczynna());
  s.kasa.Odebrano(Bajty{'4', '2'}, s.wyjscie, start + std::chrono::milliseconds(2300));
  EXPECT_EQ(s.kasa.Stan().numer, "42");
}
