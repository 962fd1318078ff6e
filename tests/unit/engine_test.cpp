#include <gtest/gtest.h>

#include "protocol/engine.h"
#include "protocol/framing_codec.h"
#include "protocol/line_modes.h"
#include "protocol/requests.h"
#include "scripted_register.h"
#include "state/result_codes.h"
#include "state/session_state.h"

namespace {

class Silnik : public ::testing::Test {
 protected:
  void SetUp() override { CzystaSesja(); }
  SkryptowanaKasa kasa;
  const uint8_t* odp = Sesja.Wymiana.ObszarOdpowiedzi;
};

// The ResultCode the register's status byte gives, written out range by range.
uint8_t OczekiwanyWynikStatusu(int s) {
  if (s == 0) return 0;
  if (s == 0x13) return 46;
  const bool wlasny = (s >= 0x02 && s <= 0x05) || (s >= 0x07 && s <= 0x12) || (s >= 0x64 && s <= 0x6D) ||
                      s == 0x6F || s == 0x70 || s == 0x73 || s == 0x75 || (s >= 0x78 && s <= 0x84);
  return wlasny ? static_cast<uint8_t>(100 + s) : 23;
}

TEST_F(Silnik, EveryStatusOfAWriteBecomesItsResultCode) {
  for (int s = 0; s < 256; ++s) {
    CzystaSesja();
    kasa.NaRozkaz = [s](uint8_t) { return PoWykonaniu({static_cast<uint8_t>(s), 0x31, 0x32}); };
    Sesja.Wymiana.ObszarParametrow[0] = 9;
    WykonanieRozkazu({KodRozkazu{0xC4}, 1, 1, 1});
    EXPECT_EQ(Sesja.BiezacyWynik, OczekiwanyWynikStatusu(s)) << "status " << s;
  }
}

TEST_F(Silnik, Status7AReadsTwoMoreBytesAndKeeps222) {
  kasa.NaRozkaz = [](uint8_t) { return PoWykonaniu({0x7A, 0x12, 0x34}); };
  WykonanieRozkazu({KodRozkazu{0xC4}, 1, 1, 1});
  EXPECT_EQ(Sesja.BiezacyWynik, 222);
  EXPECT_EQ(odp[0], 0x12);
  EXPECT_EQ(odp[1], 0x34);
}

TEST_F(Silnik, Status7AWhoseBytesNeverComeStays222) {
  kasa.NaRozkaz = [](uint8_t) { return PoWykonaniu({0x7A}); };
  WykonanieRozkazu({KodRozkazu{0xC4}, 1, 1, 1});
  EXPECT_EQ(Sesja.BiezacyWynik, 222);
}

TEST_F(Silnik, AcknowledgementBytesAndTheirResultCodes) {
  const struct { uint8_t bajt, wynik; } przypadki[] = {
      {0x06, 0}, {0x01, 101}, {0x15, 24}, {0x65, 201}, {0xC8, 26}, {0x00, 23}, {0x07, 23}, {0xFF, 23},
  };
  for (const auto& p : przypadki) {
    CzystaSesja();
    kasa.Wyslane.clear();
    kasa.NaRozkaz = [&](uint8_t) { return OdpowiedzKasy{{p.bajt}, [](const Bajty&) { return Bajty{0}; }}; };
    Sesja.Wymiana.ObszarParametrow[0] = 0x55;
    WykonanieRozkazu({KodRozkazu{0xC4}, 1, 1, 1});
    EXPECT_EQ(Sesja.BiezacyWynik, p.wynik) << int(p.bajt);
    // A refused request gets no parameters.
    EXPECT_EQ(kasa.Wyslane.size(), p.wynik == 0 ? 3u : 2u) << int(p.bajt);
  }
}

// How far a write got, for a command that must know whether the register may
// have carried it out: the parameters leave only after an acknowledgement,
// and only a status byte that came tells the register's own answer.
TEST_F(Silnik, HowFarARequestGotIsKeptForTheCommand) {
  const struct {
    const char* opis;
    OdpowiedzKasy odpowiedz;
    uint8_t wynik, parametryWyslane, statusOdebrany;
  } przypadki[] = {
      {"done", PoWykonaniu({0x00}), 0, 1, 1},
      {"refused by its status", PoWykonaniu({0x0E}), 114, 1, 1},
      {"no status", PoWykonaniu({}), 21, 1, 0},
      {"refused by its acknowledgement", {{0x15}, nullptr}, 24, 0, 0},
      {"no acknowledgement", Cisza(), 21, 0, 0},
  };
  for (const auto& p : przypadki) {
    CzystaSesja();
    kasa.NaRozkaz = [&](uint8_t) { return p.odpowiedz; };
    Sesja.Wymiana.ObszarParametrow[0] = 3;
    WykonanieRozkazu({KodRozkazu{0xB8}, 1, 1, 1});
    EXPECT_EQ(Sesja.BiezacyWynik, p.wynik) << p.opis;
    EXPECT_EQ(Sesja.Wymiana.ParametryWyslane, p.parametryWyslane) << p.opis;
    EXPECT_EQ(Sesja.Wymiana.StatusOdebrany, p.statusOdebrany) << p.opis;
  }
}

TEST_F(Silnik, CodesThatAnswerWithDataFromTheFirstByte) {
  for (uint8_t kod : {0x9B, 0x94, 0x95, 0x96}) {
    CzystaSesja();
    kasa.NaRozkaz = [](uint8_t) { return OdpowiedzKasy{{0x42}, nullptr}; };
    WykonanieRozkazu({KodRozkazu{kod}, 1, 0, 0});
    EXPECT_EQ(Sesja.BiezacyWynik, 0) << int(kod);
    EXPECT_EQ(odp[0], 0x42);
  }
}

TEST_F(Silnik, SendsEscapeCodeAndParametersInOrder) {
  kasa.NaRozkaz = [](uint8_t) { return PoWykonaniu({0x00}); };
  Sesja.Wymiana.ObszarParametrow[0] = 0xAA;
  Sesja.Wymiana.ObszarParametrow[1] = 0x1B;
  WykonanieRozkazu({KodRozkazu{0x43}, 1, 2, 1});
  EXPECT_EQ(kasa.Wyslane, (Bajty{0x1B, 0x43, 0xAA, 0x1B}));
  // One write each side of the acknowledgement: escape and code, then the parameters.
  EXPECT_EQ(kasa.Zapisy, (std::vector<std::size_t>{2, 2}));
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
}

TEST_F(Silnik, ReadAnswerLandsFromAnswerByteZero) {
  kasa.NaRozkaz = [](uint8_t) { return Potwierdzenie({'0', '7'}); };
  WykonanieRozkazu({KodRozkazu{0xC0}, 3, 0, 0});
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(odp[0], '0');
  EXPECT_EQ(odp[1], '7');
}

TEST_F(Silnik, ShortAnswerGivesNoAnswer21) {
  kasa.NaRozkaz = [](uint8_t) { return Potwierdzenie({'0'}); };
  WykonanieRozkazu({KodRozkazu{0xC0}, 3, 0, 0});
  EXPECT_EQ(Sesja.BiezacyWynik, 21);
}

TEST_F(Silnik, WriteWithoutSecondAnswerWaitsUntilEverythingIsSent) {
  kasa.NaRozkaz = [](uint8_t) { return Cisza(); };
  Sesja.Wymiana.ObszarParametrow[0] = 3;
  WykonanieRozkazu({KodRozkazu{0x01}, 0, 1, 0});
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(kasa.WyslanoZnakiWywolan, 1);
  EXPECT_EQ(kasa.Wyslane, (Bajty{0x1B, 0x01, 3}));

  CzystaSesja();
  kasa.WyslanoZnakiZawodzi = true;
  WykonanieRozkazu({KodRozkazu{0x01}, 0, 1, 0});
  EXPECT_EQ(Sesja.BiezacyWynik, 20);
}

TEST_F(Silnik, AByteThatCannotBeWrittenGives20) {
  kasa.ZapisZawodzi = true;
  WykonanieRozkazu({KodRozkazu{0xC0}, 3, 0, 0});
  EXPECT_EQ(Sesja.BiezacyWynik, 20);
}

TEST_F(Silnik, AttemptsWhileTheSessionOpensAndAfter) {
  const struct { uint8_t otwieranie, pierwszy; int proby; } przypadki[] = {{1, 1, 2}, {1, 0, 4}, {0, 1, 1}, {0, 0, 1}};
  for (const auto& p : przypadki) {
    CzystaSesja();
    kasa.Rozkazy.clear();
    Sesja.OtwieranieSesji = p.otwieranie;
    Sesja.PierwszyRozkaz = p.pierwszy;
    WykonanieRozkazu({KodRozkazu{0xC0}, 3, 0, 0});
    EXPECT_EQ(Sesja.BiezacyWynik, 21);
    EXPECT_EQ(kasa.IleRazy(0xC0), p.proby) << int(p.otwieranie) << int(p.pierwszy);
    EXPECT_EQ(Sesja.PierwszyRozkaz, 0);
    EXPECT_EQ(Sesja.LicznikRozkazow, static_cast<uint32_t>(p.proby));
  }
}

TEST_F(Silnik, OnlyNoAnswerIsTriedAgain) {
  Sesja.OtwieranieSesji = 1;
  kasa.NaRozkaz = [](uint8_t) { return Odmowa(); };
  WykonanieRozkazu({KodRozkazu{0xFE}, 4, 0, 0});
  EXPECT_EQ(Sesja.BiezacyWynik, 24);
  EXPECT_EQ(kasa.IleRazy(0xFE), 1);
}

TEST_F(Silnik, ARegisterThatWakesUpOnTheSecondTry) {
  Sesja.OtwieranieSesji = 1;
  Sesja.PierwszyRozkaz = 1;
  int n = 0;
  kasa.NaRozkaz = [&n](uint8_t) { return ++n == 1 ? Cisza() : Potwierdzenie({'1', '2'}); };
  WykonanieRozkazu({KodRozkazu{0xC0}, 3, 0, 0});
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(odp[0], '1');
}

// Bytes that wait after a complete answer came after it: it may have been
// another request's, so the next request is not sent and fails with 23.
TEST_F(Silnik, BytesLeftAfterAnAnswerFailTheNextRequestBeforeItIsSent) {
  kasa.MowiIleCzeka = true;
  kasa.NaRozkaz = [](uint8_t) { return Potwierdzenie({'0', '7', 0x55, 0x55}); };
  WykonanieRozkazu({KodRozkazu{0xC0}, 3, 0, 0});
  ASSERT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(Sesja.Wymiana.WymianaNiepewna, 0);
  EXPECT_FALSE(CiszaPoOdpowiedzi());
  kasa.Wyslane.clear();
  UstawBlad(BezBledu);
  WykonanieRozkazu({KodRozkazu{0x71}, 12, 0, 0});
  EXPECT_EQ(Sesja.BiezacyWynik, 23);
  EXPECT_TRUE(kasa.Wyslane.empty());
  EXPECT_EQ(Sesja.Wymiana.WymianaNiepewna, 1);

  // The next session on the same line (kept open) lets them go and goes on.
  ZerowanieDanychSesji();
  kasa.NaRozkaz = [](uint8_t) { return Potwierdzenie({'0', '7'}); };
  WykonanieRozkazu({KodRozkazu{0xC0}, 3, 0, 0});
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(odp[0], '0');
  EXPECT_EQ(Sesja.Wymiana.WymianaNiepewna, 0);
  EXPECT_TRUE(CiszaPoOdpowiedzi());
}

// After an attempt that got no answer the register may still send one: it is
// read and let go until the line is quiet, and only then is the retry sent.
TEST_F(Silnik, ALateAnswerIsLetGoBeforeTheRetry) {
  Sesja.OtwieranieSesji = 1;
  Sesja.PierwszyRozkaz = 1;
  int rozkazy = 0, odczyty = 0;
  kasa.NaRozkaz = [&](uint8_t) { return ++rozkazy == 1 ? Cisza() : Potwierdzenie({'0', '7'}); };
  kasa.NaOdczyt = [&] { return ++odczyty == 2 ? Bajty{0x06, '9', '9'} : Bajty{}; };
  WykonanieRozkazu({KodRozkazu{0xC0}, 3, 0, 0});
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(odp[0], '0');
  EXPECT_EQ(kasa.Odczytane, 6) << "the late answer, then the retry's";
  EXPECT_EQ(Sesja.Wymiana.WymianaNiepewna, 1);
}

// A cut answer leaves the line unsettled whichever way it ended; a clean
// exchange leaves it settled and reads nothing more than its answer.
TEST_F(Silnik, OnlyAnIncompleteExchangeUnsettlesTheLine) {
  const struct { const char* nazwa; OdpowiedzKasy odpowiedz; uint8_t wynik, niepewna; } przypadki[] = {
      {"clean", Potwierdzenie({'0', '7'}), 0, 0},
      {"cut", Potwierdzenie({'0'}), 21, 1},
      {"silent", Cisza(), 21, 1},
      {"unexpected", {Bajty{0x42}, nullptr}, 23, 1},
      {"refused", Odmowa(), 24, 0},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.nazwa);
    CzystaSesja();
    kasa.NaRozkaz = [&](uint8_t) { return p.odpowiedz; };
    WykonanieRozkazu({KodRozkazu{0xC0}, 3, 0, 0});
    EXPECT_EQ(Sesja.BiezacyWynik, p.wynik);
    EXPECT_EQ(Sesja.Wymiana.WymianaNiepewna, p.niepewna);
    EXPECT_EQ(Sesja.Wymiana.OdpowiedzPrzyjeta, 1 - p.niepewna);
  }
}

