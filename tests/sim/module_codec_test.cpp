// The module's frame codec: coded lengths, the CRC, round trips, and the
// faults it must see in a frame.
#include <gtest/gtest.h>

#include <string>

#include "module/frame_codec.h"

using sim::Bajty;
namespace ramka = sim::ramka;

namespace {

TEST(KodRamki, CodedLengthIsOneHighBitByteForEverySevenStarted) {
  const struct { size_t surowych, zakodowanych; } przypadki[] = {
      {0, 0}, {1, 2}, {6, 7}, {7, 8}, {8, 10}, {9, 11}, {14, 16}, {15, 18}, {222, 254}, {223, 255}, {224, 256}};
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.surowych);
    EXPECT_EQ(ramka::DlugoscZakodowana(p.surowych), p.zakodowanych);
    EXPECT_EQ(ramka::Koduj(Bajty(p.surowych, 0xA5)).size(), p.zakodowanych);
  }
}

TEST(KodRamki, RequestWithoutParametersIsSixteenWireBytes) {
  // Five lengths and codes, no parameters: 9 raw bytes with length, control byte and CRC.
  const auto r = ramka::Zbuduj(0x20, Bajty{3, 0, 0, 0x1B, 0xC0});
  ASSERT_TRUE(r);
  EXPECT_EQ(r->size(), 16u);
  EXPECT_EQ(Bajty(r->begin(), r->begin() + 5), (Bajty{'K', 'A', 'R', 'V', 'O'}));
  EXPECT_EQ((*r)[6], 0x80 | 11);  // the length byte: 11 coded bytes
}

TEST(KodRamki, Crc16ArcOfTheCheckString) {
  const std::string tekst = "123456789";
  EXPECT_EQ(ramka::Crc16(Bajty(tekst.begin(), tekst.end())), 0xBB3D);
  EXPECT_EQ(ramka::Crc16(Bajty{}), 0);
}

TEST(KodRamki, GoodFrameLeavesZeroCrcOverItsDecodedBytes) {
  const auto r = ramka::Zbuduj(0x00, Bajty{0x06, 0x30, 0x37});
  ASSERT_TRUE(r);
  const auto surowe = ramka::Dekoduj(std::span(*r).subspan(5));
  ASSERT_TRUE(surowe);
  EXPECT_EQ(ramka::Crc16(*surowe), 0);
}

TEST(KodRamki, RoundTripsEveryLengthAndBitPattern) {
  for (size_t n = 0; n <= ramka::NajwiecejTresci; n += 7) {
    for (uint8_t wzor : {0x00, 0xFF, 0x80, 0x7F, 0x5A}) {
      Bajty tresc(n);
      for (size_t i = 0; i < n; ++i) tresc[i] = static_cast<uint8_t>(wzor ^ (i * 37));
      const auto r = ramka::Zbuduj(0x08, tresc);
      ASSERT_TRUE(r) << n;
      for (size_t i = 5; i < r->size(); ++i) ASSERT_TRUE((*r)[i] & 0x80) << n << " byte " << i;
      std::string blad;
      const auto rozebrana = ramka::Rozbierz(std::span(*r).subspan(5), blad);
      ASSERT_TRUE(rozebrana) << n << ": " << blad;
      EXPECT_EQ(rozebrana->bajtSterujacy, 0x08);
      EXPECT_EQ(rozebrana->tresc, tresc);
    }
  }
  EXPECT_FALSE(ramka::Zbuduj(0, Bajty(ramka::NajwiecejTresci + 1)));
  EXPECT_EQ(ramka::Zbuduj(0, Bajty(ramka::NajwiecejTresci))->size(), 5u + 255u);
}

TEST(KodRamki, FindsWhatIsWrongWithAFrame) {
  const Bajty dobra = *ramka::Zbuduj(0x20, Bajty{3, 0, 0, 0x1B, 0xC0});
  const auto zepsuta = [&](size_t i, uint8_t xorem) {
    Bajty b(dobra.begin() + 5, dobra.end());
    b[i] ^= xorem;
    return b;
  };
  const struct { const char* nazwa; Bajty bajty; const char* blad; } przypadki[] = {
      {"bit 7 clear", zepsuta(3, 0x80), "bad 7-in-8 coding"},
      {"a data bit", zepsuta(9, 0x01), "CRC error"},
      {"a high bit", zepsuta(8, 0x40), "CRC error"},
      {"stray bit of a missing byte", zepsuta(8, 0x01), "bad 7-in-8 coding"},
      {"cut", Bajty(dobra.begin() + 5, dobra.end() - 1), "length byte 11 for 10 bytes"},
      {"too short", Bajty{0x80, 0x83, 0x80, 0x80}, "too short for a length, a control byte and the CRC"},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.nazwa);
    std::string blad;
    EXPECT_FALSE(ramka::Rozbierz(p.bajty, blad));
    EXPECT_EQ(blad, p.blad);
  }
}

TEST(OdbiornikRamek, HuntsTheHeaderAndReadsTheAnnouncedLength) {
  const Bajty dobra = *ramka::Zbuduj(0x20, Bajty{3, 0, 0, 0x1B, 0xC0});
  const struct { const char* nazwa; std::string przed; } przypadki[] = {
      {"clean", ""}, {"garbage", "\x01\x02x"}, {"broken header", "KARx"}, {"header start twice", "KAKAR"},
      {"almost a header", "KARVKARV"},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.nazwa);
    ramka::Odbiornik o;
    Bajty strumien(p.przed.begin(), p.przed.end());
    strumien.insert(strumien.end(), dobra.begin(), dobra.end());
    int gotowe = 0;
    for (size_t i = 0; i < strumien.size(); ++i) {
      const bool koniec = o.Dodaj(strumien[i]);
      gotowe += koniec;
      if (koniec) {
        EXPECT_EQ(i, strumien.size() - 1);
      }
    }
    EXPECT_EQ(gotowe, 1);
    EXPECT_EQ(o.Ramka(), Bajty(dobra.begin() + 5, dobra.end()));
    EXPECT_EQ(o.Pominiete(), Bajty(p.przed.begin(), p.przed.end()));
    EXPECT_TRUE(o.Pominiete().empty());
  }
}

TEST(OdbiornikRamek, TwoFramesInARow) {
  const Bajty a = *ramka::Zbuduj(0x00, Bajty{6}), b = *ramka::Zbuduj(0x08, Bajty(100, 0xFF));
  ramka::Odbiornik o;
  Bajty strumien = a;
  strumien.insert(strumien.end(), b.begin(), b.end());
  std::vector<Bajty> ramki;
  for (uint8_t x : strumien)
    if (o.Dodaj(x)) ramki.push_back(o.Ramka());
  ASSERT_EQ(ramki.size(), 2u);
  EXPECT_EQ(ramki[1], Bajty(b.begin() + 5, b.end()));
  EXPECT_FALSE(o.WTrakcie());
}

}  // namespace
