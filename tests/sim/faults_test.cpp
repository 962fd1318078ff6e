#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "device/faults.h"

using sim::RodzajUsterki;

TEST(Usterka, ReadsEveryKindAndOption) {
  const struct {
    const char* zapis;
    int kod, adres;
    uint32_t od, doW;
    int bajt;
    RodzajUsterki rodzaj;
    uint32_t liczba;
    sim::Bajty bajty;
    bool druga;
  } przypadki[] = {
      {"0xC0:silent", 0xC0, -1, 1, UINT32_MAX, -1, RodzajUsterki::Cisza, 0, {}, false},
      {"192:refuse", 0xC0, -1, 1, UINT32_MAX, -1, RodzajUsterki::Odmowa, 0, {}, false},
      {"*:ack=0x65", -1, -1, 1, UINT32_MAX, -1, RodzajUsterki::Potwierdzenie, 0, {0x65}, false},
      {"0x71,n=3:garbage", 0x71, -1, 3, 3, -1, RodzajUsterki::Smieci, 0, {}, false},
      {"0x71,n=2-4:garbage=9", 0x71, -1, 2, 4, -1, RodzajUsterki::Smieci, 9, {}, false},
      {"0x71,n=5+:raw=1,0x02", 0x71, -1, 5, UINT32_MAX, -1, RodzajUsterki::Surowe, 0, {1, 2}, false},
      {"0xC0,reg=3:late=250", 0xC0, 3, 1, UINT32_MAX, -1, RodzajUsterki::Opoznienie, 250, {}, false},
      {"0xC0:cut=2", 0xC0, -1, 1, UINT32_MAX, -1, RodzajUsterki::Ciecie, 2, {}, false},
      {"0xA8:hold=900", 0xA8, -1, 1, UINT32_MAX, -1, RodzajUsterki::Wstrzymanie, 900, {}, false},
      {"0xE6:eor=10", 0xE6, -1, 1, UINT32_MAX, -1, RodzajUsterki::KoniecRekordow, 10, {}, false},
      {"0xE6,p1=0:eor=10", 0xE6, -1, 1, UINT32_MAX, 1, RodzajUsterki::KoniecRekordow, 10, {}, true},
      {"0xE6:status=0x7A", 0xE6, -1, 1, UINT32_MAX, -1, RodzajUsterki::Status, 0, {0x7A, 0, 0}, true},
      {"0xE6,p0=7:status=0x0B,1", 0xE6, -1, 1, UINT32_MAX, 0, RodzajUsterki::Status, 0, {0x0B, 1}, true},
      {"0x43:silent2", 0x43, -1, 1, UINT32_MAX, -1, RodzajUsterki::Cisza2, 0, {}, true},
      {"0x43:garbage2", 0x43, -1, 1, UINT32_MAX, -1, RodzajUsterki::Smieci2, 0, {}, true},
      {"0x43:raw2=0", 0x43, -1, 1, UINT32_MAX, -1, RodzajUsterki::Surowe2, 0, {0}, true},
      {"0x43:late2=5", 0x43, -1, 1, UINT32_MAX, -1, RodzajUsterki::Opoznienie2, 5, {}, true},
      {"0xA1,p0=0x80:check=3", 0xA1, -1, 1, UINT32_MAX, 0, RodzajUsterki::ZlaSumaStrumienia, 3, {}, true},
      {"0x61:check=1", 0x61, -1, 1, UINT32_MAX, -1, RodzajUsterki::ZlaSumaStrumienia, 1, {}, true},
  };
  for (const auto& p : przypadki) {
    std::string blad;
    const auto u = sim::CzytajUsterke(p.zapis, blad);
    ASSERT_TRUE(u) << p.zapis << ": " << blad;
    EXPECT_EQ(u->kod, p.kod) << p.zapis;
    EXPECT_EQ(u->adres, p.adres) << p.zapis;
    EXPECT_EQ(u->od, p.od) << p.zapis;
    EXPECT_EQ(u->doWystapienia, p.doW) << p.zapis;
    EXPECT_EQ(u->bajtParametru, p.bajt) << p.zapis;
    EXPECT_EQ(u->rodzaj, p.rodzaj) << p.zapis;
    EXPECT_EQ(u->liczba, p.liczba) << p.zapis;
    EXPECT_EQ(u->bajty, p.bajty) << p.zapis;
    EXPECT_EQ(u->DrugaFaza(), p.druga) << p.zapis;
  }
}

TEST(Usterka, RefusesMalformedFaults) {
  for (const char* zapis : {"", "0xC0", "0x100:silent", "x:silent", "0xC0:whisper", "0xC0:silent=1", "0xC0:ack",
                            "0xC0:ack=256", "0xC0:late", "0xC0:raw=", "0xC0:raw=1,,2", "0xC0,n=0:silent",
                            "0xC0,n=3-2:silent", "0xC0,n=:silent", "0xC0,reg=9:silent", "0xC0,q=1:silent",
                            "0xC0,p0=1:refuse", "0xC0:eor=3", "0xE6,p0=256:status=1", "0xE6:status=",
                            "0xA2:check=1", "0xA1:check=0", "0xA1:check"}) {
    std::string blad;
    EXPECT_FALSE(sim::CzytajUsterke(zapis, blad)) << zapis;
    EXPECT_FALSE(blad.empty()) << zapis;
  }
}

TEST(Usterka, MatchesCodeAddressOccurrenceAndParameter) {
  std::string blad;
  const auto u = *sim::CzytajUsterke("0xE6,n=2-3,reg=2,p1=0x10:status=5", blad);
  EXPECT_FALSE(u.Pasuje(2, 0xE6, 1));
  EXPECT_TRUE(u.Pasuje(2, 0xE6, 2));
  EXPECT_TRUE(u.Pasuje(2, 0xE6, 3));
  EXPECT_FALSE(u.Pasuje(2, 0xE6, 4));
  EXPECT_FALSE(u.Pasuje(1, 0xE6, 2));
  EXPECT_FALSE(u.Pasuje(2, 0xE7, 2));
  const uint8_t dobre[] = {1, 0x10}, zle[] = {1, 0x11}, krotkie[] = {1};
  EXPECT_TRUE(u.PasujeParametr(dobre));
  EXPECT_FALSE(u.PasujeParametr(zle));
  EXPECT_FALSE(u.PasujeParametr(krotkie));
}

TEST(Usterka, ReadsAScriptFileAndNamesTheBadLine) {
  const std::string sciezka = ::testing::TempDir() + "/faults_script.txt";
  {
    std::ofstream f(sciezka, std::ios::binary);
    f << "; faults for one test\r\n\r\n0xC0:silent\r\n  $0xFE,n=1:refuse  \r\n";
  }
  std::vector<sim::Usterka> usterki;
  std::string blad;
  ASSERT_TRUE(sim::WczytajUsterki(sciezka, usterki, blad)) << blad;
  ASSERT_EQ(usterki.size(), 2u);
  EXPECT_EQ(usterki[1].kod, 0xFE);
  {
    std::ofstream f(sciezka, std::ios::binary);
    f << "0xC0:silent\n0xC0:bad\n";
  }
  usterki.clear();
  EXPECT_FALSE(sim::WczytajUsterki(sciezka, usterki, blad));
  EXPECT_NE(blad.find("line 2"), std::string::npos) << blad;
  EXPECT_FALSE(sim::WczytajUsterki(sciezka + ".none", usterki, blad));
  std::remove(sciezka.c_str());
}