TEST_F(Silnik, EndMarkerStopsARecordListEarly) {
  Bajty dane(13 * 10, 0x20);
  dane[13] = 0xFF;  // the second record is not there
  kasa.NaRozkaz = [&](uint8_t) { return Potwierdzenie(dane); };
  WykonanieRozkazu({KodRozkazu{0x47}, 1 + 13 * 10, 0, 0});
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(kasa.Odczytane, 1 + 13 + 1);
  EXPECT_EQ(Sesja.Wymiana.LicznikOdebranychBajtow, 1u + 13 + 1);
}

TEST_F(Silnik, AnFFInsideARecordIsData) {
  Bajty dane(13 * 2, 0x20);
  dane[5] = 0xFF;
  kasa.NaRozkaz = [&](uint8_t) { return Potwierdzenie(dane); };
  WykonanieRozkazu({KodRozkazu{0x47}, 1 + 13 * 2, 0, 0});
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(kasa.Odczytane, 1 + 26);
}

TEST_F(Silnik, EndMarkerInTheSecondAnswer) {
  kasa.NaRozkaz = [](uint8_t) { return PoWykonaniu({0x00, 1, 2, 3, 4, 0xFF, 9, 9, 9}); };
  Sesja.Wymiana.ObszarParametrow[0] = 1;
  WykonanieRozkazu({KodRozkazu{0xE7}, 1, 1, 1 + 4 * 2});
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(kasa.Odczytane, 1 + 1 + 5);
  EXPECT_EQ(odp[4], 0xFF);
}

