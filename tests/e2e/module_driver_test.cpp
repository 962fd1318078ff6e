// The real driver over the modem-frame mode: mode 5 (TCP to the communication
// module) and mode 2 (the module behind a serial line with carrier), with
// every answer of the module the driver handles.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <tuple>
#include <vector>

#include "harness.h"
#include "register_client.h"

using namespace e2e;
using namespace std::chrono_literals;

namespace {

std::string NazwaLacza(Lacze l) { return l == Lacze::ModulTcp ? "Tcp" : "Rfc2217"; }

// How many frames of a kind the module received ("control frame 6", "request frame").
int IleRamek(const std::string& dziennik, const std::string& rodzaj) {
  int n = 0;
  for (size_t p = dziennik.find("driver -> module"); p != std::string::npos; p = dziennik.find("driver -> module", p + 1)) {
    const size_t koniec = dziennik.find('\n', p);
    if (dziennik.substr(p, koniec - p).find(rodzaj) != std::string::npos) ++n;
  }
  return n;
}

// ---- every ready-made register behind the module ----

class ZaModulem : public ::testing::TestWithParam<std::tuple<Rodzina, Lacze>> {};

TEST_P(ZaModulem, ReadsItsNumber) {
  const auto& [r, lacze] = GetParam();
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {r.plik}, .lacze = lacze});
  ASSERT_TRUE(sim.Gotowy());
  const std::string opis = env.PolaczZModulem(sim, r.numer);
  env.Plik("WE.TXT", Srodowisko::Wejscie(r.numer));
  const WynikKarvo w = env.Karvo(113, "WE.TXT", "WY.TXT");
  ASSERT_FALSE(w.przekroczonyCzas);
  const std::string l0 = Naglowek0(r.numer, opis, "ONrKasy", "WY.TXT");
  const std::string l2 = r.nazwa + ZRODLO + "\t" + env.Pole5();
  EXPECT_EQ(BezCzasu(w.raport), Linie({l0, DOBRZE, l2}));
  EXPECT_EQ(BezCzasu(w.wyjscie), Linie({l0, "", l2}) + "$" + DwieCyfry(r.numer) + "\r\n");
  SprawdzLog(w);
  sim.Zatrzymaj();
  EXPECT_EQ(IleRamek(sim.Dziennik(), "control frame"), 0) << sim.Dziennik();
}

TEST_P(ZaModulem, TakesANewNumber) {
  const auto& [r, lacze] = GetParam();
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {r.plik}, .lacze = lacze});
  ASSERT_TRUE(sim.Gotowy());
  const std::string opis = env.PolaczZModulem(sim, r.numer);
  env.Plik("WE.TXT", Srodowisko::Wejscie(r.numer, {"7"}));
  const WynikKarvo w = env.Karvo(114, "WE.TXT");
  ASSERT_FALSE(w.przekroczonyCzas);
  EXPECT_EQ(BezCzasu(w.raport),
            Linie({Naglowek0(r.numer, opis, "ZNrKasy"), DOBRZE, r.nazwa + ZRODLO + "\t" + env.Pole5()}));
  SprawdzLog(w);
  sim.Zatrzymaj();
  EXPECT_NE(sim.Stan().find("$numer\t07"), std::string::npos) << sim.Stan();
  EXPECT_EQ(IleRazy(sim.Dziennik(), 0x43), 1);
  // The request frame of _ZNrKasy: an acknowledgement, then the two parameter bytes "07"
  // (bit 0x10 of the control byte: both there).
  EXPECT_NE(sim.Dziennik().find("request frame 0x30, register 1 not at 19200: code 0x43, first answer 1, second answer 0, records 0, 2 parameters 30 37"),
            std::string::npos)
      << sim.Dziennik();
}

