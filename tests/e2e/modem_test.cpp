// The real driver dialling the simulated communication module through the
// simulated Hayes modem (karvo-sim --modem over RFC 2217): the whole dial-up
// session, each carrier check, the initialisation file with its PIN pause,
// and the control exchanges that must end.
#include <gtest/gtest.h>

#include <csignal>
#include <thread>

#include <chrono>
#include <string>
#include <vector>

#include "harness.h"

using namespace e2e;
using namespace std::chrono_literals;

namespace {

constexpr int KASA = 7;
const std::string LACZE = "COM1:9600:MUX2:1";
const std::string IDENTYFIKATOR = "Modem (identyfikator z pliku KONFIG.TXT)";

// A register behind a module whose password is HASLO123.
std::string StanZaModulem(const Srodowisko& env) {
  const std::string sciezka = env.Sciezka("za-modemem.txt");
  ZapiszPlik(sciezka, CzytajPlik(Urzadzenie("vin-t.txt")) + "$modul_haslo\tHASLO123\r\n");
  return sciezka;
}

// The simulator with a modem that connects 200 ms after dialling, and
// KONFIG.TXT dialling through it (field 5: dialling, password, connection
// time, time-out, repeat limit).
struct Polaczenie {
  explicit Polaczenie(std::vector<std::string> modem = {}, std::string pole5 = "T5551234:HASLO123:2:1:2",
                      std::vector<std::string> usterki = {})
      : sim(env.Katalog(), Opcje(env, std::move(modem), std::move(usterki))) {
    Konfig(pole5);
    env.Porty("COM1\t" + sim.Cel() + "\n");
    env.Plik("WE.TXT", Srodowisko::Wejscie(KASA));
  }
  static OpcjeSymulatora Opcje(const Srodowisko& env, std::vector<std::string> modem, std::vector<std::string> usterki) {
    std::vector<std::string> dodatkowe{"--modem", "--modem-delay", "200"};
    dodatkowe.insert(dodatkowe.end(), modem.begin(), modem.end());
    for (const auto& u : usterki) dodatkowe.insert(dodatkowe.end(), {"--module-fault", u});
    return {.urzadzenia = {StanZaModulem(env)}, .lacze = Lacze::ModulRfc2217, .dodatkowe = dodatkowe};
  }
  void Konfig(const std::string& p5) {
    pole5 = p5;
    env.Konfig("$" + std::to_string(KASA) + "\t" + LACZE + "\t1\tModem\t" + pole5 + "\r\n");
  }
  // A command with one data line (or none).
  WynikKarvo Karvo(int kod, const std::string& dana = "", const std::string& wyjscie = "") {
    env.Plik("WE.TXT", Srodowisko::Wejscie(KASA, dana.empty() ? std::vector<std::string>{} : std::vector{dana}));
    WynikKarvo w = env.Karvo(kod, "WE.TXT", wyjscie);
    EXPECT_FALSE(w.przekroczonyCzas) << kod;
    // karvo.log gathers the runs: this one's report comes last.
    EXPECT_TRUE(w.log.ends_with(w.raport + std::string(80, '-') + "\r\n")) << w.log;
    return w;
  }
  std::string Raport(const std::string& funkcja, const std::string& wynik, const std::string& wyjscie = "") const {
    return Linie({Naglowek0(KASA, LACZE, funkcja, wyjscie), wynik, IDENTYFIKATOR + "\t" + pole5});
  }