TEST(DlugoscRekordu, EveryListedCodeAndCondition) {
  ZerowanieDanychSesji();
  const struct { uint8_t kod, d1, lp, d2, param0, typ, rekord; } przypadki[] = {
      {0x0A, 110, 0, 0, 0, 0, 27},  {0x0B, 110, 0, 0, 0, 0, 27}, {0x0A, 109, 0, 0, 0, 0, 0},
      {0x0B, 110, 1, 0, 0, 0, 0},   {0x0A, 110, 0, 1, 0, 0, 0},  {0x47, 1, 0, 0, 0, 0, 13},
      {0x48, 1, 2, 9, 0, 0, 13},    {0x61, 1, 0, 0, 0, 0, 38},   {0xA1, 1, 1, 9, 0x00, 0, 17},
      {0xA1, 1, 1, 9, 0x80, 0, 17}, {0xA1, 1, 1, 9, 0x01, 0, 21}, {0xA1, 1, 1, 9, 0x81, 0, 21},
      {0xA1, 1, 1, 9, 0x02, 0, 30}, {0xA1, 1, 1, 9, 0x82, 'u', 33}, {0xA1, 1, 1, 9, 0x02, 'v', 33},
      {0xA1, 1, 1, 9, 0x03, 0, 38}, {0xA1, 1, 1, 9, 0x83, 0, 38}, {0xA1, 1, 1, 9, 0x10, 0, 12},
      {0xA1, 1, 1, 9, 0x90, 0, 12}, {0xA1, 1, 1, 9, 0x04, 0, 0},  {0xA1, 1, 1, 9, 0x11, 0, 0},
      {0xA2, 1, 0, 0, 0, 0, 11},    {0xA3, 1, 0, 0, 0, 0, 11},   {0xA5, 1, 0, 0, 0, 0, 11},
      {0xAD, 1, 0, 0, 0, 0, 16},    {0xAE, 1, 0, 0, 0, 0, 16},   {0xD5, 1, 0, 0, 0, 0, 29},
      {0xD6, 1, 0, 0, 0, 0, 29},    {0xE7, 1, 0, 0, 0, 0, 4},    {0xE9, 1, 0, 0, 0, 0, 20},
      {0xEE, 1, 0, 0, 0, 0, 20},    {0xEA, 1, 0, 0, 0, 0, 8},    {0xC0, 3, 0, 0, 0, 0, 0},
      {0xE6, 1, 2, 2, 0, 0, 0},
  };
  for (const auto& p : przypadki) {
    Sesja.Wymiana.ObszarParametrow[0] = p.param0;
    Sesja.Urzadzenie.KodTypuKasy = p.typ;
    EXPECT_EQ(DlugoscRekorduZnacznika({KodRozkazu{p.kod}, p.d1, p.lp, p.d2}), p.rekord) << std::hex << int(p.kod) << " "
                                                                           << int(p.param0);
  }
}