INSTANTIATE_TEST_SUITE_P(Rodziny, ZaModulem,
                         ::testing::Combine(::testing::ValuesIn(RODZINY),
                                            ::testing::Values(Lacze::ModulTcp, Lacze::ModulRfc2217)),
                         [](const auto& info) {
                           std::string n = std::get<0>(info.param).plik;
                           n = n.substr(0, n.find('.'));
                           for (char& c : n)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n + "_" + NazwaLacza(std::get<1>(info.param));
                         });

// ---- the line of mode 2 ----

TEST(LiniaModemowa, OpensAt19200AndTellsTheRegisterSpeed) {
  for (uint32_t predkosc : {9600u, 19200u}) {
    SCOPED_TRACE(predkosc);
    Stanowisko env;
    Symulator sim(env.Katalog(), {.urzadzenia = {"vin-t.txt"}, .lacze = Lacze::ModulRfc2217});
    ASSERT_TRUE(sim.Gotowy());
    env.PolaczZModulem(sim, 7, {.predkosc = predkosc});
    env.Plik("WE.TXT", Srodowisko::Wejscie(7));
    const WynikKarvo w = env.Karvo(113, "WE.TXT", "WY.TXT");
    EXPECT_NE(w.raport.find("\r\n#" + DOBRZE + "\r\n"), std::string::npos) << w.raport;
    sim.Zatrzymaj();
    const std::string d = sim.Dziennik();
    EXPECT_NE(d.find("module   speed 19200 bit/s"), std::string::npos) << d;
    // Bit 3 of every frame's control byte: the register's own line runs at 19200.
    const std::string bit = predkosc == 19200 ? "register 1 at 19200" : "register 1 not at 19200";
    EXPECT_EQ(IleRamek(d, "request frame"), IleRamek(d, "request frame 0x2" + std::string(predkosc == 19200 ? "8" : "0")));
    EXPECT_NE(d.find(bit), std::string::npos) << d;
  }
}

TEST(LiniaModemowa, WithoutCarrierGives30AndSendsNothing) {
  Stanowisko env;
  Symulator sim(env.Katalog(),
                {.urzadzenia = {"typ-0x24.txt"}, .lacze = Lacze::ModulRfc2217, .dodatkowe = {"--carrier", "off"}});
  ASSERT_TRUE(sim.Gotowy());
  const std::string opis = env.PolaczZModulem(sim, 3);
  env.Plik("WE.TXT", Srodowisko::Wejscie(3));
  const WynikKarvo w = env.Karvo(113, "WE.TXT", "WY.TXT");
  EXPECT_EQ(BezCzasu(w.raport), Linie({Naglowek0(3, opis, "ONrKasy", "WY.TXT"), Opis(30, "brak nosnej na linii modemowej"),
                                       "Modem (identyfikator z pliku KONFIG.TXT)\t" + env.Pole5()}));
  SprawdzLog(w);
  sim.Zatrzymaj();
  EXPECT_EQ(sim.Dziennik().find("driver -> module"), std::string::npos) << sim.Dziennik();
}

TEST(ModulTcp, ServesOneDriverAfterAnother) {
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"typ-27.txt"}, .lacze = Lacze::ModulTcp});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZModulem(sim, 2);
  env.Plik("WE.TXT", Srodowisko::Wejscie(2));
  for (int i = 0; i < 3; ++i)
    EXPECT_NE(env.Karvo(113, "WE.TXT", "WY.TXT").raport.find("\r\n#" + DOBRZE + "\r\n"), std::string::npos) << i;
}

