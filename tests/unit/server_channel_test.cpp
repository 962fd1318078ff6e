// The Server channel and the commands the engine obeys, in one process: the
// test plays the Server with its own endpoint on the bus, and the register's
// line that SUSPEND and RESUME close and reopen is a real one: to a scripted
// module over TCP, to a multiplexer behind an RFC 2217 port server, or to a
// pseudo-terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "link_fakes.h"
#include "platform/bus.h"
#include "platform/process.h"
#include "protocol/line.h"
#include "protocol/server_commands.h"
#include "rfc2217_test_server.h"
#include "serial_test_support.h"
#include "state/result_codes.h"
#include "state/server_channel.h"
#include "state/session_state.h"
#include "tests/unit/platform_dir.h"

namespace fs = std::filesystem;
using platforma::KomunikatOkna;

namespace {

constexpr int32_t N = 49400;
constexpr uint8_t PORT_LINII = 3;  // COM3 of the ports.conf that a test writes

using Odpowiedz = std::pair<char, uint32_t>;

// Waits up to 3 s for what the peer of the line sees from its own thread.
template <typename F>
bool Czekanie(F warunek) {
  for (int i = 0; i < 300 && !warunek(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return warunek();
}

// Lets a connection that should not come have its time to come.
void Chwila() { std::this_thread::sleep_for(std::chrono::milliseconds(100)); }

class KanalSerwera : public KatalogTestowy {
 protected:
  void SetUp() override {
    KatalogTestowy::SetUp();
    NowaSesja();
    OtwarcieLacza();  // as the session opens it
    ASSERT_TRUE(LaczeOtwarte());
    ASSERT_TRUE(Czekanie([this] { return modul.Polaczenia() == 1; }));
    ASSERT_TRUE(serwer.Otworz(N, "s" + std::to_string(getpid())));
  }
  void TearDown() override {
    ZamkniecieKanaluSerwera();
    serwer.Zamknij();
    ZamkniecieLacza();
    KatalogTestowy::TearDown();
  }

  // A fresh session record of a command whose line goes to the module over TCP.
  void NowaSesja(uint16_t portModulu = 0) {
    ZerowanieDanychSesji();
    std::strcpy(Sesja.NazwyPlikowSesji[NazwaFunkcji], "OTowar");
    Sesja.NumerKomunikatu = N;
    UstawieniaLacza& l = Sesja.Lacze;
    l.RodzajLacza = 5;
    std::strcpy(l.AdresModulu, "127.0.0.1");
    l.PortModulu = portModulu ? portModulu : modul.Port();
    l.CzasOczekiwaniaRamki = 1;
  }

  // A line of the session on COM3, which ports.conf maps to `cel`.
  void LiniaSzeregowa(const std::string& cel, uint8_t rodzaj) {
    std::ofstream(dir / "ports.conf") << "COM" << int(PORT_LINII) << '\t' << cel << '\n';
    Sesja.Lacze.RodzajLacza = rodzaj;
    Sesja.Lacze.NumerPortu = PORT_LINII;
    Sesja.Lacze.CzasOczekiwania = 1;
  }

  // Greets the Server and takes the AVAILABLE off the Server's queue.
  void Powitanie() {
    PowitanieSerwera();
    ASSERT_NE(KanalSerweraOtwarty(), 0);
    ASSERT_EQ(Odpowiedzi(), (std::vector<Odpowiedz>{{'A', 0}}));
  }

  void Rozkaz(char litera, uint32_t identyfikator = getpid(), uint32_t numer = N) {
    const KomunikatOkna k{numer, identyfikator, platforma::ParametrKomunikatu(litera, 0)};
    ASSERT_EQ(platforma::RozeslanieKomunikatu(N, k, &serwer, 0), 1);
  }

  std::vector<Odpowiedz> Odpowiedzi(uint32_t identyfikator = getpid()) {
    std::vector<Odpowiedz> w;
    KomunikatOkna k;
    while (serwer.Odbierz(k)) {
      EXPECT_EQ(k.Numer, static_cast<uint32_t>(N));
      EXPECT_EQ(k.WParam, identyfikator);
      w.emplace_back(platforma::LiteraKomunikatu(k.LParam), platforma::WartoscKomunikatu(k.LParam));
    }
    return w;
  }

  // The debug trace records every notice as its line and the empty lines.
  static std::string Notatka(const std::string& zakonczenie) {
    return "***DEBUG*###DRIVER: OTowar, PID=" + std::to_string(getpid()) + zakonczenie + "\n\n\n";
  }

  fs::path Gniazdo() const { return dir / "bus" / std::to_string(N) / ("d" + std::to_string(getpid())); }

  platforma::PunktMagistrali serwer;
  // The module takes the session's connection and those that RESUME makes.
  testy::ModulTcp modul{{}, false, 16};
};

}  // namespace

TEST_F(KanalSerwera, WithoutServerFileNothingIsCreatedSentOrWritten) {
  ZerowanieDanychSesji();
  std::strcpy(Sesja.NazwyPlikowSesji[NazwaFunkcji], "OTowar");
  Sesja.Wstrzymany = 1;  // would hang if the closed channel waited
  testing::internal::CaptureStdout();
  PowitanieSerwera();
  Sesja.LicznikLiniiWejscia = 100;
  PowiadomienieOkresowe('L', 100, 100);
  ZliczenieRozkazu();
  ObslugaSerweraPrzedRozkazem();
  EXPECT_EQ(WyslanieKomunikatu('A', 0), 0);
  uint32_t wartosc = 0;
  EXPECT_EQ(OdebranieRozkazu(&wartosc), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(KanalSerweraOtwarty(), 0);
  EXPECT_TRUE(BrakBledu());
  EXPECT_TRUE(Odpowiedzi().empty());
  EXPECT_FALSE(fs::exists(dir / "debug.txt"));
  EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(dir / "bus" / std::to_string(N)), {}).size(), 1u)
      << "only the test Server's own endpoint";
  EXPECT_EQ(Sesja.NazwaWKomunikatach[0], 0);
  EXPECT_TRUE(LaczeOtwarte());
}

TEST_F(KanalSerwera, GreetingOpensTheEndpointAndSessionResetRemovesIt) {
  Powitanie();
  EXPECT_TRUE(fs::is_socket(Gniazdo()));
  EXPECT_EQ(Sesja.BiezacyNumerKomunikatu, N);
  OtwarcieKanaluSerwera(N);  // the same number again keeps the endpoint
  EXPECT_TRUE(fs::is_socket(Gniazdo()));
  ZerowanieDanychSesji();
  EXPECT_EQ(KanalSerweraOtwarty(), 0);
  EXPECT_FALSE(fs::exists(Gniazdo()));

  Sesja.NumerKomunikatu = N;
  Powitanie();
  ZamkniecieKanaluSerwera();
  EXPECT_FALSE(fs::exists(Gniazdo()));
  EXPECT_EQ(WyslanieKomunikatu('A', 0), 0);
}

TEST_F(KanalSerwera, ConfiguredIdentifierGoesIntoMessagesThePidIntoNotices) {
  Sesja.IdentyfikatorSterownika = 77;
  Sesja.ZapisKomunikatow = 1;
  testing::internal::CaptureStdout();
  PowitanieSerwera();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(Odpowiedzi(77), (std::vector<Odpowiedz>{{'A', 0}}));
  EXPECT_EQ(Zawartosc(dir / "debug.txt"), Notatka(" poslal komunikat AVAILABLE do Serwera ###\n"));
  EXPECT_STREQ(Sesja.NazwaWKomunikatach, "OTowar");
  Rozkaz('c', getpid());  // the pid is not our identifier now
  Rozkaz('c', 77);
  Sesja.LicznikRozkazow = 5;
  ObslugaSerweraPrzedRozkazem();
  EXPECT_EQ(Odpowiedzi(77), (std::vector<Odpowiedz>{{'C', 5}}));
}

TEST_F(KanalSerwera, PeriodicMessagesAtEveryMultipleOfThePeriod) {
  Powitanie();
  struct Przypadek {
    char litera;
    uint32_t okres, ile;
    std::vector<Odpowiedz> oczekiwane;
  };
  const Przypadek przypadki[] = {
      {'L', 100, 250, {{'L', 100}, {'L', 200}}},
      {'O', 3, 10, {{'O', 3}, {'O', 6}, {'O', 9}}},
      {'L', 0, 50, {}},
      {'O', 1, 2, {{'O', 1}, {'O', 2}}},
  };
  for (const auto& p : przypadki) {
    for (uint32_t licznik = 1; licznik <= p.ile; ++licznik) PowiadomienieOkresowe(p.litera, licznik, p.okres);
    EXPECT_EQ(Odpowiedzi(), p.oczekiwane) << p.litera << " every " << p.okres;
  }
  Sesja.OkresLicznika = 2;
  for (int i = 0; i < 5; ++i) ZliczenieRozkazu();
  EXPECT_EQ(Sesja.LicznikRozkazow, 5u);
  EXPECT_EQ(Odpowiedzi(), (std::vector<Odpowiedz>{{'C', 2}, {'C', 4}}));
}

TEST_F(KanalSerwera, CounterAbove24BitsIsSentSaturated) {
  Powitanie();
  for (uint32_t licznik : {16777215u, 16777216u, 0xFFFFFFFFu}) {
    Sesja.LicznikRozkazow = licznik;
    Rozkaz('c');
    ObslugaSerweraPrzedRozkazem();
    EXPECT_EQ(Odpowiedzi(), (std::vector<Odpowiedz>{{'C', 16777215}})) << licznik;
  }
  Sesja.OkresLicznika = 1;
  Sesja.LicznikRozkazow = 16777300;
  ZliczenieRozkazu();
  EXPECT_EQ(Odpowiedzi(), (std::vector<Odpowiedz>{{'C', 16777215}}));
}

TEST_F(KanalSerwera, MessagesNotForThisDriverAreDroppedUnanswered) {
  Powitanie();
  Rozkaz('a', getpid() + 1);       // another driver
  Rozkaz('A', getpid());           // not a command letter
  Rozkaz('{', getpid());           // just past "z"
  Rozkaz('a', getpid(), N + 1);    // a message of another number
  const char krotki[3] = {'a', 0, 0};  // a datagram too short to be a message
  SurowyDatagram(Gniazdo(), krotki, sizeof krotki);
  ObslugaSerweraPrzedRozkazem();
  EXPECT_TRUE(Odpowiedzi(getpid() + 1).empty());
  EXPECT_TRUE(BrakBledu());
  uint32_t wartosc = 0;
  EXPECT_EQ(OdebranieRozkazu(&wartosc), 0) << "the queue was drained";

  Rozkaz('a', getpid() + 1);
  Rozkaz('l');
  Sesja.LicznikLiniiWejscia = 42;
  ObslugaSerweraPrzedRozkazem();
  EXPECT_EQ(Odpowiedzi(), (std::vector<Odpowiedz>{{'L', 42}})) << "a command behind the noise is found";
}

TEST_F(KanalSerwera, OneCommandPerRequestWhileRunning) {
  Powitanie();
  Sesja.LicznikLiniiWyjscia = 3;
  Rozkaz('a');
  Rozkaz('o');
  ObslugaSerweraPrzedRozkazem();
  EXPECT_EQ(Odpowiedzi(), (std::vector<Odpowiedz>{{'A', 0}}));
  ObslugaSerweraPrzedRozkazem();
  EXPECT_EQ(Odpowiedzi(), (std::vector<Odpowiedz>{{'O', 3}}));
}

TEST_F(KanalSerwera, SuspendTwiceThenResumeClosesOnceAndReopensOnce) {
  Powitanie();
  Rozkaz('s');
  Rozkaz('s');
  alarm(20);  // a driver that never wakes must not hang the suite
  std::vector<Odpowiedz> odpowiedzi;
  bool zamknieteWstrzymane = false;
  std::thread serwerWatek([&] {
    // Both SUSPENDs are answered; the line is closed while the driver waits.
    while (odpowiedzi.size() < 2 && serwer.Czekaj(5000))
      for (const auto& o : Odpowiedzi()) odpowiedzi.push_back(o);
    zamknieteWstrzymane = Czekanie([this] { return modul.Rozlaczenia() == 1; }) && modul.Polaczenia() == 1;
    Rozkaz('r');
  });
  ObslugaSerweraPrzedRozkazem();
  serwerWatek.join();
  alarm(0);
  for (const auto& o : Odpowiedzi()) odpowiedzi.push_back(o);
  EXPECT_EQ(odpowiedzi, (std::vector<Odpowiedz>{{'S', 0}, {'S', 0}, {'R', 0}}));
  EXPECT_TRUE(zamknieteWstrzymane) << "SUSPEND closed the line";
  EXPECT_TRUE(LaczeOtwarte());
  EXPECT_TRUE(Czekanie([this] { return modul.Rozlaczenia() == 1 && modul.Polaczenia() == 2; }));
  Chwila();
  EXPECT_EQ(modul.Rozlaczenia(), 1) << "closed once";
  EXPECT_EQ(modul.Polaczenia(), 2) << "reopened once";
  EXPECT_EQ(Sesja.Wstrzymany, 0);
  EXPECT_TRUE(BrakBledu());
  Rozkaz('r');  // RESUME while running: answered, nothing reopened
  ObslugaSerweraPrzedRozkazem();
  EXPECT_EQ(Odpowiedzi(), (std::vector<Odpowiedz>{{'R', 0}}));
  EXPECT_TRUE(LaczeOtwarte());
  Chwila();
  EXPECT_EQ(modul.Rozlaczenia(), 1);
  EXPECT_EQ(modul.Polaczenia(), 2);
}

// Reopening the line at RESUME may send a request of its own: a multiplexer
// addressed by a request (MUX3) takes the channel anew. That request takes no
// command, so that nothing is carried out in the middle of the reopening.
TEST_F(KanalSerwera, TheRequestOfTheReopeningAtResumeTakesNoCommand) {
  SerwerRfc2217Testowy multiplekser;
  const std::vector<uint8_t> wybor{0x1B, 0x01, 2};  // the request of the channel 2
  const auto wybory = [&] {
    const std::vector<uint8_t> dane = multiplekser.Dane();
    int n = 0;
    for (auto p = dane.begin(); (p = std::search(p, dane.end(), wybor.begin(), wybor.end())) != dane.end(); ++p) ++n;
    return n;
  };
  for (const char dalszy : {'a', 'c', 'b'}) {
    SCOPED_TRACE(dalszy);
    NowaSesja();
    LiniaSzeregowa(multiplekser.Cel(), 3);
    Sesja.Lacze.Kanal = 2;
    Sesja.Lacze.Predkosc = 19200;
    const int przed = wybory();
    OtwarcieLacza();
    ASSERT_TRUE(LaczeOtwarte());
    ASSERT_TRUE(BrakBledu()) << int(Sesja.BiezacyWynik);
    ASSERT_TRUE(Czekanie([&] { return wybory() == przed + 1; })) << "the open selects the channel";
    Powitanie();
    Rozkaz('s');
    Rozkaz('r');
    Rozkaz(dalszy);
    ObslugaSerweraPrzedRozkazem();
    EXPECT_TRUE(BrakBledu()) << int(Sesja.BiezacyWynik);
    EXPECT_TRUE(LaczeOtwarte());
    EXPECT_EQ(Sesja.Wstrzymany, 0);
    EXPECT_EQ(Odpowiedzi(), (std::vector<Odpowiedz>{{'S', 0}, {'R', 0}}));
    EXPECT_TRUE(Czekanie([&] { return wybory() == przed + 2; })) << "the reopening selects the channel again";
    // The further command waits for the next request.
    ObslugaSerweraPrzedRozkazem();
    const uint32_t wartosc = dalszy == 'c' ? Sesja.LicznikRozkazow : 0;  // the two selections were requests
    EXPECT_EQ(Odpowiedzi(), (std::vector<Odpowiedz>{{static_cast<char>(dalszy - 'a' + 'A'), wartosc}}));
    if (dalszy == 'b') {
      EXPECT_EQ(Sesja.BiezacyWynik, 56);
    }
    UstawBlad(BezBledu);
    Sesja.Wstrzymany = 0;
    ZamkniecieLacza();
  }
}

TEST_F(KanalSerwera, BreakEndsTheCommandWith56AndIsAnswered) {
  Powitanie();
  Rozkaz('b');
  Rozkaz('a');
  ObslugaSerweraPrzedRozkazem();
  EXPECT_EQ(Sesja.BiezacyWynik, 56);
  EXPECT_EQ(Odpowiedzi(), (std::vector<Odpowiedz>{{'B', 0}})) << "the check ends at BREAK";
}

TEST_F(KanalSerwera, BreakOrUnknownEndTheWaitOfASuspendedDriver) {
  const struct {
    char litera;
    uint8_t wynik;
    std::vector<Odpowiedz> oczekiwane;
  } przypadki[] = {
      {'b', 56, {{'S', 0}, {'B', 0}}},
      {'q', 54, {{'S', 0}}},
  };
  for (const auto& p : przypadki) {
    NowaSesja();
    Powitanie();
    Rozkaz('s');
    Rozkaz(p.litera);
    ObslugaSerweraPrzedRozkazem();
    EXPECT_EQ(Sesja.BiezacyWynik, p.wynik) << p.litera;
    EXPECT_EQ(Odpowiedzi(), p.oczekiwane) << p.litera;
  }
}

// A signal that asks the process to end breaks the command also while the
// Server keeps it suspended, and also without a Server.
TEST_F(KanalSerwera, ASignalEndsTheWaitOfASuspendedDriverWith56) {
  platforma::PrzechwytywanieSygnalowKonca();
  Powitanie();
  Rozkaz('s');
  std::thread sygnal([this] {
    platforma::WatekBezSygnalowKonca();  // the main thread is the one to wake
    serwer.Czekaj(5000);                  // the driver answered SUSPEND and sleeps
    ::kill(::getpid(), SIGTERM);
  });
  ObslugaSerweraPrzedRozkazem();
  sygnal.join();
  EXPECT_EQ(Sesja.BiezacyWynik, 56);
  EXPECT_EQ(Odpowiedzi(), (std::vector<Odpowiedz>{{'S', 0}}));
  ZamkniecieKanaluSerwera();
  UstawBlad(BezBledu);
  ObslugaSerweraPrzedRozkazem();
  EXPECT_EQ(Sesja.BiezacyWynik, 56) << "no Server";
  platforma::ZapomnienieSygnaluKonca();
  ::signal(SIGTERM, SIG_DFL);
}

TEST_F(KanalSerwera, UnknownLetterGives54WithoutAnswer) {
  Sesja.ZapisKomunikatow = 1;
  testing::internal::CaptureStdout();
  PowitanieSerwera();
  Odpowiedzi();
  fs::remove(dir / "debug.txt");
  Rozkaz('z');
  ObslugaSerweraPrzedRozkazem();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(Sesja.BiezacyWynik, 54);
  EXPECT_TRUE(Odpowiedzi().empty());
  EXPECT_EQ(Zawartosc(dir / "debug.txt"), Notatka(" odebral nieznany rozkaz Serwera ###\n"));
}

TEST_F(KanalSerwera, ResumeThatCannotReopenTheLinkStopsTheRequest) {
  // A module that stops listening while its connection is up, and a
  // pseudo-terminal whose device name goes away while the port is open.
  testy::ModulTcp wygasly({}, false, 2);
  ParaPty pty;
  const fs::path urzadzenie = dir / "urzadzenie";
  const struct {
    const char* opis;
    std::function<void()> lacze, zepsucie;
    uint8_t wynik;  // the line's own code, or 62 when it set none
  } przypadki[] = {
      {"module", [&] { NowaSesja(wygasly.Port()); }, [&] { wygasly.KoniecNasluchu(); }, 65},
      {"device",
       [&] {
         NowaSesja();
         fs::create_symlink(pty.nazwa, urzadzenie);
         LiniaSzeregowa(urzadzenie.string(), 0);
       },
       [&] { fs::remove(urzadzenie); }, 62},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.opis);
    p.lacze();
    OtwarcieLacza();
    ASSERT_TRUE(LaczeOtwarte());
    ASSERT_TRUE(BrakBledu()) << int(Sesja.BiezacyWynik);
    Powitanie();
    p.zepsucie();
    Rozkaz('s');
    Rozkaz('r');
    ObslugaSerweraPrzedRozkazem();
    EXPECT_EQ(Sesja.BiezacyWynik, p.wynik);
    EXPECT_FALSE(LaczeOtwarte());
    EXPECT_EQ(Odpowiedzi(), (std::vector<Odpowiedz>{{'S', 0}}));
    EXPECT_EQ(Sesja.Wstrzymany, 0);
  }
}