TEST_F(Silnik, ReadoutOfRecordsE5ByItsStatus) {
  const struct { uint8_t status, typ; int reszta; } przypadki[] = {
      {0xFA, 0x18, 38}, {0xFA, 0x1B, 38}, {0xFA, 0x20, 42}, {0xFB, 0, 17}, {0xFC, 0, 8}, {0xFD, 0, 0}, {0xFE, 0, 0},
  };
  for (const auto& p : przypadki) {
    CzystaSesja();
    kasa.Odczytane = 0;
    Sesja.Urzadzenie.KodTypuKasy = p.typ;
    Bajty druga(1 + 60, 0x33);
    druga[0] = p.status;
    kasa.NaRozkaz = [&](uint8_t) { return PoWykonaniu(druga); };
    WykonanieRozkazu({KodRozkazu{0xE5}, 1, 2, 1});
    EXPECT_EQ(Sesja.BiezacyWynik, 0) << int(p.status);
    EXPECT_EQ(Sesja.Wymiana.StatusRozkazu, p.status);
    EXPECT_EQ(kasa.Odczytane, 1 + 1 + p.reszta) << int(p.status);
    if (p.reszta == 0) {
      EXPECT_EQ(odp[0], 0);
    }
  }
  CzystaSesja();
  kasa.NaRozkaz = [](uint8_t) { return PoWykonaniu({0x00}); };
  WykonanieRozkazu({KodRozkazu{0xE5}, 1, 2, 1});
  EXPECT_EQ(Sesja.BiezacyWynik, 23);
}

