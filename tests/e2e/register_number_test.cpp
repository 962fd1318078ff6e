// _ONrKasy and _ZNrKasy from end to end: every ready-made register, every
// link mode, and the failure paths of the session opening and the exchange.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"

using namespace e2e;
using namespace std::chrono_literals;

namespace {

const std::string Z_KONFIGU = "Symulator (identyfikator z pliku KONFIG.TXT)";

// ---- every ready-made register over a pseudo-terminal ----

class KazdaKasa : public ::testing::TestWithParam<Rodzina> {};

TEST_P(KazdaKasa, ReadsItsNumber) {
  const Rodzina& r = GetParam();
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {r.plik}});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, r.numer);
  env.Plik("WE.TXT", Srodowisko::Wejscie(r.numer));
  const WynikKarvo w = env.Karvo(113, "WE.TXT", "WY.TXT");
  ASSERT_FALSE(w.przekroczonyCzas);
  const std::string l0 = Naglowek0(r.numer, "COM1:9600:MUX0:1", "ONrKasy", "WY.TXT");
  const std::string l2 = r.nazwa + ZRODLO;
  EXPECT_EQ(BezCzasu(w.raport), Linie({l0, DOBRZE, l2}));
  EXPECT_EQ(BezCzasu(w.wyjscie), Linie({l0, "", l2}) + "$" + DwieCyfry(r.numer) + "\r\n");
  SprawdzLog(w);
}

TEST_P(KazdaKasa, TakesANewNumber) {
  const Rodzina& r = GetParam();
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {r.plik}});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, r.numer);
  env.Plik("WE.TXT", Srodowisko::Wejscie(r.numer, {"7\tfurther fields are ignored", "8"}));
  const WynikKarvo w = env.Karvo(114, "WE.TXT");
  ASSERT_FALSE(w.przekroczonyCzas);
  EXPECT_EQ(BezCzasu(w.raport), Linie({Naglowek0(r.numer, "COM1:9600:MUX0:1", "ZNrKasy"), DOBRZE, r.nazwa + ZRODLO}));
  SprawdzLog(w);
  // The write has no second answer: the driver may end before the register
  // has taken the parameters in, so the test waits for them in the wire log.
  const auto termin = std::chrono::steady_clock::now() + 2s;
  while (sim.Dziennik().find("30 37  |07|  parameters") == std::string::npos &&
         std::chrono::steady_clock::now() < termin)
    std::this_thread::sleep_for(10ms);
  sim.Zatrzymaj();
  EXPECT_NE(sim.Stan().find("$numer\t07"), std::string::npos) << sim.Stan();
  EXPECT_EQ(IleRazy(sim.Dziennik(), 0x43), 1);
}

INSTANTIATE_TEST_SUITE_P(Rodziny, KazdaKasa, ::testing::ValuesIn(RODZINY), [](const auto& info) {
  std::string n = info.param.plik;
  n = n.substr(0, n.find('.'));
  for (char& c : n)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return n;
});

TEST(NowyNumer, OutsideOneToNinetyNineIsRefusedWithoutARequest) {
  for (const char* numer : {"0", "100"}) {
    SCOPED_TRACE(numer);
    Stanowisko env;
    Symulator sim(env.Katalog(), {.urzadzenia = {"typ-0x24.txt"}});
    ASSERT_TRUE(sim.Gotowy());
    env.PolaczZSymulatorem(sim, 3);
    env.Plik("WE.TXT", Srodowisko::Wejscie(3, {numer}));
    const WynikKarvo w = env.Karvo(114, "WE.TXT");
    EXPECT_EQ(BezCzasu(w.raport), Linie({Naglowek0(3, "COM1:9600:MUX0:1", "ZNrKasy"),
                                         Opis(19, "wartosc spoza dopuszczalnego zakresu"),
                                         std::string("Karvo 4000 PLU I gen. ver. 05") + ZRODLO}));
    SprawdzLog(w);
    sim.Zatrzymaj();
    EXPECT_EQ(IleRazy(sim.Dziennik(), 0x43), 0);
    EXPECT_NE(sim.Stan().find("$numer\t03"), std::string::npos);
  }
}

TEST(NowyNumer, AnInputWithoutDataLinesGives10) {
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"typ-0x24.txt"}});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 3);
  env.Plik("WE.TXT", Srodowisko::Wejscie(3) + ";only a comment\r\n");
  const WynikKarvo w = env.Karvo(114, "WE.TXT");
  EXPECT_EQ(BezCzasu(w.raport), Linie({Naglowek0(3, "COM1:9600:MUX0:1", "ZNrKasy"),
                                       Opis(10, "brak wymaganej linii w pliku wejsciowym", "WE.TXT"),
                                       std::string("Karvo 4000 PLU I gen. ver. 05") + ZRODLO}));
}

