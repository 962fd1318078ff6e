// The port functions over pseudo-terminals: data, time-outs, purge, closing,
// exclusive use, speeds and the error record.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <thread>

#include "include/karvo.h"
#include "platform/comm_termios2.h"
#include "platform/thread_priority.h"
#include "serial/kolejka_wejscia.h"
#include "serial/komunikaty.h"
#include "serial/ostatni_blad.h"
#include "serial/stan_winserii.h"
#include "serial/tcomm.h"
#include "serial_test_support.h"

using namespace std::chrono_literals;

class PortPty : public TestPortow {
 protected:
  void SetUp() override {
    TestPortow::SetUp();
    ASSERT_GE(pty_.urzadzenie, 0);
    MapaPortow({"COM1\t" + pty_.nazwa});
  }
  // Opens COM1 with read time-out odczytS seconds.
  void Otworz(uint16_t odczytS = 1, int32_t predkosc = 9600) {
    ASSERT_EQ(InitializePort(1, predkosc, 1, odczytS), 0) << PobierzBlad().komunikat;
  }
  ParaPty pty_;
};

TEST_F(PortPty, CarriesEveryByteValueBothWays) {
  Otworz();
  EXPECT_FALSE(PobierzBlad().jest);
  std::vector<uint8_t> wszystkie;
  for (int i = 0; i < 256; ++i) wszystkie.push_back(static_cast<uint8_t>(i));
  for (uint8_t b : wszystkie) ASSERT_EQ(WriteByte(b), 1);
  EXPECT_EQ(pty_.Czytaj(256), wszystkie);  // raw: no CR/LF translation, no echo

  pty_.Pisz(wszystkie);
  for (uint8_t oczekiwany : wszystkie) {
    uint8_t b = 0;
    ASSERT_EQ(ReadByte(&b), 1);
    ASSERT_EQ(b, oczekiwany);
  }
  EXPECT_EQ(TimeOut(), 0);
  const Blad blad = PobierzBlad();
  EXPECT_FALSE(blad.jest);
  EXPECT_EQ(blad.kod, 0);
}

TEST_F(PortPty, ReportsTheEntryAndRefusesASecondInitialisation) {
  Otworz(1, 19200);
  uint8_t numer = 0;
  GetCOMNumber(1, &numer);
  EXPECT_EQ(numer, 1);
  EXPECT_EQ(GetSpeed(1), 19200);
  EXPECT_GT(GetCOMHandle(1), 0);

  EXPECT_EQ(InitializePort(1, 2400, 1, 1), 5);
  const Blad blad = PobierzBlad();
  EXPECT_TRUE(blad.jest);
  EXPECT_EQ(blad.komunikat, komunikaty::JUZ_ZAINICJOWANY);
  EXPECT_EQ(blad.kod, 5);
  EXPECT_EQ(GetSpeed(1), 19200);  // still the first settings
  EXPECT_EQ(platforma::PredkoscTermios2(pty_.urzadzenie), 19200u);
  EXPECT_EQ(WriteByte(0x42), 1);

  EXPECT_EQ(UnInitializePort(), 0);
  EXPECT_EQ(InitializePort(1, 2400, 1, 1), 0);  // a closed port may be opened again
  EXPECT_EQ(GetSpeed(1), 2400);
}

TEST_F(PortPty, EmptyEntriesAnswerWithoutAPort) {
  SetComSelector(77);
  uint8_t indeks = 0;
  GetComSelector(&indeks);
  EXPECT_EQ(indeks, 77);
  uint8_t numer = 9;
  GetCOMNumber(77, &numer);
  EXPECT_EQ(numer, 0);
  EXPECT_EQ(GetSpeed(77), 0);
  EXPECT_EQ(GetCOMHandle(77), 0);
  EXPECT_EQ(ClearPort(), 0);
  EXPECT_EQ(UnInitializePort(), 0);
  EXPECT_EQ(ModemStatus(), 0);
  EXPECT_EQ(CharSent(), 0);
  EXPECT_EQ(ChangeParity(0), 0);
  EXPECT_EQ(UstawKanalWinseria(1), 0);
  EXPECT_EQ(WriteByte(1), 0);
  const Blad blad = PobierzBlad();
  EXPECT_EQ(blad.komunikat, komunikaty::PORT_NIE_OTWARTY);
  EXPECT_EQ(blad.kod, -1);
  uint8_t b;
  EXPECT_EQ(ReadByte(&b), 0);
}

