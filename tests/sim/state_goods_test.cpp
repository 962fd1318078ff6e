// The "$towar" lines of the state file: reading, refusals, write-back.
#include <gtest/gtest.h>

#include "device/register_state.h"

using sim::PlikDanych;

namespace {

const std::string Naglowek = "$typ\t't'\r\n$wersja\t2\r\n$identyfikator\tA\r\n$numer\t07\r\n$pojemnosc\t300\r\n";

}  // namespace

TEST(StanTowarow, ReadsGoodsLinesWithEscapedNameBytes) {
  std::string blad;
  auto plik = PlikDanych::ZTekstu(Naglowek +
                                      "$towar\t300\tA\\x09B\\x5C\xBD\t7\t99\t3\t16\t1\t281474976710655\t4294967295\t1\t9\t4\r\n"
                                      "$towar\t1\tChleb\t1\t1\t3\t1\t0\t0\t0\t0\r\n",
                                  blad);
  ASSERT_TRUE(plik) << blad;
  const auto stan = sim::StanZPliku(*plik, blad);
  ASSERT_TRUE(stan) << blad;
  ASSERT_EQ(stan->towary.size(), 2u);
  const sim::Towar& t = stan->towary.at(300);
  EXPECT_EQ(t.nazwa, "A\tB\\\xBD");
  EXPECT_EQ(t.stawka, 7);
  EXPECT_EQ(t.grupa, 99);
  EXPECT_EQ(t.jednostka, 16);
  EXPECT_EQ(t.kod, sim::NajwiekszyKod);
  EXPECT_EQ(t.cena, 4294967295u);
  EXPECT_EQ(t.blokada, 9);
  EXPECT_EQ(t.znacznikNazwy, 4);
  EXPECT_EQ(stan->towary.at(1).blokada, 0);
}

TEST(StanTowarow, RefusesABadGoodsLineAndNamesIt) {
  const char* const zle[] = {
      "$towar\t0\tX\t1\t1\t3\t1\t0\t0\t0\t0\r\n",                     // number 0
      "$towar\t301\tX\t1\t1\t3\t1\t0\t0\t0\t0\r\n",                   // beyond the capacity
      "$towar\t5\tX\t1\t1\t3\t1\t0\t0\t0\r\n",                        // a field short
      "$towar\t5\tABCDEFGHIJKLMNOPQRSTU\t1\t1\t3\t1\t0\t0\t0\t0\r\n",  // a name of 21 bytes
      "$towar\t5\tA\\xZZ\t1\t1\t3\t1\t0\t0\t0\t0\r\n",                // a bad escape
      "$towar\t5\tX\t256\t1\t3\t1\t0\t0\t0\t0\r\n",                   // a rate above a byte
      "$towar\t5\tX\t1\t1\t3\t1\t0\t281474976710656\t0\t0\r\n",       // a barcode of 2^48
      "$towar\t5\tX\t1\t1\t3\t1\t0\t-1\t0\t0\r\n",
      "$towar\t5\tX\t1\t1\t3\t1\t0\t0\t4294967296\t0\r\n",
      "$towar\t5\tX\t1\t1\t3\t1\t0\t0\t0\t0\r\n$towar\t5\tY\t1\t1\t3\t1\t0\t0\t0\t0\r\n",  // twice
  };
  for (const char* linia : zle) {
    std::string blad;
    auto plik = PlikDanych::ZTekstu(Naglowek + linia, blad);
    ASSERT_TRUE(plik) << blad;
    EXPECT_FALSE(sim::StanZPliku(*plik, blad)) << linia;
    EXPECT_NE(blad.find("$towar"), std::string::npos) << blad;
  }
}

TEST(StanTowarow, WritesTheCatalogueBackOnlyWhenItChanged) {
  std::string blad;
  auto plik = PlikDanych::ZTekstu(Naglowek + "$towar\t2\tB\t1\t1\t3\t1\t0\t0\t5\t0\r\n; end\r\n", blad);
  const auto wczytany = *sim::StanZPliku(*plik, blad);
  auto stan = wczytany;
  sim::StanDoPliku(stan, wczytany, *plik);
  EXPECT_FALSE(plik->Zmieniony());
  stan.towary[1].nazwa = "A\r\n";
  stan.towary[2].blokada = 3;
  sim::StanDoPliku(stan, wczytany, *plik);
  EXPECT_EQ(plik->Tekst(), Naglowek + "$towar\t1\tA\\x0D\\x0A\t1\t1\t3\t1\t0\t0\t0\t0\r\n"
                                      "$towar\t2\tB\t1\t1\t3\t1\t0\t0\t5\t0\t3\r\n; end\r\n");
  // Read back, the catalogue is the same; emptied, the lines go.
  auto zapisany = PlikDanych::ZTekstu(plik->Tekst(), blad);
  EXPECT_EQ(sim::StanZPliku(*zapisany, blad)->towary, stan.towary);
  const auto przed = stan;
  stan.towary.clear();
  sim::StanDoPliku(stan, przed, *zapisany);
  EXPECT_EQ(zapisany->Tekst(), Naglowek + "; end\r\n");
}

TEST(StanTowarow, TheGeneratorFillsEveryNumberWithinWhatTheLayoutHolds) {
  const auto t = sim::WygenerowaneTowary('t', 65535);
  ASSERT_EQ(t.size(), 65535u);
  EXPECT_EQ(t.rbegin()->first, 65535);
  for (const auto& [numer, towar] : t) {
    ASSERT_LT(towar.kod, uint64_t{1} << 44) << numer;
    ASSERT_LT(towar.cena, 1u << 28) << numer;
    ASSERT_TRUE(towar.stawka >= 1 && towar.stawka <= 7 && towar.grupa >= 1 && towar.grupa <= 99) << numer;
  }
  for (const auto& [numer, towar] : sim::WygenerowaneTowary('u', 500)) ASSERT_LE(towar.grupa, 15) << numer;
}
