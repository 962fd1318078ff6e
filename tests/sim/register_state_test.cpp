#include <gtest/gtest.h>

#include <filesystem>

#include "device/register_state.h"
#include "sim_test_support.h"

using sim::PlikDanych;

TEST(StanKasy, EveryReadyMadeRegisterLoads) {
  size_t ile = 0;
  for (const auto& wpis : std::filesystem::directory_iterator(KARVO_SIM_DEVICES)) {
    std::string blad;
    auto plik = PlikDanych::Wczytaj(wpis.path().string(), blad);
    ASSERT_TRUE(plik) << blad;
    EXPECT_TRUE(sim::StanZPliku(*plik, blad)) << wpis.path() << ": " << blad;
    ++ile;
  }
  EXPECT_GE(ile, 12u);
}

TEST(StanKasy, ReadsTheValueSyntaxes) {
  std::string blad;
  auto plik = PlikDanych::ZTekstu(
      "$typ\t't'\n$wersja\t0x0A\n$litera\tA\n$identyfikator\tVIN 1\n$numer\t07\n$pojemnosc\t65535\n$adres\t3\n"
      "$odrzuca\t0xFE\t111\n",
      blad);
  ASSERT_TRUE(plik);
  auto stan = sim::StanZPliku(*plik, blad);
  ASSERT_TRUE(stan) << blad;
  EXPECT_EQ(stan->typ, 't');
  EXPECT_EQ(stan->wersja, 10);
  EXPECT_EQ(stan->litera, 'A');
  EXPECT_EQ(stan->identyfikator, "VIN 1");
  EXPECT_EQ(stan->pojemnosc, 65535u);
  EXPECT_EQ(stan->adres, 3);
  EXPECT_TRUE(stan->odrzuca.test(0xFE));
  EXPECT_TRUE(stan->odrzuca.test(0x6F));
  EXPECT_EQ(stan->odrzuca.count(), 2u);
}

TEST(StanKasy, NamesTheKeyOfAMissingOrBadValue) {
  const std::string dobre = "$typ\t1\n$wersja\t1\n$identyfikator\tX\n$numer\t01\n$pojemnosc\t1\n";
  const struct { std::string zamiana, klucz; } przypadki[] = {
      {"$typ\t256\n", "typ"},       {"$wersja\tx\n", "wersja"},     {"$numer\t7\n", "numer"},
      {"$pojemnosc\t65536\n", "pojemnosc"}, {"$adres\t9\n", "adres"}, {"$odrzuca\t0x100\n", "odrzuca"},
      {"$identyfikator\n", "identyfikator"},
  };
  for (const auto& p : przypadki) {
    std::string blad;
    auto plik = PlikDanych::ZTekstu(p.zamiana + dobre, blad);  // the first record of a key counts
    ASSERT_TRUE(plik);
    EXPECT_FALSE(sim::StanZPliku(*plik, blad)) << p.zamiana;
    EXPECT_NE(blad.find(p.klucz), std::string::npos) << blad;
  }
  std::string blad;
  auto bezTypu = PlikDanych::ZTekstu("$wersja\t1\n", blad);
  EXPECT_FALSE(sim::StanZPliku(*bezTypu, blad));
  EXPECT_NE(blad.find("typ"), std::string::npos);
}

TEST(StanKasy, WritesBackOnlyWhatChanged) {
  std::string blad;
  const std::string tekst = "; keep\r\n$typ\t't'\r\n$wersja\t2\r\n$identyfikator\tA\r\n$numer\t07\r\n$pojemnosc\t10\r\n";
  auto plik = PlikDanych::ZTekstu(tekst, blad);
  const auto wczytany = *sim::StanZPliku(*plik, blad);
  auto stan = wczytany;
  sim::StanDoPliku(stan, wczytany, *plik);
  EXPECT_FALSE(plik->Zmieniony());
  stan.numer = "42";
  sim::StanDoPliku(stan, wczytany, *plik);
  EXPECT_TRUE(plik->Zmieniony());
  EXPECT_EQ(plik->Tekst(), "; keep\r\n$typ\t't'\r\n$wersja\t2\r\n$identyfikator\tA\r\n$numer\t42\r\n$pojemnosc\t10\r\n");
}