TEST_F(KanalSerwera, SuspendedDriverAnswersWhileItWaits) {
  Sesja.Wstrzymany = 1;  // the Server file starts it suspended; the session opened the link
  Powitanie();
  Sesja.LicznikRozkazow = 7;
  Sesja.LicznikLiniiWejscia = 250;
  Sesja.LicznikLiniiWyjscia = 3;

  alarm(20);  // a driver that never wakes must not hang the suite
  std::atomic<bool> gotowe{false};
  std::vector<Odpowiedz> odpowiedzi;
  std::thread serwerWatek([&] {
    for (char litera : {'a', 'c', 'l', 'o', 's', 'r'}) {
      std::this_thread::sleep_for(std::chrono::milliseconds(30));  // the driver is asleep by now
      Rozkaz(litera);
      if (!serwer.Czekaj(5000)) break;
      for (const auto& o : Odpowiedzi()) odpowiedzi.push_back(o);
    }
    gotowe = true;
  });
  const auto start = std::chrono::steady_clock::now();
  ObslugaSerweraPrzedRozkazem();
  const auto czas = std::chrono::steady_clock::now() - start;
  serwerWatek.join();
  alarm(0);

  EXPECT_TRUE(gotowe);
  EXPECT_GE(czas, std::chrono::milliseconds(150)) << "returned before RESUME";
  EXPECT_EQ(odpowiedzi, (std::vector<Odpowiedz>{{'A', 0}, {'C', 7}, {'L', 250}, {'O', 3}, {'S', 0}, {'R', 0}}));
  EXPECT_EQ(Sesja.Wstrzymany, 0);
  EXPECT_TRUE(BrakBledu());
  EXPECT_TRUE(LaczeOtwarte()) << "the line that the session opened is still open";
  Chwila();
  EXPECT_EQ(modul.Rozlaczenia(), 0) << "SUSPEND of a suspended driver closes nothing";
  EXPECT_EQ(modul.Polaczenia(), 1) << "and RESUME opens nothing";
}

