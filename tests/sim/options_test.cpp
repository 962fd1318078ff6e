#include <gtest/gtest.h>

#include "options.h"

namespace {

std::optional<sim::Opcje> Czytaj(std::vector<const char*> argumenty, std::string& blad) {
  argumenty.insert(argumenty.begin(), "karvo-sim");
  return sim::CzytajOpcje(static_cast<int>(argumenty.size()), argumenty.data(), blad);
}

}  // namespace

TEST(Opcje, ReadsALineWithItsRegistersAndFaults) {
  std::string blad;
  auto o = Czytaj({"--rfc2217", "127.0.0.5:0", "--state", "a.txt", "--state", "b.txt", "--mux", "3", "--select", "2",
                   "--fault", "0xC0:silent", "--baud", "1200", "--log", "w.log", "--modem-status", "0xB0",
                   "--byte-timeout", "100"},
                  blad);
  ASSERT_TRUE(o) << blad;
  EXPECT_EQ(o->polaczenie, sim::RodzajPolaczenia::Rfc2217);
  EXPECT_EQ(o->host, "127.0.0.5");
  EXPECT_EQ(o->port, 0);
  EXPECT_EQ(o->stany.size(), 2u);
  EXPECT_EQ(o->linia, sim::RodzajLinii::Multiplekser3);
  EXPECT_EQ(o->wybor, 2);
  EXPECT_EQ(o->usterki.size(), 1u);
  EXPECT_EQ(o->baud, 1200u);
  EXPECT_EQ(o->stanModemu, 0xB0);
  EXPECT_EQ(o->czasBajtuMs, 100u);
}

TEST(Opcje, RefusesABadCommandLine) {
  const std::vector<std::vector<const char*>> zle = {
      {"--state", "a.txt"},                                   // no line
      {"--pty", "x"},                                         // no register
      {"--pty", "x", "--rfc2217", "1.2.3.4:5", "--state", "a"},  // two lines
      {"--rfc2217", "1.2.3.4", "--state", "a"},
      {"--pty", "x", "--state", "a", "--mux", "2"},
      {"--pty", "x", "--state", "a", "--fault", "0xC0"},
      {"--pty", "x", "--state", "a", "--baud", "fast"},
      {"--pty", "x", "--state", "a", "--what", "1"},
      {"--pty", "x", "--state"},
      {"--pty", "x", "--state", "a", "--state", "b"},  // two registers need a way to select them
  };
  for (const auto& argumenty : zle) {
    std::string blad;
    EXPECT_FALSE(Czytaj(argumenty, blad)) << argumenty[0];
    EXPECT_FALSE(blad.empty());
  }
}

TEST(Opcje, ReadsTheCommunicationModule) {
  const struct { std::vector<const char*> argumenty; sim::Opcje::Modul modul; uint16_t port; bool nosna; size_t usterek; } dobre[] = {
      {{"--module", "tcp:127.0.0.1:0", "--state", "a.txt", "--state", "b.txt"}, sim::Opcje::Modul::Tcp, 0, true, 0},
      {{"--module", "rfc2217:127.0.0.1:7001", "--state", "a.txt", "--carrier", "off", "--module-fault", "*:crc",
        "--module-fault", "ctl6:silent"},
       sim::Opcje::Modul::Rfc2217, 7001, false, 2},
  };
  for (const auto& d : dobre) {
    std::string blad;
    const auto o = Czytaj(d.argumenty, blad);
    ASSERT_TRUE(o) << blad;
    EXPECT_EQ(o->modul, d.modul);
    EXPECT_EQ(o->polaczenie, sim::RodzajPolaczenia::Brak);
    EXPECT_EQ(o->host, "127.0.0.1");
    EXPECT_EQ(o->port, d.port);
    EXPECT_EQ(o->nosna, d.nosna);
    EXPECT_EQ(o->usterkiModulu.size(), d.usterek);
  }
  const std::vector<std::vector<const char*>> zle = {
      {"--module", "udp:127.0.0.1:1", "--state", "a"},
      {"--module", "tcp:127.0.0.1", "--state", "a"},
      {"--module", "tcp:127.0.0.1:0", "--pty", "x", "--state", "a"},  // two lines
      {"--module", "tcp:127.0.0.1:0", "--state", "a", "--module-fault", "*:bogus"},
      {"--module", "tcp:127.0.0.1:0", "--state", "a", "--carrier", "maybe"},
  };
  for (const auto& argumenty : zle) {
    std::string blad;
    EXPECT_FALSE(Czytaj(argumenty, blad)) << argumenty[1];
    EXPECT_FALSE(blad.empty());
  }
}

