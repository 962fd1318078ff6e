// The simulator as a separate process, reached over a real pseudo-terminal
// and a real RFC 2217 connection by a client that speaks the direct-mode
// protocol as the driver does.
#include <poll.h>
#include <signal.h>
#include <termios.h>

#include <thread>

#include <gtest/gtest.h>

#include "harness.h"
#include "register_client.h"

using namespace e2e;

namespace {

struct Oczekiwana {
  const char* plik;
  const char* numer;
  uint8_t typ, wersja, litera;
  const char* identyfikator;
  uint32_t pojemnosc;
};

const Oczekiwana Rejestry[] = {
    {"typ-24.txt", "01", 24, 3, 0, "KARVO24 V03", 1000},
    {"typ-27.txt", "02", 27, 4, 0, "KARVO27 V04", 2000},
    {"typ-0x24.txt", "03", 0x24, 5, 0, "KARVO36 V05", 4000},
    {"veko-100.txt", "04", 100, 1, 'A', "VEK100A12345", 3000},
    {"pelto-103.txt", "05", 103, 2, 'B', "PEL10302B77", 8000},
    {"tamo-f.txt", "13", 'f', 1, 'B', "TAM102B0001", 1200},
    {"op-o.txt", "06", 'o', 1, 0, "KOP111 0001", 1500},
    {"vin-t.txt", "07", 't', 2, 'C', "VIN116C0042", 20000},
    {"norda-u.txt", "08", 'u', 1, 'A', "NORDA0001XY", 5000},
    {"cenometr-w.txt", "09", 'w', 1, 0, "CEN119 0007", 600},
    {"cenometr-m.txt", "10", 'm', 3, 0, "CEN109 0003", 400},
    {"pojemniki-amp.txt", "11", '&', 2, 0, "KARVO38 V02", 2500},
    {"ubo-pct.txt", "12", '%', 1, 0, "UBO037 0001", 300},
};

void SprawdzTozsamosc(const Tozsamosc& t, const Oczekiwana& o) {
  EXPECT_EQ(t.blad, "");
  EXPECT_EQ(t.numer, o.numer);
  EXPECT_EQ(t.typ, o.typ);
  EXPECT_EQ(t.wersja, o.wersja);
  EXPECT_EQ(t.litera, o.litera);
  EXPECT_EQ(t.identyfikator, o.identyfikator);
  EXPECT_EQ(t.pojemnosc, o.pojemnosc);
}

// A simulator on a pty with the client attached.
struct NaPty {
  explicit NaPty(OpcjeSymulatora opcje) : sim(katalog, std::move(opcje)) {
    if (sim.Gotowy()) {
      EXPECT_TRUE(klient.Otworz(sim.Dowiazanie()));
    }
  }
  KatalogTymczasowy katalog;
  Symulator sim;
  StrumienPty klient;
};

}  // namespace

TEST(SymulatorPty, IdentifiesEveryReadyMadeRegister) {
  for (const Oczekiwana& o : Rejestry) {
    SCOPED_TRACE(o.plik);
    NaPty p({.urzadzenia = {o.plik}});
    ASSERT_TRUE(p.sim.Gotowy());
    SprawdzTozsamosc(Identyfikuj(p.klient), o);
  }
}

TEST(SymulatorRfc2217, IdentifiesEveryReadyMadeRegister) {
  for (const Oczekiwana& o : Rejestry) {
    SCOPED_TRACE(o.plik);
    KatalogTymczasowy katalog;
    Symulator sim(katalog, {.urzadzenia = {o.plik}, .lacze = Lacze::Rfc2217});
    ASSERT_TRUE(sim.Gotowy());
    StrumienRfc2217 klient;
    ASSERT_TRUE(klient.Otworz(sim.Host(), sim.Port()));
    SprawdzTozsamosc(Identyfikuj(klient), o);
  }
}

