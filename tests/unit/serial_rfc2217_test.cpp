// The port functions over RFC 2217, against the test server: line settings,
// control lines, modem lines, purge, and servers that misbehave.
#include <cerrno>
#include <thread>

#include "include/karvo.h"
#include "rfc2217_test_server.h"
#include "serial/kolejka_wejscia.h"
#include "serial/komunikaty.h"
#include "serial_test_support.h"

using namespace std::chrono_literals;
using Bajty = std::vector<uint8_t>;

namespace {
// COM-PORT-OPTION command codes as the client sends them.
constexpr uint8_t PREDKOSC = 1, ROZMIAR = 2, PARZYSTOSC = 3, STOP = 4, STEROWANIE = 5, MASKA_MODEMU = 11, CZYSC = 12;
}  // namespace

class PortRfc2217 : public TestPortow {
 protected:
  void SetUp() override {
    TestPortow::SetUp();
    MapaPortow({"COM3\t" + serwer_.Cel() + "\t127.0.0.1"});
  }
  void Otworz(uint16_t odczytS = 1, int32_t predkosc = 9600) {
    SetComSelector(3);
    ASSERT_EQ(InitializePort(3, predkosc, 1, odczytS), 0) << PobierzBlad().komunikat;
  }
  SerwerRfc2217Testowy serwer_;
};

TEST_F(PortRfc2217, OpensWithTheLineSettingsAndCarriesEveryByteValue) {
  Otworz(1, 19200);
  EXPECT_EQ(serwer_.Predkosc(), 19200u);
  EXPECT_EQ(serwer_.Polecenia(ROZMIAR).back(), Bajty{8});
  EXPECT_EQ(serwer_.Polecenia(PARZYSTOSC).back(), Bajty{3});  // even, the module's default
  EXPECT_EQ(serwer_.Polecenia(STOP).back(), Bajty{1});
  EXPECT_EQ(serwer_.Polecenia(STEROWANIE).front(), Bajty{1});  // no flow control: UstawCTS(0)
  EXPECT_EQ(serwer_.Polecenia(MASKA_MODEMU).back(), Bajty{0xF0});
  EXPECT_FALSE(serwer_.Dtr());  // dropped once the settings are applied
  EXPECT_FALSE(serwer_.Rts());
  EXPECT_STREQ(PIPAdress(3), "127.0.0.1");
  EXPECT_GT(GetCOMHandle(3), 0);

  Bajty wszystkie;
  for (int i = 0; i < 256; ++i) wszystkie.push_back(static_cast<uint8_t>(i));
  for (uint8_t b : wszystkie) ASSERT_EQ(WriteByte(b), 1);
  ASSERT_TRUE(serwer_.CzekajNaDane(256));
  EXPECT_EQ(serwer_.Dane(), wszystkie);  // 0xFF undoubled, CR alone in binary mode

  serwer_.WyslijDane(wszystkie);
  for (uint8_t oczekiwany : wszystkie) {
    uint8_t b = 0;
    ASSERT_EQ(ReadByte(&b), 1);
    ASSERT_EQ(b, oczekiwany);
  }
  EXPECT_EQ(CharSent(), 1);
  EXPECT_FALSE(PobierzBlad().jest);
}

TEST_F(PortRfc2217, SendsSpeedParityAndFlowControlChanges) {
  UstawCTS(1);
  Otworz();
  EXPECT_EQ(serwer_.Polecenia(STEROWANIE).front(), Bajty{3});
  UstawCTS(0);
  const struct {
    uint8_t parzystosc, naLinii;
  } parzystosci[] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}};
  for (const auto& p : parzystosci) {
    EXPECT_EQ(ChangeParity(p.parzystosc), 1);
    EXPECT_EQ(serwer_.Polecenia(PARZYSTOSC).back(), Bajty{p.naLinii});
  }
  EXPECT_EQ(serwer_.Polecenia(STEROWANIE).back(), Bajty{1});
  for (uint32_t predkosc : {14400u, 28800u, 115200u, 1200u}) {
    EXPECT_EQ(ChangeSpeedWinseria(predkosc), 1);
    EXPECT_EQ(serwer_.Predkosc(), predkosc);
  }
  EXPECT_EQ(serwer_.Polecenia(PREDKOSC).back(), (Bajty{0x00, 0x00, 0x04, 0xB0}));
}

TEST_F(PortRfc2217, TheParitySelectionOfPInitializePortReachesTheLine) {
  const struct {
    uint8_t wybor, naLinii;
  } przypadki[] = {{0, 1}, {1, 2}, {7, 3}};
  SetComSelector(3);
  for (const auto& p : przypadki) {
    ASSERT_EQ(pInitializePort(3, 9600, 1, 1, p.wybor), 0);
    EXPECT_EQ(serwer_.Polecenia(PARZYSTOSC).back(), Bajty{p.naLinii}) << int(p.wybor);
    UnInitializePort();
  }
}