// A number answer that did not pass writes no line: one that is no number,
// and one followed by a byte no answer has, both end with 23.
TEST(NumerKasy, ANumberAnswerThatDidNotPassWritesNoLine) {
  const struct {
    const char* usterka;
    const char* opis;
  } przypadki[] = {
      {"0xC0:raw=0x06,0x06,0x06", "acknowledgements where the digits belong"},
      {"0xC0:raw=0x06,0x30,0x37,0x06", "a byte after the digits"},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.opis);
    Stanowisko env;
    Symulator sim(env.Katalog(), {.urzadzenia = {"vin-t.txt"}, .usterki = {p.usterka}});
    ASSERT_TRUE(sim.Gotowy());
    env.PolaczZSymulatorem(sim, 7);
    env.Plik("WE.TXT", Srodowisko::Wejscie(7));
    const WynikKarvo w = env.Karvo(113, "WE.TXT", "WY.TXT");
    ASSERT_FALSE(w.przekroczonyCzas);
    EXPECT_NE(w.raport.find("\r\n#" + Opis(23, "nieoczekiwana odpowiedz kasy") + "\r\n"), std::string::npos)
        << w.raport;
    EXPECT_EQ(w.wyjscie.find("\r\n$"), std::string::npos) << w.wyjscie;
    EXPECT_TRUE(w.wyjscie.ends_with(")\r\n")) << w.wyjscie;
  }
}

// ---- the link modes ----

std::string StanZAdresem(const KatalogTymczasowy& k, const char* plik, int adres, int numer) {
  std::string tresc = CzytajPlik(Urzadzenie(plik));
  const auto p = tresc.find("$numer\t");
  tresc.replace(p, 9, "$numer\t" + DwieCyfry(numer));
  const std::string sciezka = k / (std::to_string(adres) + "-" + plik);
  ZapiszPlik(sciezka, tresc + "$adres\t" + std::to_string(adres) + "\r\n");
  return sciezka;
}

TEST(Lacza, DirectLineOverRfc2217) {
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"vin-t.txt"}, .lacze = Lacze::Rfc2217});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 7, "COM2:19200:MUX0:1");
  env.Plik("WE.TXT", Srodowisko::Wejscie(7));
  const WynikKarvo w = env.Karvo(113, "WE.TXT", "WY.TXT");
  EXPECT_EQ(BezCzasu(w.raport), Linie({Naglowek0(7, "COM2:19200:MUX0:1", "ONrKasy", "WY.TXT"), DOBRZE,
                                       std::string("Vin 20000 PLU II gen. ver. 02") + ZRODLO}));
  SprawdzLog(w);
  sim.Zatrzymaj();
  EXPECT_NE(sim.Dziennik().find("speed 19200"), std::string::npos);
}

TEST(Lacza, LineSwitchSelectsTheChannelByDtrAndRts) {
  Stanowisko env;
  std::vector<std::string> stany;
  for (int adres = 1; adres <= 4; ++adres) stany.push_back(StanZAdresem(env.Katalog(), "vin-t.txt", adres, 20 + adres));
  Symulator sim(env.Katalog(), {.urzadzenia = stany, .lacze = Lacze::Rfc2217, .dodatkowe = {"--mux", "1"}});
  ASSERT_TRUE(sim.Gotowy());
  // Channel 2 raises both lines; channel 3 would be the lines' rest state.
  env.PolaczZSymulatorem(sim, 22, "COM1:9600:MUX1:2");
  env.Plik("WE.TXT", Srodowisko::Wejscie(22));
  const WynikKarvo w = env.Karvo(113, "WE.TXT", "WY.TXT");
  EXPECT_NE(w.raport.find("\r\n#" + DOBRZE + "\r\n"), std::string::npos) << w.raport;
  EXPECT_NE(w.wyjscie.find("\r\n$22\r\n"), std::string::npos) << w.wyjscie;
  sim.Zatrzymaj();
  EXPECT_NE(sim.Dziennik().find("switch to channel 2"), std::string::npos) << sim.Dziennik();
}

