// The dial-up helpers of the modem commands against a scripted serial port and
// module: the modem's own commands, the control exchanges with their bounded
// resending, the carrier wait, and the version text taken from the answer.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

#include "commands/modem/modem_line.h"
#include "link_fakes.h"
#include "protocol/line_modes.h"
#include "state/result_codes.h"
#include "state/session_state.h"

using testy::Bajty;
using testy::Ramka;
using testy::RamkaOdpowiedzi;

namespace {

class LiniaModemu : public ::testing::Test {
 protected:
  void SetUp() override {
    ZerowanieDanychSesji();
    WybranieTrybuLacza(2);
    Sesja.Lacze.KanalZadany = 1;
    Sesja.Lacze.LimitPowtorzen = 2;
    std::strcpy(Sesja.Lacze.HasloModulu, "ABCDEFGH");
  }
  // The control type of each frame the driver sent.
  std::vector<uint8_t> TypyRamek() const {
    std::vector<uint8_t> typy;
    for (const Bajty& r : port.Modul.Otrzymane) {
      const auto rr = testy::Rozbior(r);
      typy.push_back(rr.Poprawna && rr.Tresc.size() >= 4 ? rr.Tresc[3] : 0xFF);
    }
    return typy;
  }
  testy::PortTestowy port;
};

TEST_F(LiniaModemu, CommandsGoRawWithACarriageReturnExceptTheEscape) {
  const struct { const char* tekst; std::string wyslane; } przypadki[] = {
      {"ATZ", "ATZ\r"}, {"+++", "+++"}, {"", ""}, {"ATDT123", "ATDT123\r"}};
  for (const auto& p : przypadki) {
    port.Zapisane.clear();
    EXPECT_TRUE(WyslanieKomendyModemu(p.tekst)) << p.tekst;
    EXPECT_EQ(std::string(port.Zapisane.begin(), port.Zapisane.end()), p.wyslane) << p.tekst;
    // The line goes back to its frames afterwards.
    EXPECT_EQ(Sesja.Ramki.BezRamek, 0);
    EXPECT_TRUE(TrybRamkowy());
  }
  port.ZapisUdany = false;
  EXPECT_FALSE(WyslanieKomendyModemu("ATH0"));
  EXPECT_EQ(Sesja.BiezacyWynik, 32);
  EXPECT_TRUE(TrybRamkowy());
}

TEST_F(LiniaModemu, ControlExchangeStopsOnceTheAnswerIsWhole) {
  const Bajty dobra = RamkaOdpowiedzi({'V', '1'});
  Bajty zlyCrc = dobra;
  zlyCrc.back() ^= 0x01;
  const struct {
    const char* nazwa;
    std::vector<Bajty> odpowiedzi;
    std::vector<uint8_t> ramki;
    uint8_t wynik;
  } przypadki[] = {
      {"at once", {dobra}, {1}, 0},
      // The second part completes the answer: the frame is not sent again.
      {"two parts", {Ramka(0x08, {'V'}), Ramka(0x08, {'1'}), dobra}, {1, 8}, 0},
      {"broken, fetched again", {zlyCrc, dobra}, {1, 6}, 0},
      {"login, then again", {Ramka(0x10, {}), RamkaOdpowiedzi({}), dobra}, {1, 3, 1}, 0},
      // A module that keeps asking for the frame again is given up at the repeat limit.
      {"refused for ever", {Ramka(0x01, {}), Ramka(0x01, {}), Ramka(0x01, {}), Ramka(0x01, {}), Ramka(0x01, {})},
       {1, 1, 1}, 35},
      {"other codes stop", {Ramka(0x03, {})}, {1}, 37},
  };
  for (const auto& p : przypadki) {
    SetUp();
    port.Modul = {};
    port.Modul.Odpowiedzi.assign(p.odpowiedzi.begin(), p.odpowiedzi.end());
    WymianaSterujaca(RamkaWersjiModulu);
    EXPECT_EQ(Sesja.BiezacyWynik, p.wynik) << p.nazwa;
    EXPECT_EQ(TypyRamek(), p.ramki) << p.nazwa;
    if (p.wynik == 0) {
      char wersja[DLUGOSC_WERSJI_MODULU + 1];
      EXPECT_EQ(std::string(wersja, WersjaModulu(wersja)), "V1") << p.nazwa;
    }
  }
}

TEST_F(LiniaModemu, VersionTakesOnlyWhatTheAnswerBrought) {
  const uint8_t zapas[] = "XXXXXXXXXXXXXXXX";
  const struct { Bajty odpowiedz; std::string wersja; } przypadki[] = {
      {{'K', 'A', 'R', 'V', 'O', ' ', 'M', 'K', ' ', '1', '.', '0'}, "KARVO MK 1.0"},
      {{'K', 'A', 'R', 'V', 'O', ' ', 'M', 'K', ' ', '1', '.', '0', '+', '+'}, "KARVO MK 1.0"},
      {{'M', 'K', '2'}, "MK2"},  // the bytes behind the answer stay out
      {{'M', 0, 'K', 0}, "MK"},  // zero bytes add nothing
      {{}, ""},
  };
  for (const auto& p : przypadki) {
    std::memcpy(Sesja.Wymiana.ObszarOdpowiedzi, zapas, sizeof zapas);
    std::memcpy(Sesja.Wymiana.ObszarOdpowiedzi, p.odpowiedz.data(), p.odpowiedz.size());
    Sesja.Ramki.LiczbaBajtowOdpowiedzi = static_cast<uint16_t>(p.odpowiedz.size());
    char wersja[DLUGOSC_WERSJI_MODULU + 1];
    EXPECT_EQ(std::string(wersja, WersjaModulu(wersja)), p.wersja);
  }
}

TEST_F(LiniaModemu, CarrierMustHoldForASecondWithinTheConnectionTime) {
  using namespace std::chrono;
  const struct { uint32_t czas; bool nosna, chciana; uint8_t wynik; } przypadki[] = {
      // One second of connection time is enough for a carrier that holds all of it.
      {1, true, true, 0},
      {1, false, false, 0},
      {1, false, true, 31},
      {0, true, true, 31},  // no time at all: not even one look
  };
  for (const auto& p : przypadki) {
    SetUp();
    port.Nosna = p.nosna;
    Sesja.Lacze.CzasPolaczenia = p.czas;
    const auto poczatek = steady_clock::now();
    CzekanieNaNosna(p.chciana);
    const auto trwalo = steady_clock::now() - poczatek;
    EXPECT_EQ(Sesja.BiezacyWynik, p.wynik) << p.czas << p.nosna << p.chciana;
    if (p.czas == 0) {
      EXPECT_LT(trwalo, milliseconds(500));
    }
    else EXPECT_GE(trwalo, milliseconds(900));
  }
}

TEST_F(LiniaModemu, TheModemsWordForAFailedCallEndsItsLine) {
  // What a modem sends after a dialling command, echo included, verbose or
  // numeric; true once a line says the call has failed.
  const struct { std::string bajty; bool nieudane; } przypadki[] = {
      {"ATDT5551234\r\r\nBUSY\r\n", true},
      {"\r\nNO CARRIER\r\n", true},
      {"\r\nNO DIALTONE\r\n", true},
      {"\r\nNO ANSWER\r\n", true},
      {"\r\nERROR\r\n", true},
      {"ATDT5551234\r7\r", true},  // ATV0: BUSY as its number
      {"ATDT5551234\r\r\nCONNECT 19200\r\n", false},
      {"ATDT3\r1\r", false},            // a number that is a digit is the echo's, not a result
      {"\r\nBUSY", false},               // not a line until its end comes
      {"\r\nNO CARRIER BUSY BUSY BUSY BUSY\r\n", false},  // longer than any result
  };
  for (const auto& p : przypadki) {
    OdpowiedzModemu o;
    bool nieudane = false;
    for (char z : p.bajty) nieudane = nieudane || NieudaneWybieranie(o, static_cast<uint8_t>(z));
    EXPECT_EQ(nieudane, p.nieudane) << p.bajty;
  }
}

}  // namespace