TEST(SymulatorPty, InjectsFaultsFromTheCommandLine) {
  NaPty p({.urzadzenia = {"vin-t.txt"},
           .usterki = {"0xC0,n=1:silent", "0xFE:refuse", "0xFF:ack=0x65", "0x71:cut=5", "0x5B:garbage=3",
                       "0xE6,p0=1:status=0x0B", "0xE6,p0=2:status=0x13", "0xE6,p0=3:status=0x7A",
                       "0xE6:eor=100"}});
  ASSERT_TRUE(p.sim.Gotowy());
  EXPECT_TRUE(Rozkaz(p.klient, 0xC0, 3).brakPierwszej);
  EXPECT_EQ(Rozkaz(p.klient, 0xC0, 3).pierwsza, (Bajty{0x06, '0', '7'}));  // only the first one was silent
  EXPECT_EQ(Rozkaz(p.klient, 0xFE, 4).pierwsza, Bajty{0x15});
  EXPECT_EQ(Rozkaz(p.klient, 0xFF, 2).pierwsza, Bajty{0x65});
  const Wymiana uciete = Rozkaz(p.klient, 0x71, 12, {}, 0, 150ms);
  EXPECT_TRUE(uciete.brakPierwszej);
  EXPECT_EQ(uciete.pierwsza, (Bajty{0x06, 'V', 'I', 'N', '1'}));
  const Wymiana smieci = Rozkaz(p.klient, 0x5B, 2);
  ASSERT_FALSE(smieci.pierwsza.empty());
  EXPECT_NE(smieci.pierwsza[0], 0x06);
  EXPECT_EQ(p.klient.CzytajDo(5, 100ms).size(), 2u);  // the rest of the 3 garbage bytes
  EXPECT_EQ(Rozkaz(p.klient, 0xE6, 1, {1, 0}, 2).druga, Bajty{0x0B});
  EXPECT_EQ(Rozkaz(p.klient, 0xE6, 1, {2, 0}, 2).druga, Bajty{0x13});
  EXPECT_EQ(Rozkaz(p.klient, 0xE6, 1, {3, 0}, 2).druga, (Bajty{0x7A, 0, 0}));
  EXPECT_EQ(Rozkaz(p.klient, 0xE6, 1, {99, 0}, 2).druga, Bajty{0x66});
  EXPECT_EQ(Rozkaz(p.klient, 0xE6, 1, {100, 0}, 2).druga, Bajty{0x05});
  const std::string log = p.sim.Dziennik();
  EXPECT_NE(log.find("fault 0xC0,n=1:silent"), std::string::npos) << log;
  EXPECT_NE(log.find("0x71 identification text"), std::string::npos) << log;
}

TEST(SymulatorPty, ALateAnswerComesAfterTheDriverWouldHaveGivenUp) {
  NaPty p({.urzadzenia = {"vin-t.txt"}, .usterki = {"0xC0:late=400"}});
  ASSERT_TRUE(p.sim.Gotowy());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(Rozkaz(p.klient, 0xC0, 3, {}, 0, 150ms).brakPierwszej);
  EXPECT_EQ(p.klient.CzytajDo(3, 1s), (Bajty{0x06, '0', '7'}));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 350ms);
}

// The register answers when it is ready, whoever holds the line by then: a
// late answer reaches the next client, and a retry's answer follows it.
TEST(SymulatorPty, ALateAnswerStaysPendingForTheNextClientAndTheRetryFollowsIt) {
  KatalogTymczasowy katalog;
  Symulator sim(katalog, {.urzadzenia = {"vin-t.txt"}, .usterki = {"0xC0,n=1:late=300"}});
  ASSERT_TRUE(sim.Gotowy());
  {
    StrumienPty pierwszy;
    ASSERT_TRUE(pierwszy.Otworz(sim.Dowiazanie()));
    EXPECT_TRUE(Rozkaz(pierwszy, 0xC0, 3, {}, 0, 50ms).brakPierwszej);
  }
  StrumienPty nastepny;
  ASSERT_TRUE(nastepny.Otworz(sim.Dowiazanie()));
  ASSERT_TRUE(nastepny.Wyslij({0x1B, 0xC0}));
  EXPECT_EQ(nastepny.CzytajDo(6, 2s), (Bajty{0x06, '0', '7', 0x06, '0', '7'}));
}