TEST_F(KanalSerwera, NoticesHaveTheirExactTexts) {
  Sesja.ZapisKomunikatow = 1;
  Sesja.OkresLicznika = 1;
  const struct {
    std::function<void()> zdarzenie;
    const char* zakonczenie;
  } przypadki[] = {
      {[] { PowitanieSerwera(); }, " poslal komunikat AVAILABLE do Serwera ###\n"},
      {[] { PowiadomienieOkresowe('L', 4, 2); }, " poslal komunikat LINES do Serwera ###\n"},
      {[] { PowiadomienieOkresowe('O', 4, 2); }, " poslal komunikat OUTLINES do Serwera ###\n"},
      {[] { ZliczenieRozkazu(); }, " poslal komunikat COUNTER do Serwera ###\n"},
      {[this] { Rozkaz('a'), ObslugaSerweraPrzedRozkazem(); }, " wykonal rozkaz AVAILABLE Serwera ###\n"},
      {[this] { Rozkaz('c'), ObslugaSerweraPrzedRozkazem(); }, " wykonal rozkaz COUNTER Serwera ###\n"},
      {[this] { Rozkaz('l'), ObslugaSerweraPrzedRozkazem(); }, " wykonal rozkaz LINES Serwera ###\n"},
      {[this] { Rozkaz('o'), ObslugaSerweraPrzedRozkazem(); }, " wykonal rozkaz OUTLINES Serwera ###\n"},
      {[this] { Rozkaz('r'), ObslugaSerweraPrzedRozkazem(); }, " wykonal rozkaz RESUME Serwera ###\n"},
      {[this] { Rozkaz('b'), ObslugaSerweraPrzedRozkazem(); }, " wykonal rozkaz BREAK Serwera ###\n"},
  };
  for (const auto& p : przypadki) {
    fs::remove(dir / "debug.txt");
    testing::internal::CaptureStdout();
    p.zdarzenie();
    const std::string konsola = testing::internal::GetCapturedStdout();
    const std::string notatka = Notatka(p.zakonczenie);
    EXPECT_EQ(Zawartosc(dir / "debug.txt"), notatka);
    EXPECT_EQ(konsola, notatka.substr(0, notatka.size() - 3));
  }
  // SUSPEND, then RESUME (so the suspended check ends), in one check. Each
  // attempt starts with no ResultCode: the BREAK above leaves none behind.
  UstawBlad(BezBledu);
  fs::remove(dir / "debug.txt");
  Rozkaz('s');
  Rozkaz('r');
  testing::internal::CaptureStdout();
  ObslugaSerweraPrzedRozkazem();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(Zawartosc(dir / "debug.txt"), Notatka(" wykonal rozkaz SUSPEND Serwera ###\n") +
                                              Notatka(" wykonal rozkaz RESUME Serwera ###\n"));
}

