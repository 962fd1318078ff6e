// The goods catalogue of the simulated register: each family's layouts and
// requests, driven with the driver's call shapes, and the goods faults.
#include <gtest/gtest.h>

#include "device/families.h"
#include "sim_test_support.h"

using sim::Bajty;
using sim::Towar;
using simtest::Stanowisko;

namespace {

void Liczba(Bajty& b, uint64_t v, int ile) {
  for (int i = 0; i < ile; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Nazwa(Bajty& b, const std::string& n, size_t ile) {
  for (size_t i = 0; i < ile; ++i) b.push_back(i < n.size() ? static_cast<uint8_t>(n[i]) : ' ');
}

uint8_t Xor(const Bajty& b, size_t ile) {
  uint8_t x = 0;
  for (size_t i = 0; i < ile; ++i) x ^= b[i];
  return x;
}

// The write parameters of each family, built here once more the way the driver sends them.
Bajty ZapisTowaru(sim::RodzinaTowarow rodzina, uint16_t n, const Towar& t) {
  Bajty b;
  Liczba(b, n, 2);
  const uint8_t jednostka = static_cast<uint8_t>((t.jednostka - 1) << 4);
  switch (rodzina) {
    case sim::RodzinaTowarow::S:
      Nazwa(b, t.nazwa, 19);
      b.insert(b.end(), {t.stawka, t.grupa, t.atrybut, t.jednostka, t.znacznik1});
      Liczba(b, t.kod, 6);
      Liczba(b, t.cena, 4);
      b.push_back(t.znacznik2);
      break;
    case sim::RodzinaTowarow::V:
      Nazwa(b, t.nazwa, 18);
      b.push_back(static_cast<uint8_t>(t.stawka << 4 | t.grupa));
      Liczba(b, t.kod, 6);
      Liczba(b, t.cena, 4);
      break;
    case sim::RodzinaTowarow::W:
    case sim::RodzinaTowarow::M:
      Nazwa(b, t.nazwa, 20);
      Liczba(b, t.kod | uint64_t{jednostka} << 40, 6);
      Liczba(b, t.cena, 4);
      break;
    case sim::RodzinaTowarow::T:
      Nazwa(b, t.nazwa, 18);
      b.insert(b.end(), {t.stawka, t.grupa});
      Liczba(b, t.kod | uint64_t(t.znacznik2 << 7 | t.znacznik1 << 6 | t.atrybut << 4) << 40, 6);
      Liczba(b, t.cena | uint32_t{jednostka} << 24, 4);
      b.push_back(Xor(b, b.size()));
      break;
  }
  return b;
}

struct Rodzina {
  const char* plik;
  sim::RodzinaTowarow rodzina;
  uint8_t zapis, odczyt;
  size_t odpowiedz;  // bytes answered to a readout of existing goods after the acknowledgement
  uint8_t kasowanie;
};

const Rodzina Rodziny[] = {
    {"towary-s.txt", sim::RodzinaTowarow::S, 0x9E, 0xAC, 1 + 35, 0x9F},
    {"towary-o.txt", sim::RodzinaTowarow::S, 0xA9, 0xAC, 1 + 35, 0xF1},
    {"towary-v.txt", sim::RodzinaTowarow::V, 0x04, 0x03, 1 + 31, 0x9F},
    {"towary-w.txt", sim::RodzinaTowarow::W, 0x02, 0x03, 1 + 32, 0x04},
    {"towary-m.txt", sim::RodzinaTowarow::M, 0x02, 0xAC, 1 + 35, 0x04},
    {"towary-t.txt", sim::RodzinaTowarow::T, 0xBE, 0xBD, 1 + 33, 0xBF},
};

Bajty Numer(uint32_t n) { return {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8)}; }

// The answer after the acknowledgement, when the request has one.
Bajty BezPotwierdzenia(Bajty b, uint8_t kod) {
  if ((kod == 0xAC || kod == 0x9E || kod == 0xA9 || kod == 0x9F || kod == 0xF1) && !b.empty() && b[0] == 0x06)
    b.erase(b.begin());
  return b;
}

}  // namespace

TEST(Towary, EveryFamilyWritesReadsAndDeletesInItsOwnLayout) {
  for (const Rodzina& r : Rodziny) {
    SCOPED_TRACE(r.plik);
    const sim::StanKasy stan = simtest::Stan(r.plik);
    Stanowisko s(stan);
    // Generated goods hold only what the family keeps, so a write stores them whole.
    const sim::Towary wzor = sim::WygenerowaneTowary(stan.typ, 40);
    for (uint16_t n : {uint16_t{20}, uint16_t{33}}) {
      EXPECT_EQ(BezPotwierdzenia(s.Rozkaz(r.zapis, ZapisTowaru(r.rodzina, n, wzor.at(n))), r.zapis), Bajty{0x00});
      EXPECT_EQ(s.kasa.Stan().towary.at(n), wzor.at(n));
    }
    const uint32_t poza = stan.pojemnosc + 1;
    EXPECT_EQ(BezPotwierdzenia(s.Rozkaz(r.zapis, ZapisTowaru(r.rodzina, poza, wzor.at(1))), r.zapis), Bajty{0x05});
    EXPECT_EQ(BezPotwierdzenia(s.Rozkaz(r.odczyt, Numer(20)), r.odczyt).size(), r.odpowiedz);
    EXPECT_EQ(BezPotwierdzenia(s.Rozkaz(r.odczyt, Numer(21)), r.odczyt), Bajty{0x66});
    EXPECT_EQ(BezPotwierdzenia(s.Rozkaz(r.odczyt, Numer(poza)), r.odczyt), Bajty{0x05});
    EXPECT_EQ(BezPotwierdzenia(s.Rozkaz(r.odczyt, Numer(0)), r.odczyt), Bajty{0x05});
    // Deleting: the next-number families answer where the next goods is, also for a gap.
    const bool zNastepnym = r.rodzina == sim::RodzinaTowarow::W || r.rodzina == sim::RodzinaTowarow::T;
    const Bajty usuniety = BezPotwierdzenia(s.Rozkaz(r.kasowanie, Numer(20)), r.kasowanie);
    EXPECT_EQ(usuniety, (zNastepnym ? Bajty{0x00, 33, 0} : Bajty{0x00}));
    EXPECT_FALSE(s.kasa.Stan().towary.contains(20));
    const Bajty luka = BezPotwierdzenia(s.Rozkaz(r.kasowanie, Numer(20)), r.kasowanie);
    EXPECT_EQ(luka, (zNastepnym ? Bajty{0x00, 33, 0} : Bajty{0x66}));
  }
}

TEST(Towary, ReadoutsCarryEachLayoutByteForByte) {
  const struct {
    const char* plik;
    uint8_t kod;
    uint16_t numer;
    Bajty oczekiwane;  // after the name
    size_t nazwa;
  } przypadki[] = {
      // Full layout: rate, group, attribute, unit, flag 1, barcode, price, flag 2.
      {"towary-s.txt", 0xAC, 7, {5, 99, 1, 16, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1}, 19},
      // V: rate and group in one byte, barcode, price, next number.
      {"towary-v.txt", 0x03, 6, {0x2F, 0x3E, 0x78, 0x67, 0xB3, 0x5D, 0x05, 0xD9, 0x02, 0, 0, 40, 0}, 18},
      // W: barcode with the unit minus 1 in the top nibble, price, next number (none after the last).
      {"towary-w.txt", 0x03, 9, {0x5D, 0x78, 0x67, 0xB3, 0x5D, 0x05, 0xBB, 0x02, 0, 0, 0, 0}, 20},
      // T: carrier bits of flag 2, flag 1 and attribute 2; the unit 16 over the price; next 300; check byte.
      {"towary-t.txt", 0xBD, 15, {4, 99, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xEF, 0xFF, 0xFF, 0xFF, 0xFF, 0x2C, 0x01}, 18},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.plik);
    Stanowisko s(simtest::Stan(p.plik));
    const Bajty odp = BezPotwierdzenia(s.Rozkaz(p.kod, Numer(p.numer)), p.kod);
    ASSERT_GT(odp.size(), 1 + p.nazwa);
    EXPECT_EQ(odp[0], 0x00);
    const std::string nazwa(odp.begin() + 1, odp.begin() + 1 + static_cast<long>(p.nazwa));
    EXPECT_EQ(nazwa, s.kasa.Stan().towary.at(p.numer).nazwa + std::string(p.nazwa - s.kasa.Stan().towary.at(p.numer).nazwa.size(), ' '));
    Bajty reszta(odp.begin() + 1 + static_cast<long>(p.nazwa), odp.end());
    if (p.kod == 0xBD) {
      const Bajty rekord(odp.begin() + 1, odp.end());
      EXPECT_EQ(rekord.back(), Xor(rekord, 32));
      reszta.pop_back();
    }
    EXPECT_EQ(reszta, p.oczekiwane) << sim::Szesnastkowo(reszta);
  }
}