TEST_F(Silnik, CodesWhoseStatusIsReportedOrIsData) {
  for (uint8_t kod : {0x9A, 0xFC, 0x4D}) {
    CzystaSesja();
    kasa.NaRozkaz = [](uint8_t) { return PoWykonaniu({0x13, 0x44}); };
    WykonanieRozkazu({KodRozkazu{kod}, 1, 1, 2});
    EXPECT_EQ(Sesja.BiezacyWynik, 0) << int(kod);
    EXPECT_EQ(Sesja.Wymiana.StatusRozkazu, 0x13);
    EXPECT_EQ(odp[0], 0x44);
  }
  for (uint8_t kod : {0x72, 0x31, 0xF9, 0x11}) {
    CzystaSesja();
    kasa.NaRozkaz = [](uint8_t) { return PoWykonaniu({0x99, 0x44}); };
    WykonanieRozkazu({KodRozkazu{kod}, 1, 1, 2});
    EXPECT_EQ(Sesja.BiezacyWynik, 0) << int(kod);
    EXPECT_EQ(odp[0], 0x44);
  }
}

TEST_F(Silnik, RequestA0OnOlderRegistersAcknowledgesWith06) {
  const struct { uint8_t typ, status, wynik; } przypadki[] = {{0x73, 0x06, 0}, {0x74, 0x06, 23}, {0x73, 0x0B, 111}};
  for (const auto& p : przypadki) {
    CzystaSesja();
    Sesja.Urzadzenie.KodTypuKasy = p.typ;
    kasa.NaRozkaz = [&](uint8_t) { return PoWykonaniu({p.status}); };
    WykonanieRozkazu({KodRozkazu{0xA0}, 1, 1, 1});
    EXPECT_EQ(Sesja.BiezacyWynik, p.wynik) << int(p.typ) << " " << int(p.status);
  }
}

