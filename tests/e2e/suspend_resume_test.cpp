// A readout suspended by the Server and resumed, on every line mode: the
// driver closes its line at SUSPEND, opens it again at RESUME (selecting the
// register's channel anew where a switch or a multiplexer stands between)
// and goes on with the very request it was about to send. The output file
// and the report are byte for byte those of a run that was never suspended.
#include <gtest/gtest.h>

#include <cctype>
#include <thread>

#include "harness.h"

#ifdef KARVO_SERVER_BINARY

namespace {

using namespace e2e;
using namespace std::chrono_literals;

constexpr int NUMER = 5;  // the goods register's number (towary-s.txt)
const std::string NUMER_KOMUNIKATU = "4711", ID = "42";

// A ready-made register with its number and its address on a shared line.
std::string StanNaAdresie(const Srodowisko& env, const char* plik, int adres, int numer) {
  std::string tresc = CzytajPlik(Urzadzenie(plik));
  const auto p = tresc.find("$numer\t");
  tresc.replace(p, 9, "$numer\t" + DwieCyfry(numer));
  const std::string sciezka = env.Sciezka(std::to_string(adres) + "-" + plik);
  ZapiszPlik(sciezka, tresc + "$adres\t" + std::to_string(adres) + "\r\n");
  return sciezka;
}

struct TrybLinii {
  const char* nazwa;
  Lacze lacze;
  const char* mux;    // --mux of the simulator, "" for none
  const char* opis;   // KONFIG.TXT field 2; "" for a communication module
};

void PrintTo(const TrybLinii& t, std::ostream* os) { *os << t.nazwa; }

// The goods register on channel 2 beside another register on channel 1
// wherever the line can carry two.
const TrybLinii TRYBY[] = {
    {"MUX0_pty", Lacze::Pty, "", "COM1:9600:MUX0:1"},
    {"MUX1_switch", Lacze::Rfc2217, "1", "COM1:9600:MUX1:2"},
    {"MUX2_module_behind_rfc2217", Lacze::ModulRfc2217, "", ""},
    {"MUX3_multiplexer_by_request", Lacze::Rfc2217, "3", "COM1:19200:MUX3:2"},
    {"MUX4_multiplexer_by_bytes", Lacze::Rfc2217, "4", "COM1:19200:MUX4:2"},
    {"MUX5_module_over_tcp", Lacze::ModulTcp, "", ""},
};

// The readout: four goods, one request each. The first run asks for them
// undisturbed; in the second the second goods request is held, and SUSPEND
// and RESUME arrive while the driver waits for its answer.
const std::vector<std::string> GOODS = {"1", "3", "7", "12"};
constexpr uint8_t ODCZYT_TOWARU = 0xAC;
const std::string HOLD = "0xAC,n=6:late=600";

struct Stoisko {
  explicit Stoisko(const TrybLinii& t) : sim(env.Katalog(), Opcje(t)) {
    if (!sim.Gotowy()) return;
    if (t.opis[0]) env.PolaczZSymulatorem(sim, NUMER, t.opis);
    else opis = env.PolaczZModulem(sim, NUMER);
    if (t.opis[0]) opis = t.opis;
    env.Plik("WE.TXT", Srodowisko::Wejscie(NUMER, GOODS));
    env.Plik("SRV.TXT", "$13:10\r\n$KONFIG.TXT\r\n$RAPORT.TXT\r\n$KOMENT.TXT\r\n$MODKONF.TXT\r\n$ECRTBUF.TXT\r\n$" +
                            NUMER_KOMUNIKATU + ":" + ID + "\r\n$0\r\n$0\r\n$0\r\n$0\r\n$0\r\n$0\r\n");
  }

  OpcjeSymulatora Opcje(const TrybLinii& t) {
    OpcjeSymulatora o{.lacze = t.lacze, .usterki = {HOLD}};
    if (t.mux[0]) {
      o.urzadzenia = {StanNaAdresie(env, "typ-27.txt", 1, 31), StanNaAdresie(env, "towary-s.txt", 2, NUMER)};
      o.dodatkowe = {"--mux", t.mux};
    } else {
      o.urzadzenia = {"towary-s.txt"};
    }
    return o;
  }

  // One command of the Server to this driver; true when the driver's endpoint took it.
  bool Rozkaz(const char* litera) const {
    std::string konsola;
    return Uruchom({KARVO_SERVER_BINARY, "send", NUMER_KOMUNIKATU, ID, litera}, env.Katalog().Sciezka(),
                   {"KARVO_PLATFORM_DIR=" + env.Katalog().Sciezka()}, 5s, konsola) == 0;
  }

