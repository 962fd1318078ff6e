// The register's additional barcodes, barcode codes, keys and goods links:
// the bytes of its answers, which families have which table, and the state
// file keys read and written back.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "device/state_barcodes.h"
#include "sim_test_support.h"

using sim::Bajty;
using simtest::Stanowisko;

namespace {

constexpr uint8_t Ack = 0x06;

std::string Tekst(const std::string& nazwa) {
  std::ifstream plik(simtest::Urzadzenie(nazwa), std::ios::binary);
  std::ostringstream tekst;
  tekst << plik.rdbuf();
  return tekst.str();
}

std::optional<sim::StanKasy> StanZTekstu(const std::string& dodatki, std::string& blad,
                                         std::optional<sim::PlikDanych>* plikWyjscia = nullptr) {
  auto plik = sim::PlikDanych::ZTekstu(Tekst("vin-t.txt") + dodatki, blad);
  if (!plik) return std::nullopt;
  auto stan = sim::StanZPliku(*plik, blad);
  if (plikWyjscia) *plikWyjscia = std::move(plik);
  return stan;
}

}  // namespace

TEST(DodatkoweKodyKasy, APartIsNineRecordsAndTheMarkerAndTheTableEndsWithAnAllZeroRecord) {
  std::string dodatki, blad;
  for (int n = 1; n <= 10; ++n) dodatki += "$kod_dodatkowy\t" + std::to_string(n * 257) + "\t" + std::to_string(0x010203040500 + n) + "\r\n";
  auto stan = StanZTekstu(dodatki, blad);
  ASSERT_TRUE(stan) << blad;
  Stanowisko s(*stan);
  const Bajty czesc0 = s.Rozkaz(0xEA, {0, 0});
  ASSERT_EQ(czesc0.size(), 1u + 1u + 9 * 8 + 1u);
  // Goods number high byte first, barcode low byte first.
  EXPECT_EQ(Bajty(czesc0.begin(), czesc0.begin() + 10), (Bajty{Ack, 0, 1, 1, 1, 5, 4, 3, 2, 1}));
  EXPECT_EQ(czesc0.back(), 0xFF);
  EXPECT_EQ(s.Rozkaz(0xEA, {1, 0}), (Bajty{Ack, 0, 0x0A, 0x0A, 0x0A, 5, 4, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF}));

  // A write of a barcode the table has points it to the new goods number; the deletes go by barcode and by goods.
  EXPECT_EQ(s.Rozkaz(0xEB, {0x12, 0x34, 1, 5, 4, 3, 2, 1}), (Bajty{Ack, 0}));
  EXPECT_EQ(s.kasa.Stan().kody.dodatkowe.front().towar, 0x1234);
  EXPECT_EQ(s.Rozkaz(0xEC, {0x02, 0x02}), (Bajty{Ack, 0}));
  EXPECT_EQ(s.Rozkaz(0xED, {3, 5, 4, 3, 2, 1}), (Bajty{Ack, 0}));
  EXPECT_EQ(s.Rozkaz(0xED, {3, 5, 4, 3, 2, 1}), (Bajty{Ack, 0x66}));
  EXPECT_EQ(s.kasa.Stan().kody.dodatkowe.size(), 8u);
}

TEST(WiazaniaKasy, SixteenBlocksOnNewRegistersEightOnTheOthers) {
  Stanowisko t(simtest::Stan("vin-t.txt"));
  Stanowisko p(simtest::Stan("pelto-103.txt"));
  EXPECT_EQ(t.Rozkaz(0xE7, {15}), (Bajty{Ack, 0, 0xFF}));
  EXPECT_EQ(p.Rozkaz(0xE7, {7}), (Bajty{Ack, 0, 0xFF}));
  EXPECT_EQ(p.Rozkaz(0xE7, {8}), (Bajty{Ack, 0x6C}));
  // Written low byte first, read back goods number high byte first.
  EXPECT_EQ(p.Rozkaz(0xAA, {0x02, 0x01, 0x03, 0x00}), (Bajty{Ack, 0}));
  EXPECT_EQ(p.Rozkaz(0xAA, {0x02, 0x01, 0x04, 0x00}), (Bajty{Ack, 0}));
  EXPECT_EQ(p.Rozkaz(0xE7, {0}), (Bajty{Ack, 0, 0x01, 0x02, 0x04, 0x00, 0xFF}));
  EXPECT_EQ(p.Rozkaz(0xAB, {0x02, 0x01}), (Bajty{Ack, 0}));
  EXPECT_EQ(p.Rozkaz(0xAB, {0x02, 0x01}), (Bajty{Ack, 0x66}));
  for (int n = 0; n < 8 * 16; ++n) EXPECT_EQ(p.Rozkaz(0xAA, {static_cast<uint8_t>(n), 1, 0, 0}), (Bajty{Ack, 0}));
  EXPECT_EQ(p.Rozkaz(0xAA, {0, 2, 0, 0}), (Bajty{Ack, 0x05}));
}

