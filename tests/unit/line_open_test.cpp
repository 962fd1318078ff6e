// Opening the network link to a communication module and identifying the
// register through it; keeping the line open between commands.
#include <gtest/gtest.h>

#include <cstring>

#include "include/karvo.h"
#include "link_fakes.h"
#include "protocol/identification.h"
#include "protocol/line.h"
#include "state/result_codes.h"
#include "state/session_state.h"

using testy::Bajty;
using testy::RamkaOdpowiedzi;

namespace {

class LaczeSieciowe : public ::testing::Test {
 protected:
  void SetUp() override {
    ZerowanieDanychSesji();
    UstawienieLacza(1);
  }
  void TearDown() override { UstawieniePozostawiacOtwartyPortSzeregowy(0); }
  static void UstawienieLacza(uint16_t port) {
    UstawieniaLacza& l = Sesja.Lacze;
    l.RodzajLacza = 5;
    l.Kanal = 2;
    l.KanalZadany = 3;  // the register's address on the module
    l.PredkoscZadana = 19200;
    l.Predkosc = 19200;
    std::strcpy(l.AdresModulu, "127.0.0.1");
    l.PortModulu = port;
    l.CzasOczekiwaniaRamki = 1;
    l.LimitPowtorzen = 1;
  }
};

TEST_F(LaczeSieciowe, IdentifiesTheRegisterThroughTheModule) {
  testy::ModulTcp modul({
      RamkaOdpowiedzi({0x06, 0x24, 0x05, 0x00}),
      RamkaOdpowiedzi({0x06, 'K', 'A', 'R', 'V', 'O', '3', '6', ' ', 'V', '0', '5'}),
      RamkaOdpowiedzi({0x06, '0', '3'}),
  });
  UstawienieLacza(modul.Port());
  std::strcpy(Sesja.PlikiSterownika[PlikEcrtbuf], "/nonexistent-dir/ECRTBUF.TXT");
  OtwarcieLacza();
  ASSERT_TRUE(LaczeOtwarte());
  ASSERT_EQ(Sesja.BiezacyWynik, 0);
  Sesja.OdczytacNumerKasy = 1;  // no append now: the session appends after the number
  ASSERT_EQ(OdczytanieTypuUrzadzenia(), 1) << int(Sesja.BiezacyWynik);
  EXPECT_STREQ(Sesja.Urzadzenie.IdentyfikatorUrzadzenia, "KARVO36 V05");
  EXPECT_STREQ(Sesja.Urzadzenie.NazwaUrzadzenia, "Karvo I gen. ver. 05");
  ASSERT_EQ(OdczytanieNumeruUrzadzenia(), 1);
  EXPECT_EQ(Sesja.Urzadzenie.NumerUrzadzenia, 3);
  ZamkniecieLacza();
  EXPECT_FALSE(LaczeOtwarte());

  const std::vector<Bajty> ramki = modul.Otrzymane();
  ASSERT_EQ(ramki.size(), 3u);
  const uint8_t kody[] = {0xFE, 0x71, 0xC0};
  const uint8_t dlugosci[] = {4, 12, 3};
  for (size_t i = 0; i < ramki.size(); ++i) {
    const testy::RozebranaRamka r = testy::Rozbior(ramki[i]);
    ASSERT_TRUE(r.Poprawna) << i;
    EXPECT_EQ(r.Sterujacy, 0x20 | 0x08 | 2) << i;  // request, 19200, address 3
    EXPECT_EQ(r.Tresc, (Bajty{dlugosci[i], 0, 0, 0x1B, kody[i]})) << i;
  }
}

TEST_F(LaczeSieciowe, AModuleNobodyRunsGives65) {
  UstawienieLacza(testy::WolnyPort());
  OtwarcieLacza();
  EXPECT_FALSE(LaczeOtwarte());
  EXPECT_EQ(Sesja.BiezacyWynik, 65);
}

TEST_F(LaczeSieciowe, AKeptLineOutlivesTheCloseAndTheNextOpen) {
  // The module takes one connection only: a second open would fail.
  testy::ModulTcp modul({RamkaOdpowiedzi({0x06, '0', '3'}), RamkaOdpowiedzi({0x06, '0', '3'})});
  UstawienieLacza(modul.Port());
  UstawieniePozostawiacOtwartyPortSzeregowy(1);
  OtwarcieLacza();
  ASSERT_TRUE(LaczeOtwarte());
  ZamkniecieLacza();
  EXPECT_TRUE(LaczeOtwarte());

  // The next command in this process starts from a clean record and finds the line open.
  ZerowanieDanychSesji();
  UstawienieLacza(modul.Port());
  OtwarcieLacza();
  EXPECT_TRUE(LaczeOtwarte());
  EXPECT_EQ(OdczytanieNumeruUrzadzenia(), 1);
  EXPECT_EQ(Sesja.BiezacyWynik, 0);

  // Clearing the setting closes the line left open.
  UstawieniePozostawiacOtwartyPortSzeregowy(0);
  EXPECT_FALSE(LaczeOtwarte());
}

TEST_F(LaczeSieciowe, AKeptLineIsUsedInTheModeItWasOpenedIn) {
  testy::ModulTcp modul({RamkaOdpowiedzi({0x06, '0', '3'})});
  UstawienieLacza(modul.Port());
  UstawieniePozostawiacOtwartyPortSzeregowy(1);
  OtwarcieLacza();
  ASSERT_TRUE(LaczeOtwarte());

  // The next command's configuration names a direct serial line; the line
  // kept open is still the module's, and its requests travel in frames.
  ZerowanieDanychSesji();
  UstawienieLacza(modul.Port());
  Sesja.Lacze.RodzajLacza = 0;
  Sesja.Lacze.NumerPortu = 250;
  OtwarcieLacza();
  EXPECT_TRUE(LaczeOtwarte());
  EXPECT_EQ(OdczytanieNumeruUrzadzenia(), 1);
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(modul.Otrzymane().size(), 1u);

  // Closing it closes the socket it was opened as.
  UstawieniePozostawiacOtwartyPortSzeregowy(0);
  EXPECT_FALSE(LaczeOtwarte());
}

TEST(WeryfikacjaNumeru, TheExportedSettingIsKept) {
  EXPECT_TRUE(WeryfikacjaNumeruUrzadzenia());
  SygnalizowanieBleduWeryfikacjiNumeruUrzadzenia(0);
  EXPECT_FALSE(WeryfikacjaNumeruUrzadzenia());
  ZerowanieDanychSesji();
  EXPECT_FALSE(WeryfikacjaNumeruUrzadzenia());  // it lasts between commands
  SygnalizowanieBleduWeryfikacjiNumeruUrzadzenia(1);
  EXPECT_TRUE(WeryfikacjaNumeruUrzadzenia());
}

}  // namespace