  Stanowisko env;
  Symulator sim;
  std::string pole5;
};

// The result line of a run's report.
std::string Wynik(const WynikKarvo& w) {
  const size_t a = w.raport.find("\r\n#");
  return a == std::string::npos ? "" : w.raport.substr(a + 3, w.raport.find("\r\n", a + 3) - a - 3);
}

// How many lines of the wire log hold this text.
int IleLinii(const std::string& dziennik, const std::string& tekst) {
  int n = 0;
  for (size_t p = dziennik.find(tekst); p != std::string::npos; p = dziennik.find(tekst, p + 1)) ++n;
  return n;
}

TEST(Modem, DialsReadsTheModuleChangesItAndHangsUp) {
  Polaczenie p;
  ASSERT_TRUE(p.sim.Gotowy());
  p.env.Plik("MODKONF.TXT", "; the modem's own settings\r\n$ATZ\r\n$ate0 &d0\r\n");
  WynikKarvo w = p.Karvo(61);
  EXPECT_EQ(BezCzasu(w.raport), p.Raport("ModStart", DOBRZE));
  std::string d = p.sim.Dziennik();
  for (const char* t : {"|ATZ|  command", "|ATE0 &D0|  command", "|ATDT5551234|  command", "carrier on"})
    EXPECT_EQ(IleLinii(d, t), 1) << t << "\n" << d;
  EXPECT_LT(d.find("|ATE0 &D0|"), d.find("|ATDT5551234|"));

  w = p.Karvo(64, "", "WY.TXT");
  EXPECT_EQ(BezCzasu(w.raport), p.Raport("ModNrWer", DOBRZE, "WY.TXT"));
  EXPECT_EQ(BezCzasu(w.wyjscie), Linie({Naglowek0(KASA, LACZE, "ModNrWer", "WY.TXT"), "", IDENTYFIKATOR + "\t" + p.pole5}) +
                                     "$KARVO MK 1.0\r\n");

  // The ring count: 1 to 9; anything else is refused before a frame goes.
  const struct { const char* dana; std::string wynik; } dzwonki[] = {
      {"0", Opis(12, "bledne dane w pliku wejsciowym", "WE.TXT")}, {"10", Opis(12, "bledne dane w pliku wejsciowym", "WE.TXT")},
      {"x", Opis(11, "bledna linia lub bledne pole w pliku wejsciowym", "WE.TXT")}, {"9", DOBRZE}};
  for (const auto& c : dzwonki) EXPECT_EQ(Wynik(p.Karvo(65, c.dana)), c.wynik) << c.dana;
  EXPECT_EQ(BezCzasu(p.Karvo(65, "3").raport), p.Raport("ModIlDzw", DOBRZE));
  EXPECT_EQ(IleLinii(p.sim.Dziennik(), "control frame 7 (rings)"), 2);

  // The password: exactly 8 characters.
  EXPECT_EQ(Wynik(p.Karvo(63, "KROTKIE")), Opis(11, "bledna linia lub bledne pole w pliku wejsciowym", "WE.TXT"));
  EXPECT_EQ(IleLinii(p.sim.Dziennik(), "control frame 2"), 0);
  EXPECT_EQ(BezCzasu(p.Karvo(63, "NOWEHAS1").raport), p.Raport("ModHaslo", DOBRZE));

  w = p.Karvo(62);
  EXPECT_EQ(BezCzasu(w.raport), p.Raport("ModStop", DOBRZE));
  d = p.sim.Dziennik();
  for (const char* t : {"escape: back to commands", "|ATH0|  command", "carrier off (hung up)"})
    EXPECT_EQ(IleLinii(d, t), 1) << t << "\n" << d;
  p.sim.Zatrzymaj();
  const std::string stan = p.sim.Stan();
  EXPECT_NE(stan.find("$modul_haslo\tNOWEHAS1"), std::string::npos) << stan;
  EXPECT_NE(stan.find("$modul_dzwonki\t3"), std::string::npos) << stan;
}

TEST(Modem, RecoveryLogsInWithTheChangedPassword) {
  // The module asks for the password at the second and third version requests.
  Polaczenie p({"--carrier", "on"}, "T5551234:HASLO123:2:1:2", {"ctl1,n=2-3:control=0x10"});
  ASSERT_TRUE(p.sim.Gotowy());
  EXPECT_EQ(Wynik(p.Karvo(64, "", "WY.TXT")), DOBRZE);
  EXPECT_EQ(Wynik(p.Karvo(63, "NOWEHAS1")), DOBRZE);
  // The old password no longer opens the module; the new one does.
  EXPECT_EQ(Wynik(p.Karvo(64, "", "WY.TXT")), Opis(39, "modul komunikacyjny wymaga podania hasla"));
  p.Konfig("T5551234:NOWEHAS1:2:1:2");
  const WynikKarvo w = p.Karvo(64, "", "WY.TXT");
  EXPECT_EQ(Wynik(w), DOBRZE);
  EXPECT_NE(w.wyjscie.find("$KARVO MK 1.0\r\n"), std::string::npos);
  const std::string d = p.sim.Dziennik();
  EXPECT_NE(d.find("control frame 3 (password)"), std::string::npos) << d;
  EXPECT_NE(d.find("logged in"), std::string::npos) << d;
}

TEST(Modem, ControlExchangesEnd) {
  // A version in two parts is whole after the second: the frame is not sent
  // again. A module that always asks for the frame again is given up at the
  // repeat limit (2).
  Polaczenie p({"--carrier", "on"}, "T5551234:HASLO123:2:1:2", {"ctl1:split=5", "ctl7:control=0x01"});
  ASSERT_TRUE(p.sim.Gotowy());
  const WynikKarvo w = p.Karvo(64, "", "WY.TXT");
  EXPECT_EQ(Wynik(w), DOBRZE);
  EXPECT_NE(w.wyjscie.find("$KARVO MK 1.0\r\n"), std::string::npos) << w.wyjscie;
  EXPECT_EQ(Wynik(p.Karvo(65, "3")), Opis(35, "modul komunikacyjny zada powtorzenia rozkazu"));
  const std::string d = p.sim.Dziennik();
  EXPECT_EQ(IleLinii(d, "driver -> module    4B 41 52 56 4F 81 8A 80 80 80 80 81"), 1) << d;  // control frame 1
  EXPECT_EQ(IleLinii(d, "control frame 8"), 1) << d;
  EXPECT_EQ(IleLinii(d, "control frame 7"), 3) << d;
}

TEST(Modem, CarrierChecksAndTheInitialisationFile) {
  {
    // Already connected: _ModStart sends nothing.
    Polaczenie p({"--carrier", "on"});
    ASSERT_TRUE(p.sim.Gotowy());
    p.env.Plik("MODKONF.TXT", "$ATZ\r\n");
    EXPECT_EQ(BezCzasu(p.Karvo(61).raport), p.Raport("ModStart", Opis(29, "modem nie odpowiada")));
    EXPECT_EQ(IleLinii(p.sim.Dziennik(), "command"), 0);
  }
  Polaczenie p;
  ASSERT_TRUE(p.sim.Gotowy());
  // Not connected: _ModStop has nothing to hang up.
  EXPECT_EQ(BezCzasu(p.Karvo(62).raport), p.Raport("ModStop", Opis(30, "brak nosnej na linii modemowej")));
  // No initialisation file; a line that is not a data line (the lines before it go).
  EXPECT_EQ(Wynik(p.Karvo(61)), Opis(27, "nie mozna otworzyc pliku konfiguracji modemu", "MODKONF.TXT"));
  p.env.Plik("MODKONF.TXT", "$ATZ\r\nATE0\r\n$ATX4\r\n");
  EXPECT_EQ(Wynik(p.Karvo(61)), Opis(28, "bledna linia w pliku konfiguracji modemu", "MODKONF.TXT"));
  const std::string d = p.sim.Dziennik();
  EXPECT_EQ(IleLinii(d, "|ATZ|  command"), 1) << d;
  EXPECT_EQ(IleLinii(d, "ATX4"), 0) << d;
  EXPECT_EQ(IleLinii(d, "dialling"), 0) << d;
}

TEST(Modem, FaultsEndAsSoonAsTheModemSaysSo) {
  // Dialling (_ModStart) with 4 s of connection time, or reading the version
  // (_ModNrWer) with a frame time-out of 4 s: what the modem or the port
  // server says ends the run at once, well before either; a call that simply
  // never connects waits the connection time out (1 s here), and with none
  // the carrier is not even looked at.
  const std::string NIE_POLACZONO = Opis(31, "nie mozna polaczyc sie z modulem komunikacyjnym");
  const struct {
    const char* nazwa;
    std::vector<std::string> modem;
    std::string pole5;
    int kod;
    std::string wynik;
    bool czekaCalyCzas;
  } przypadki[] = {
      {"busy", {"--modem-dial", "busy"}, "P5551234:HASLO123:4:1:2", 61, NIE_POLACZONO, false},
      {"no carrier", {"--modem-dial", "no-carrier"}, "T5551234:HASLO123:4:1:2", 61, NIE_POLACZONO, false},
      {"port server closes", {"--modem-dial", "close"}, "T5551234:HASLO123:4:1:2", 61, NIE_POLACZONO, false},
      {"silence", {"--modem-dial", "never"}, "T5551234:HASLO123:1:1:2", 61, NIE_POLACZONO, true},
      {"no connection time", {}, "T5551234:HASLO123:0:1:2", 61, NIE_POLACZONO, false},
      {"carrier lost in a frame", {"--carrier", "on", "--modem-drop", "1"}, "T5551234:HASLO123:4:4:2", 64,
       Opis(30, "brak nosnej na linii modemowej"), false},
  };
  for (const auto& c : przypadki) {
    Polaczenie p(c.modem, c.pole5);
    ASSERT_TRUE(p.sim.Gotowy()) << c.nazwa;
    p.env.Plik("MODKONF.TXT", "$ATZ\r\n");
    const auto poczatek = std::chrono::steady_clock::now();
    EXPECT_EQ(Wynik(p.Karvo(c.kod, "", c.kod == 64 ? "WY.TXT" : "")), c.wynik) << c.nazwa;
    const auto trwalo = std::chrono::steady_clock::now() - poczatek;
    if (c.czekaCalyCzas) {
      EXPECT_GE(trwalo, 1s) << c.nazwa;
    } else {
      EXPECT_LT(trwalo, 2s) << c.nazwa;
    }
    const std::string d = p.sim.Dziennik();
    if (c.kod == 61) EXPECT_EQ(IleLinii(d, "|ATD" + c.pole5.substr(0, 8) + "|  command"), 1) << c.nazwa << "\n" << d;
  }
}

TEST(Modem, ASignalBreaksTheWaitForTheCarrier) {
  // A call that never connects, with half a minute of connection time: the
  // signal ends the run at once, with its report.
  Polaczenie p({"--modem-dial", "never"}, "T5551234:HASLO123:30:1:2");
  ASSERT_TRUE(p.sim.Gotowy());
  p.env.Plik("MODKONF.TXT", "$ATZ\r\n");
  KarvoWTle karvo(p.env, 61, "WE.TXT");
  const auto poczatek = std::chrono::steady_clock::now();
  while (p.sim.Dziennik().find("dialling") == std::string::npos && std::chrono::steady_clock::now() - poczatek < 10s)
    std::this_thread::sleep_for(20ms);
  karvo.Sygnal(SIGTERM);
  const WynikKarvo w = karvo.Koniec(5s);
  EXPECT_FALSE(w.przekroczonyCzas);
  EXPECT_EQ(Wynik(w), Opis(56, "rozkaz przerwany przez serwer"));
}

TEST(Modem, PinLineIsFollowedByItsPauseAndALetterAloneDialsATD) {
  // The modem connects at once, so a connection time of 1 s is enough: the
  // carrier holds for the whole of it.
  Polaczenie p({"--modem-pin", "1234", "--modem-delay", "0"}, "t:HASLO123:1:1:2");
  ASSERT_TRUE(p.sim.Gotowy());
  p.env.Plik("MODKONF.TXT", "$at+cpin=1234\r\n");
  const auto poczatek = std::chrono::steady_clock::now();
  EXPECT_EQ(Wynik(p.Karvo(61)), DOBRZE);
  EXPECT_GE(std::chrono::steady_clock::now() - poczatek, 4s);
  const std::string d = p.sim.Dziennik();
  for (const char* t : {"|AT+CPIN=1234|  command", "PIN accepted", "|ATD|  command", "dialling (no number), tone"})
    EXPECT_EQ(IleLinii(d, t), 1) << t << "\n" << d;
  // The pause lies between the PIN and the dialling (the log's times, loosely).
  const auto Czas = [&](const std::string& t) {
    const size_t p = d.rfind('\n', d.find(t)) + 1;
    return std::stoi(d.substr(p, 2)) * 3600000 + std::stoi(d.substr(p + 3, 2)) * 60000 +
           std::stoi(d.substr(p + 6, 2)) * 1000 + std::stoi(d.substr(p + 9, 3));
  };
  EXPECT_GE(Czas("|ATD|") - Czas("|AT+CPIN=1234|"), 3500);
}

}  // namespace
