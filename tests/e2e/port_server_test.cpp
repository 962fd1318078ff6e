// _ONrKasy over a virtual port of a network port server: the data travel over
// RFC 2217 and the channel and speed commands over the server's UDP control,
// which the simulator runs beside the register's line. The wire log holds the
// commands in the order the server received them.
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>
#include <vector>

#include "harness.h"

using namespace e2e;
using namespace std::chrono_literals;

namespace {

const std::string ZRODLO = " (identyfikator odczytany z urzadzenia)";
const std::string Z_KONFIGU = "Symulator (identyfikator z pliku KONFIG.TXT)";
const std::string VIN = "Vin 20000 PLU II gen. ver. 02" + ZRODLO;
const std::string DOBRZE = "0\t; program zakonczony bezblednie";
const std::string BLAD_SIECI = "65\t; blad polaczenia sieciowego";
const std::string CZAS_SIECI = "64\t; przekroczony czas oczekiwania na dane z sieci";
const std::string BLAD_KANALU = "52\t; blad ustawienia linii lub kanalu multipleksera";

// A loopback address of this test's own, so that parallel tests never share UDP port 65535.
std::string AdresSerwera() {
  static int licznik = 0;
  ++licznik;
  const int pid = static_cast<int>(::getpid());
  return "127." + std::to_string(220 + pid % 30) + "." + std::to_string((pid / 30) % 250 + 1) + "." +
         std::to_string(licznik % 250 + 1);
}

// The report's three lines, the date and time of the first replaced.
std::string Raport(int kasa, const std::string& lacze, const std::string& wynik, const std::string& urzadzenie) {
  return "#" + std::to_string(kasa) + "\t" + lacze + "\t1\tDATA\tCZAS\tONrKasy\tWIN 8.55\tWE.TXT\tWY.TXT\r\n#" + wynik +
         "\r\n#" + urzadzenie + "\r\n";
}

std::string BezCzasu(const std::string& tekst) {
  static const std::regex czas("^(#[^\t\r]*\t[^\t\r]*\t[^\t\r]*\t)\\d{4}\\.\\d{2}\\.\\d{2}\t\\d{2}:\\d{2}\t");
  return std::regex_replace(tekst, czas, "$1DATA\tCZAS\t", std::regex_constants::format_first_only);
}

// The commands the port server received, in order, separated by blanks.
std::string Polecenia(const std::string& dziennik) {
  static const std::regex r("driver -> portsrv +[0-9A-F ]*\\|([^|]*)\\|");
  std::string wynik;
  for (auto it = std::sregex_iterator(dziennik.begin(), dziennik.end(), r); it != std::sregex_iterator(); ++it)
    wynik += (wynik.empty() ? "" : " ") + (*it)[1].str();
  return wynik;
}

// The requests that reached a register.
int Rozkazy(const std::string& dziennik) {
  static const std::regex r("driver -> reg [0-9]+ +1B ");
  return static_cast<int>(
      std::distance(std::sregex_iterator(dziennik.begin(), dziennik.end(), r), std::sregex_iterator()));
}

// An environment with the descriptions of the ResultCodes beside the driver's files.
struct Stanowisko : Srodowisko {
  Stanowisko() { Plik("KOMENT.TXT", CzytajPlik(std::string(KARVO_SOURCE_DIR) + "/share/KOMENT.TXT")); }
};

struct Przebieg {
  WynikKarvo karvo;
  std::string dziennik;
};

struct Ustawienia {
  std::string lacze;                       // the link description of KONFIG.TXT
  std::vector<std::string> usterki = {};   // --port-server-fault each
  std::vector<std::string> dodatkowe = {};  // further simulator arguments
  std::string urzadzenie = "vin-t.txt";
  int kasa = 7;
  bool wirtualny = true;  // ports.conf gives the server's address for COM1
};

// One karvo /K113 run against a register behind a port server.
Przebieg Uruchom(const Ustawienia& u) {
  Stanowisko env;
  const std::string adres = AdresSerwera();
  std::vector<std::string> argumenty = {"--port-server", adres};
  for (const auto& f : u.usterki) argumenty.insert(argumenty.end(), {"--port-server-fault", f});
  argumenty.insert(argumenty.end(), u.dodatkowe.begin(), u.dodatkowe.end());
  Symulator sim(env.Katalog(), {.urzadzenia = {u.urzadzenie}, .lacze = Lacze::Rfc2217, .dodatkowe = argumenty});
  if (!sim.Gotowy()) return {};
  env.Konfig("$" + std::to_string(u.kasa) + "\t" + u.lacze + "\t1\tSymulator\r\n");
  env.Porty("COM1\t" + sim.Cel() + (u.wirtualny ? "\t" + adres : "") + "\n");
  env.Plik("WE.TXT", Srodowisko::Wejscie(u.kasa));
  Przebieg p;
  p.karvo = env.Karvo(113, "WE.TXT", "WY.TXT", 30s);
  EXPECT_FALSE(p.karvo.przekroczonyCzas);
  EXPECT_EQ(p.karvo.log, p.karvo.raport + std::string(80, '-') + "\r\n");
  sim.Zatrzymaj();
  p.dziennik = sim.Dziennik();
  return p;
}

const std::string PRZYGOTOWANIE = "R PS11 PS31";

// ---- mode 1: the register address is the channel of the line switch ----

class KanalSerwera : public ::testing::TestWithParam<int> {};

TEST_P(KanalSerwera, SelectedThroughThePortServer) {
  const int kanal = GetParam();
  const char* const pary[] = {"PS00 PS11", "PS00 PS10", "PS01 PS11", "PS01 PS10"};
  const std::string lacze = "COM1:9600:MUX1:" + std::to_string(kanal);
  const Przebieg p = Uruchom({.lacze = lacze});
  EXPECT_EQ(Polecenia(p.dziennik), PRZYGOTOWANIE + " " + pary[kanal - 1] + " PBR3") << p.dziennik;
  EXPECT_EQ(BezCzasu(p.karvo.raport), Raport(7, lacze, DOBRZE, VIN));
  EXPECT_NE(p.karvo.wyjscie.find("\r\n$07\r\n"), std::string::npos) << p.karvo.wyjscie;
}

INSTANTIATE_TEST_SUITE_P(Tryb1, KanalSerwera, ::testing::Values(1, 2, 3, 4));

// ---- mode 0: channel 0 sends the commands of channel 1, then the port's speed ----

struct Predkosc {
  int baud;
  const char* rozkaz;  // empty: a speed the server has no command for
};

void PrintTo(const Predkosc& p, std::ostream* os) { *os << p.baud; }

class PredkosciSerwera : public ::testing::TestWithParam<Predkosc> {};

TEST_P(PredkosciSerwera, FollowTheChannelOfMode0) {
  const Predkosc& v = GetParam();
  const std::string lacze = "COM1:" + std::to_string(v.baud) + ":MUX0:1";
  const Przebieg p = Uruchom({.lacze = lacze});
  const std::string rozkaz = *v.rozkaz ? std::string(" ") + v.rozkaz : "";
  EXPECT_EQ(Polecenia(p.dziennik), PRZYGOTOWANIE + " PS00 PS11" + rozkaz) << p.dziennik;
  // After a successful channel step a speed outside the table changes nothing and the line still opens.
  EXPECT_EQ(BezCzasu(p.karvo.raport), Raport(7, lacze, DOBRZE, VIN));
}

INSTANTIATE_TEST_SUITE_P(Tryb0, PredkosciSerwera,
                         ::testing::Values(Predkosc{150, "PBR8"}, Predkosc{300, "PBR9"}, Predkosc{600, "PBR10"},
                                           Predkosc{1200, "PBR0"}, Predkosc{2400, "PBR1"}, Predkosc{4800, "PBR2"},
                                           Predkosc{9600, "PBR3"}, Predkosc{14400, ""}, Predkosc{19200, "PBR4"},
                                           Predkosc{28800, "PBR11"}, Predkosc{38400, "PBR5"},
                                           Predkosc{57600, "PBR6"}, Predkosc{115200, "PBR7"}),
                         [](const auto& info) { return std::to_string(info.param.baud); });

// ---- mode 3: the multiplexer's 9600 bit/s and the way back go through the speed commands ----

std::string StanZAdresem(const std::string& katalog, int adres) {
  const std::string sciezka = katalog + "/vin-t-" + std::to_string(adres) + ".txt";
  ZapiszPlik(sciezka, CzytajPlik(Urzadzenie("vin-t.txt")) + "$adres\t" + std::to_string(adres) + "\r\n");
  return sciezka;
}

TEST(MultiplekserSerwera, SwitchesToTheMultiplexersSpeedAndBack) {
  KatalogTymczasowy stany;
  const std::string lacze = "COM1:19200:MUX3:2";
  const Przebieg p = Uruchom({.lacze = lacze, .dodatkowe = {"--mux", "3"}, .urzadzenie = StanZAdresem(stany.Sciezka(), 2)});
  EXPECT_EQ(Polecenia(p.dziennik), PRZYGOTOWANIE + " PBR3 " + PRZYGOTOWANIE + " PBR4") << p.dziennik;
  EXPECT_EQ(BezCzasu(p.karvo.raport), Raport(7, lacze, DOBRZE, VIN));
  EXPECT_NE(p.dziennik.find("select register 2"), std::string::npos) << p.dziennik;
}

// The way back to 14400 bit/s has no speed command: the control fails after
// the preparation (65), and the failed multiplexer step reports 52.
TEST(MultiplekserSerwera, ASpeedWithoutACommandFailsTheChannelStep) {
  KatalogTymczasowy stany;
  const std::string lacze = "COM1:14400:MUX3:2";
  const Przebieg p = Uruchom({.lacze = lacze, .dodatkowe = {"--mux", "3"}, .urzadzenie = StanZAdresem(stany.Sciezka(), 2)});
  EXPECT_EQ(Polecenia(p.dziennik), PRZYGOTOWANIE + " PBR3 " + PRZYGOTOWANIE) << p.dziennik;
  EXPECT_EQ(BezCzasu(p.karvo.raport), Raport(7, lacze, BLAD_KANALU, Z_KONFIGU));
  EXPECT_NE(p.dziennik.find("select register 2"), std::string::npos) << p.dziennik;
}

// ---- a port server that refuses or does not answer ----

struct Awaria {
  const char* nazwa;
  std::string lacze;
  std::vector<std::string> usterki;
  std::string polecenia;  // received up to the failing one
  std::string wynik;
};

void PrintTo(const Awaria& a, std::ostream* os) { *os << a.nazwa; }

class AwarieSerwera : public ::testing::TestWithParam<Awaria> {};

TEST_P(AwarieSerwera, StopTheSequenceAndTheSession) {
  const Awaria& a = GetParam();
  const Przebieg p = Uruchom({.lacze = a.lacze, .usterki = a.usterki});
  EXPECT_EQ(Polecenia(p.dziennik), a.polecenia) << p.dziennik;
  EXPECT_EQ(BezCzasu(p.karvo.raport), Raport(7, a.lacze, a.wynik, Z_KONFIGU));
  EXPECT_EQ(Rozkazy(p.dziennik), 0) << p.dziennik;  // the register is never asked
}

INSTANTIATE_TEST_SUITE_P(
    Tryby, AwarieSerwera,
    ::testing::Values(
        Awaria{"RefusedReset", "COM1:9600:MUX0:1", {"R:answer=N"}, "R", BLAD_SIECI},
        Awaria{"RefusedPreparation", "COM1:9600:MUX0:1", {"PS31:answer=E"}, PRZYGOTOWANIE, BLAD_SIECI},
        Awaria{"RefusedChannel", "COM1:9600:MUX1:4", {"PS10:answer=a"}, PRZYGOTOWANIE + " PS01 PS10", BLAD_SIECI},
        Awaria{"RefusedSpeed", "COM1:57600:MUX1:2", {"PBR6:answer=B"}, PRZYGOTOWANIE + " PS00 PS10 PBR6",
               BLAD_SIECI},
        Awaria{"UnansweredChannel", "COM1:9600:MUX1:3", {"PS11,n=2:silent"}, PRZYGOTOWANIE + " PS01 PS11",
               CZAS_SIECI},
        Awaria{"UnansweredSpeed", "COM1:19200:MUX0:1", {"*,n=6:silent"}, PRZYGOTOWANIE + " PS00 PS11 PBR4",
               CZAS_SIECI},
        Awaria{"EmptyAnswer", "COM1:9600:MUX0:1", {"R:answer="}, "R", CZAS_SIECI}),
    [](const auto& info) { return std::string(info.param.nazwa); });

// ---- the port map decides whether a port is virtual ----

TEST(MapaPortowSerwera, APortWithoutDestinationSetsItsOwnLines) {
  const std::string lacze = "COM1:9600:MUX1:2";
  const Przebieg p = Uruchom({.lacze = lacze, .wirtualny = false});
  EXPECT_EQ(Polecenia(p.dziennik), "");
  EXPECT_EQ(BezCzasu(p.karvo.raport), Raport(7, lacze, DOBRZE, VIN));
  EXPECT_NE(p.dziennik.find("DTR on, RTS on"), std::string::npos) << p.dziennik;
}

// The control and the data may come from two places: a port server alone and
// a register on a pseudo-terminal.
TEST(MapaPortowSerwera, APortServerOfItsOwnBesideAPseudoTerminal) {
  Stanowisko env;
  KatalogTymczasowy drugi;
  const std::string adres = AdresSerwera();
  Symulator serwer(drugi, {.lacze = Lacze::Brak, .dodatkowe = {"--port-server", adres}});
  Symulator kasa(env.Katalog(), {.urzadzenia = {"vin-t.txt"}});
  ASSERT_TRUE(serwer.Gotowy());
  ASSERT_TRUE(kasa.Gotowy());
  const std::string lacze = "COM1:4800:MUX1:1";
  env.Konfig("$7\t" + lacze + "\t1\tSymulator\r\n");
  env.Porty("COM1\t" + kasa.Cel() + "\t" + adres + "\n");
  env.Plik("WE.TXT", Srodowisko::Wejscie(7));
  const WynikKarvo w = env.Karvo(113, "WE.TXT", "WY.TXT", 30s);
  EXPECT_NE(w.raport.find("\r\n#" + DOBRZE + "\r\n"), std::string::npos) << w.raport;
  EXPECT_EQ(serwer.Zatrzymaj(), 0);
  EXPECT_EQ(Polecenia(serwer.Dziennik()), PRZYGOTOWANIE + " PS00 PS11 PBR2") << serwer.Dziennik();
}

}  // namespace
