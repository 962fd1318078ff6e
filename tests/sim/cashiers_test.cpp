// The register's cashiers and containers: their state keys read, refused
// and written back, and the layout of the two parts of the shift data.
#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace {

std::optional<sim::StanKasy> ZTekstu(const std::string& reszta, std::string& blad) {
  const std::string tekst = "$typ\t'&'\n$wersja\t2\n$identyfikator\tX\n$numer\t01\n$pojemnosc\t100\n" + reszta;
  auto plik = sim::PlikDanych::ZTekstu(tekst, blad);
  return plik ? sim::StanZPliku(*plik, blad) : std::nullopt;
}

TEST(StanKasjerow, KeysReadAndWrittenBackWhenChanged) {
  std::string blad;
  const std::string tekst =
      "$kasjerow\t3\n$kasjer\t2\tAdam\\x00\t12\t0x82\n$zalogowany\t2\n"
      "$zmiana\t2\t09.12.26\t07:58\t1\t-549755813888\t3\n$pojemnik\t64\tKEG\t65535\n$pojemnik_towaru\t100\t64\n";
  auto stan = ZTekstu(tekst, blad);
  ASSERT_TRUE(stan) << blad;
  ASSERT_EQ(stan->kasjerzy.kasjerzy.size(), 3u);
  const sim::Kasjer* k = stan->kasjerzy.Znajdz(2);
  ASSERT_TRUE(k);
  EXPECT_EQ(k->nazwa, sim::Bajty({'A', 'd', 'a', 'm', 0, ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                  ' ', ' '}));
  EXPECT_EQ(k->flagi, 0x82);
  EXPECT_EQ(k->zmiana.sumy[1], -(int64_t{1} << 39));
  EXPECT_FALSE(stan->kasjerzy.Znajdz(1));
  EXPECT_EQ(stan->pojemniki.pojemniki[63].kaucja, 65535);
  EXPECT_EQ(stan->pojemniki.powiazania.at(100), 64);

  // Unchanged, nothing is rewritten; a change rewrites only its key.
  auto plik = sim::PlikDanych::ZTekstu(tekst, blad);
  sim::StanKasy zmieniony = *stan;
  sim::StanDoPliku(zmieniony, *stan, *plik);
  EXPECT_FALSE(plik->Zmieniony());
  zmieniony.kasjerzy.Znajdz(2)->zmiana.Zeruj();
  sim::StanDoPliku(zmieniony, *stan, *plik);
  EXPECT_EQ(plik->Wszystkie("zmiana"),
            std::vector<sim::PlikDanych::Rekord>({{"2", "09.12.26", "07:58", "0", "0", "0", "0", "0", "0", "0", "0",
                                                   "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0",
                                                   "0", "0", "0"}}));
  EXPECT_EQ(plik->Wszystkie("kasjer").size(), 1u);
}

TEST(StanKasjerow, BadKeysAreRefusedWithTheirReason) {
  const struct {
    const char* linia;
    const char* klucz;
  } przypadki[] = {
      {"$kasjerow\t0\n", "$kasjerow"},
      {"$kasjer\t9\tA\t1\t0\n", "$kasjer"},                      // beyond the default table of 8
      {"$kasjer\t1\tNazwa dluzsza niz 19 zn\t1\t0\n", "$kasjer"},
      {"$kasjer\t1\tA\t12345\t0\n", "$kasjer"},
      {"$zalogowany\t3\n", "$zalogowany"},                       // no such cashier
      {"$kasjer\t1\tA\t1\t0\n$zmiana\t2\t01.01.26\t00:00\n", "$zmiana"},
      {"$kasjer\t1\tA\t1\t0\n$zmiana\t1\t1.1.26\t00:00\n", "$zmiana"},
      {"$kasjer\t1\tA\t1\t0\n$zmiana\t1\t01.01.26\t00:00\t1099511627776\n", "$zmiana"},
      {"$kasjer\t1\tA\t1\t0\n$zmiana\t1\t01.01.26\t00:00\t0\t-549755813889\n", "$zmiana"},
      {"$pojemnik\t65\tA\t1\n", "$pojemnik"},
      {"$pojemnik\t1\tA\t65536\n", "$pojemnik"},
      {"$pojemnik_towaru\t7\t0\n", "$pojemnik_towaru"},
  };
  for (const auto& p : przypadki) {
    std::string blad;
    EXPECT_FALSE(ZTekstu(p.linia, blad)) << p.linia;
    EXPECT_TRUE(blad.starts_with(std::string("\"") + p.klucz + "\"")) << p.linia << blad;
  }
}

// The second part: number, six date digits, four time digits, five counters
// (three more bytes after the fourth on the longer form), five totals, padding.
TEST(StanKasjerow, ShiftPartsAsTheRegisterAnswersThem) {
  sim::ZmianaKasjera z;
  z.data = {0, 9, 1, 2, 2, 6};
  z.godzina = {0, 7, 5, 8};
  z.sumy[1] = -1;
  z.sumy[13] = 0x0102030405;
  z.liczniki = {1, 2, 3, 4, 0x0506};
  z.dalsze[4] = 0x0A0B0C0D0E;
  const sim::Bajty pierwsza = sim::PierwszaCzescZmiany(7, z);
  ASSERT_EQ(pierwsza.size(), 71u);
  EXPECT_EQ(sim::Bajty(pierwsza.begin() + 6, pierwsza.begin() + 11), sim::Bajty(5, 0xFF));
  EXPECT_EQ(sim::Bajty(pierwsza.begin() + 66, pierwsza.end()), sim::Bajty({5, 4, 3, 2, 1}));
  const sim::Bajty krotka = sim::DalszaCzescZmiany(7, z, false);
  const sim::Bajty dluga = sim::DalszaCzescZmiany(7, z, true);
  ASSERT_EQ(krotka.size(), 51u);
  ASSERT_EQ(dluga.size(), 54u);
  EXPECT_EQ(sim::Bajty(krotka.begin(), krotka.begin() + 21),
            sim::Bajty({7, 0, 9, 1, 2, 2, 6, 0, 7, 5, 8, 1, 0, 2, 0, 3, 0, 4, 0, 6, 5}));
  EXPECT_EQ(sim::Bajty(dluga.begin() + 19, dluga.begin() + 24), sim::Bajty({0xEE, 0xEE, 0xEE, 6, 5}));
  EXPECT_EQ(sim::Bajty(krotka.begin() + 41, krotka.begin() + 46), sim::Bajty({0x0E, 0x0D, 0x0C, 0x0B, 0x0A}));
  // What the driver takes of the longer form: the same bytes once the three are left out.
  sim::Bajty bez = dluga;
  bez.erase(bez.begin() + 19, bez.begin() + 22);
  EXPECT_EQ(bez, krotka);
}

}  // namespace