TEST(ModulTcp, AnAddressWithoutARegisterGives21) {
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"typ-0x24.txt"}, .lacze = Lacze::ModulTcp});
  ASSERT_TRUE(sim.Gotowy());
  const std::string opis = env.PolaczZModulem(sim, 3, {.adres = 5});
  env.Plik("WE.TXT", Srodowisko::Wejscie(3));
  const WynikKarvo w = env.Karvo(113, "WE.TXT", "WY.TXT");
  EXPECT_EQ(BezCzasu(w.raport), Linie({Naglowek0(3, opis, "ONrKasy", "WY.TXT"), Opis(21, "brak odpowiedzi kasy"),
                                       "Modul (identyfikator z pliku KONFIG.TXT)\t" + env.Pole5()}));
  sim.Zatrzymaj();
  // The first request of the opening is tried twice, each time for register 5.
  EXPECT_EQ(IleRamek(sim.Dziennik(), "request frame 0x24, register 5"), 2) << sim.Dziennik();
}

// ---- the module's answers and the driver's recovery ----

struct Przypadek {
  const char* nazwa;
  std::vector<std::string> usterkiModulu;  // --module-fault each
  int kod;                                 // the ResultCode; 0: success
  std::string opis;                        // its description
  bool wOtwarciu = false;                  // the failure comes during the opening (no device name)
  std::vector<std::pair<std::string, int>> ramki = {};  // frames of a kind the module received
  std::vector<std::string> usterkiKasy = {};            // --fault each
  std::vector<std::string> stan = {};                   // lines added to the state file
  std::vector<std::string> wStanie = {};                // lines the state file holds afterwards
  std::vector<Lacze> lacza = {Lacze::ModulTcp, Lacze::ModulRfc2217};  // where the case holds
};

void PrintTo(const Przypadek& p, std::ostream* os) { *os << p.nazwa; }

class Odpowiedzi : public ::testing::TestWithParam<std::tuple<Przypadek, Lacze>> {};

const std::string NAZWA_0X24 = std::string("Karvo 4000 PLU I gen. ver. 05") + ZRODLO;

TEST_P(Odpowiedzi, EndWithTheirResultCodeAndReport) {
  const auto& [p, lacze] = GetParam();
  Stanowisko env;
  std::string stan = CzytajPlik(Urzadzenie("typ-0x24.txt"));
  for (const auto& l : p.stan) stan += "$" + l + "\r\n";
  env.Plik("typ-0x24.txt", stan);
  std::vector<std::string> dodatkowe;
  for (const auto& u : p.usterkiModulu) dodatkowe.insert(dodatkowe.end(), {"--module-fault", u});
  Symulator sim(env.Katalog(), {.urzadzenia = {env.Sciezka("typ-0x24.txt")},
                                .lacze = lacze,
                                .usterki = p.usterkiKasy,
                                .dodatkowe = dodatkowe});
  ASSERT_TRUE(sim.Gotowy());
  const std::string opis = env.PolaczZModulem(sim, 3);
  env.Plik("WE.TXT", Srodowisko::Wejscie(3, {"7"}));
  const WynikKarvo w = env.Karvo(114, "WE.TXT", "", 60s);
  ASSERT_FALSE(w.przekroczonyCzas);
  const std::string wynik = p.kod == 0 ? DOBRZE : Opis(p.kod, p.opis);
  const std::string trzecia =
      (p.wOtwarciu ? std::string(lacze == Lacze::ModulTcp ? "Modul" : "Modem") + " (identyfikator z pliku KONFIG.TXT)"
                   : NAZWA_0X24) +
      "\t" + env.Pole5();
  EXPECT_EQ(BezCzasu(w.raport), Linie({Naglowek0(3, opis, "ZNrKasy"), wynik, trzecia}));
  SprawdzLog(w);
  sim.Zatrzymaj();
  const std::string d = sim.Dziennik();
  for (const auto& [rodzaj, ile] : p.ramki) EXPECT_EQ(IleRamek(d, rodzaj), ile) << rodzaj << "\n" << d;
  for (const auto& l : p.wStanie) EXPECT_NE(sim.Stan().find("$" + l + "\r\n"), std::string::npos) << l << "\n" << sim.Stan();
  if (p.kod == 0) {
    EXPECT_NE(sim.Stan().find("$numer\t07"), std::string::npos) << sim.Stan();
  }
}

