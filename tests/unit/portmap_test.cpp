#include <gtest/gtest.h>

#include "include/karvo.h"
#include "platform/portmap.h"
#include "serial/wirtualny_port.h"
#include "serial_test_support.h"

using platforma::AdresSerweraPortu;
using platforma::CelPortu;

class MapaPortowTest : public TestPortow {};

TEST_F(MapaPortowTest, ReadsTargetsAndAddressesAndIgnoresWhatItCannotUse) {
  MapaPortow({
      "# the shop's ports",
      "COM1\t/dev/ttyUSB0",
      "COM2\trfc2217://10.0.0.7:4001\t10.0.0.7",
      "com3\t/dev/pts/9   # the bench",
      "COM4\t/dev/ttyUSB4\r",
      "COM5\t/dev/a\t192.168.1.5",
      "COM5\t/dev/b\t192.168.1.6",  // the later line wins
      "COM6\t/dev/c\t010.001.0.9",
      "COM7 /dev/spaces-not-tabs",
      "COM8\t/dev/x\t300.1.1.1",  // a bad address spoils the whole line
      "COM9\t/dev/x\t1.2.3",
      "COM10\t\t1.2.3.4",
      "COM256\t/dev/x",
      "LPT1\t/dev/lp0",
      "COM11\t/dev/x\t1.2.3.4\textra",
      "COM12\t/dev/y\t0.0.0.0",
      "",
      "\t\t",
  });
  const struct {
    uint8_t port;
    const char* cel;
    const char* adres;
  } przypadki[] = {
      {1, "/dev/ttyUSB0", ""},       {2, "rfc2217://10.0.0.7:4001", "10.0.0.7"},
      {3, "/dev/pts/9", ""},          {4, "/dev/ttyUSB4", ""},
      {5, "/dev/b", "192.168.1.6"},   {6, "/dev/c", "10.1.0.9"},
      {7, "/dev/ttyS6", ""},          {8, "/dev/ttyS7", ""},
      {9, "/dev/ttyS8", ""},          {10, "/dev/ttyS9", ""},
      {11, "/dev/ttyS10", ""},        {12, "/dev/y", "0.0.0.0"},
      {13, "/dev/ttyS12", ""},        {255, "/dev/ttyS254", ""},
      {0, "", ""},
  };
  for (const auto& p : przypadki) {
    EXPECT_EQ(CelPortu(p.port), p.cel) << int(p.port);
    EXPECT_EQ(AdresSerweraPortu(p.port), p.adres) << int(p.port);
    EXPECT_STREQ(PIPAdress(p.port), p.adres) << int(p.port);
  }
}

TEST_F(MapaPortowTest, WithoutAMapEveryPortIsLocal) {
  EXPECT_EQ(CelPortu(1), "/dev/ttyS0");
  EXPECT_EQ(CelPortu(16), "/dev/ttyS15");
  EXPECT_STREQ(PIPAdress(1), "");
  EXPECT_EQ(OdczytAdresuIP(200), "");
  EXPECT_FALSE(PrzygotowanieWirtualnegoPortu(1));
}

TEST(NazwaPortu, AcceptsTheReferenceDeviceNames) {
  const struct {
    const char* nazwa;
    int numer;  // -1: not a port name
  } przypadki[] = {
      {"\\\\.\\COM3", 3}, {"COM1", 1},  {"Com12", 12},  {"com255", 255}, {"COM0", 0},   {"COM256", -1},
      {"COM", -1},        {"COMx", -1}, {"\\\\.\\LPT1", -1}, {"/dev/ttyS0", -1}, {"COM1a", -1}, {"", -1},
  };
  for (const auto& p : przypadki) {
    const auto numer = platforma::NumerPortuZNazwy(p.nazwa);
    if (p.numer < 0) {
      EXPECT_FALSE(numer.has_value()) << p.nazwa;
    }
    else {
      ASSERT_TRUE(numer.has_value()) << p.nazwa;
      EXPECT_EQ(*numer, p.numer) << p.nazwa;
    }
  }
}