TEST(Towary, AWriteWithAWrongCheckByteIsRefusedAndNotStored) {
  Stanowisko s(simtest::Stan("towary-t.txt"));
  Towar t;
  t.nazwa = "Nowy";
  Bajty zapis = ZapisTowaru(sim::RodzinaTowarow::T, 50, t);
  zapis.back() ^= 1;
  EXPECT_EQ(s.Rozkaz(0xBE, zapis), Bajty{0x13});
  EXPECT_FALSE(s.kasa.Stan().towary.contains(50));
}

TEST(Towary, RangeRequestsAnswerTheLowestAndHighestGoods) {
  Stanowisko v(simtest::Stan("towary-v.txt"));
  EXPECT_EQ(v.Rozkaz(0x05), (Bajty{0x06, 5, 0}));
  EXPECT_EQ(v.Rozkaz(0x91), (Bajty{0x06, 40, 0}));
  Stanowisko w(simtest::Stan("towary-w.txt"));
  EXPECT_EQ(w.Rozkaz(0x15), (Bajty{0x06, 0x00, 3, 0}));
  EXPECT_EQ(w.Rozkaz(0x91), (Bajty{0x06, 9, 0}));
  Stanowisko t(simtest::Stan("towary-t.txt"));
  EXPECT_EQ(t.Rozkaz(0x91), (Bajty{0x06, 0x2C, 0x01}));
  EXPECT_EQ(t.Rozkaz(0x05), Bajty{0x15});
  Stanowisko s(simtest::Stan("towary-s.txt"));
  EXPECT_EQ(s.Rozkaz(0x91), Bajty{0x15});  // refused in its state file
  // Clearing the Norda catalogue leaves the range empty.
  EXPECT_EQ(v.Rozkaz(0x63, {6, 2}), (Bajty{0x06, 0x13}));
  EXPECT_EQ(v.Rozkaz(0x63, {6, 1}), (Bajty{0x06, 0x00}));
  EXPECT_TRUE(v.kasa.Stan().towary.empty());
  EXPECT_EQ(v.Rozkaz(0x91), (Bajty{0x06, 0, 0}));
}