TEST_F(PortRfc2217, SelectsTheFourChannelsOfTheLineSwitch) {
  Otworz();
  const struct {
    uint8_t kanal;
    bool dtr, rts;
  } kanaly[] = {{1, false, true}, {2, true, true}, {3, false, false}, {4, true, false}};
  for (const auto& k : kanaly) {
    EXPECT_EQ(UstawKanalWinseria(k.kanal), 1);
    EXPECT_EQ(serwer_.Dtr(), k.dtr) << int(k.kanal);
    EXPECT_EQ(serwer_.Rts(), k.rts) << int(k.kanal);
  }
  const auto przed = serwer_.Polecenia(STEROWANIE).size();
  EXPECT_EQ(UstawKanalWinseria(0), 0);
  EXPECT_EQ(UstawKanalWinseria(5), 0);
  EXPECT_EQ(serwer_.Polecenia(STEROWANIE).size(), przed);  // lines unchanged
  EXPECT_EQ(SetDTRLine(), 1);
  EXPECT_TRUE(serwer_.Dtr());
  EXPECT_EQ(ClearDTRLine(), 1);
  EXPECT_FALSE(serwer_.Dtr());
  EXPECT_EQ(SetRTSLine(), 1);
  EXPECT_TRUE(serwer_.Rts());
}

TEST_F(PortRfc2217, ModemStatusFollowsTheServersNotifications) {
  Otworz();
  const uint8_t stany[] = {0x80, 0x80 | 0x40, 0x10 | 0x20, 0x00, 0xF0};
  for (uint8_t stan : stany) {
    serwer_.UstawStanModemu(stan);
    uint8_t widziany = 0xFF;
    for (int i = 0; i < 300 && (widziany = ModemStatus()) != stan; ++i) std::this_thread::sleep_for(2ms);
    EXPECT_EQ(widziany, stan);
  }
}

TEST_F(PortRfc2217, ACarrierSeenOnThatFallsEndsAWaitingReadAtOnce) {
  // Only a carrier that someone has seen on is watched: a line that never
  // had one waits its time-out (1 s) as before.
  const struct { bool widziana, koniecOdRazu; } przypadki[] = {{true, true}, {false, false}};
  for (const auto& c : przypadki) {
    Otworz(1);
    const uint8_t przedSpadkiem = c.widziana ? 0xB0 : 0x30;
    serwer_.UstawStanModemu(przedSpadkiem);
    for (int i = 0; i < 300 && ModemStatus() != przedSpadkiem; ++i) std::this_thread::sleep_for(2ms);
    serwer_.UstawStanModemu(0xB0);  // on again, unseen when not looked at
    std::thread spadek([&] {
      std::this_thread::sleep_for(100ms);
      serwer_.UstawStanModemu(0x30);
    });
    uint8_t b;
    const long long ms = CzasMs([&] { EXPECT_EQ(ReadByte(&b), 0); });
    spadek.join();
    if (c.koniecOdRazu) {
      EXPECT_LT(ms, 700);
      EXPECT_EQ(PobierzBlad().kod, ENOLINK);
    } else {
      EXPECT_GE(ms, 900);
    }
    UnInitializePort();
  }
}

TEST_F(PortRfc2217, ALineErrorTheServerReportsReachesIsError) {
  Otworz();
  serwer_.PowiadomOStanieLinii(0x08);
  Blad blad{};
  // Asking for the record is what reads the line's errors: no thread watches for them.
  for (int i = 0; i < 300 && !(blad = PobierzBlad()).jest; ++i) std::this_thread::sleep_for(2ms);
  EXPECT_EQ(blad.kod, 0x08);
  EXPECT_EQ(blad.komunikat, komunikaty::BLEDY_LINII[1].komunikat);  // the framing error
}

TEST_F(PortRfc2217, ClearPortDiscardsEverythingTheServerSentBefore) {
  Otworz(0);
  serwer_.WyslijDane({1, 2, 3});
  EXPECT_EQ(ClearPort(), 0);
  EXPECT_EQ(serwer_.Polecenia(CZYSC), (std::vector<Bajty>{{2}, {1}}));  // output first, then input
  uint8_t b;
  EXPECT_EQ(ReadByte(&b), 0);
  serwer_.WyslijDane({9});
  for (int i = 0; i < 300 && ReadByte(&b) == 0; ++i) std::this_thread::sleep_for(2ms);
  EXPECT_EQ(b, 9);
}

// Once the server has answered a purge, later purges go out with the next
// request instead of a round trip each, and still drop what came before them.
TEST_F(PortRfc2217, ALaterClearPortGoesOutWithTheNextRequestAndStillDropsWhatCameBefore) {
  Otworz(1);
  EXPECT_EQ(ClearPort(), 0);
  ASSERT_EQ(serwer_.Polecenia(CZYSC).size(), 2u);
  serwer_.WyslijDane({1, 2, 3});
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(ClearPort(), 0);
  EXPECT_EQ(serwer_.Polecenia(CZYSC).size(), 2u);  // held back so far
  EXPECT_EQ(WriteByte(7), 1);
  ASSERT_TRUE(serwer_.CzekajNaDane(1));
  EXPECT_EQ(serwer_.Polecenia(CZYSC), (std::vector<Bajty>{{2}, {1}, {2}, {1}}));  // before the request's byte
  serwer_.WyslijDane({9});
  uint8_t b = 0;
  EXPECT_EQ(ReadByte(&b), 1);
  EXPECT_EQ(b, 9);
}