TEST(StatusJestDanaRamki, Codes) {
  ZerowanieDanychSesji();
  Sesja.Urzadzenie.KodTypuKasy = 0x74;
  for (int kod = 0; kod < 256; ++kod) {
    const bool dana = kod == 0xE5 || kod == 0x9A || kod == 0x72 || kod == 0x31 || kod == 0xF9 || kod == 0x11 ||
                      kod == 0xFC;
    EXPECT_EQ(StatusJestDana(static_cast<uint8_t>(kod)), dana) << kod;
  }
  Sesja.Urzadzenie.KodTypuKasy = 0x73;
  EXPECT_TRUE(StatusJestDana(0xA0));
  Sesja.Urzadzenie.KodTypuKasy = 0x74;
  EXPECT_FALSE(StatusJestDana(0xA0));
}

// ---- the modem-frame mode: the same exchange inside the module's frames ----

Bajty RamkaOdpowiedzi(const Bajty& dane) {
  Bajty surowe{0, 0x00};
  surowe.insert(surowe.end(), dane.begin(), dane.end());
  surowe[0] = static_cast<uint8_t>(DlugoscPoZakodowaniu(surowe.size() + 2));
  const uint16_t crc = Crc16(surowe.data(), surowe.size());
  surowe.push_back(static_cast<uint8_t>(crc & 0xFF));
  surowe.push_back(static_cast<uint8_t>(crc >> 8));
  Bajty ramka{'K', 'A', 'R', 'V', 'O'};
  uint8_t zakodowane[300];
  const std::size_t n = Kodowanie7w8(surowe.data(), surowe.size(), zakodowane, sizeof zakodowane);
  ramka.insert(ramka.end(), zakodowane, zakodowane + n);
  return ramka;
}

Bajty SuroweRamkiZadania(const Bajty& wyslane) {
  uint8_t surowe[300];
  const std::size_t n = Dekodowanie7w8(wyslane.data() + 5, wyslane.size() - 5, surowe, sizeof surowe);
  return Bajty(surowe, surowe + n);
}

class SilnikRamkowy : public Silnik {
 protected:
  void SetUp() override {
    CzystaSesja();
    WybranieTrybuLacza(2);
    Sesja.Lacze.KanalZadany = 3;
    Sesja.Lacze.LimitPowtorzen = 1;
  }
};

TEST_F(SilnikRamkowy, RequestFrameCarriesRecordLengthAndStatusFlag) {
  kasa.NaOdczyt = [] { return RamkaOdpowiedzi({0x06, 0xFD}); };
  Sesja.Wymiana.ObszarParametrow[0] = 7;
  WykonanieRozkazu({KodRozkazu{0xE5}, 1, 1, 1});
  ASSERT_EQ(Sesja.BiezacyWynik, 0);
  const Bajty surowe = SuroweRamkiZadania(kasa.Wyslane);
  ASSERT_GE(surowe.size(), 8u);
  EXPECT_EQ(surowe[1] & 0x40, 0x40);  // the status byte is data
  EXPECT_EQ(surowe[2], 1);
  EXPECT_EQ(surowe[3], 1);
  EXPECT_EQ(surowe[4], 0);
  EXPECT_EQ(surowe[5], 0x1B);
  EXPECT_EQ(surowe[6], 0xE5);
  EXPECT_EQ(surowe[7], 7);
  EXPECT_EQ(Sesja.Wymiana.StatusRozkazu, 0xFD);
}