TEST(Towary, EachFamilyRefusesTheRequestsOfTheOthers) {
  const struct { const char* plik; uint8_t kod; } przypadki[] = {
      {"towary-s.txt", 0xBD}, {"towary-s.txt", 0xA9}, {"towary-s.txt", 0xF1}, {"towary-s.txt", 0x03},
      {"towary-o.txt", 0x9E}, {"towary-o.txt", 0x9F}, {"towary-v.txt", 0x02}, {"towary-w.txt", 0x63},
      {"towary-m.txt", 0x03}, {"towary-m.txt", 0x15}, {"towary-t.txt", 0x04}, {"towary-t.txt", 0x9E},
  };
  for (const auto& p : przypadki) {
    Stanowisko s(simtest::Stan(p.plik));
    EXPECT_EQ(s.Rozkaz(p.kod), Bajty{0x15}) << p.plik << " " << int(p.kod);
  }
}

TEST(Towary, SingleFieldRequestsChangeExistingGoodsOnly) {
  Stanowisko s(simtest::Stan("towary-m.txt"));
  Bajty zmiana = Numer(2);
  zmiana.insert(zmiana.end(), {7, 9});
  Liczba(zmiana, 123456789012, 6);
  Liczba(zmiana, 777, 4);
  EXPECT_EQ(s.Rozkaz(0xA6, zmiana), (Bajty{0x06, 0x00}));
  const Towar& t = s.kasa.Stan().towary.at(2);
  EXPECT_EQ(t.grupa, 7);
  EXPECT_EQ(t.jednostka, 9);
  EXPECT_EQ(t.kod, 123456789012u);
  EXPECT_EQ(t.cena, 777u);
  EXPECT_EQ(t.nazwa, "Ryz 1kg");
  EXPECT_EQ(s.Rozkaz(0xA4, {2, 0, 0x5A}), (Bajty{0x06, 0x00}));
  EXPECT_EQ(s.kasa.Stan().towary.at(2).blokada, 0x5A);
  EXPECT_EQ(s.Rozkaz(0xA4, {3, 0, 1}), (Bajty{0x06, 0x66}));
  EXPECT_EQ(s.Rozkaz(0xE6, {2, 0}), (Bajty{0x06, 0x00, 0x00}));
  // A rewrite keeps the blocking byte.
  Towar nowy;
  nowy.nazwa = "Ryz";
  EXPECT_EQ(s.Rozkaz(0x02, ZapisTowaru(sim::RodzinaTowarow::M, 2, nowy)), Bajty{0x00});
  EXPECT_EQ(s.kasa.Stan().towary.at(2).blokada, 0x5A);
  Stanowisko pelny(simtest::Stan("towary-s.txt"));
  EXPECT_EQ(pelny.Rozkaz(0xE6, {7, 0}), (Bajty{0x06, 0x00, 0x01}));
  EXPECT_EQ(pelny.Rozkaz(0xE6, {8, 0}), (Bajty{0x06, 0x66}));
}

