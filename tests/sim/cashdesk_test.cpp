// The register's cash desk keys: the counters and the tax rate table, its
// defaults per family and the answer of request 0xD0 with each family's markers.
#include <gtest/gtest.h>

#include "device/register_state.h"

using sim::Bajty;

namespace {

std::optional<sim::StanKasy> Stan(const std::string& typ, const std::string& reszta, std::string& blad) {
  auto plik = sim::PlikDanych::ZTekstu(
      "$typ\t" + typ + "\n$wersja\t1\n$identyfikator\tX\n$numer\t01\n$pojemnosc\t100\n" + reszta, blad);
  if (!plik) return std::nullopt;
  return sim::StanZPliku(*plik, blad);
}

Bajty Podatki(const std::string& typ, const std::string& reszta = "") {
  std::string blad;
  const auto s = Stan(typ, reszta, blad);
  EXPECT_TRUE(s) << blad;
  return s ? sim::TablicaPodatkow(s->kasowy, s->typ) : Bajty{};
}

}  // namespace

TEST(Podatki, EachFamilysTableAndMarkers) {
  // Six rates, reserve 0xFF.
  EXPECT_EQ(Podatki("24", "$podatki\t22\t-\t0.5\n"),
            (Bajty{0x08, 0x98, 0xFF, 0, 0x00, 0x32, 0xFF, 0, 0xFF, 0, 0xFF, 0}));
  // Seven rates on the second generation, reserve 0x80, exempt 0x40.
  EXPECT_EQ(Podatki("100"), (Bajty{0x08, 0xFC, 0x03, 0x20, 0x01, 0xF4, 0, 0, 0x40, 0, 0x80, 0, 0x80, 0}));
  // Five rates and their three characters on the Norda registers.
  const Bajty norda = Podatki("'u'", "$podatki_znaki\tAB\n");
  ASSERT_EQ(norda.size(), 25u);
  EXPECT_EQ(Bajty(norda.begin() + 8, norda.begin() + 16), (Bajty{0x80, 0, 'A', 'B', 0, 'B', '0', '8'}));
}

TEST(Podatki, BadValuesAreRefused) {
  for (const auto& [typ, klucz] : std::vector<std::pair<std::string, std::string>>{
           {"24", "$podatki\t100\n"},              // above 99.99
           {"24", "$podatki\t1.234\n"},            // three decimals
           {"24", "$podatki\tzw\n"},               // no exempt rate on the first generation
           {"'u'", "$podatki\tzw\n"},              // nor on the Norda registers
           {"24", "$podatki\t1\t2\t3\t4\t5\t6\t7\n"},  // seven rates on a six-rate register
           {"100", "$podatki_znaki\tA23\n"},       // characters only on the Norda registers
           {"24", "$nr_raportu\t65536\n"},
       }) {
    std::string blad;
    EXPECT_FALSE(Stan(typ, klucz, blad)) << typ << " " << klucz;
    EXPECT_FALSE(blad.empty());
  }
}