TEST(Lacza, MultiplexerSelectsTheRegister) {
  for (const char* tryb : {"3", "4"}) {
    SCOPED_TRACE(tryb);
    Stanowisko env;
    const std::vector<std::string> stany = {StanZAdresem(env.Katalog(), "typ-27.txt", 1, 31),
                                            StanZAdresem(env.Katalog(), "vin-t.txt", 2, 32)};
    Symulator sim(env.Katalog(), {.urzadzenia = stany, .lacze = Lacze::Rfc2217, .dodatkowe = {"--mux", tryb}});
    ASSERT_TRUE(sim.Gotowy());
    const std::string lacze = std::string("COM1:19200:MUX") + tryb + ":2";
    env.PolaczZSymulatorem(sim, 32, lacze);
    env.Plik("WE.TXT", Srodowisko::Wejscie(32));
    const WynikKarvo w = env.Karvo(113, "WE.TXT", "WY.TXT");
    EXPECT_EQ(BezCzasu(w.raport), Linie({Naglowek0(32, lacze, "ONrKasy", "WY.TXT"), DOBRZE,
                                         std::string("Vin 20000 PLU II gen. ver. 02") + ZRODLO}));
    EXPECT_NE(w.wyjscie.find("\r\n$32\r\n"), std::string::npos) << w.wyjscie;
    sim.Zatrzymaj();
    const std::string d = sim.Dziennik();
    const std::string wybor = tryb[0] == '3' ? "1B 01 02" : "FE 02";
    const auto p = d.find(wybor);
    EXPECT_NE(p, std::string::npos) << d;
    if (tryb[0] == '3') {
      // The multiplexer listens at 9600; the register at the configured speed.
      const auto wolno = d.rfind("speed 9600", p);
      EXPECT_NE(wolno, std::string::npos) << d;
      EXPECT_NE(d.find("speed 19200", p), std::string::npos) << d;
    }
  }
}

// The modem-frame kinds before a communication module answers: the frames
// go out over the serial line at 19200 only with carrier, and a TCP link to
// nobody fails at once.
TEST(Lacza, ModemLineWithoutCarrierSendsNothing) {
  const struct { const char* stanModemu; std::string wynik; } przypadki[] = {
      {"0x30", Opis(30, "brak nosnej na linii modemowej")},
      {"0xB0", Opis(33, "brak odpowiedzi modulu komunikacyjnego")},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.stanModemu);
    Stanowisko env;
    Symulator sim(env.Katalog(), {.urzadzenia = {"typ-0x24.txt"},
                                  .lacze = Lacze::Rfc2217,
                                  .dodatkowe = {"--modem-status", p.stanModemu}});
    ASSERT_TRUE(sim.Gotowy());
    const std::string modem = "T:HASLO123:0:1:2";
    env.Konfig("$3\tCOM1:9600:MUX2:1\t1\tModem\t" + modem + "\r\n");
    env.Porty("COM1\t" + sim.Cel() + "\n");
    env.Plik("WE.TXT", Srodowisko::Wejscie(3));
    const WynikKarvo w = env.Karvo(113, "WE.TXT", "WY.TXT", 30s);
    ASSERT_FALSE(w.przekroczonyCzas);
    EXPECT_EQ(BezCzasu(w.raport), Linie({Naglowek0(3, "COM1:9600:MUX2:1", "ONrKasy", "WY.TXT"), p.wynik,
                                         "Modem (identyfikator z pliku KONFIG.TXT)\t" + modem}));
    SprawdzLog(w);
    sim.Zatrzymaj();
    const std::string d = sim.Dziennik();
    EXPECT_NE(d.find("speed 19200"), std::string::npos) << d;
    EXPECT_EQ(IleRazy(d, 0xFE), 0) << d;
  }
}

// ---- failure paths ----

struct Awaria {
  const char* nazwa;
  std::vector<std::string> usterki;
  std::string wynik;          // the second report line
  std::string trzeciaLinia;   // the third report line
  std::vector<std::pair<uint8_t, int>> rozkazy;  // request code and how often it was sent
};

void PrintTo(const Awaria& a, std::ostream* os) { *os << a.nazwa; }

class Awarie : public ::testing::TestWithParam<Awaria> {};

TEST_P(Awarie, EndWithTheirResultCodeAndReport) {
  const Awaria& a = GetParam();
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"typ-0x24.txt"}, .usterki = a.usterki});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 3);
  env.Plik("WE.TXT", Srodowisko::Wejscie(3, {"7"}));
  const WynikKarvo w = env.Karvo(114, "WE.TXT", "", 60s);
  ASSERT_FALSE(w.przekroczonyCzas);
  EXPECT_EQ(BezCzasu(w.raport), Linie({Naglowek0(3, "COM1:9600:MUX0:1", "ZNrKasy"), a.wynik, a.trzeciaLinia}));
  SprawdzLog(w);
  sim.Zatrzymaj();
  for (const auto& [kod, ile] : a.rozkazy) EXPECT_EQ(IleRazy(sim.Dziennik(), kod), ile) << std::hex << int(kod);
}