const std::string ZADANIE_0X43 = "request frame 0x30, register 1 not at 19200: code 0x43";

const Przypadek PRZYPADKI[] = {
    // A broken answer is asked for again (type 6); the repeat is good.
    {"CrcErrorThenRepeat", {"0x43:crc"}, 0, "", false, {{"control frame 6", 1}, {ZADANIE_0X43, 1}}},
    {"CrcErrorUpToTheRepeatLimit", {"0x43:crc", "ctl6:crc"}, 34, "blad sumy kontrolnej ramki", false,
     {{"control frame 6", 2}, {ZADANIE_0X43, 1}}},
    {"GarbageBeforeTheHeader", {"0x43:garbage=13"}, 0, "", false, {{"control frame", 0}}},
    // A time-out on the serial line is 33: with nothing received it ends at once,
    // after a part of a frame the answer is asked for again. Over TCP the socket's
    // own time-out, 64, ends the exchange.
    {"NoAnswerAtAll", {"0x43:silent"}, 33, "brak odpowiedzi modulu komunikacyjnego", false,
     {{"control frame", 0}, {ZADANIE_0X43, 1}}, {}, {}, {}, {Lacze::ModulRfc2217}},
    {"NoAnswerAtAllOverTcp", {"0x43:silent"}, 64, "przekroczony czas oczekiwania na dane z sieci", false,
     {{"control frame", 0}, {ZADANIE_0X43, 1}}, {}, {}, {}, {Lacze::ModulTcp}},
    {"AnswerCutShortThenRepeat", {"0x43:cut=9"}, 0, "", false, {{"control frame 6", 1}}, {}, {}, {},
     {Lacze::ModulRfc2217}},
    {"AnswerCutShortUpToTheRepeatLimit", {"0x43:cut=9", "ctl6:cut=9"}, 33, "brak odpowiedzi modulu komunikacyjnego",
     false, {{"control frame 6", 2}}, {}, {}, {}, {Lacze::ModulRfc2217}},
    {"AnswerCutShortOverTcp", {"0x43:cut=9"}, 64, "przekroczony czas oczekiwania na dane z sieci", false,
     {{"control frame", 0}}, {}, {}, {}, {Lacze::ModulTcp}},
    {"LateAnswerInTime", {"0x43:late=300"}, 0, "", false, {{"control frame", 0}}},
    // Low nibble 1: the whole request again, up to the repeat limit.
    {"RequestAgainOnce", {"0x43,n=1:control=1"}, 0, "", false, {{ZADANIE_0X43, 2}, {"control frame", 0}}},
    {"RequestAgainUpToTheLimit", {"0x43:control=1"}, 35, "modul komunikacyjny zada powtorzenia rozkazu", false,
     {{ZADANIE_0X43, 3}}},
    {"WrongFrameType", {"0x43:control=2"}, 36, "bledny rodzaj ramki", false, {{ZADANIE_0X43, 1}}},
    {"FrameError", {"0x43:control=3"}, 37, "modul komunikacyjny zglosil blad ramki"},
    {"RegisterError", {"0x43:control=4"}, 38, "modul komunikacyjny zglosil blad kasy"},
    {"SendError", {"0x43:control=5"}, 20, "blad wysylania danych do kasy"},
    {"RegisterSilent", {"0x43:control=6"}, 21, "brak odpowiedzi kasy"},
    {"Overflow", {"0x43:control=7"}, 42, "modul komunikacyjny zglosil przepelnienie"},
    {"EmptyAnswer", {"0x43:control=0"}, 45, "odpowiedz modulu komunikacyjnego jest za krotka"},
    {"UnknownControlByte", {"0x43:control=0x0C"}, 43, "nieznana odpowiedz modulu komunikacyjnego"},
    // The module wants its password; the driver logs in once with the configured one.
    {"LoginThenTheRequest", {"0x43,n=1:control=0x10"}, 0, "", false,
     {{"control frame 3 (password), register 1 not at 19200: 48 41 53 4C 4F 31 32 33 |HASLO123|", 1}, {ZADANIE_0X43, 2}},
     {}, {"modul_haslo\tHASLO123"}},
    {"LoginWithAWrongPassword", {"0x43,n=1:control=0x10"}, 39, "modul komunikacyjny wymaga podania hasla", false,
     {{"control frame 3", 1}, {ZADANIE_0X43, 1}}},
    {"FirstTimeOutWord", {"0x43,n=1:control=0x20"}, 0, "", false,
     {{"control frame 4 (first time-out word), register 1 not at 19200: 01 00", 1}, {ZADANIE_0X43, 2}}, {}, {},
     {"modul_czas1\t1"}},
    {"SecondTimeOutWord", {"0x43,n=1:control=0x40"}, 0, "", false,
     {{"control frame 5 (second time-out word), register 1 not at 19200: 01 00", 1}, {ZADANIE_0X43, 2}}, {}, {},
     {"modul_czas2\t1"}},
    {"TimeOutWordAskedTwice", {"0x43:control=0x20"}, 40, "modul komunikacyjny wymaga podania czasu oczekiwania", false,
     {{"control frame 4", 1}, {ZADANIE_0X43, 2}}},
    {"SecondTimeOutWordAskedTwice", {"0x43:control=0x40"}, 41,
     "modul komunikacyjny wymaga podania drugiego czasu oczekiwania", false, {{"control frame 5", 1}}},
    {"LoginAndTimeOutWord", {"0x43,n=1:control=0x30"}, 0, "", false,
     {{"control frame 3", 1}, {"control frame 4", 1}, {ZADANIE_0X43, 3}}, {}, {"modul_haslo\tHASLO123"}},
    // A two-part answer: the rest after a control frame 8.
    {"TwoPartAnswer", {"0xFE:split=2"}, 0, "", false, {{"control frame 8", 1}}},
    {"TwoPartIdentification", {"0x71:split=4"}, 0, "", false, {{"control frame 8", 1}}},
    {"SecondPartBroken", {"0xFE:split=2", "ctl8:crc", "ctl6:crc"}, 34, "blad sumy kontrolnej ramki", true,
     {{"control frame 8", 1}, {"control frame 6", 2}}},
    // During the opening the first request is tried twice, the further ones four times, on 21 only.
    {"SilentRegisterTwiceInTheOpening", {"0xFE,n=1:control=6"}, 0, "", false, {{"code 0xFE", 2}}},
    {"NoModuleInTheOpening", {"*:silent"}, 33, "brak odpowiedzi modulu komunikacyjnego", true, {{"code 0xFE", 1}}, {},
     {}, {}, {Lacze::ModulRfc2217}},
    {"NoModuleInTheOpeningOverTcp", {"*:silent"}, 64, "przekroczony czas oczekiwania na dane z sieci", true,
     {{"code 0xFE", 1}}, {}, {}, {}, {Lacze::ModulTcp}},
    // The register's own answers through the module.
    {"RegisterRefuses", {}, 24, "kasa odrzucila rozkaz", false, {}, {"0x43:refuse"}},
    {"RegisterDoesNotAnswer", {}, 21, "brak odpowiedzi kasy", false, {{ZADANIE_0X43, 1}}, {"0x43:silent"}},
    {"RegisterStatus13", {}, 46, "kasa zglosila blad wykonania rozkazu", true, {}, {"0xE6:status=0x13"}},
    {"RegisterLateButInTime", {}, 0, "", false, {}, {"0x43:late=300"}},
    {"RegisterTooLateOverTcp", {}, 64, "przekroczony czas oczekiwania na dane z sieci", false, {}, {"0x43:late=1500"},
     {}, {}, {Lacze::ModulTcp}},
    {"RegisterCutsItsAnswer", {}, 21, "brak odpowiedzi kasy", true, {{"code 0xFE", 2}}, {"0xFE:cut=2"}},
};