TEST(KlawiszeKasy, KeysFrom33OnAndNoneOnAPriceChecker) {
  Stanowisko s(simtest::Stan("vin-t.txt"));
  EXPECT_EQ(s.Rozkaz(0xF2, {'A', 0x02, 0x01}), (Bajty{Ack, 0}));
  EXPECT_EQ(s.Rozkaz(0xF3, {'A'}), (Bajty{Ack, 0, 0x02, 0x01}));
  EXPECT_EQ(s.Rozkaz(0xF3, {255}), (Bajty{Ack, 0, 0, 0}));
  EXPECT_EQ(s.Rozkaz(0xF3, {32}), (Bajty{Ack, 0x05}));
  EXPECT_EQ(s.Rozkaz(0xF2, {32, 1, 0}), (Bajty{Ack, 0x05}));
  Stanowisko c(simtest::Stan("cenometr-w.txt"));
  EXPECT_EQ(c.Rozkaz(0xF3), Bajty{0x15});
}

TEST(KodyKasyWPliku, KeysAreReadCheckedAndWrittenBackOnlyWhenChanged) {
  std::string blad;
  std::optional<sim::PlikDanych> plik;
  const std::string dodatki =
      "$kod_dodatkowy\t65300\t0xFFFFFFFFFFFF\r\n$klawisz\t'A'\t7\r\n$wiazanie\t1\t2\r\n$bloki_wiazan\t8\r\n; end\r\n";
  auto stan = StanZTekstu(dodatki, blad, &plik);
  ASSERT_TRUE(stan) << blad;
  EXPECT_EQ(stan->kody.dodatkowe, (std::vector<sim::DodatkowyKod>{{65300, 0xFFFFFFFFFFFF}}));
  EXPECT_EQ(stan->kody.klawisze['A'], 7);
  EXPECT_EQ(stan->kody.blokiWiazan, 8);
  EXPECT_EQ(stan->kody.kody[5], "25");

  // Nothing changed: nothing written; a changed key table replaces its lines alone.
  sim::StanDoPliku(*stan, *stan, *plik);
  EXPECT_FALSE(plik->Zmieniony());
  sim::StanKasy nowy = *stan;
  nowy.kody.klawisze['B'] = 9;
  nowy.kody.kody[0] = "29";
  sim::StanDoPliku(nowy, *stan, *plik);
  const std::string tekst = plik->Tekst();
  EXPECT_NE(tekst.find("$kod_dodatkowy\t65300\t0xFFFFFFFFFFFF\r\n$klawisz\t65\t7\r\n$klawisz\t66\t9\r\n$wiazanie\t1\t2\r\n"),
            std::string::npos)
      << tekst;
  EXPECT_NE(tekst.find("$kody_kreskowe\t29\t21\t22\t23\t24\t25\r\n"), std::string::npos) << tekst;

  for (const char* zly : {"$klawisz\t32\t1\r\n", "$bloki_wiazan\t12\r\n", "$kod_dodatkowy\t1\t281474976710656\r\n",
                          "$kody_kreskowe\t20\t21\t22\t23\t24\r\n", "$wiazanie\t65536\t1\r\n"}) {
    EXPECT_FALSE(StanZTekstu(zly, blad)) << zly;
  }
}