const std::string NAZWA_0X24 = std::string("Karvo 4000 PLU I gen. ver. 05") + ZRODLO;

INSTANTIATE_TEST_SUITE_P(
    Sesja, Awarie,
    ::testing::Values(
        Awaria{"SilentRegisterIsAskedTwice", {"*:silent"}, Opis(21, "brak odpowiedzi kasy"), Z_KONFIGU, {{0xFE, 2}}},
        Awaria{"LaterRequestsOfTheOpeningFourTimes",
               {"0x71:silent"},
               Opis(21, "brak odpowiedzi kasy"),
               Z_KONFIGU,
               {{0xFE, 1}, {0x71, 4}}},
        Awaria{"AfterTheOpeningOnce", {"0x43:silent"}, Opis(21, "brak odpowiedzi kasy"), NAZWA_0X24, {{0x43, 1}}},
        Awaria{"RefusedTypeRequestFallsBack", {"0xFE:refuse"}, DOBRZE, NAZWA_0X24, {{0xFE, 1}, {0xFF, 1}, {0x5B, 1}}},
        Awaria{"Status13Gives46",
               {"0xE6:status=0x13"},
               Opis(46, "kasa zglosila blad wykonania rozkazu"),
               Z_KONFIGU,
               {{0xE6, 1}}},
        Awaria{"Status7AGives222", {"0xE6:status=0x7A,1,2"}, Opis(222, "kasa zglosila blad z dodatkowymi danymi"),
               Z_KONFIGU, {{0xE6, 1}}},
        Awaria{"RefusedWrite", {"0x43:refuse"}, Opis(24, "kasa odrzucila rozkaz"), NAZWA_0X24, {{0x43, 1}}}),
    [](const auto& info) { return std::string(info.param.nazwa); });

TEST(Konfiguracja, FailuresBeforeTheLinkOpens) {
  const struct { const char* nazwa; const char* konfig; std::string wynik; } przypadki[] = {
      {"missing", nullptr, Opis(7, "nie mozna otworzyc pliku konfiguracji", "KONFIG.TXT")},
      {"no line", "$1\tCOM1:9600:MUX0:1\t1\r\n;comment\r\n$2\tCOM1:9600:MUX0:1\t1\r\n",
       Opis(14, "brak kasy o podanym numerze w pliku konfiguracji", "KONFIG.TXT")},
      {"invalid", "$3\tCOM1:9600:MUX0:2\t1\r\n", Opis(16, "bledna linia w pliku konfiguracji", "KONFIG.TXT")},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.nazwa);
    Stanowisko env;
    if (p.konfig) env.Konfig(p.konfig);
    env.Plik("WE.TXT", Srodowisko::Wejscie(3));
    const WynikKarvo w = env.Karvo(113, "WE.TXT", "WY.TXT");
    EXPECT_EQ(w.raport, Linie({"", p.wynik, ""}));
    SprawdzLog(w);
  }
}

// A line of the register whose fields no longer make its name is no valid
// entry: it is passed over, and the register is identified again and appended.
TEST(Bufor, AMismatchingLineIsPassedOver) {
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"typ-0x24.txt"}});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 3);
  const std::string stara = "$KARVO36 V05\t03\t36\tKarvo\t4000\tI\t05\tKarvo 4000 PLU I gen. ver. 06\r\n";
  env.Plik("ECRTBUF.TXT", stara);
  env.Plik("WE.TXT", Srodowisko::Wejscie(3));
  const WynikKarvo w = env.Karvo(113, "WE.TXT", "WY.TXT");
  const std::string l0 = Naglowek0(3, "COM1:9600:MUX0:1", "ONrKasy", "WY.TXT");
  EXPECT_EQ(BezCzasu(w.raport), Linie({l0, DOBRZE, "Karvo 4000 PLU I gen. ver. 05" + ZRODLO}));
  EXPECT_EQ(CzytajPlik(env.Sciezka("ECRTBUF.TXT")),
            stara + "$KARVO36 V05\t03\t36\tKarvo\t4000\tI\t05\tKarvo 4000 PLU I gen. ver. 05\r\n");
  SprawdzLog(w);
}