TEST(SymulatorPty, ReadsFaultsFromAScriptFile) {
  KatalogTymczasowy katalog;
  ZapiszPlik(katalog / "faults.txt", "; the register refuses its number twice\r\n$0xC0,n=1-2:refuse\r\n");
  Symulator sim(katalog, {.urzadzenia = {"typ-27.txt"}, .dodatkowe = {"--faults", katalog / "faults.txt"}});
  ASSERT_TRUE(sim.Gotowy());
  StrumienPty klient;
  ASSERT_TRUE(klient.Otworz(sim.Dowiazanie()));
  EXPECT_EQ(Rozkaz(klient, 0xC0, 3).pierwsza, Bajty{0x15});
  EXPECT_EQ(Rozkaz(klient, 0xC0, 3).pierwsza, Bajty{0x15});
  EXPECT_EQ(Rozkaz(klient, 0xC0, 3).pierwsza, (Bajty{0x06, '0', '2'}));
}

TEST(SymulatorPty, WritesTheChangedStateBackOnExit) {
  NaPty q({.urzadzenia = {"vin-t.txt"}});
  ASSERT_TRUE(q.sim.Gotowy());
  const std::string przed = q.sim.Stan();
  EXPECT_EQ(Rozkaz(q.klient, 0x43, 1, {'4', '2'}).pierwsza, Bajty{0x06});
  EXPECT_EQ(Rozkaz(q.klient, 0xC0, 3).pierwsza, (Bajty{0x06, '4', '2'}));
  EXPECT_EQ(q.sim.Zatrzymaj(), 0);
  std::string po = przed;
  po.replace(po.find("$numer\t07"), 9, "$numer\t42");
  EXPECT_EQ(q.sim.Stan(), po);  // only that line changed, comments and CR LF kept
  EXPECT_NE(q.sim.Dziennik().find("written back"), std::string::npos);
}

TEST(SymulatorPty, AnUnchangedStateIsLeftAlone) {
  NaPty p({.urzadzenia = {"typ-24.txt"}});
  ASSERT_TRUE(p.sim.Gotowy());
  Identyfikuj(p.klient);
  EXPECT_EQ(p.sim.Zatrzymaj(), 0);
  EXPECT_EQ(p.sim.Stan(), CzytajPlik(Urzadzenie("typ-24.txt")));
}

TEST(SymulatorPty, ALineThatNobodyReadsDoesNotStopTheRegister) {
  NaPty p({.urzadzenia = {"vin-t.txt"}});
  ASSERT_TRUE(p.sim.Gotowy());
  // Far more answer bytes than the pty holds, none of them read.
  for (int i = 0; i < 12000; ++i) p.klient.Wyslij({0x1B, 0x71});
  // Drop what it answered until the line stays quiet: a slow machine may
  // still be working through the backlog.
  for (int i = 0; i < 50; ++i) {
    std::this_thread::sleep_for(300ms);
    ::tcflush(p.klient.Fd(), TCIFLUSH);
    pollfd cisza{p.klient.Fd(), POLLIN, 0};
    if (::poll(&cisza, 1, 300) == 0) break;
  }
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Rozkaz(p.klient, 0xC0, 3, {}, 0, 2s).pierwsza, (Bajty{0x06, '0', '7'}));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  EXPECT_NE(p.sim.Dziennik().find("bytes dropped"), std::string::npos);
}

TEST(SymulatorPty, PacesItsAnswersToTheLineSpeed) {
  NaPty p({.urzadzenia = {"vin-t.txt"}, .baud = 1200});
  ASSERT_TRUE(p.sim.Gotowy());
  // 12 bytes of 11 bits at 1200 bit/s: 110 ms on the line.
  const double linia = 12 * 11 * 1000.0 / 1200;
  const auto start = std::chrono::steady_clock::now();
  const Wymiana w = Rozkaz(p.klient, 0x71, 12);
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  EXPECT_TRUE(w.Dobra());
  std::printf("12 bytes at 1200 bit/s: %.1f ms (line time %.1f ms, %.0f%%)\n", ms, linia, 100 * ms / linia);
  EXPECT_GE(ms, 0.8 * linia);
}