  Stanowisko env;
  Symulator sim;
  std::string opis;
};

// What karvo-server listen prints, once it has heard `ile` messages (at most 20 s).
class Sluchacz {
 public:
  Sluchacz(const Srodowisko& env, int ile) : gotowy_(env.Sciezka("listen.ready")) {
    watek_ = std::thread([this, &env, ile] {
      const std::string polecenie = std::string("exec '") + KARVO_SERVER_BINARY + "' listen " + NUMER_KOMUNIKATU +
                                    " -n " + std::to_string(ile) + " -t 20 2>'" + gotowy_ + "'";
      Uruchom({"/bin/sh", "-c", polecenie}, env.Katalog().Sciezka(), {"KARVO_PLATFORM_DIR=" + env.Katalog().Sciezka()},
              25s, komunikaty_);
    });
  }
  ~Sluchacz() {
    if (watek_.joinable()) watek_.join();
  }
  // Waits until it listens; false after 5 s.
  bool Gotowy() const {
    for (auto koniec = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < koniec;) {
      if (CzytajPlik(gotowy_).find("ready") != std::string::npos) return true;
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }
  std::string Komunikaty() {
    watek_.join();
    return komunikaty_;
  }

 private:
  std::string gotowy_, komunikaty_;
  std::thread watek_;
};

// The driver's messages among those on the bus: its letters are upper case.
std::string OdSterownika(const std::string& komunikaty) {
  std::string wynik;
  for (size_t p = 0, k; p < komunikaty.size(); p = k + 1) {
    k = komunikaty.find('\n', p);
    if (k == std::string::npos) k = komunikaty.size();
    const std::string linia = komunikaty.substr(p, k - p);
    if (linia.size() > ID.size() + 1 && std::isupper(static_cast<unsigned char>(linia[ID.size() + 1])))
      wynik += linia + "\n";
  }
  return wynik;
}

int IleRazyTekst(const std::string& tekst, const std::string& szukany) {
  int n = 0;
  for (size_t p = tekst.find(szukany); p != std::string::npos; p = tekst.find(szukany, p + 1)) ++n;
  return n;
}

class KazdyTryb : public ::testing::TestWithParam<TrybLinii> {};

TEST_P(KazdyTryb, ASuspendedReadoutResumesWithTheRequestItWasAboutToSend) {
  const TrybLinii& t = GetParam();
  Stoisko s(t);
  ASSERT_TRUE(s.sim.Gotowy());

  // The run that nobody suspends, for comparison (ECRTBUF.TXT removed after
  // it, so that both runs identify the register the same way).
  const WynikKarvo wzor = s.env.Karvo(22, "WE.TXT", "WY.TXT", 30s);
  ASSERT_FALSE(wzor.przekroczonyCzas);
  ASSERT_NE(wzor.raport.find("\r\n#" + DOBRZE + "\r\n"), std::string::npos) << wzor.raport;
  ASSERT_EQ(LinieDanych(wzor.wyjscie).size(), GOODS.size()) << wzor.wyjscie;
  std::remove(s.env.Sciezka("ECRTBUF.TXT").c_str());
  const int zapytania = IleRazy(s.sim.Dziennik(), ODCZYT_TOWARU);
  ASSERT_EQ(zapytania, 4);

  Sluchacz serwer(s.env, 5);  // AVAILABLE; s and r, which it hears too; SUSPEND and RESUME
  ASSERT_TRUE(serwer.Gotowy());
  KarvoWTle karvo(s.env, 22, "WE.TXT;WY.TXT;SRV.TXT", "WY.TXT");
  ASSERT_TRUE(CzekajNaRozkaz(s.sim, ODCZYT_TOWARU, zapytania + 2));
  // Both commands wait in the driver's queue until the held answer is in.
  EXPECT_TRUE(s.Rozkaz("s"));
  EXPECT_TRUE(s.Rozkaz("r"));
  const WynikKarvo w = karvo.Koniec(30s);
  ASSERT_FALSE(w.przekroczonyCzas);

  EXPECT_EQ(BezCzasu(w.wyjscie), BezCzasu(wzor.wyjscie));
  EXPECT_EQ(BezCzasu(w.raport), BezCzasu(wzor.raport));
  EXPECT_EQ(OdSterownika(serwer.Komunikaty()), ID + " A 0\n" + ID + " S 0\n" + ID + " R 0\n");
  s.sim.Zatrzymaj();
  // The four goods were asked for once each in the suspended run.
  const std::string d = s.sim.Dziennik();
  EXPECT_EQ(IleRazy(d, ODCZYT_TOWARU), 2 * zapytania);
  // A multiplexer got the channel when each line opened: once in the first
  // run, twice in the suspended one.
  if (t.mux[0] == '3' || t.mux[0] == '4') {
    EXPECT_EQ(IleRazyTekst(d, "select register 2"), 3) << d;
  }
}

INSTANTIATE_TEST_SUITE_P(Wstrzymanie, KazdyTryb, ::testing::ValuesIn(TRYBY),
                         [](const auto& info) { return std::string(info.param.nazwa); });

}  // namespace

#endif