TEST(Towary, GoodsFaultsActOnTheNamedGoodsOnly) {
  Stanowisko s(simtest::Stan("towary-t.txt"),
               simtest::Usterki({"0xBE,towar=50-60:status=0x7C", "0xBD,towar=2:badcheck",
                                 "0xBD,towar=300:stored=grupa,0", "0xBD,towar=300:stored=znacznik2,1"}));
  Towar t;
  t.nazwa = "X";
  EXPECT_EQ(s.Rozkaz(0xBE, ZapisTowaru(sim::RodzinaTowarow::T, 55, t)), Bajty{0x7C});
  EXPECT_FALSE(s.kasa.Stan().towary.contains(55));
  EXPECT_EQ(s.Rozkaz(0xBE, ZapisTowaru(sim::RodzinaTowarow::T, 61, t)), Bajty{0x00});
  const Bajty zla = s.Rozkaz(0xBD, Numer(2));
  const Bajty rekordZly(zla.begin() + 1, zla.end());
  EXPECT_NE(rekordZly.back(), Xor(rekordZly, 32));
  const Bajty dobra = s.Rozkaz(0xBD, Numer(1));
  EXPECT_EQ(dobra.back(), Xor(Bajty(dobra.begin() + 1, dobra.end()), 32));
  const Bajty zmieniona = s.Rozkaz(0xBD, Numer(300));
  EXPECT_EQ(zmieniona.at(1 + 18 + 1), 0);                 // group
  EXPECT_EQ(zmieniona.at(1 + 18 + 2 + 5) & 0x80, 0x80);  // flag 2 in the barcode's carrier bits
  EXPECT_EQ(s.kasa.Stan().towary.at(300).grupa, 50);     // the stored record stays
}

TEST(Towary, FaultsReadTheGoodsOptionAndKinds) {
  std::string blad;
  const auto u = sim::CzytajUsterke("0xAC,towar=5+:stored=jednostka,0", blad);
  ASSERT_TRUE(u) << blad;
  EXPECT_EQ(u->towarOd, 5u);
  EXPECT_EQ(u->towarDo, UINT32_MAX);
  EXPECT_TRUE(u->DrugaFaza());
  EXPECT_EQ(u->liczba, static_cast<uint32_t>(sim::PoleTowaru::Jednostka));
  for (const char* zly : {"0xBD,towar=0:badcheck", "0xBD,towar=5:refuse", "0xBD:badcheck=1", "0xAC:stored=cena,1",
                          "0xAC:stored=grupa", "0xAC:stored=grupa,256"})
    EXPECT_FALSE(sim::CzytajUsterke(zly, blad)) << zly;
}