TEST_F(PortPty, OpenFailuresNameTheCauseAndLeaveNothingOpen) {
  const std::string plik = katalog_ + "/zwykly-plik";
  std::ofstream(plik) << "x";
  MapaPortow({"COM1\t" + pty_.nazwa, "COM2\t" + katalog_ + "/brak", "COM3\t" + plik, "COM4\t" + katalog_});
  const struct {
    uint8_t port;
    const char* komunikat;
    int32_t kod;
  } przypadki[] = {
      {2, komunikaty::BRAK_URZADZENIA, ENOENT},
      {3, komunikaty::NIEPOPRAWNY_UCHWYT, ENOTTY},
      {4, komunikaty::NIEPOPRAWNY_UCHWYT, ENOTTY},  // a directory is no device either
  };
  for (const auto& p : przypadki) {
    SetComSelector(p.port);
    EXPECT_EQ(InitializePort(p.port, 9600, 1, 1), p.kod) << int(p.port);
    const Blad blad = PobierzBlad();
    EXPECT_TRUE(blad.jest);
    EXPECT_EQ(blad.komunikat, p.komunikat) << int(p.port);
    EXPECT_EQ(blad.kod, p.kod);
    EXPECT_FALSE(PobierzBlad().jest);  // reported once
    EXPECT_EQ(GetCOMHandle(p.port), -1);
    EXPECT_EQ(WriteByte(1), 0);
  }
}

TEST_F(PortPty, ABadSettingFailsTheOpenAndTheNextOpenWorks) {
  EXPECT_EQ(InitializePort(1, 0, 1, 1), EINVAL);
  const Blad blad = PobierzBlad();
  EXPECT_EQ(blad.komunikat, komunikaty::BLAD_BLOKU_KONTROLI);
  EXPECT_EQ(GetCOMHandle(1), -1);
  EXPECT_EQ(SerialPortPresent(1), 1);  // the device was let go
  Otworz();
  EXPECT_EQ(ChangeParity(9), 0);
  EXPECT_EQ(PobierzBlad().komunikat, komunikaty::BLAD_BLOKU_KONTROLI);
  EXPECT_EQ(ChangeParity(2), 1);
}

TEST_F(PortPty, OnePortOneUser) {
  EXPECT_EQ(SerialPortPresent(1), 1);
  Otworz();
  EXPECT_EQ(SerialPortPresent(1), 0);  // in use, also by this process
  MapaPortow({"COM1\t" + pty_.nazwa, "COM2\t" + pty_.nazwa});
  SetComSelector(2);
  EXPECT_EQ(InitializePort(2, 9600, 1, 1), EBUSY);
  EXPECT_EQ(PobierzBlad().komunikat, komunikaty::ZABRONIONY_DOSTEP);
  SetComSelector(1);
  EXPECT_EQ(WriteByte(7), 1);
  UnInitializePort();
  EXPECT_EQ(SerialPortPresent(1), 1);
  EXPECT_EQ(SerialPortPresent(2), 1);
  EXPECT_EQ(SerialPortPresent(3), 0);  // /dev/ttyS2 is not in this map; no such test device
}

TEST_F(PortPty, ReadTimeOutZeroAnswersAtOnce) {
  Otworz(0);
  uint8_t b = 0;
  long long ms = CzasMs([&] { EXPECT_EQ(ReadByte(&b), 0); });
  EXPECT_LT(ms, 500);
  EXPECT_EQ(TimeOut(), 1);
  const Blad blad = PobierzBlad();
  EXPECT_TRUE(blad.jest);
  EXPECT_EQ(blad.komunikat, komunikaty::NIEPOPRAWNY_ODCZYT);

  pty_.Pisz({0x55});
  ASSERT_EQ(pty_.Czytaj(0).size(), 0u);
  for (int proba = 0; proba < 200 && ReadByte(&b) == 0; ++proba) std::this_thread::sleep_for(5ms);
  EXPECT_EQ(b, 0x55);
  EXPECT_EQ(TimeOut(), 0);
}

