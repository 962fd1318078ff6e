// The port server's control: which commands it knows, how faults change its
// answers, and one round trip over a real UDP socket on loopback.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "options.h"
#include "portserver/control.h"
#include "portserver/port_server.h"
#include "sim_test_support.h"

namespace {

sim::Bajty Tekst(std::string_view t) { return sim::Bajty(t.begin(), t.end()); }

TEST(PolecenieSerwera, KnowsExactlyTheDriversCommands) {
  const struct { const char* tekst; bool znane; const char* opis; } tabela[] = {
      {"R", true, "reset"},
      {"PS00", true, "output 0 level 0"},
      {"PS01", true, "output 0 level 1"},
      {"PS10", true, "output 1 level 0"},
      {"PS11", true, "output 1 level 1"},
      {"PS31", true, "output 3 level 1"},
      {"PBR0", true, "speed 1200 bit/s"},
      {"PBR3", true, "speed 9600 bit/s"},
      {"PBR7", true, "speed 115200 bit/s"},
      {"PBR8", true, "speed 150 bit/s"},
      {"PBR10", true, "speed 600 bit/s"},
      {"PBR11", true, "speed 28800 bit/s"},
      // Near misses: never sent by the driver.
      {"", false, "unknown command"},
      {"r", false, "unknown command"},
      {"R\r\n", false, "unknown command"},
      {"PS30", false, "unknown command"},
      {"PS21", false, "unknown command"},
      {"PS02", false, "unknown command"},
      {"PS0", false, "unknown command"},
      {"PS000", false, "unknown command"},
      {"PBR12", false, "unknown command"},
      {"PBR03", false, "unknown command"},
      {"PBR", false, "unknown command"},
      {"PBR0x3", false, "unknown command"},
      {"pbr3", false, "unknown command"},
  };
  for (const auto& p : tabela) {
    const sim::PolecenieSerwera w = sim::RozpoznajPolecenie(Tekst(p.tekst));
    EXPECT_EQ(w.znane, p.znane) << p.tekst;
    EXPECT_EQ(w.opis, p.opis) << p.tekst;
  }
  EXPECT_EQ(sim::RozpoznajPolecenie(sim::Bajty{'P', 0x00, 0x7F}).tekst, "P..");
}

TEST(PolecenieSerwera, SpeedTableOfTheRemotePort) {
  const uint32_t tabela[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 150, 300, 600, 28800};
  for (uint32_t n = 0; n < 12; ++n) EXPECT_EQ(sim::PredkoscPolecenia(n), tabela[n]) << n;
  EXPECT_EQ(sim::PredkoscPolecenia(12), 0u);
}

TEST(UsterkaSerwera, ReadsItsForm) {
  const struct { const char* zapis; const char* polecenie; uint32_t n; bool cisza; const char* odpowiedz; } dobre[] = {
      {"PS00:silent", "PS00", 0, true, ""},
      {"*:answer=N", "*", 0, false, "N"},
      {"*,n=4:answer=", "*", 4, false, ""},
      {"PS11,n=2:answer=AB", "PS11", 2, false, "AB"},
      {"R:answer=a:b", "R", 0, false, "a:b"},
  };
  for (const auto& d : dobre) {
    std::string blad;
    const auto u = sim::CzytajUsterkeSerwera(d.zapis, blad);
    ASSERT_TRUE(u) << d.zapis << ": " << blad;
    EXPECT_EQ(u->zapis, d.zapis);
    EXPECT_EQ(u->polecenie, d.polecenie);
    EXPECT_EQ(u->wystapienie, d.n);
    EXPECT_EQ(u->cisza, d.cisza);
    EXPECT_EQ(u->odpowiedz, Tekst(d.odpowiedz)) << d.zapis;
  }
  for (const char* zle : {"PS00", ":silent", ",n=1:silent", "PS00,n=0:silent", "PS00,n=x:silent", "PS00,m=1:silent",
                          "PS00:late=5", "PS00:"}) {
    std::string blad;
    EXPECT_FALSE(sim::CzytajUsterkeSerwera(zle, blad)) << zle;
    EXPECT_FALSE(blad.empty()) << zle;
  }
}

std::vector<sim::UsterkaSerwera> Usterki(std::initializer_list<const char*> zapisy) {
  return simtest::Wczytane(sim::CzytajUsterkeSerwera, zapisy);
}

// The answers to the driver's sequence for channel 3 at 115200 bit/s; "-" stands for no answer.
std::vector<std::string> Odpowiedzi(std::initializer_list<const char*> usterki) {
  sim::SterowanieSerwera s(Usterki(usterki));
  std::vector<std::string> w;
  for (const char* p : {"R", "PS11", "PS31", "PS01", "PS11", "PBR7", "PBR99"}) {
    const auto o = s.Polecenie(Tekst(p));
    w.push_back(o.bajty ? std::string(o.bajty->begin(), o.bajty->end()) : "-");
  }
  return w;
}

TEST(SterowanieSerwera, AnswersAndFaults) {
  using V = std::vector<std::string>;
  const struct { std::initializer_list<const char*> usterki; V odpowiedzi; } tabela[] = {
      {{}, {"A", "A", "A", "A", "A", "A", "N"}},
      {{"PS11:answer=E"}, {"A", "E", "A", "A", "E", "A", "N"}},
      {{"PS11,n=2:silent"}, {"A", "A", "A", "A", "-", "A", "N"}},
      {{"*,n=3:answer="}, {"A", "A", "", "A", "A", "A", "N"}},
      {{"*:silent"}, {"-", "-", "-", "-", "-", "-", "-"}},
      {{"PBR99:answer=A"}, {"A", "A", "A", "A", "A", "A", "A"}},
      // The first fault that matches decides.
      {{"PS01:answer=1", "PS01:answer=2", "*,n=4:silent"}, {"A", "A", "A", "1", "A", "A", "N"}},
  };
  for (const auto& p : tabela) {
    EXPECT_EQ(Odpowiedzi(p.usterki), p.odpowiedzi) << (p.usterki.size() ? *p.usterki.begin() : "none");
  }
}

TEST(SterowanieSerwera, TellsWhichFaultDecided) {
  sim::SterowanieSerwera s(Usterki({"R:silent"}));
  const auto o = s.Polecenie(Tekst("R"));
  ASSERT_NE(o.usterka, nullptr);
  EXPECT_EQ(o.usterka->zapis, "R:silent");
  EXPECT_EQ(s.Polecenie(Tekst("PS00")).usterka, nullptr);
}

// ---- the command line ----

std::optional<sim::Opcje> Czytaj(std::vector<const char*> argumenty, std::string& blad) {
  argumenty.insert(argumenty.begin(), "karvo-sim");
  return sim::CzytajOpcje(static_cast<int>(argumenty.size()), argumenty.data(), blad);
}

TEST(OpcjeSerwera, AloneOrBesideTheLine) {
  std::string blad;
  auto sam = Czytaj({"--port-server", "127.0.0.9", "--port-server-fault", "PS00:silent", "--port-server-fault",
                     "*,n=2:answer=E", "--log", "w.log"},
                    blad);
  ASSERT_TRUE(sam) << blad;
  EXPECT_EQ(sam->serwerPortow, "127.0.0.9");
  EXPECT_EQ(sam->polaczenie, sim::RodzajPolaczenia::Brak);
  ASSERT_EQ(sam->usterkiSerwera.size(), 2u);
  EXPECT_EQ(sam->usterkiSerwera[1].zapis, "*,n=2:answer=E");
  auto obok = Czytaj({"--rfc2217", "127.0.0.1:0", "--state", "a.txt", "--port-server", "127.0.0.9"}, blad);
  ASSERT_TRUE(obok) << blad;
  EXPECT_EQ(obok->polaczenie, sim::RodzajPolaczenia::Rfc2217);
  EXPECT_EQ(obok->serwerPortow, "127.0.0.9");
}

TEST(OpcjeSerwera, RefusesABadCommandLine) {
  const std::vector<std::vector<const char*>> zle = {
      {"--port-server-fault", "PS00:silent", "--pty", "x", "--state", "a"},  // a fault without a server
      {"--port-server", "127.0.0.9", "--port-server-fault", "PS00"},
      {"--port-server", "127.0.0.9", "--state", "a"},  // registers without a line
      {"--port-server"},
  };
  for (const auto& argumenty : zle) {
    std::string blad;
    EXPECT_FALSE(Czytaj(argumenty, blad)) << argumenty[0] << " " << argumenty.back();
    EXPECT_FALSE(blad.empty());
  }
}

// ---- over a socket ----

std::string Plik(const std::string& sciezka) {
  std::ifstream f(sciezka);
  std::stringstream t;
  t << f.rdbuf();
  return t.str();
}

std::string AdresTestu() {
  const int pid = static_cast<int>(::getpid());
  return "127.250." + std::to_string(pid / 250 % 250 + 1) + "." + std::to_string(pid % 250 + 1);
}

// Sends a command and waits at most 2 s for the answer; "-" when none came.
std::string Zapytaj(int gniazdo, const std::string& polecenie, int czasMs = 2000) {
  ::send(gniazdo, polecenie.data(), polecenie.size(), 0);
  pollfd p{gniazdo, POLLIN, 0};
  if (::poll(&p, 1, czasMs) <= 0) return "-";
  char bufor[16];
  const ssize_t n = ::recv(gniazdo, bufor, sizeof bufor, 0);
  return n < 0 ? "-" : std::string(bufor, static_cast<size_t>(n));
}

TEST(SerwerPortow, AnswersOverUdpAndLogsEachCommand) {
  char katalog[] = "/tmp/karvo-portsrv-XXXXXX";
  ASSERT_NE(::mkdtemp(katalog), nullptr);
  const std::string log = std::string(katalog) + "/wire.log";
  const std::string adres = AdresTestu();
  {
    sim::Dziennik dziennik;
    ASSERT_TRUE(dziennik.Otworz(log));
    sim::SerwerPortow serwer(Usterki({"PS00:silent"}), dziennik);
    std::string blad;
    ASSERT_TRUE(serwer.Otworz(adres, sim::PortSterowania, blad)) << blad;
    sim::SerwerPortow drugi({}, dziennik);
    EXPECT_FALSE(drugi.Otworz(adres, sim::PortSterowania, blad));  // the port is taken
    EXPECT_FALSE(drugi.Otworz("localhost", sim::PortSterowania, blad));
    serwer.UruchomWTle();

    const int klient = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(sim::PortSterowania);
    ::inet_pton(AF_INET, adres.c_str(), &a.sin_addr);
    ASSERT_EQ(::connect(klient, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    EXPECT_EQ(Zapytaj(klient, "R"), "A");
    EXPECT_EQ(Zapytaj(klient, "PS00", 200), "-");
    EXPECT_EQ(Zapytaj(klient, "PBR4"), "A");
    EXPECT_EQ(Zapytaj(klient, "X"), "N");
    ::close(klient);
  }  // the destructor ends the background run
  const std::string d = Plik(log);
  for (const char* linia : {"driver -> portsrv   52  |R|  reset\n", "driver <- portsrv   41  |A|\n",
                            "portsrv  fault PS00:silent: no answer\n", "|PBR4|  speed 19200 bit/s\n",
                            "driver -> portsrv   58  |X|  unknown command\n", "driver <- portsrv   4E  |N|\n"})
    EXPECT_NE(d.find(linia), std::string::npos) << linia << d;
  std::remove(log.c_str());
  ::rmdir(katalog);
}

}  // namespace
