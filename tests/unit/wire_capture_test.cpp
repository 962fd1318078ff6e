#include "protocol/wire_capture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>

#include "protocol/line.h"

namespace {

std::string Czytaj(const std::string& sciezka) {
  std::ifstream plik(sciezka, std::ios::binary);
  std::stringstream s;
  s << plik.rdbuf();
  return s.str();
}

// A port whose answers the test queues.
std::deque<uint8_t> Odpowiedzi;
uint8_t Zapis(uint8_t) { return 1; }
uint8_t Odczyt(uint8_t* b) {
  if (Odpowiedzi.empty()) return 0;
  *b = Odpowiedzi.front();
  Odpowiedzi.pop_front();
  return 1;
}
uint8_t Modem() { return 0xB0; }
int32_t Czysc() { return 0; }
uint8_t Wyslano() { return 1; }
const PortSzeregowyLacza PORT_TESTOWY{Zapis, Odczyt, Modem, Czysc, Wyslano, nullptr};

class Podsluch : public testing::Test {
 protected:
  void SetUp() override { PodstawieniePortuSzeregowego(&PORT_TESTOWY); }
  void TearDown() override {
    ZakonczeniePodsluchu();
    PodstawieniePortuSzeregowego(nullptr);
    std::remove(sciezka.c_str());
  }
  std::string sciezka = testing::TempDir() + "karvo-wire-capture-test.txt";
};

// Bytes of one direction make one line; the driver's bytes are written out
// before it waits, the answer when the direction turns or the run ends.
TEST_F(Podsluch, GathersEachDirectionIntoOneLineWithTheRunsHeader) {
  const char* argv[] = {"karvo", "/K113", "/FWE.TXT"};
  RozpoczeciePodsluchuDoPliku(sciezka.c_str(), 3, argv);
  ASSERT_TRUE(PodsluchWlaczony());
  PodsluchLiniiKonfiguracji("7\tCOM1:9600:MUX0:1\t1");
  PodsluchPortuSzeregowego();
  const PortSzeregowyLacza& port = PortSzeregowyWUzyciu();
  Odpowiedzi = {0x06, 0x30, 0x37};
  port.ZapisBajtu(0x1B);
  port.ZapisBajtu(0xC0);
  uint8_t b = 0;
  for (int i = 0; i < 3; ++i) ASSERT_EQ(port.OdczytBajtu(&b), 1);
  EXPECT_EQ(port.OdczytBajtu(&b), 0);  // the time-out is an event of its own
  port.StatusModemu();
  port.StatusModemu();  // unchanged lines are not written again
  ZakonczeniePodsluchu();
  EXPECT_FALSE(PodsluchWlaczony());

  std::istringstream linie(Czytaj(sciezka));
  std::vector<std::string> w;
  for (std::string l; std::getline(linie, l);) w.push_back(l.size() > 14 && l[0] != '#' ? l.substr(14) : l);
  ASSERT_EQ(w.size(), 9u) << Czytaj(sciezka);
  EXPECT_EQ(w[0].rfind("# karvo wire capture, run of ", 0), 0u);
  EXPECT_EQ(w[1], "# command line: karvo /K113 /FWE.TXT");
  EXPECT_EQ(w[2].rfind("# version: ", 0), 0u);
  EXPECT_EQ(w[3], "# KONFIG.TXT: 7\tCOM1:9600:MUX0:1\t1");
  EXPECT_EQ(w[4], "driver -> COM1      1B C0  |..|");
  EXPECT_EQ(w[5], "driver <- COM1      06 30 37  |.07|");
  EXPECT_EQ(w[6], "           COM1     no byte within the time-out");
  EXPECT_EQ(w[7], "           COM1     modem lines: CD on, RI off, DSR on, CTS on");
  EXPECT_EQ(w[8].rfind("# end of the run at ", 0), 0u);
}

TEST_F(Podsluch, IsOffWithoutAFileAndWhenTheFileCannotBeOpened) {
  RozpoczeciePodsluchuDoPliku(nullptr, 0, nullptr);
  EXPECT_FALSE(PodsluchWlaczony());
  PodsluchPortuSzeregowego();
  EXPECT_EQ(&PortSzeregowyWUzyciu(), &PORT_TESTOWY);  // nothing is put around the port
  testing::internal::CaptureStderr();
  RozpoczeciePodsluchuDoPliku("/no/such/folder/capture.txt", 0, nullptr);
  EXPECT_FALSE(PodsluchWlaczony());
  EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot be written"), std::string::npos);
}

}  // namespace
