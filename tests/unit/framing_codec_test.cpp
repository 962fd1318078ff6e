#include <gtest/gtest.h>

#include <cstring>

#include "link_fakes.h"
#include "protocol/framing_codec.h"

using testy::Bajty;

TEST(Kodowanie7w8, EncodedLengthAddsOneByteForEveryGroupOfSeven) {
  const struct { std::size_t surowe, zakodowane; } przypadki[] = {
      {0, 0}, {1, 2}, {6, 7}, {7, 8}, {8, 10}, {9, 11}, {14, 16}, {15, 18}, {223, 255}, {224, 256}, {225, 258},
  };
  for (const auto& p : przypadki) EXPECT_EQ(DlugoscPoZakodowaniu(p.surowe), p.zakodowane) << p.surowe;
}

TEST(Kodowanie7w8, KnownGroupCarriesTheSeventhBitsInItsFirstByte) {
  const uint8_t surowe[] = {0x80, 0x01, 0xFF, 0x00, 0x00, 0x00, 0x81, 0x7F};
  uint8_t wynik[16];
  ASSERT_EQ(Kodowanie7w8(surowe, sizeof surowe, wynik, sizeof wynik), 10u);
  const uint8_t oczekiwane[] = {0x80 | 0x40 | 0x10 | 0x01, 0x80, 0x81, 0xFF, 0x80, 0x80, 0x80, 0x81, 0x80, 0xFF};
  EXPECT_EQ(0, std::memcmp(wynik, oczekiwane, sizeof oczekiwane));
}

TEST(Kodowanie7w8, EveryByteValueAndEveryLengthRoundTrips) {
  for (std::size_t n = 0; n <= 255; ++n) {
    Bajty surowe(n);
    for (std::size_t i = 0; i < n; ++i) surowe[i] = static_cast<uint8_t>((i * 37 + n) & 0xFF);
    uint8_t zakodowane[300], wynik[300];
    const std::size_t z = Kodowanie7w8(surowe.data(), n, zakodowane, sizeof zakodowane);
    ASSERT_EQ(z, DlugoscPoZakodowaniu(n));
    EXPECT_EQ(Bajty(zakodowane, zakodowane + z), testy::Koduj(surowe)) << n;
    for (std::size_t i = 0; i < z; ++i) ASSERT_TRUE(zakodowane[i] & 0x80) << n << " " << i;
    ASSERT_EQ(Dekodowanie7w8(zakodowane, z, wynik, sizeof wynik), n);
    EXPECT_EQ(Bajty(wynik, wynik + n), surowe) << n;
  }
  Bajty wszystkie(256);
  for (int i = 0; i < 256; ++i) wszystkie[i] = static_cast<uint8_t>(i);
  uint8_t zakodowane[300], wynik[300];
  const std::size_t z = Kodowanie7w8(wszystkie.data(), 256, zakodowane, sizeof zakodowane);
  ASSERT_EQ(Dekodowanie7w8(zakodowane, z, wynik, sizeof wynik), 256u);
  EXPECT_EQ(Bajty(wynik, wynik + 256), wszystkie);
}

TEST(Kodowanie7w8, NeverWritesPastTheGivenRoom) {
  const uint8_t surowe[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  uint8_t wyjscie[12];
  std::memset(wyjscie, 0xEE, sizeof wyjscie);
  EXPECT_EQ(Kodowanie7w8(surowe, 9, wyjscie, 10), 0u);
  EXPECT_EQ(wyjscie[10], 0xEE);
  uint8_t malo[3];
  const uint8_t zakodowane[] = {0x80, 0x81, 0x82, 0x83, 0x84, 0x85};
  EXPECT_EQ(Dekodowanie7w8(zakodowane, sizeof zakodowane, malo, sizeof malo), 3u);
}

TEST(Crc16, KnownVectors) {
  const char* tekst = "123456789";
  EXPECT_EQ(Crc16(reinterpret_cast<const uint8_t*>(tekst), 9), 0xBB3D);
  EXPECT_EQ(Crc16(nullptr, 0), 0);
  const uint8_t jeden = 0x01;
  EXPECT_EQ(Crc16(&jeden, 1), 0xC0C1);
  // Continuing the accumulator gives the same as one run.
  const uint16_t czesc = Crc16(reinterpret_cast<const uint8_t*>(tekst), 4);
  EXPECT_EQ(Crc16(reinterpret_cast<const uint8_t*>(tekst) + 4, 5, czesc), 0xBB3D);
}

TEST(Crc16, AFrameWithItsCrcAppendedLeavesZero) {
  for (int n = 1; n < 60; ++n) {
    Bajty dane(n);
    for (int i = 0; i < n; ++i) dane[i] = static_cast<uint8_t>(i * 91 + n);
    const uint16_t crc = Crc16(dane.data(), dane.size());
    EXPECT_EQ(crc, testy::CrcBitowo(dane));
    dane.push_back(static_cast<uint8_t>(crc));
    dane.push_back(static_cast<uint8_t>(crc >> 8));
    EXPECT_EQ(Crc16(dane.data(), dane.size()), 0) << n;
  }
}