TEST_F(PortPty, AWaitingReadEndsAtItsTimeOut) {
  Otworz(5);
  ASSERT_EQ(MsSetTimeouts(1000, 150), 1);
  uint8_t b = 0;
  const long long ms = CzasMs([&] { EXPECT_EQ(ReadByte(&b), 0); });
  EXPECT_GE(ms, 140);
  EXPECT_LT(ms, 3000);
  EXPECT_EQ(TimeOut(), 1);
  const Blad blad = PobierzBlad();
  EXPECT_EQ(blad.komunikat, komunikaty::TIMEOUT_ODCZYTU);
  EXPECT_EQ(blad.kod, ETIMEDOUT);
}

TEST_F(PortPty, ClosingEndsAWaitingReadAtOnce) {
  Otworz(60);
  std::thread zamykajacy([] {
    std::this_thread::sleep_for(200ms);
    UnInitializePort();
  });
  uint8_t b = 0;
  const long long ms = CzasMs([&] { EXPECT_EQ(ReadByte(&b), 0); });
  zamykajacy.join();
  EXPECT_LT(ms, 5000);
  EXPECT_EQ(TimeOut(), 1);
  EXPECT_TRUE(PobierzBlad().jest);

  // After a close every transfer ends at once.
  EXPECT_EQ(WriteByte(1), 0);
  EXPECT_EQ(PobierzBlad().komunikat, komunikaty::ZAPIS_PRZERWANY);
  EXPECT_EQ(ReadByte(&b), 0);
  EXPECT_EQ(PobierzBlad().komunikat, komunikaty::ODCZYT_PRZERWANY);
  EXPECT_EQ(UnInitializePort(), 0);  // closing again changes nothing
}

TEST_F(PortPty, ClearPortDiscardsWhatWasReceived) {
  Otworz(0);
  pty_.Pisz({1, 2, 3, 4});
  int wKolejce = 0;
  for (int i = 0; i < 200 && wKolejce < 4; ++i) {
    std::this_thread::sleep_for(5ms);
    ioctl(static_cast<int>(GetCOMHandle(1)), FIONREAD, &wKolejce);
  }
  ASSERT_EQ(wKolejce, 4);
  EXPECT_EQ(BajtyWKolejceWejscia(), 4u);
  EXPECT_EQ(ClearPort(), 0);
  EXPECT_EQ(BajtyWKolejceWejscia(), 0u);
  uint8_t b;
  EXPECT_EQ(ReadByte(&b), 0);
  UnInitializePort();
  EXPECT_EQ(BajtyWKolejceWejscia(), 0u) << "a closed port";
}

// A pseudo-terminal has no transmit queue: purging the output must not take
// back bytes already written (the driver purges before it closes the line).
TEST_F(PortPty, ClearPortKeepsWhatWasAlreadyWritten) {
  Otworz(0);
  // The loss is a race with the kernel's delivery: many tries catch it.
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(WriteByte(0x5A), 1);
    ASSERT_EQ(WriteByte(static_cast<uint8_t>(i)), 1);
    ASSERT_EQ(ClearPort(), 0);
    ASSERT_EQ(pty_.Czytaj(2), (std::vector<uint8_t>{0x5A, static_cast<uint8_t>(i)})) << "write " << i;
  }
}

TEST_F(PortPty, SetsEverySpeedOfTheTablesIncludingTheOddOnes) {
  Otworz();
  for (uint32_t predkosc : {300u, 600u, 1200u, 2400u, 4800u, 9600u, 14400u, 19200u, 28800u, 38400u, 57600u,
                            115200u, 250000u}) {
    EXPECT_EQ(ChangeSpeedWinseria(predkosc), 1) << predkosc;
    EXPECT_EQ(GetSpeed(1), static_cast<int32_t>(predkosc));
    EXPECT_EQ(platforma::PredkoscTermios2(pty_.urzadzenie), predkosc);
  }
  EXPECT_EQ(WriteByte(0x33), 1);
  EXPECT_EQ(pty_.Czytaj(1), std::vector<uint8_t>{0x33});
}