// Each case on every link it holds for.
std::vector<std::tuple<Przypadek, Lacze>> NaLaczach() {
  std::vector<std::tuple<Przypadek, Lacze>> wynik;
  for (const Przypadek& p : PRZYPADKI)
    for (Lacze l : p.lacza) wynik.emplace_back(p, l);
  return wynik;
}

INSTANTIATE_TEST_SUITE_P(Modul, Odpowiedzi, ::testing::ValuesIn(NaLaczach()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).nazwa) + "_" +
                                  NazwaLacza(std::get<1>(info.param));
                         });

// ---- the longest frame over a socket ----

// The frame as the driver builds it, written here once more: CRC-16/ARC, then
// groups of seven raw bytes behind the byte that carries their bit 7.
Bajty RamkaZadania(uint8_t bajtSterujacy, const Bajty& tresc) {
  Bajty surowe{0, bajtSterujacy};
  surowe.insert(surowe.end(), tresc.begin(), tresc.end());
  const size_t liczba = surowe.size() + 2;
  surowe[0] = static_cast<uint8_t>(liczba + (liczba + 6) / 7);
  uint16_t crc = 0;
  for (uint8_t b : surowe) {
    crc ^= b;
    for (int i = 0; i < 8; ++i) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
  }
  surowe.push_back(static_cast<uint8_t>(crc & 0xFF));
  surowe.push_back(static_cast<uint8_t>(crc >> 8));
  Bajty ramka{'K', 'A', 'R', 'V', 'O'};
  for (size_t i = 0; i < surowe.size(); ++i) {
    if (i % 7 == 0) ramka.push_back(0x80);
    ramka[ramka.size() - 1 - i % 7] |= static_cast<uint8_t>((surowe[i] & 0x80) >> (i % 7 + 1));
    ramka.push_back(surowe[i] | 0x80);
  }
  return ramka;
}