TEST(Opcje, TellsAnUnknownOptionFromAMissingValue) {
  const struct { std::vector<const char*> argumenty; const char* blad; } przypadki[] = {
      {{"--pty", "x", "--state", "a", "--verbose"}, "unknown option --verbose"},
      {{"--pty", "x", "--state", "a", "stray"}, "unknown option stray"},
      {{"--pty", "x", "--state", "a", "--log"}, "--log needs a value"},
      {{"--pty", "x", "--state"}, "--state needs a value"},
  };
  for (const auto& p : przypadki) {
    std::string blad;
    EXPECT_FALSE(Czytaj(p.argumenty, blad));
    EXPECT_EQ(blad, p.blad);
  }
  std::string blad;
  const auto o = Czytaj({"--pty", "x", "--write-back", "--state", "a"}, blad);
  ASSERT_TRUE(o) << blad;
  EXPECT_TRUE(o->zapisZwrotny);
  EXPECT_EQ(o->stany.size(), 1u);
}

TEST(Opcje, ReadsTheModemInFrontOfTheModule) {
  using W = sim::UstawieniaModemu::Wybieranie;
  const struct { std::vector<const char*> argumenty; W wybieranie; long opoznienie, ochrona; const char* pin; bool nosna; } dobre[] = {
      {{"--module", "rfc2217:127.0.0.1:0", "--modem", "--state", "a"}, W::Polaczenie, 1000, 1000, "", false},
      {{"--modem", "--module", "rfc2217:127.0.0.1:0", "--state", "a", "--carrier", "on", "--modem-dial", "busy",
        "--modem-delay", "5", "--modem-guard", "300", "--modem-pin", "1234"},
       W::Zajete, 5, 300, "1234", true},
      {{"--module", "rfc2217:127.0.0.1:0", "--modem", "--state", "a", "--modem-dial", "never"}, W::Nigdy, 1000, 1000, "", false},
  };
  for (const auto& d : dobre) {
    std::string blad;
    const auto o = Czytaj(d.argumenty, blad);
    ASSERT_TRUE(o) << blad;
    EXPECT_TRUE(o->modem);
    const sim::UstawieniaModemu& m = o->ustawieniaModemu;
    EXPECT_EQ(m.wybieranie, d.wybieranie);
    EXPECT_EQ(m.czasWybierania.count(), d.opoznienie);
    EXPECT_EQ(m.czasOchronny.count(), d.ochrona);
    EXPECT_EQ(m.pin, d.pin);
    EXPECT_EQ(m.nosna, d.nosna);
  }
  const std::vector<std::vector<const char*>> zle = {
      {"--modem", "--module", "tcp:127.0.0.1:0", "--state", "a"},  // a modem needs the serial line
      {"--modem", "--rfc2217", "127.0.0.1:0", "--state", "a"},
      {"--modem", "--module", "rfc2217:127.0.0.1:0", "--state", "a", "--modem-dial", "maybe"},
      {"--modem", "--module", "rfc2217:127.0.0.1:0", "--state", "a", "--modem-delay", "x"},
  };
  for (const auto& argumenty : zle) {
    std::string blad;
    EXPECT_FALSE(Czytaj(argumenty, blad)) << argumenty[1];
    EXPECT_FALSE(blad.empty());
  }
}