TEST(Bufor, TheFirstRunAppendsTheRegisterAndTheSecondFindsIt) {
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"typ-0x24.txt"}});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 3);
  env.Plik("WE.TXT", Srodowisko::Wejscie(3));
  env.Karvo(113, "WE.TXT", "WY.TXT");
  EXPECT_EQ(CzytajPlik(env.Sciezka("ECRTBUF.TXT")),
            "$KARVO36 V05\t03\t36\tKarvo\t4000\tI\t05\tKarvo 4000 PLU I gen. ver. 05\r\n");
  const WynikKarvo w = env.Karvo(113, "WE.TXT", "WY.TXT");
  EXPECT_NE(w.raport.find("\r\n#Karvo 4000 PLU I gen. ver. 05 (identyfikator odczytany z urzadzenia i pliku "
                          "ECRTBUF.TXT)\r\n"),
            std::string::npos)
      << w.raport;
  sim.Zatrzymaj();
  EXPECT_GT(IleRazy(sim.Dziennik(), 0xE6), 1);  // probes in the first run only
  EXPECT_EQ(CzytajPlik(env.Sciezka("ECRTBUF.TXT")),
            "$KARVO36 V05\t03\t36\tKarvo\t4000\tI\t05\tKarvo 4000 PLU I gen. ver. 05\r\n");
}

#ifdef KARVO_SERVER_BINARY
// A driver that starts suspended waits before its first request; BREAK ends it.
TEST(Serwer, BreakBeforeTheFirstRequestGives56) {
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"typ-0x24.txt"}});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 3);
  const std::string numer = "4711", id = "42";
  env.Plik("SRV.TXT", "$13:10\r\n$KONFIG.TXT\r\n$RAPORT.TXT\r\n$KOMENT.TXT\r\n$MODKONF.TXT\r\n$ECRTBUF.TXT\r\n$" + numer +
                          ":" + id + "\r\n$0\r\n$1\r\n$1\r\n$0\r\n$0\r\n$0\r\n");
  env.Plik("WE.TXT", Srodowisko::Wejscie(3, {"7"}));
  std::thread serwer([&] {
    const auto koniec = std::chrono::steady_clock::now() + 15s;
    std::string konsola;
    while (std::chrono::steady_clock::now() < koniec &&
           Uruchom({KARVO_SERVER_BINARY, "send", numer, id, "b"}, env.Katalog().Sciezka(),
                   {"KARVO_PLATFORM_DIR=" + env.Katalog().Sciezka()}, 5s, konsola) != 0)
      std::this_thread::sleep_for(100ms);
  });
  const WynikKarvo w = env.Karvo(114, "WE.TXT;SRV.TXT", "", 30s);
  serwer.join();
  EXPECT_EQ(BezCzasu(w.raport), Linie({Naglowek0(3, "COM1:9600:MUX0:1", "ZNrKasy"),
                                       Opis(56, "rozkaz przerwany przez serwer"), Z_KONFIGU}));
  SprawdzLog(w);
  sim.Zatrzymaj();
  EXPECT_EQ(IleRazy(sim.Dziennik(), 0xFE), 0);
}
#endif

}  // namespace

namespace {

TEST(Archiwum, TwoRunsOnOneInputFileLeaveTwoBlocks) {
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"typ-0x24.txt"}});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 3);
  std::filesystem::create_directory(env.Sciezka("$$$"));
  env.Plik("WE.TXT", Srodowisko::Wejscie(3));
  for (int i = 0; i < 2; ++i) EXPECT_NE(env.Karvo(113, "WE.TXT", "WY.TXT").raport.find("\r\n#" + DOBRZE), std::string::npos);
  for (const char* rodzaj : {"IN", "OUT", "RAP", "KON"}) {
    SCOPED_TRACE(rodzaj);
    const std::string archiwum = CzytajPlik(env.Sciezka(std::string("$$$/WE.") + rodzaj));
    const std::regex blok(";\\*\\*\\* \\d{4}\\.\\d{2}\\.\\d{2} \\d{2}:\\d{2} ONrKasy \\*\\*\\* \r\n");
    EXPECT_EQ(std::distance(std::sregex_iterator(archiwum.begin(), archiwum.end(), blok), std::sregex_iterator()), 2)
        << archiwum;
  }
  const std::string wejscie = CzytajPlik(env.Sciezka("$$$/WE.IN"));
  EXPECT_NE(wejscie.find("\r\n#3\r\n#\r\n#\r\n;***"), std::string::npos) << wejscie;
}

}  // namespace