TEST(ModulTcp, TakesTheLongestRequestFrameWhole) {
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"typ-0x24.txt"}, .lacze = Lacze::ModulTcp});
  ASSERT_TRUE(sim.Gotowy());
  // 9 + 214 raw bytes: 223, whose coding takes the 255 bytes the length byte can describe.
  Bajty tresc{1, 0, 0, 0x1B, 0x43, '0', '9'};
  tresc.resize(5 + 214, ' ');
  const Bajty ramka = RamkaZadania(0x30, tresc);
  ASSERT_EQ(ramka.size(), 260u);
  ASSERT_EQ((ramka[6] & 0x7F) | ((ramka[5] & 0x40) << 1), 255);
  StrumienTcp klient;
  ASSERT_TRUE(klient.Otworz(sim.Host(), sim.Port()));
  ASSERT_TRUE(klient.Wyslij(ramka));
  // The answer: the header and 5 raw bytes (length, control 0, the acknowledgement, CRC) in 6.
  const Bajty odpowiedz = klient.CzytajDo(5 + 6, 1s);
  ASSERT_EQ(odpowiedz.size(), 11u);
  EXPECT_EQ(odpowiedz[6], 0x86);  // length 6
  EXPECT_EQ(Bajty(odpowiedz.begin(), odpowiedz.begin() + 5), (Bajty{'K', 'A', 'R', 'V', 'O'}));
  EXPECT_EQ(odpowiedz[7], 0x80);  // control byte 0
  EXPECT_EQ(odpowiedz[8], 0x86);  // the acknowledgement
  sim.Zatrzymaj();
  EXPECT_NE(sim.Dziennik().find("code 0x43, first answer 1, second answer 0, records 0, 214 parameters 30 39 20"),
            std::string::npos)
      << sim.Dziennik();
  EXPECT_NE(sim.Stan().find("$numer\t09"), std::string::npos) << sim.Stan();
}

}  // namespace
