// The frames of the modem-frame mode over the serial line, against a scripted
// communication module behind the line table's seam.
#include <gtest/gtest.h>

#include <cstring>

#include "link_fakes.h"
#include "protocol/framing.h"
#include "protocol/line.h"
#include "protocol/line_modes.h"
#include "state/session_state.h"

using testy::Bajty;
using testy::Ramka;
using testy::RamkaOdpowiedzi;

namespace {

class Ramki : public ::testing::Test {
 protected:
  void SetUp() override {
    ZerowanieDanychSesji();
    WybranieTrybuLacza(2);
    Sesja.Lacze.KanalZadany = 3;
    Sesja.Lacze.Kanal = 2;  // the port's own channel; the frames carry KanalZadany
    Sesja.Lacze.PredkoscZadana = 19200;
    Sesja.Lacze.LimitPowtorzen = 2;
    Sesja.Lacze.CzasOczekiwaniaRamki = 0x1234;
    std::strcpy(Sesja.Lacze.HasloModulu, "ABCDEFGH");
  }

  // The control byte of a control frame here: address 3 and 19200 baud.
  static constexpr uint8_t STEROWANIE = 0x02 | 0x08;

  void Skrypt(std::initializer_list<Bajty> odpowiedzi) { port.Modul.Odpowiedzi.assign(odpowiedzi); }
  const std::vector<Bajty>& Wyslane() const { return port.Modul.Otrzymane; }
  // The contents of each frame the driver sent: its control byte, then its raw contents.
  std::vector<Bajty> WyslaneTresci() const {
    std::vector<Bajty> t;
    for (const Bajty& r : Wyslane()) {
      const auto rr = testy::Rozbior(r);
      EXPECT_TRUE(rr.Poprawna);
      Bajty b{rr.Sterujacy};
      b.insert(b.end(), rr.Tresc.begin(), rr.Tresc.end());
      t.push_back(b);
    }
    return t;
  }
  Bajty Odpowiedz() {
    Bajty b;
    for (;;) {
      const uint8_t bajt = OdebranieBajtu();
      if (Sesja.BiezacyWynik != 0) break;
      b.push_back(bajt);
    }
    EXPECT_EQ(Sesja.BiezacyWynik, 45);
    Sesja.BiezacyWynik = 0;
    return b;
  }