TEST_F(PortRfc2217, ClosingEndsAWaitingReadAtOnce) {
  Otworz(60);
  std::thread zamykajacy([] {
    std::this_thread::sleep_for(200ms);
    UnInitializePort();
  });
  uint8_t b;
  const long long ms = CzasMs([&] { EXPECT_EQ(ReadByte(&b), 0); });
  zamykajacy.join();
  EXPECT_LT(ms, 5000);
  EXPECT_EQ(TimeOut(), 1);
  EXPECT_EQ(CzasMs([&] { EXPECT_EQ(WriteByte(1), 0); }), 0);
}

TEST_F(PortRfc2217, ADroppedConnectionFailsTheTransfersWithoutHanging) {
  Otworz(30);
  serwer_.Zerwij();
  uint8_t b;
  const long long ms = CzasMs([&] { EXPECT_EQ(ReadByte(&b), 0); });
  EXPECT_LT(ms, 3000);
  const Blad blad = PobierzBlad();
  EXPECT_EQ(blad.komunikat, komunikaty::NIEPOPRAWNY_ODCZYT);
  EXPECT_EQ(blad.kod, ECONNRESET);
  EXPECT_EQ(PortZerwany(), 1);
  EXPECT_EQ(WriteByte(1), 0);
  EXPECT_EQ(PobierzBlad().komunikat, komunikaty::NIEPOPRAWNY_ZAPIS_DO_PORTU);
  EXPECT_EQ(ChangeSpeedWinseria(2400), 0);
}

TEST_F(PortRfc2217, AServerThatDropsMidTransferFailsTheNextByte) {
  serwer_.UstawUsterki({.zerwijPoBajtach = 2});
  Otworz(2);
  EXPECT_EQ(WriteByte(1), 1);
  EXPECT_EQ(WriteByte(2), 1);
  ASSERT_TRUE(serwer_.CzekajNaDane(2));
  uint8_t b;
  EXPECT_LT(CzasMs([&] { EXPECT_EQ(ReadByte(&b), 0); }), 3000);
  bool zapisNieudany = false;
  for (int i = 0; i < 100 && !zapisNieudany; ++i) zapisNieudany = WriteByte(3) == 0;
  EXPECT_TRUE(zapisNieudany);
}

TEST_F(PortRfc2217, CommandsGoOnWhenTheServerNeverConfirms) {
  Otworz();
  serwer_.UstawUsterki({.bezPotwierdzen = true});
  EXPECT_LT(CzasMs([] { EXPECT_EQ(ChangeSpeedWinseria(4800), 1); }), 2000);
  EXPECT_EQ(serwer_.Predkosc(), 4800u);
}

class PortRfc2217Usterki : public TestPortow {};

TEST_F(PortRfc2217Usterki, AnOpenFailsWithTheRecordedErrorWhenTheServerWillNotServe) {
  SerwerRfc2217Testowy odrzuca({.odrzucaComPort = true});
  SerwerRfc2217Testowy milczy({.milczy = true});
  // A port nobody listens on: bind-and-close gives a free one.
  uint16_t wolny;
  {
    SerwerRfc2217Testowy chwilowy;
    wolny = chwilowy.Port();
  }
  MapaPortow({"COM1\t" + odrzuca.Cel(), "COM2\t" + milczy.Cel(),
              "COM3\trfc2217://127.0.0.1:" + std::to_string(wolny), "COM4\trfc2217://127.0.0.1",
              "COM5\trfc2217://127.0.0.1:99999"});
  const struct {
    uint8_t port;
    int32_t kod;
    const char* komunikat;
    long long najwyzejMs;
  } przypadki[] = {
      {1, EPROTONOSUPPORT, komunikaty::BLEDNE_URZADZENIE, 2000},
      {2, ETIMEDOUT, komunikaty::BLEDNE_URZADZENIE, 6000},
      {3, ECONNREFUSED, komunikaty::BRAK_URZADZENIA, 2000},
      {4, EINVAL, komunikaty::BLEDNE_URZADZENIE, 2000},
      {5, EINVAL, komunikaty::BLEDNE_URZADZENIE, 2000},
  };
  for (const auto& p : przypadki) {
    SetComSelector(p.port);
    int32_t wynik = 0;
    EXPECT_LT(CzasMs([&] { wynik = InitializePort(p.port, 9600, 1, 1); }), p.najwyzejMs) << int(p.port);
    EXPECT_EQ(wynik, p.kod) << int(p.port);
    const Blad blad = PobierzBlad();
    EXPECT_EQ(blad.komunikat, p.komunikat) << int(p.port);
    EXPECT_EQ(SerialPortPresent(p.port), 0);
  }
}