TEST(SymulatorPty, AMultiplexerSelectsTheRegisterByAddress) {
  KatalogTymczasowy katalog;
  const std::string druga = katalog / "druga.txt";
  ZapiszPlik(druga, CzytajPlik(Urzadzenie("typ-27.txt")) + "$adres\t2\r\n");
  for (const char* tryb : {"3", "4"}) {
    SCOPED_TRACE(tryb);
    Symulator sim(katalog, {.urzadzenia = {"vin-t.txt", druga}, .dodatkowe = {"--mux", tryb}});
    ASSERT_TRUE(sim.Gotowy());
    StrumienPty klient;
    ASSERT_TRUE(klient.Otworz(sim.Dowiazanie()));
    auto wybierz = [&](uint8_t adres) {
      klient.Wyslij(tryb[0] == '3' ? Bajty{0x1B, 0x01, adres} : Bajty{0xFE, adres});
    };
    EXPECT_TRUE(Rozkaz(klient, 0xC0, 3, {}, 0, 100ms).brakPierwszej);  // nothing selected yet
    wybierz(2);
    EXPECT_EQ(Identyfikuj(klient).typ, 27);
    wybierz(1);
    EXPECT_EQ(Identyfikuj(klient).typ, 't');
    wybierz(5);
    EXPECT_TRUE(Rozkaz(klient, 0xC0, 3, {}, 0, 100ms).brakPierwszej);
  }
}

TEST(SymulatorRfc2217, TheLineSwitchFollowsDtrAndRts) {
  KatalogTymczasowy katalog;
  std::vector<std::string> stany;
  for (int adres = 1; adres <= 4; ++adres) {
    stany.push_back(katalog / ("kanal" + std::to_string(adres) + ".txt"));
    std::string tresc = CzytajPlik(Urzadzenie("vin-t.txt"));
    tresc.replace(tresc.find("$numer\t07"), 9, "$numer\t0" + std::to_string(adres));
    ZapiszPlik(stany.back(), tresc + "$adres\t" + std::to_string(adres) + "\r\n");
  }
  Symulator sim(katalog, {.urzadzenia = stany, .lacze = Lacze::Rfc2217, .dodatkowe = {"--mux", "1"}});
  ASSERT_TRUE(sim.Gotowy());
  StrumienRfc2217 klient;
  ASSERT_TRUE(klient.Otworz(sim.Host(), sim.Port()));
  const struct { bool dtr, rts; char numer; } kanaly[] = {
      {false, true, '1'}, {true, true, '2'}, {false, false, '3'}, {true, false, '4'}};
  for (const auto& k : kanaly) {
    ASSERT_TRUE(klient.UstawLinie(k.dtr, k.rts));
    EXPECT_EQ(Rozkaz(klient, 0xC0, 3).pierwsza, (Bajty{0x06, '0', uint8_t(k.numer)})) << k.dtr << k.rts;
  }
  EXPECT_NE(sim.Dziennik().find("switch to channel 4"), std::string::npos);
}