TEST_F(KanalSerwera, KilledDriversSocketIsSkippedByTheNextPost) {
  const pid_t dziecko = fork();
  ASSERT_GE(dziecko, 0);
  if (dziecko == 0) {
    OtwarcieKanaluSerwera(N);
    raise(SIGKILL);
    _exit(1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(dziecko, &status, 0), dziecko);
  ASSERT_TRUE(WIFSIGNALED(status));
  const fs::path martwe = dir / "bus" / std::to_string(N) / ("d" + std::to_string(dziecko));
  ASSERT_TRUE(fs::is_socket(martwe)) << "the killed driver left its socket";

  Powitanie();  // this driver's post does not trip over it
  EXPECT_EQ(WyslanieKomunikatu('L', 1), 1);
  EXPECT_EQ(Odpowiedzi(), (std::vector<Odpowiedz>{{'L', 1}}));
  Rozkaz('a');  // the Server's post reaches this driver and clears the dead one away
  EXPECT_FALSE(fs::exists(martwe));
  ObslugaSerweraPrzedRozkazem();
  EXPECT_EQ(Odpowiedzi(), (std::vector<Odpowiedz>{{'A', 0}}));
}

TEST_F(KanalSerwera, BusTooDeepLeavesTheChannelClosedAndTheCommandGoesOn) {
  const fs::path gleboki = dir / std::string(100, 'g');
  setenv("KARVO_PLATFORM_DIR", gleboki.c_str(), 1);
  Sesja.Wstrzymany = 1;
  PowitanieSerwera();
  EXPECT_EQ(KanalSerweraOtwarty(), 0);
  ObslugaSerweraPrzedRozkazem();  // returns at once: nobody could resume it
  ZliczenieRozkazu();
  EXPECT_TRUE(BrakBledu());
  EXPECT_FALSE(fs::exists(gleboki));
}

TEST_F(KanalSerwera, EndpointGoesAtProcessExitWithoutTheSessionClose) {
  const pid_t dziecko = fork();
  ASSERT_GE(dziecko, 0);
  if (dziecko == 0) {
    OtwarcieKanaluSerwera(N);
    std::exit(KanalSerweraOtwarty() ? 0 : 1);  // a command that never reached its close
  }
  int status = 0;
  ASSERT_EQ(waitpid(dziecko, &status, 0), dziecko);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(fs::exists(dir / "bus" / std::to_string(N) / ("d" + std::to_string(dziecko))));
}