  testy::PortTestowy port;
  const ZadanieRamki odczyt{KodRozkazu{0x35}, 8, 0, 0, 0, false};  // a plain read of 7 data bytes
  const Bajty zadanieOdczytu{0x2A, 8, 0, 0, 0x1B, 0x35};
  static Bajty Kontrolna(uint8_t typ, Bajty dane = {}) {
    Bajty b{STEROWANIE, 0, 0, 0, typ};
    b.insert(b.end(), dane.begin(), dane.end());
    return b;
  }
};

TEST_F(Ramki, RequestFrameCarriesTheExchangeAndTheAnswerIsHandedOutByteByByte) {
  const uint8_t parametry[] = {0x11, 0x22, 0x83};
  std::memcpy(Sesja.Wymiana.ObszarParametrow, parametry, 3);
  Skrypt({RamkaOdpowiedzi({0x06, 0x01, 0x02, 0x03})});
  WymianaRamki({KodRozkazu{0x47}, 14, 3, 1, 13, false});
  ASSERT_EQ(Sesja.BiezacyWynik, 0);
  ASSERT_EQ(Wyslane().size(), 1u);
  const Bajty tresc{14, 1, 13, 0x1B, 0x47, 0x11, 0x22, 0x83};
  EXPECT_EQ(Wyslane()[0], Ramka(0x3A, tresc));  // address 3, 19200, first answer and parameters, request
  EXPECT_EQ(Odpowiedz(), (Bajty{0x06, 0x01, 0x02, 0x03}));
}

// The frame leaves in one write; once the answer's length byte is in, the
// rest of the frame is announced with each read, counting down, so that the
// port waits for it as a whole.
TEST_F(Ramki, TheFrameLeavesInOneWriteAndItsRestIsAwaitedAsAWhole) {
  const Bajty odpowiedz = RamkaOdpowiedzi({0x06, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08});
  Skrypt({odpowiedz});
  WymianaRamki(odczyt);
  ASSERT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(port.Zapisy, (std::vector<std::size_t>{16}));
  // Header, high-bit byte and length alone; then the rest, the last one alone again.
  std::vector<uint32_t> zapowiedzi(7, 0);
  for (uint32_t reszta = static_cast<uint32_t>(odpowiedz.size() - 7); reszta >= 2; --reszta) zapowiedzi.push_back(reszta);
  zapowiedzi.push_back(0);
  EXPECT_EQ(port.Zapowiedzi, zapowiedzi);
}

TEST_F(Ramki, RequestWithoutParametersIsSixteenWireBytes) {
  Skrypt({RamkaOdpowiedzi({0x06})});
  WymianaRamki(odczyt);
  ASSERT_EQ(Wyslane().size(), 1u);
  EXPECT_EQ(Wyslane()[0].size(), 16u);
  EXPECT_EQ(testy::Rozbior(Wyslane()[0]).Dlugosc, 11);
}

TEST_F(Ramki, ControlByteOfTheRequest) {
  const struct {
    uint8_t rodzaj, kanalZadany, kanal;
    uint32_t predkosc;
    uint8_t pierwsza, parametry;
    bool statusDana;
    uint8_t oczekiwany;
  } przypadki[] = {
      {2, 1, 2, 9600, 1, 0, false, 0x20},  {2, 8, 2, 9600, 1, 0, false, 0x27},
      {2, 1, 2, 19200, 1, 0, false, 0x28}, {2, 1, 2, 19200, 1, 2, false, 0x38},
      {2, 1, 2, 9600, 0, 2, false, 0x20},  {2, 1, 2, 9600, 1, 0, true, 0x60},
      {2, 4, 1, 115200, 2, 1, true, 0x73},
  };
  for (const auto& p : przypadki) {
    WybranieTrybuLacza(p.rodzaj);
    Sesja.Lacze.KanalZadany = p.kanalZadany;
    Sesja.Lacze.Kanal = p.kanal;
    Sesja.Lacze.PredkoscZadana = p.predkosc;
    port.Modul.Otrzymane.clear();
    port.Zapisane.clear();
    Sesja.BiezacyWynik = 0;
    WyslanieRamkiRozkazu({KodRozkazu{0x10}, p.pierwsza, p.parametry, 1, 0, p.statusDana});
    ASSERT_EQ(Wyslane().size(), 1u);
    EXPECT_EQ(testy::Rozbior(Wyslane()[0]).Sterujacy, p.oczekiwany) << int(p.oczekiwany);
  }
}

TEST_F(Ramki, LongestRequestFillsTheLengthByte) {
  for (int i = 0; i < 256; ++i) Sesja.Wymiana.ObszarParametrow[i] = static_cast<uint8_t>(i);
  Skrypt({RamkaOdpowiedzi({0x06})});
  WymianaRamki({KodRozkazu{0x04}, 1, 214, 1, 0, false});
  ASSERT_EQ(Sesja.BiezacyWynik, 0);
  ASSERT_EQ(Wyslane().size(), 1u);
  EXPECT_EQ(Wyslane()[0].size(), 260u);
  const auto r = testy::Rozbior(Wyslane()[0]);
  EXPECT_TRUE(r.Poprawna);
  EXPECT_EQ(r.Dlugosc, 255);
  ASSERT_EQ(r.Tresc.size(), 5u + 214u);
  EXPECT_EQ(r.Tresc[5 + 213], 213);
}

TEST_F(Ramki, RequestTooLongForTheLengthByteIsNotSent) {
  WymianaRamki({KodRozkazu{0x04}, 1, 215, 1, 0, false});
  EXPECT_EQ(Sesja.BiezacyWynik, 32);
  EXPECT_TRUE(port.Zapisane.empty());
}

TEST_F(Ramki, WithoutCarrierNothingIsSent) {
  port.Nosna = false;
  WymianaRamki(odczyt);
  EXPECT_EQ(Sesja.BiezacyWynik, 30);
  EXPECT_TRUE(port.Zapisane.empty());
  Sesja.BiezacyWynik = 0;
  port.Wejscie.assign({'K'});
  OdebranieRamki();
  EXPECT_EQ(Sesja.BiezacyWynik, 30);
  EXPECT_EQ(port.Wejscie.size(), 1u);
}

TEST_F(Ramki, FailedSerialWriteGives32) {
  port.ZapisUdany = false;
  WymianaRamki(odczyt);
  EXPECT_EQ(Sesja.BiezacyWynik, 32);
}

TEST_F(Ramki, HeaderHuntSkipsGarbage) {
  const Bajty smieci[] = {{'X'}, {'K', 'A'}, {'K', 'A', 'R', 'V'}, {'K', 'A', 'R', 'V', 'X'}, {'K', 'K'},
                          {'Z', 'A', 'R', 'V', 'O', 0x80, 0x85}, {0x80, 0xFF, 0x00}};
  for (const Bajty& s : smieci) {
    Sesja.BiezacyWynik = 0;
    Bajty wejscie = s;
    const Bajty ramka = RamkaOdpowiedzi({0x06, 0x41, 0xC2});
    wejscie.insert(wejscie.end(), ramka.begin(), ramka.end());
    port.Wejscie.assign(wejscie.begin(), wejscie.end());
    OdebranieRamki();
    ASSERT_EQ(Sesja.BiezacyWynik, 0) << s.size();
    EXPECT_EQ(Odpowiedz(), (Bajty{0x06, 0x41, 0xC2}));
    EXPECT_TRUE(port.Wejscie.empty());
  }
}

TEST_F(Ramki, EndlessNoiseCountsAsNoAnswer) {
  Bajty wejscie(1024, 'X');
  const Bajty ramka = RamkaOdpowiedzi({0x06});
  wejscie.insert(wejscie.end(), ramka.begin(), ramka.end());
  port.Wejscie.assign(wejscie.begin(), wejscie.end());
  OdebranieRamki();
  EXPECT_EQ(Sesja.BiezacyWynik, 0);  // a frame behind a long run of noise is still found
  Sesja.BiezacyWynik = 0;
  port.Wejscie.assign(3000, 'X');
  OdebranieRamki();
  EXPECT_EQ(Sesja.BiezacyWynik, 33);
  EXPECT_EQ(Sesja.Ramki.OdebranoCos, 1);
  EXPECT_LT(port.Wejscie.size(), 3000u - 1024u);
}

TEST_F(Ramki, FrameCutAnywhereLeavesTheAnswerAreaAlone) {
  const Bajty ramka = RamkaOdpowiedzi(Bajty(30, 0x5A));
  for (std::size_t k = 0; k < ramka.size(); ++k) {
    Sesja.BiezacyWynik = 0;
    std::memset(Sesja.Wymiana.ObszarOdpowiedzi, 0xEE, sizeof Sesja.Wymiana.ObszarOdpowiedzi);
    Sesja.Ramki.LiczbaBajtowOdpowiedzi = 0;
    port.Wejscie.assign(ramka.begin(), ramka.begin() + static_cast<long>(k));
    OdebranieRamki();
    EXPECT_EQ(Sesja.BiezacyWynik, 33) << k;
    EXPECT_EQ(Sesja.Ramki.OdebranoCos, k > 0 ? 1 : 0) << k;
    EXPECT_EQ(Sesja.Wymiana.ObszarOdpowiedzi[0], 0xEE);
    EXPECT_EQ(Sesja.Ramki.LiczbaBajtowOdpowiedzi, 0);
  }
}

TEST_F(Ramki, BrokenFramesGive34) {
  Bajty zlyCrc = RamkaOdpowiedzi({0x06, 0x01});
  zlyCrc[8] ^= 0x01;
  const Bajty zaKrotka = {'K', 'A', 'R', 'V', 'O', 0x80, 0x80};  // length 0
  const Bajty dlugosc1 = {'K', 'A', 'R', 'V', 'O', 0x80, 0x81};
  const Bajty bezTresci = Ramka(0, {});
  for (const Bajty& wejscie : {zlyCrc, zaKrotka, dlugosc1}) {
    Sesja.BiezacyWynik = 0;
    port.Wejscie.assign(wejscie.begin(), wejscie.end());
    OdebranieRamki();
    EXPECT_EQ(Sesja.BiezacyWynik, 34);
  }
  Sesja.BiezacyWynik = 0;
  port.Wejscie.assign(bezTresci.begin(), bezTresci.end());
  OdebranieRamki();
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(Sesja.Ramki.LiczbaBajtowOdpowiedzi, 0);
}

TEST_F(Ramki, LengthFromTheFirstGroupDecidesWhereTheFrameEnds) {
  // A length byte that announces more than comes waits for the rest and times out.
  Bajty ramka = RamkaOdpowiedzi({0x06});
  ramka[6] = 0x80 | 0x7F;
  port.Wejscie.assign(ramka.begin(), ramka.end());
  OdebranieRamki();
  EXPECT_EQ(Sesja.BiezacyWynik, 33);
  // Bytes behind a good frame are left for the next reception.
  Sesja.BiezacyWynik = 0;
  ramka = RamkaOdpowiedzi({0x06});
  ramka.push_back('Q');
  port.Wejscie.assign(ramka.begin(), ramka.end());
  OdebranieRamki();
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(port.Wejscie.size(), 1u);
}

TEST_F(Ramki, EveryControlByteOutcome) {
  const struct { uint8_t bajt, kod; } przypadki[] = {
      {0x01, 35}, {0x02, 36}, {0x03, 37}, {0x04, 38}, {0x10, 39}, {0x20, 40}, {0x40, 41}, {0x05, 20},
      {0x06, 21}, {0x07, 42}, {0x08, 53}, {0x09, 43}, {0x0F, 43}, {0x80, 43}, {0x11, 35}, {0x14, 38},
      {0x18, 39}, {0x30, 39}, {0x60, 40}, {0x45, 41}, {0x0A, 43}, {0x8C, 43},
  };
  for (const auto& p : przypadki) {
    Sesja.BiezacyWynik = 0;
    Sesja.Ramki.Kontynuacja = 0;
    Sesja.Ramki.LiczbaBajtowOdpowiedzi = 0;
    const Bajty r = Ramka(p.bajt, {0x77});
    port.Wejscie.assign(r.begin(), r.end());
    OdebranieRamki();
    EXPECT_EQ(Sesja.BiezacyWynik, p.kod) << std::hex << int(p.bajt);
    // Only a first part (low nibble 8) keeps its payload.
    EXPECT_EQ(Sesja.Ramki.LiczbaBajtowOdpowiedzi, p.kod == 53 ? 1 : 0) << std::hex << int(p.bajt);
    EXPECT_EQ(Sesja.Ramki.Kontynuacja, p.kod == 53 ? 1 : 0);
  }
}

TEST_F(Ramki, TwoPartAnswerLongerThan255Bytes) {
  Bajty pierwsza(219), druga(219);
  for (int i = 0; i < 219; ++i) {
    pierwsza[i] = static_cast<uint8_t>(i);
    druga[i] = static_cast<uint8_t>(255 - i);
  }
  Skrypt({Ramka(0x08, pierwsza), Ramka(0x08, druga)});
  WymianaRamki(odczyt);
  ASSERT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(WyslaneTresci(), (std::vector<Bajty>{zadanieOdczytu, Kontrolna(8)}));
  EXPECT_EQ(Sesja.Ramki.LiczbaBajtowOdpowiedzi, 438);
  EXPECT_EQ(Sesja.Ramki.Kontynuacja, 0);
  Bajty oba = pierwsza;
  oba.insert(oba.end(), druga.begin(), druga.end());
  EXPECT_EQ(Odpowiedz(), oba);
}

TEST_F(Ramki, AwaitedSecondPartSurvivesIntoTheNextExchange) {
  // The module answers the request with a first part and then falls silent.
  Skrypt({Ramka(0x08, {1, 2}), {}, Ramka(0x08, {3})});
  WymianaRamki(odczyt);
  EXPECT_EQ(Sesja.BiezacyWynik, 33);
  EXPECT_EQ(Sesja.Ramki.Kontynuacja, 1);
  Sesja.BiezacyWynik = 0;
  WymianaRamki(odczyt);
  ASSERT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(Odpowiedz(), (Bajty{1, 2, 3}));
}

TEST_F(Ramki, ControlFramesCarryTheirData) {
  std::strcpy(Sesja.Ramki.NoweHaslo, "NOWEHASL");
  Sesja.Ramki.LiczbaDzwonkow = 3;
  const struct { uint8_t typ; Bajty dane; } przypadki[] = {
      {1, {}},
      {2, {'N', 'O', 'W', 'E', 'H', 'A', 'S', 'L'}},
      {3, {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}},
      {4, {0x34, 0x12}},
      {5, {0x34, 0x12}},
      {6, {}},
      {7, {3}},
      {8, {}},
  };
  for (const auto& p : przypadki) {
    Sesja.BiezacyWynik = 0;
    port.Modul.Otrzymane.clear();
    Skrypt({RamkaOdpowiedzi({'V', '1'})});
    WyslanieRamkiSterujacej(p.typ);
    EXPECT_EQ(Sesja.BiezacyWynik, 0) << int(p.typ);
    EXPECT_EQ(WyslaneTresci(), std::vector<Bajty>{Kontrolna(p.typ, p.dane)}) << int(p.typ);
    EXPECT_EQ(Odpowiedz(), (Bajty{'V', '1'}));
  }
  const uint8_t parametry[] = {9, 8, 7};
  std::memcpy(Sesja.Wymiana.ObszarParametrow, parametry, 3);
  for (uint8_t typ : {0, 9, 255}) {
    Sesja.BiezacyWynik = 0;
    port.Zapisane.clear();
    WyslanieRamkiSterujacej(typ);
    EXPECT_EQ(Sesja.BiezacyWynik, 36);
    EXPECT_TRUE(port.Zapisane.empty());
  }
  EXPECT_EQ(0, std::memcmp(Sesja.Wymiana.ObszarParametrow, parametry, 3));
}

// ---- recovery ----

struct PrzypadekOdtwarzania {
  const char* nazwa;
  std::vector<Bajty> odpowiedzi;
  std::vector<Bajty> oczekiwaneRamki;  // as WyslaneTresci gives them
  uint8_t wynik;
  Bajty dane;  // the answer handed out on success
};

TEST_F(Ramki, Recovery) {
  const Bajty z = zadanieOdczytu;
  Bajty zlyCrc = RamkaOdpowiedzi({0x06, 0x09});
  zlyCrc.back() ^= 0x01;
  const Bajty dobra = RamkaOdpowiedzi({0x06, 0x09});
  const Bajty ucieta(dobra.begin(), dobra.begin() + 9);
  const Bajty ok = RamkaOdpowiedzi({});
  const PrzypadekOdtwarzania przypadki[] = {
      {"crc then good", {zlyCrc, dobra}, {z, Kontrolna(6)}, 0, {0x06, 0x09}},
      {"crc to the limit", {zlyCrc, zlyCrc, zlyCrc, dobra}, {z, Kontrolna(6), Kontrolna(6)}, 34, {}},
      {"cut then good", {ucieta, dobra}, {z, Kontrolna(6)}, 0, {0x06, 0x09}},
      {"cut to the limit", {ucieta, ucieta, ucieta}, {z, Kontrolna(6), Kontrolna(6)}, 33, {}},
      {"silence ends at once", {{}}, {z}, 33, {}},
      {"cut then silence", {ucieta, {}}, {z, Kontrolna(6)}, 33, {}},
      {"refused then good", {Ramka(0x01, {}), dobra}, {z, z}, 0, {0x06, 0x09}},
      {"refused to the limit", {Ramka(0x01, {}), Ramka(0x01, {}), Ramka(0x01, {}), dobra}, {z, z, z}, 35, {}},
      {"login", {Ramka(0x10, {}), ok, dobra}, {z, Kontrolna(3, {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}), z}, 0,
       {0x06, 0x09}},
      {"login refused", {Ramka(0x10, {}), Ramka(0x10, {})}, {z, Kontrolna(3, {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'})},
       39, {}},
      {"login once per exchange",
       {Ramka(0x10, {}), ok, Ramka(0x10, {}), ok},
       {z, Kontrolna(3, {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}), z},
       39,
       {}},
      {"first time-out word", {Ramka(0x20, {}), ok, dobra}, {z, Kontrolna(4, {0x34, 0x12}), z}, 0, {0x06, 0x09}},
      {"second time-out word", {Ramka(0x40, {}), ok, dobra}, {z, Kontrolna(5, {0x34, 0x12}), z}, 0, {0x06, 0x09}},
      {"all three once",
       {Ramka(0x10, {}), ok, Ramka(0x20, {}), ok, Ramka(0x40, {}), ok, dobra},
       {z, Kontrolna(3, {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}), z, Kontrolna(4, {0x34, 0x12}), z,
        Kontrolna(5, {0x34, 0x12}), z},
       0,
       {0x06, 0x09}},
      {"second part after a crc error", {Ramka(0x08, {1}), zlyCrc, Ramka(0x08, {2})}, {z, Kontrolna(8), Kontrolna(6)},
       0, {1, 2}},
      {"other codes stop", {Ramka(0x03, {}), dobra}, {z}, 37, {}},
  };
  for (const auto& p : przypadki) {
    ZerowanieDanychSesji();
    SetUp();
    port.Modul = {};
    port.Modul.Odpowiedzi.assign(p.odpowiedzi.begin(), p.odpowiedzi.end());
    WymianaRamki(odczyt);
    EXPECT_EQ(Sesja.BiezacyWynik, p.wynik) << p.nazwa;
    EXPECT_EQ(WyslaneTresci(), p.oczekiwaneRamki) << p.nazwa;
    if (p.wynik == 0) {
      EXPECT_EQ(Odpowiedz(), p.dane) << p.nazwa;
    }
  }
}

TEST_F(Ramki, RepeatLimitZeroStopsAtOnce) {
  Sesja.Lacze.LimitPowtorzen = 0;
  for (uint8_t kod : {33, 34, 35}) {
    Sesja.BiezacyWynik = kod;
    Sesja.Ramki.OdebranoCos = 1;
    ObslugaBleduRamki();
    EXPECT_EQ(Sesja.BiezacyWynik, kod);
  }
  EXPECT_TRUE(port.Zapisane.empty());
}

TEST_F(Ramki, RecoveryLeavesOtherCodesAlone) {
  for (uint8_t kod : {0, 20, 21, 30, 32, 36, 42, 43, 64, 65}) {
    Sesja.BiezacyWynik = kod;
    ObslugaBleduRamki();
    EXPECT_EQ(Sesja.BiezacyWynik, kod);
  }
  EXPECT_TRUE(port.Zapisane.empty());
}

TEST_F(Ramki, CountersStartAgainWithEveryExchange) {
  Bajty zlyCrc = RamkaOdpowiedzi({0x06});
  zlyCrc.back() ^= 0x01;
  const Bajty dobra = RamkaOdpowiedzi({0x06});
  for (int i = 0; i < 3; ++i) {
    Sesja.BiezacyWynik = 0;
    port.Modul.Otrzymane.clear();
    Skrypt({zlyCrc, zlyCrc, dobra});
    WymianaRamki(odczyt);
    EXPECT_EQ(Sesja.BiezacyWynik, 0) << i;
    EXPECT_EQ(Wyslane().size(), 3u);
  }
}

}  // namespace