TEST_F(SilnikRamkowy, RecordListFromTheFrame) {
  Bajty dane{0x06};
  for (int i = 0; i < 13; ++i) dane.push_back(static_cast<uint8_t>(i));
  dane.push_back(0xFF);
  kasa.NaOdczyt = [&] { return RamkaOdpowiedzi(dane); };
  WykonanieRozkazu({KodRozkazu{0x47}, 1 + 13 * 10, 0, 0});
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  const Bajty surowe = SuroweRamkiZadania(kasa.Wyslane);
  EXPECT_EQ(surowe[4], 13);
  EXPECT_EQ(surowe[1] & 0x40, 0);
  EXPECT_EQ(odp[12], 12);
}

TEST_F(SilnikRamkowy, AnAnswerFrameShorterThanTheRequestGives45) {
  kasa.NaOdczyt = [] { return RamkaOdpowiedzi({0x06, '0'}); };
  WykonanieRozkazu({KodRozkazu{0xC0}, 3, 0, 0});
  EXPECT_EQ(Sesja.BiezacyWynik, 45);
}

TEST_F(SilnikRamkowy, Status7AInAFrameEndsTheExchange) {
  kasa.NaOdczyt = [] { return RamkaOdpowiedzi({0x06, 0x7A}); };
  WykonanieRozkazu({KodRozkazu{0xC4}, 1, 1, 1});
  EXPECT_EQ(Sesja.BiezacyWynik, 222);
}

// Over a module the frame carries the parameters with the request: once it
// has left, only an answer frame that refused the acknowledgement says the
// register never took them.
TEST_F(SilnikRamkowy, AFrameThatLeftMayHaveBeenCarriedOut) {
  const struct {
    Bajty ramka;  // empty: no answer frame
    uint8_t parametryWyslane, statusOdebrany;
  } przypadki[] = {{{0x06, 0x00}, 1, 1}, {{0x15}, 0, 0}, {{}, 1, 0}};
  for (const auto& p : przypadki) {
    CzystaSesja();
    WybranieTrybuLacza(2);
    Sesja.Lacze.KanalZadany = 3;
    Sesja.Lacze.LimitPowtorzen = 1;
    kasa.NaOdczyt = [&] { return p.ramka.empty() ? Bajty{} : RamkaOdpowiedzi(p.ramka); };
    WykonanieRozkazu({KodRozkazu{0xB8}, 1, 1, 1});
    EXPECT_EQ(Sesja.Wymiana.ParametryWyslane, p.parametryWyslane) << p.ramka.size();
    EXPECT_EQ(Sesja.Wymiana.StatusOdebrany, p.statusOdebrany) << p.ramka.size();
  }
}

}  // namespace

// A register that pads its error answers to their declared length: the
// padding belongs to the error answer and the next request goes on.
TEST_F(Silnik, ThePaddingOfAnErrorAnswerIsLetGo) {
  kasa.MowiIleCzeka = true;
  kasa.NaRozkaz = [](uint8_t) { return PoWykonaniu({0x05, 0x00, 0x00}); };
  Sesja.Wymiana.ObszarParametrow[0] = 0xFF;
  WykonanieRozkazu({KodRozkazu{0xE6}, 1, 2, 3});
  EXPECT_EQ(Sesja.BiezacyWynik, 105);
  EXPECT_EQ(kasa.Odczytane, 4) << "the acknowledgement, the status and its two padding bytes";
  EXPECT_TRUE(CiszaPoOdpowiedzi());
  kasa.NaRozkaz = [](uint8_t) { return PoWykonaniu({0x00, 0x07, 0x08}); };
  WykonanieRozkazu({KodRozkazu{0xE6}, 1, 2, 3});
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(odp[0], 0x07);
  // Padding is only what the declared length leaves: one byte more is stray.
  kasa.NaRozkaz = [](uint8_t) { return PoWykonaniu({0x05, 0x00, 0x00, 0x00}); };
  WykonanieRozkazu({KodRozkazu{0xE6}, 1, 2, 3});
  EXPECT_EQ(Sesja.BiezacyWynik, 105);
  EXPECT_FALSE(CiszaPoOdpowiedzi());
}