TEST(SymulatorRfc2217, DrivesTheModemLinesAndAnswersThePortSettings) {
  KatalogTymczasowy katalog;
  Symulator sim(katalog, {.urzadzenia = {"vin-t.txt"}, .lacze = Lacze::Rfc2217, .dodatkowe = {"--modem-status", "0xB0"}});
  ASSERT_TRUE(sim.Gotowy());
  StrumienRfc2217 klient;
  ASSERT_TRUE(klient.Otworz(sim.Host(), sim.Port()));
  ASSERT_TRUE(klient.UstawPredkosc(19200));
  const auto stan = klient.StanModemu();
  ASSERT_TRUE(stan);
  EXPECT_EQ(*stan & 0xF0, 0xB0);  // carrier, DSR and CTS on, no ring
  EXPECT_EQ(Rozkaz(klient, 0xC0, 3).pierwsza, (Bajty{0x06, '0', '7'}));
  bool predkosc = false;
  for (const Bajty& o : klient.Odpowiedzi()) predkosc |= o == Bajty{101, 0x00, 0x00, 0x4B, 0x00};
  EXPECT_TRUE(predkosc);
  EXPECT_NE(sim.Dziennik().find("speed 19200"), std::string::npos);

  // One client at a time: a second one is closed at once.
  StrumienRfc2217 drugi;
  ASSERT_TRUE(drugi.Otworz(sim.Host(), sim.Port()));
  EXPECT_FALSE(drugi.Czytaj(std::chrono::steady_clock::now() + 1s));
  EXPECT_TRUE(drugi.Zamkniete());
  EXPECT_EQ(Rozkaz(klient, 0xC0, 3).pierwsza, (Bajty{0x06, '0', '7'}));
}

TEST(SymulatorRfc2217, ServesTheNextClientAfterTheFirstHasGone) {
  KatalogTymczasowy katalog;
  Symulator sim(katalog, {.urzadzenia = {"pelto-103.txt"}, .lacze = Lacze::Rfc2217});
  ASSERT_TRUE(sim.Gotowy());
  for (int i = 0; i < 3; ++i) {
    StrumienRfc2217 klient;
    ASSERT_TRUE(klient.Otworz(sim.Host(), sim.Port()));
    // Left in the middle of an exchange: the next client still finds the register waiting.
    klient.Wyslij({0x1B, 0x43, '1'});
    EXPECT_EQ(klient.CzytajDo(1), Bajty{0x06});
  }
  StrumienRfc2217 klient;
  ASSERT_TRUE(klient.Otworz(sim.Host(), sim.Port()));
  EXPECT_EQ(Rozkaz(klient, 0xC0, 3).pierwsza, (Bajty{0x06, '0', '5'}));
}

TEST(Harness, StopsTheSimulatorWhateverHappens) {
  KatalogTymczasowy katalog;
  pid_t pid;
  {
    Symulator sim(katalog, {.urzadzenia = {"vin-t.txt"}});
    ASSERT_TRUE(sim.Gotowy());
    pid = sim.Pid();
    EXPECT_EQ(::kill(pid, 0), 0);
  }
  EXPECT_NE(::kill(pid, 0), 0);
  EXPECT_TRUE(CzytajPlik(katalog / "COM1.link").empty());  // the link is gone with it
}

TEST(Harness, ABadCommandLineEndsTheSimulatorWithAReason) {
  std::string konsola;
  EXPECT_EQ(Uruchom({KARVO_SIM_BINARY, "--pty", "/tmp/x"}, "", {}, 5s, konsola), 2);
  EXPECT_NE(konsola.find("--state"), std::string::npos) << konsola;
  EXPECT_EQ(Uruchom({KARVO_SIM_BINARY, "--pty", "/tmp/x", "--state", "/nonexistent"}, "", {}, 5s, konsola), 1);
  // Both registers sit at the default address 1.
  EXPECT_EQ(Uruchom({KARVO_SIM_BINARY, "--pty", "/tmp/x", "--mux", "3", "--state", Urzadzenie("vin-t.txt"), "--state",
                     Urzadzenie("typ-27.txt")},
                    "", {}, 5s, konsola),
            1);
  EXPECT_NE(konsola.find("address 1"), std::string::npos) << konsola;
  EXPECT_EQ(Uruchom({KARVO_SIM_BINARY, "--pty", "/tmp/x", "--state", Urzadzenie("vin-t.txt"), "--state",
                     Urzadzenie("typ-27.txt")},
                    "", {}, 5s, konsola),
            2);
  EXPECT_EQ(Uruchom({KARVO_SIM_BINARY, "--help"}, "", {}, 5s, konsola), 0);
  EXPECT_NE(konsola.find("--rfc2217"), std::string::npos);
}