TEST_F(PortPty, APseudoTerminalHasNoModemLinesAndSaysSoCleanly) {
  Otworz();
  EXPECT_EQ(ModemStatus(), 0);
  EXPECT_EQ(SetDTRLine(), 0);
  EXPECT_EQ(ClearRTSLine(), 0);
  EXPECT_EQ(UstawKanalWinseria(2), 0);
  EXPECT_EQ(UstawKanalWinseria(0), 0);
  EXPECT_EQ(UstawKanalWinseria(5), 0);
  EXPECT_EQ(WriteByte(0x11), 1);  // the port itself goes on working
  EXPECT_EQ(CharSent(), 1);
  EXPECT_EQ(pty_.Czytaj(1), std::vector<uint8_t>{0x11});
}

TEST_F(PortPty, AHungUpLineFailsTransfersInsteadOfHanging) {
  Otworz(30);
  close(pty_.urzadzenie);
  pty_.urzadzenie = -1;
  close(pty_.sterujacy);
  pty_.sterujacy = -1;
  uint8_t b;
  const long long ms = CzasMs([&] { EXPECT_EQ(ReadByte(&b), 0); });
  EXPECT_LT(ms, 3000);
  EXPECT_TRUE(PobierzBlad().jest);
}

TEST_F(PortPty, ThePriorityOfTheProcessComesBackAfterTheClose) {
  const int przed = platforma::PriorytetProcesu();
  Otworz();
  UnInitializePort();
  EXPECT_EQ(platforma::PriorytetProcesu(), przed);
}

TEST(IsError, CopiesAtMostTheLongestMessageAndHandlesBadArguments) {
  const std::string dlugi(300, 'x');
  ZapamietanieBledu(dlugi.c_str(), 17);
  char bufor[256];
  std::memset(bufor, '#', sizeof bufor);
  int32_t kod = 0;
  EXPECT_EQ(IsError(bufor, &kod), 1);
  EXPECT_EQ(kod, 17);
  EXPECT_EQ(std::strlen(bufor), komunikaty::NAJDLUZSZY_KOMUNIKAT);
  EXPECT_EQ(bufor[komunikaty::NAJDLUZSZY_KOMUNIKAT + 1], '#');
  EXPECT_EQ(std::strlen(komunikaty::NIEPOPRAWNY_UCHWYT), komunikaty::NAJDLUZSZY_KOMUNIKAT);

  ZapamietanieBledu(komunikaty::TIMEOUT_ZAPISU, 110);
  EXPECT_EQ(IsError(nullptr, &kod), 0);
  EXPECT_EQ(kod, -1);
  EXPECT_EQ(IsError(bufor, &kod), 1);  // the failed copy kept the record
  EXPECT_STREQ(bufor, komunikaty::TIMEOUT_ZAPISU);
  EXPECT_EQ(IsError(bufor, &kod), 0);
  EXPECT_EQ(kod, 0);
  EXPECT_STREQ(bufor, "");
}

TEST(LineErrors, AreRecordedInTheirOrderWithTheFlagAsTheCode) {
  struct PortZBledami : TComm {
    void Zglos(uint32_t flagi) { ZapamietanieBledowLinii(flagi); }
  } port;
  port.Zglos(0);  // no flag, no record
  EXPECT_FALSE(PobierzBlad().jest);
  port.Zglos(0x10 | 0x04);
  const Blad blad = PobierzBlad();  // parity comes after break, so it stays
  EXPECT_EQ(blad.kod, 0x04);
  EXPECT_EQ(blad.komunikat, komunikaty::BLEDY_LINII[4].komunikat);
}

TEST(ModuleDefaults, ParitySelectionGivesTheNewPortsParity) {
  const struct {
    uint8_t wybor;
    int32_t parzystosc;
  } przypadki[] = {{0, 0}, {1, 1}, {2, 2}, {7, 2}, {255, 2}};
  for (const auto& p : przypadki) {
    Winseria().WyborParzystosci = p.wybor;
    EXPECT_EQ(TComm().Parzystosc, p.parzystosc) << int(p.wybor);
  }
  Winseria().WyborParzystosci = 2;
  TComm nowy;
  EXPECT_EQ(nowy.NazwaUrzadzenia, "Comm2");
  EXPECT_EQ(nowy.RozmiarBajtu, 8);
  EXPECT_EQ(nowy.Konfiguruj(3, 4800, 2, 3), 0);
  EXPECT_EQ(nowy.NazwaUrzadzenia, "\\\\.\\COM3");
  EXPECT_EQ(nowy.Zamknij(), 0);  // not open: nothing to do
}
