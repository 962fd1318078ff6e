// The TCP link and the UDP control of port servers, against real sockets on loopback.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "include/karvo.h"
#include "link_fakes.h"
#include "protocol/framing.h"
#include "protocol/line.h"
#include "protocol/line_modes.h"
#include "serial_test_support.h"
#include "state/session_state.h"
#include "transport/tcp_transport.h"

using testy::Bajty;
using testy::Ramka;
using testy::RamkaOdpowiedzi;

namespace {

using Zegar = std::chrono::steady_clock;

long MsOd(Zegar::time_point t) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Zegar::now() - t).count());
}

class Transport : public ::testing::Test {
 protected:
  void SetUp() override {
    ZerowanieDanychSesji();
    Sesja.Lacze.CzasOczekiwania = 2;
  }
};

// A receive that must fail with the time-out: how long it took, in milliseconds.
long NieudanyOdbior() {
  const auto t = Zegar::now();
  uint8_t bajt = 0;
  EXPECT_FALSE(OdbiorBajtu(&bajt));
  EXPECT_EQ(Sesja.BiezacyWynik, 64);
  return MsOd(t);
}

TEST_F(Transport, ReceiveTimeoutZeroFailsAtOnce) {
  testy::ModulTcp modul({});
  ASSERT_TRUE(PolaczenieGniazda(0, "127.0.0.1", modul.Port(), 0));
  EXPECT_LT(NieudanyOdbior(), 200);
  EXPECT_TRUE(ZamkniecieGniazda());
}

TEST_F(Transport, BytesOfTheAnswerArriveInOrder) {
  const Bajty odpowiedz = RamkaOdpowiedzi({0x06, 0x01, 0xFE});
  testy::ModulTcp modul({odpowiedz});
  ASSERT_TRUE(PolaczenieGniazda(0, "127.0.0.1", modul.Port(), 2));
  const Bajty zadanie = Ramka(0x20, {1, 0, 0, 0x1B, 0x35});
  ASSERT_TRUE(WyslanieDanych(zadanie.data(), zadanie.size()));
  Bajty odebrane(odpowiedz.size());
  for (uint8_t& b : odebrane) ASSERT_TRUE(OdbiorBajtu(&b));
  EXPECT_EQ(odebrane, odpowiedz);
  EXPECT_TRUE(ZamkniecieGniazda());
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
  EXPECT_EQ(modul.Otrzymane(), std::vector<Bajty>{zadanie});
}

TEST_F(Transport, PeerThatClosesIsWaitedOutTo64) {
  testy::ModulTcp modul({}, true);
  ASSERT_TRUE(PolaczenieGniazda(0, "127.0.0.1", modul.Port(), 1));
  const long ms = NieudanyOdbior();
  EXPECT_GE(ms, 950);
  EXPECT_LT(ms, 3000);
  ZamkniecieGniazda();
}

TEST_F(Transport, RefusedConnectGives65) {
  const auto t = Zegar::now();
  EXPECT_FALSE(PolaczenieGniazda(0, "127.0.0.1", testy::WolnyPort(), 5));
  EXPECT_EQ(Sesja.BiezacyWynik, 65);
  EXPECT_LT(MsOd(t), 1000);
}

TEST_F(Transport, BadAddressOrKindGives65) {
  const struct { uint8_t rodzaj; const char* adres; } przypadki[] = {
      {0, "300.1.1.1"}, {0, ""}, {0, "localhost"}, {1, "1.2.3.4.5"}, {2, "127.0.0.1"}, {0, nullptr},
  };
  for (const auto& p : przypadki) {
    Sesja.BiezacyWynik = 0;
    EXPECT_FALSE(PolaczenieGniazda(p.rodzaj, p.adres, 9, 1)) << int(p.rodzaj);
    EXPECT_EQ(Sesja.BiezacyWynik, 65);
  }
}

TEST_F(Transport, ConnectToAServerThatNeverAcceptsEndsAtTheTimeout) {
  // A listener with a full accept queue drops further handshakes.
  const int nasluch = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t dl = sizeof a;
  ASSERT_EQ(::bind(nasluch, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(::listen(nasluch, 0), 0);
  ASSERT_EQ(::getsockname(nasluch, reinterpret_cast<sockaddr*>(&a), &dl), 0);
  std::vector<int> kolejka;
  for (int i = 0; i < 16; ++i) {
    const int k = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    kolejka.push_back(k);
    ::connect(k, reinterpret_cast<sockaddr*>(&a), sizeof a);
    pollfd p{k, POLLOUT, 0};
    if (::poll(&p, 1, 300) == 0) break;  // this one hangs: the queue is full
  }
  const auto t = Zegar::now();
  EXPECT_FALSE(PolaczenieGniazda(0, "127.0.0.1", ntohs(a.sin_port), 1));
  EXPECT_EQ(Sesja.BiezacyWynik, 65);
  EXPECT_GE(MsOd(t), 900);
  EXPECT_LT(MsOd(t), 3000);
  for (int k : kolejka) ::close(k);
  ::close(nasluch);
}

TEST_F(Transport, SendAndCloseWithoutASocketFail) {
  testy::ModulTcp modul({});
  ASSERT_TRUE(PolaczenieGniazda(0, "127.0.0.1", modul.Port(), 1));
  ASSERT_TRUE(ZamkniecieGniazda());
  const uint8_t bajt = 'R';
  EXPECT_FALSE(WyslanieDanych(&bajt, 1));
  EXPECT_EQ(Sesja.BiezacyWynik, 65);
  Sesja.BiezacyWynik = 0;
  EXPECT_FALSE(ZamkniecieGniazda());
  EXPECT_EQ(Sesja.BiezacyWynik, 65);
}

// ---- frames over TCP (MUX5) ----

class RamkiTcp : public Transport {
 protected:
  void SetUp() override {
    Transport::SetUp();
    WybranieTrybuLacza(5);
    Sesja.Lacze.KanalZadany = 1;
    Sesja.Lacze.PredkoscZadana = 9600;
    Sesja.Lacze.LimitPowtorzen = 3;
    port.Nosna = false;  // the serial line plays no part over TCP
  }
  void Polacz(testy::ModulTcp& modul) { ASSERT_TRUE(PolaczenieGniazda(0, "127.0.0.1", modul.Port(), 1)); }
  testy::PortTestowy port;
};

TEST_F(RamkiTcp, LongestFrameIsSentWholeInOneSend) {
  for (int i = 0; i < 214; ++i) Sesja.Wymiana.ObszarParametrow[i] = static_cast<uint8_t>(0xFF - i);
  testy::ModulTcp modul({RamkaOdpowiedzi({0x06, 0x00})});
  Polacz(modul);
  WymianaRamki({KodRozkazu{0x04}, 1, 214, 1, 0, false});
  ASSERT_EQ(Sesja.BiezacyWynik, 0);
  const auto otrzymane = modul.Otrzymane();
  ASSERT_EQ(otrzymane.size(), 1u);
  EXPECT_EQ(otrzymane[0].size(), 260u);
  const auto r = testy::Rozbior(otrzymane[0]);
  EXPECT_TRUE(r.Poprawna);
  EXPECT_EQ(r.Sterujacy, 0x30);
  EXPECT_EQ(OdebranieBajtu(), 0x06);
  EXPECT_EQ(OdebranieBajtu(), 0x00);
  ZamkniecieGniazda();
  EXPECT_TRUE(port.Zapisane.empty());
}

TEST_F(RamkiTcp, CrcErrorAsksForTheAnswerAgain) {
  Bajty zla = RamkaOdpowiedzi({0x06, 0x42});
  zla.back() ^= 0x02;
  testy::ModulTcp modul({zla, RamkaOdpowiedzi({0x06, 0x42})});
  Polacz(modul);
  WymianaRamki({KodRozkazu{0x35}, 2, 0, 0, 0, false});
  ASSERT_EQ(Sesja.BiezacyWynik, 0);
  const auto otrzymane = modul.Otrzymane();
  ASSERT_EQ(otrzymane.size(), 2u);
  const auto kontrolna = testy::Rozbior(otrzymane[1]);
  EXPECT_EQ(kontrolna.Sterujacy, 0x00);
  EXPECT_EQ(kontrolna.Tresc, (Bajty{0, 0, 0, 6}));
  EXPECT_EQ(OdebranieBajtu(), 0x06);
  EXPECT_EQ(OdebranieBajtu(), 0x42);
  ZamkniecieGniazda();
}

TEST_F(RamkiTcp, SilenceAndACutAnswerEndWithTheSocketTimeout) {
  const Bajty dobra = RamkaOdpowiedzi({0x06, 0x42});
  for (const Bajty& odpowiedz : {Bajty{}, Bajty(dobra.begin(), dobra.begin() + 8)}) {
    Sesja.BiezacyWynik = 0;
    testy::ModulTcp modul({odpowiedz, dobra});
    Polacz(modul);
    const auto t = Zegar::now();
    WymianaRamki({KodRozkazu{0x35}, 2, 0, 0, 0, false});
    EXPECT_EQ(Sesja.BiezacyWynik, 64);
    EXPECT_LT(MsOd(t), 3000);
    EXPECT_EQ(modul.Otrzymane().size(), 1u);
    ZamkniecieGniazda();
  }
}

// ---- the UDP control of network port servers ----

using Teksty = std::vector<std::string>;
const Teksty PRZYGOTOWANIE = {"R", "PS11", "PS31"};

Teksty Razem(Teksty a, const Teksty& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(Transport, ChannelCommandsOfTheFourChannels) {
  const Teksty pary[] = {{"PS00", "PS11"}, {"PS00", "PS10"}, {"PS01", "PS11"}, {"PS01", "PS10"}};
  for (uint8_t kanal = 1; kanal <= 4; ++kanal) {
    testy::SerwerPortow serwer(testy::WlasnyAdresPetli());
    EXPECT_TRUE(UstawienieZdalnegoPortu(serwer.Adres().c_str(), kanal, 9600, 1));
    EXPECT_EQ(serwer.Otrzymane(), Razem(Razem(PRZYGOTOWANIE, pary[kanal - 1]), {"PBR3"})) << int(kanal);
    EXPECT_EQ(Sesja.BiezacyWynik, 0);
  }
}

TEST_F(Transport, SpeedCommands) {
  const struct { uint32_t predkosc; const char* rozkaz; } tabela[] = {
      {150, "PBR8"},  {300, "PBR9"},   {600, "PBR10"},   {1200, "PBR0"},  {2400, "PBR1"},  {4800, "PBR2"},
      {9600, "PBR3"}, {19200, "PBR4"}, {28800, "PBR11"}, {38400, "PBR5"}, {57600, "PBR6"}, {115200, "PBR7"},
  };
  for (const auto& p : tabela) {
    testy::SerwerPortow serwer(testy::WlasnyAdresPetli());
    EXPECT_TRUE(UstawienieZdalnegoPortu(serwer.Adres().c_str(), 0, p.predkosc, 0));
    EXPECT_EQ(serwer.Otrzymane(), Razem(PRZYGOTOWANIE, {p.rozkaz})) << p.predkosc;
  }
}

TEST_F(Transport, SpeedOutsideTheTable) {
  {
    testy::SerwerPortow serwer(testy::WlasnyAdresPetli());
    EXPECT_FALSE(UstawienieZdalnegoPortu(serwer.Adres().c_str(), 0, 14400, 0));
    EXPECT_EQ(serwer.Otrzymane(), PRZYGOTOWANIE);
    EXPECT_EQ(Sesja.BiezacyWynik, 65);
  }
  // After a channel step the outcome stays a success.
  Sesja.BiezacyWynik = 0;
  testy::SerwerPortow serwer(testy::WlasnyAdresPetli());
  EXPECT_TRUE(UstawienieZdalnegoPortu(serwer.Adres().c_str(), 2, 14400, 1));
  EXPECT_EQ(serwer.Otrzymane(), Razem(PRZYGOTOWANIE, {"PS00", "PS10"}));
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
}

TEST_F(Transport, ChannelOutsideOneToFourFailsAfterThePreparation) {
  for (uint8_t kanal : {0, 5}) {
    Sesja.BiezacyWynik = 0;
    testy::SerwerPortow serwer(testy::WlasnyAdresPetli());
    EXPECT_FALSE(UstawienieZdalnegoPortu(serwer.Adres().c_str(), kanal, 9600, 1));
    EXPECT_EQ(serwer.Otrzymane(), PRZYGOTOWANIE);
    EXPECT_EQ(Sesja.BiezacyWynik, 65);
  }
}

TEST_F(Transport, AnAnswerOtherThanAStopsTheSequence) {
  const Teksty wszystkie = {"R", "PS11", "PS31", "PS01", "PS11", "PBR7"};
  for (int zla = 0; zla < 6; ++zla) {
    Sesja.BiezacyWynik = 0;
    testy::SerwerPortow serwer(testy::WlasnyAdresPetli(), zla, 'a');
    EXPECT_FALSE(UstawienieZdalnegoPortu(serwer.Adres().c_str(), 3, 115200, 1));
    EXPECT_EQ(serwer.Otrzymane(), Teksty(wszystkie.begin(), wszystkie.begin() + zla + 1)) << zla;
    EXPECT_EQ(Sesja.BiezacyWynik, 65);
  }
}

TEST_F(Transport, AnUnansweredCommandWaitsOutTheTimeout) {
  Sesja.Lacze.CzasOczekiwania = 1;
  testy::SerwerPortow serwer(testy::WlasnyAdresPetli(), 1, 0);
  const auto t = Zegar::now();
  EXPECT_FALSE(UstawienieZdalnegoPortu(serwer.Adres().c_str(), 1, 9600, 1));
  EXPECT_EQ(serwer.Otrzymane(), (Teksty{"R", "PS11"}));
  EXPECT_EQ(Sesja.BiezacyWynik, 64);  // the receive time-out is reported as such
  EXPECT_GE(MsOd(t), 950);
  EXPECT_LT(MsOd(t), 3000);
}

TEST_F(Transport, ControlSequenceSkipsEmptyTexts) {
  testy::SerwerPortow serwer(testy::WlasnyAdresPetli());
  ASSERT_TRUE(PolaczenieGniazda(1, serwer.Adres().c_str(), 65535, 2));
  EXPECT_TRUE(WyslanieRozkazowSterujacych("", "PS00", nullptr));
  EXPECT_TRUE(WyslanieRozkazowSterujacych(nullptr, nullptr, nullptr));
  EXPECT_TRUE(ZamkniecieGniazda());
  EXPECT_EQ(serwer.Otrzymane(), Teksty{"PS00"});
}

// ---- the selected port: a virtual port of a port server, or a local one ----

class WybranyPort : public TestPortow {
 protected:
  void SetUp() override {
    TestPortow::SetUp();
    ZerowanieDanychSesji();
    Sesja.Lacze.CzasOczekiwania = 2;
    ASSERT_GE(pty_.urzadzenie, 0);
  }
  void Otworz(const std::string& adres) {
    MapaPortow({"COM3\t" + pty_.nazwa + (adres.empty() ? "" : "\t" + adres)});
    SetComSelector(1);
    ASSERT_EQ(InitializePort(3, 9600, 1, 1), 0) << PobierzBlad().komunikat;
  }
  ParaPty pty_;
};

TEST_F(WybranyPort, ChannelZeroOnAVirtualPortSendsTheCommandsOfChannelOne) {
  testy::SerwerPortow serwer(testy::WlasnyAdresPetli());
  Otworz(serwer.Adres());
  EXPECT_TRUE(UstawienieKanalu(0));
  EXPECT_EQ(serwer.Otrzymane(), Razem(PRZYGOTOWANIE, {"PS00", "PS11", "PBR3"}));  // the port's own speed
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
}

TEST_F(WybranyPort, SpeedOutsideTheTableOnAVirtualPortFailsWith65) {
  testy::SerwerPortow serwer(testy::WlasnyAdresPetli());
  Otworz(serwer.Adres());
  EXPECT_FALSE(UstawieniePredkosci(14400));
  EXPECT_EQ(serwer.Otrzymane(), PRZYGOTOWANIE);
  EXPECT_EQ(Sesja.BiezacyWynik, 65);
  Sesja.BiezacyWynik = 0;
  EXPECT_TRUE(UstawieniePredkosci(38400));
  EXPECT_EQ(serwer.Otrzymane(), Razem(Razem(PRZYGOTOWANIE, PRZYGOTOWANIE), {"PBR5"}));
  EXPECT_EQ(GetSpeed(1), 9600);  // the local side of a virtual port keeps its speed
}

TEST_F(WybranyPort, LocalPortIsSetThroughThePortFunctions) {
  Otworz("");
  EXPECT_TRUE(UstawienieKanalu(5));  // the line switch refuses channel 5; the outcome does not count
  EXPECT_TRUE(UstawienieKanalu(2));
  EXPECT_TRUE(UstawieniePredkosci(19200));
  EXPECT_EQ(GetSpeed(1), 19200);
  EXPECT_EQ(Sesja.BiezacyWynik, 0);
}

}  // namespace
