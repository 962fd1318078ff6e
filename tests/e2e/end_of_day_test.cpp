// The end-of-day sequence _OSpOpMax from end to end: the readouts, the
// clearing and its repeats, the sorting or the marker file, the checks of its
// input line, and every inner command's failure ending the sequence before
// the register is cleared. Every file it leaves is compared byte for byte.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"
#include "register_on_line.h"

using namespace e2e;

namespace {

const std::string SPRZEDAZ =
    "$sprzedaz\t1\t12\t0\t4188\r\n$sprzedaz\t2\t1500\t3\t4335\r\n$sprzedaz\t40\t7\t0\t8393\r\n"
    "$opakowanie\t0\t900\t24\t0\t1200\r\n$opakowanie\t1\t901\t6\t0\t300\r\n$rabaty\t1250\t380\t7\r\n";
const std::vector<std::string> LINIE_SPRZEDAZY = {"0001\t12\t4188", "0002\t1.500\t4335", "0040\t7\t8393"};
const std::vector<std::string> LINIE_OPAKOWAN = {"0900\t24\t1200", "0901\t6\t300"};

// Every header line's date and time, as BezCzasu does for the first.
std::string BezCzasow(const std::string& tekst) {
  static const std::regex czas("(^|\n)([#;][^\t\r]*\t[^\t\r]*\t[^\t\r]*\t)\\d{4}\\.\\d{2}\\.\\d{2}\t\\d{2}:\\d{2}\t");
  return std::regex_replace(tekst, czas, "$1$2DATA\tCZAS\t");
}

std::string Dane(const std::vector<std::string>& linie) {
  std::string t;
  for (const auto& l : linie) t += "$" + l + "\r\n";
  return t;
}

// The lines of a block as _Sorter leaves them: header lines and data lines made comments.
std::string Komentarze(const std::string& blok, bool naglowki, bool dane) {
  std::string t = blok;
  for (size_t p = 0; p < t.size(); p = t.find("\r\n", p) + 2)
    if ((naglowki && t[p] == '#') || (dane && t[p] == '$')) t[p] = ';';
  return t;
}

// One register with the day's sales, behind a pty or the network module.
class Dzien : KasaNaLinii {
 public:
  Dzien(const Rodzina& r, std::vector<std::string> usterki = {}, e2e::Lacze rodzaj = e2e::Lacze::Pty)
      : KasaNaLinii(r, SPRZEDAZ, std::move(usterki), rodzaj) {}
  bool Gotowy() const { return sim->Gotowy(); }
  int Numer() const { return r.numer; }

  WynikKarvo Uruchom(const std::string& pola) {
    env.Plik("WE.TXT", Srodowisko::Wejscie(r.numer, {pola}));
    WynikKarvo w = env.Karvo(324, "WE.TXT");
    EXPECT_FALSE(w.przekroczonyCzas);
    return w;
  }
  std::string Plik(const std::string& nazwa) const { return CzytajPlik(env.Sciezka(nazwa)); }
  bool Istnieje(const std::string& nazwa) const { return std::filesystem::exists(env.Sciezka(nazwa)); }
  const Srodowisko& Env() const { return env; }
  int IleRazy(uint8_t kod) const { return e2e::IleRazy(sim->Dziennik(), kod); }
  const Symulator& Sim() const { return *sim; }
  std::string Stan() {
    sim->Zatrzymaj();
    return sim->Stan();
  }
  // The header an inner command writes: its own line 0, the register identified by the first session.
  std::string Naglowek(const std::string& funkcja, const std::string& wyjscie,
                       const std::string& zrodlo = ZRODLO) const {
    return Linie({Naglowek0(r.numer, lacze, funkcja, wyjscie), "", Identyfikacja(zrodlo)});
  }
};

const std::string POLA = "SPRZ.TXT\tSPAK.TXT\tOPAK.TXT\tRAB.TXT";

// The blocks of a log: the command each names in its first line and its ResultCode.
std::vector<std::string> BlokiLogu(const std::string& log) {
  static const std::regex blok("(?:^|-{80}\r\n)#[^\t]*\t[^\t]*\t[^\t]*\t[^\t]*\t[^\t]*\t([^\t]*)\t[^\r]*\r\n#(\\d+)");
  std::vector<std::string> bloki;
  for (auto it = std::sregex_iterator(log.begin(), log.end(), blok); it != std::sregex_iterator(); ++it)
    bloki.push_back((*it)[1].str() + " " + (*it)[2].str());
  return bloki;
}

}  // namespace

// The register refuses to clear twice (sales came after the readout): the
// day is read three times into the same sales file, which sorts into one line
// a goods number; the last report is _Paker's.
TEST(OSpOpMax, ThreeReadoutsThenSortedAndPacked) {
  Dzien d(RodzinaZPliku("vin-t.txt"), {"0xA8,n=1-2:ack=0x65"});
  ASSERT_TRUE(d.Gotowy());
  const WynikKarvo w = d.Uruchom(POLA);
  EXPECT_EQ(Kod(w), 0) << w.raport;
  EXPECT_EQ(d.IleRazy(0xA8), 3);
  EXPECT_EQ(d.IleRazy(0xA5), 12);
  EXPECT_EQ(d.IleRazy(0xA7), 3);
  // The register was identified once: the inner sessions go on with it.
  EXPECT_EQ(d.IleRazy(0xFE), 1);

  const std::string blok = d.Naglowek("OSprzed", "SPRZ.TXT") + Dane(LINIE_SPRZEDAZY);
  EXPECT_EQ(BezCzasow(d.Plik("SPRZ.TXT")),
            Komentarze(blok, false, true) + Komentarze(blok, true, true) + Komentarze(blok, true, false));
  const std::string paker = Linie({Naglowek0(7, "COM1:9600:MUX0:1", "Paker", "SPAK.TXT"), "",
                                   "Vin 20000 PLU II gen. ver. 02" + ZRODLO});
  EXPECT_EQ(BezCzasow(d.Plik("SPAK.TXT")), std::regex_replace(paker, std::regex("WE.TXT"), "SPRZ.TXT") +
                                               Dane(LINIE_SPRZEDAZY));
  EXPECT_EQ(BezCzasow(d.Plik("OPAK.TXT")), d.Naglowek("OOpak", "OPAK.TXT") + Dane(LINIE_OPAKOWAN));
  EXPECT_EQ(BezCzasow(d.Plik("RAB.TXT")), d.Naglowek("OObrRab", "RAB.TXT") + Dane({"1250\t380\t7"}));
  const std::string raport = Linie({Naglowek0(7, "COM1:9600:MUX0:1", "Paker", "SPAK.TXT"), DOBRZE,
                                    "Vin 20000 PLU II gen. ver. 02" + ZRODLO});
  EXPECT_EQ(BezCzasow(w.raport), std::regex_replace(raport, std::regex("WE.TXT"), "SPRZ.TXT"));
  // Every inner command's report is in the log, in order; the last is the
  // report the run ended with. The sequences' own reports, which would say 0
  // before anything was done, are in none.
  const std::vector<std::string> petla = {"OSprzed 0", "OOpak 0", "OObrRab 0"};
  std::vector<std::string> bloki;
  for (const char* kasowanie : {"KSprOp 201", "KSprOp 201", "KSprOp 0"}) {
    bloki.insert(bloki.end(), petla.begin(), petla.end());
    bloki.push_back(kasowanie);
  }
  bloki.insert(bloki.end(), {"Sorter 0", "Paker 0"});
  EXPECT_EQ(BlokiLogu(w.log), bloki) << w.log;
  EXPECT_TRUE(w.log.ends_with(w.raport + std::string(80, '-') + "\r\n"));
  // The sequence's own report went to the log only.
  EXPECT_FALSE(d.Istnieje("RAPORT.TXT.~~~"));
  const std::string stan = d.Stan();
  EXPECT_EQ(stan.find("$sprzedaz\t"), std::string::npos) << stan;
}

// With a marker file the day stays in the sales file for the shop's program:
// a marker left from before is deleted while the day is read and made again
// at the end, and nothing is sorted. One that cannot be made gives 8 with a
// report of its own naming it, after the day was read and cleared.
TEST(OSpOpMax, MarkerFileBothWays) {
  Dzien d(RodzinaZPliku("vin-t.txt"), {}, e2e::Lacze::ModulTcp);
  ASSERT_TRUE(d.Gotowy());
  d.Env().Plik("GOTOWE.TXT", "from yesterday");
  const WynikKarvo w = d.Uruchom(POLA + "\tGOTOWE.TXT");
  EXPECT_EQ(Kod(w), 0) << w.raport;
  EXPECT_EQ(d.Plik("GOTOWE.TXT"), "");
  EXPECT_TRUE(d.Istnieje("GOTOWE.TXT"));
  EXPECT_FALSE(d.Istnieje("SPAK.TXT"));
  const std::string sprzedaz = d.Plik("SPRZ.TXT");
  EXPECT_EQ(std::count(sprzedaz.begin(), sprzedaz.end(), '\n'), 6);
  EXPECT_TRUE(w.raport.find("KSprOp") != std::string::npos) << w.raport;

  const WynikKarvo brak = d.Uruchom("A.TXT\tB.TXT\tC.TXT\t*\tBRAK/GOTOWE.TXT");
  EXPECT_EQ(BezCzasow(brak.raport),
            Linie({Naglowek0(7, "COM1:9600:MUX5:1", "OSpOpMax"),
                   Opis(8, "nie mozna otworzyc pliku wyjsciowego", "BRAK/GOTOWE.TXT"),
                   "Vin 20000 PLU II gen. ver. 02 (identyfikator odczytany z urzadzenia i pliku ECRTBUF.TXT)\t" +
                       d.Env().Pole5()}));
  EXPECT_TRUE(brak.log.ends_with(brak.raport + std::string(80, '-') + "\r\n"));
  EXPECT_EQ(d.IleRazy(0xA8), 2);
  EXPECT_EQ(d.IleRazy(0xA7), 1);  // "*": no discount readout the second time
}

// The input line: six different names (five fields and the input file), the
// first three given; a failure here reads nothing.
TEST(OSpOpMax, InputLineChecks) {
  Dzien d(RodzinaZPliku("vin-t.txt"), {}, e2e::Lacze::ModulTcp);
  ASSERT_TRUE(d.Gotowy());
  const struct {
    std::string pola;
    int wynik;
  } przypadki[] = {
      {"SPRZ.TXT\tSPRZ.TXT\tOPAK.TXT", 5},                  // 1 and 2
      {"SPRZ.TXT\tSPAK.TXT\tOPAK.TXT\tSPRZ.TXT", 5},        // 4 and 1
      {"SPRZ.TXT\tSPAK.TXT\tOPAK.TXT\tRAB.TXT\tOPAK.TXT", 5},  // 5 and 3
      {"SPRZ.TXT\tSPAK.TXT\tWE.TXT", 5},                    // a field and the input file
      {"SPRZ.TXT\tSPAK.TXT\tOPAK.TXT\t?", 5},               // 4 written as 5's default
      {"SPRZ.TXT\tSPAK.TXT", 10},                           // field 3 missing
      {"SPRZ.TXT\t\tOPAK.TXT", 10},                         // an empty field is missing
  };
  for (const auto& p : przypadki) {
    const WynikKarvo w = d.Uruchom(p.pola);
    EXPECT_EQ(Kod(w), p.wynik) << p.pola << "\n" << w.raport;
    EXPECT_TRUE(w.raport.find("OSpOpMax") != std::string::npos) << w.raport;
  }
  d.Env().Plik("WE.TXT", Srodowisko::Wejscie(7));
  EXPECT_EQ(Kod(d.Env().Karvo(324, "WE.TXT")), 10);
  d.Env().Plik("WE.TXT", Srodowisko::Wejscie(7) + "no data line\r\n");
  EXPECT_EQ(Kod(d.Env().Karvo(324, "WE.TXT")), 11);
  EXPECT_EQ(d.IleRazy(0xA1) + d.IleRazy(0xA5) + d.IleRazy(0xA8), 0);
  EXPECT_FALSE(d.Istnieje("SPRZ.TXT"));
}

// Each inner command's failure ends the sequence with its code; the register
// is cleared only after every readout of the day has succeeded.
TEST(OSpOpMax, AnInnerFailureEndsTheDayBeforeTheClearing) {
  const struct {
    const char* plik;
    std::vector<std::string> usterki;
    int wynik;
    int a5, a8;
  } przypadki[] = {
      {"vin-t.txt", {"0xA1,p0=0x10:status=0x13"}, 46, 0, 0},      // _OSprzed: a check byte
      {"vin-t.txt", {"0xA5,p0=2:status=0x6C"}, 208, 3, 0},        // _OOpak, block 2
      {"vin-t.txt", {"0xA7:refuse"}, 24, 4, 0},                    // _OObrRab
      {"vin-t.txt", {"0xA8:refuse"}, 25, 4, 1},                    // _KSprOp itself
      {"vin-t.txt", {"0xA8:hold=900"}, 20, 4, 1},                  // a clearing the register never took
      {"vin-t.txt", {"0xA8,n=1:ack=0x65", "0xA5,n=5:refuse"}, 24, 5, 1},  // the second readout
      {"typ-24.txt", {}, 25, 0, 0},                                // no packaging blocks there
      // A register that never lets itself be cleared ends the day after 16 readouts.
      {"vin-t.txt", {"0xA8:ack=0x65"}, 201, 64, 16},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(std::string(p.plik) + " " + (p.usterki.empty() ? "" : p.usterki[0]));
    Dzien d(RodzinaZPliku(p.plik), p.usterki, e2e::Lacze::ModulTcp);
    ASSERT_TRUE(d.Gotowy());
    const WynikKarvo w = d.Uruchom(POLA);
    EXPECT_EQ(Kod(w), p.wynik) << w.raport;
    EXPECT_EQ(d.IleRazy(0xA5), p.a5);
    EXPECT_EQ(d.IleRazy(0xA8), p.a8);
    EXPECT_FALSE(d.Istnieje("SPAK.TXT"));
    const std::string stan = d.Stan();
    EXPECT_NE(stan.find("$sprzedaz\t"), std::string::npos) << "the sales were cleared";
  }
}

// Every family through the network module (the line kept open is its TCP
// connection): the day read and cleared, or 25 where the register keeps no
// packaging blocks.
TEST(OSpOpMax, EveryFamily) {
  for (const Rodzina& r : RODZINY) {
    SCOPED_TRACE(r.plik);
    Dzien d(r, {}, e2e::Lacze::ModulTcp);
    ASSERT_TRUE(d.Gotowy());
    const WynikKarvo w = d.Uruchom(POLA);
    const bool bezOpakowan = std::string(r.plik) == "typ-24.txt" || std::string(r.plik) == "typ-27.txt";
    EXPECT_EQ(Kod(w), bezOpakowan ? 25 : 0) << w.raport;
    if (bezOpakowan) continue;
    EXPECT_EQ(d.IleRazy(0xA8), 1);
    EXPECT_TRUE(d.Plik("SPAK.TXT").ends_with(Dane(LINIE_SPRZEDAZY))) << d.Plik("SPAK.TXT");
    EXPECT_EQ(d.Stan().find("$sprzedaz\t"), std::string::npos);
  }
}

#ifdef KARVO_SIM_DAY_BINARY

// The day killed (SIGKILL) at random requests of its sales readout, then run
// to its end: the sorted file holds every goods number of the day once, with
// the register's figures, and the register is cleared only by the last run.
TEST(OSpOpMax, KilledDuringTheReadoutAndRunAgain) {
  Stanowisko env;
  std::string konsola;
  ASSERT_EQ(Uruchom({KARVO_SIM_DAY_BINARY, Urzadzenie("vin-t.txt"), env.Sciezka("dzien.txt"), "--goods", "200",
                     "--records", "0"},
                    "", {}, std::chrono::seconds(10), konsola),
            0)
      << konsola;
  env.Plik("WE.TXT", Srodowisko::Wejscie(7));

  // The day's sales as one readout gives them.
  std::string pelny;
  {
    Symulator sim(env.Katalog(), {.urzadzenia = {env.Sciezka("dzien.txt")}, .lacze = e2e::Lacze::ModulTcp});
    ASSERT_TRUE(sim.Gotowy());
    env.PolaczZModulem(sim, 7);
    pelny = env.Karvo(31, "WE.TXT", "PELNY.TXT").wyjscie;
  }
  const std::string dane = pelny.substr(pelny.find("\r\n$") + 2);
  ASSERT_EQ(std::count(dane.begin(), dane.end(), '$'), 200);

  Symulator sim(env.Katalog(), {.urzadzenia = {env.Sciezka("dzien.txt")}, .baud = 38400, .nazwaLacza = "COM1b.link"});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 7);
  env.Plik("WE.TXT", Srodowisko::Wejscie(7, {"SPRZ.TXT\tSPAK.TXT\tOPAK.TXT\tRAB.TXT"}));
  std::mt19937 los(std::random_device{}());
  int zadania = 0;
  for (int i = 0; i < 2; ++i) {
    // 200 goods go in 40 answers: a moment within the readout of this run.
    const int k = 1 + static_cast<int>(los() % 38);
    KarvoWTle karvo(env, 324, "WE.TXT");
    if (!CzekajNaRozkaz(sim, 0xA1, zadania + k)) {
      const WynikKarvo w = karvo.Koniec();
      FAIL() << "run " << i << " ended before request " << k << " of its readout:\n" << w.raport;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(los() % 20));
    karvo.Sygnal(SIGKILL);
    karvo.Koniec();
    zadania = IleRazy(sim.Dziennik(), 0xA1);
    EXPECT_EQ(IleRazy(sim.Dziennik(), 0xA8), 0) << "cleared by a run killed after request " << k;
  }
  // A run killed in the middle of an exchange leaves the register finishing
  // it: the next run may meet its last bytes and end with 21 or 23, before
  // any clearing. The shop runs the day again, as here.
  WynikKarvo w;
  for (int proba = 0; proba < 3; ++proba) {
    w = env.Karvo(324, "WE.TXT");
    if (Kod(w) == 0) break;
    EXPECT_TRUE(Kod(w) == 21 || Kod(w) == 23) << w.raport;
    EXPECT_EQ(IleRazy(sim.Dziennik(), 0xA8), 0);
  }
  ASSERT_EQ(Kod(w), 0) << w.raport;
  const std::string spak = CzytajPlik(env.Sciezka("SPAK.TXT"));
  EXPECT_EQ(spak.substr(spak.find("\r\n$") + 2), dane);
  const std::string sprzedaz = CzytajPlik(env.Sciezka("SPRZ.TXT"));
  EXPECT_TRUE(sprzedaz.ends_with("\r\n"));
  EXPECT_EQ(IleRazy(sim.Dziennik(), 0xA8), 1);
  sim.Zatrzymaj();
  EXPECT_EQ(sim.Stan().find("$sprzedaz\t"), std::string::npos);
}

#endif

// Under the Server the inner commands get the Server file with their names:
// here it alone says where KONFIG.TXT and RAPORT.TXT lie, so an inner command
// without it would not find the register (7).
TEST(OSpOpMax, TheServerFileGoesToEveryInnerCommand) {
  Dzien d(RodzinaZPliku("vin-t.txt"), {}, e2e::Lacze::ModulTcp);
  ASSERT_TRUE(d.Gotowy());
  std::filesystem::create_directory(d.Env().Sciezka("conf"));
  std::filesystem::rename(d.Env().Sciezka("KONFIG.TXT"), d.Env().Sciezka("conf/KONFIG.TXT"));
  d.Env().Plik("SERWER.TXT", "$13:10\r\n$conf/KONFIG.TXT\r\n$conf/RAPORT.TXT\r\n$KOMENT.TXT\r\n$MODKONF.TXT\r\n"
                             "$ECRTBUF.TXT\r\n$0:0\r\n$0\r\n$0\r\n$1\r\n$0\r\n$0\r\n$0\r\n");
  d.Env().Plik("WE.TXT", Srodowisko::Wejscie(7, {POLA}));
  const WynikKarvo w = d.Env().Karvo(324, "WE.TXT;SERWER.TXT");
  const std::string raport = d.Plik("conf/RAPORT.TXT");
  EXPECT_NE(raport.find("Paker\tWIN 8.55\tSPRZ.TXT\tSPAK.TXT"), std::string::npos) << raport;
  EXPECT_NE(raport.find(DOBRZE), std::string::npos) << raport;
  EXPECT_TRUE(d.Plik("SPAK.TXT").ends_with(Dane(LINIE_SPRZEDAZY)));
  EXPECT_EQ(d.IleRazy(0xA8), 1);
  EXPECT_FALSE(d.Istnieje("RAPORT.TXT")) << d.Plik("RAPORT.TXT");
  EXPECT_TRUE(w.log.ends_with(raport + std::string(80, '-') + "\r\n"));
}

// A second end of day on the same files: field 1 still holds the first day
// (said on standard error), and the packaging and discount files, which the
// readouts write anew, hold the only copy of a day the register has cleared:
// they are kept as numbered copies, byte for byte, before they are replaced.
TEST(OSpOpMax, ASecondDayOnTheSameFilesKeepsWhatTheRegisterNoLongerHas) {
  Dzien d(RodzinaZPliku("vin-t.txt"), {}, e2e::Lacze::ModulTcp);
  ASSERT_TRUE(d.Gotowy());
  const WynikKarvo pierwszy = d.Uruchom(POLA);
  ASSERT_EQ(Kod(pierwszy), 0) << pierwszy.raport;
  EXPECT_EQ(pierwszy.konsola, "");
  const std::string opak = d.Plik("OPAK.TXT"), rab = d.Plik("RAB.TXT");
  EXPECT_EQ(BezCzasow(opak), d.Naglowek("OOpak", "OPAK.TXT") + Dane(LINIE_OPAKOWAN));

  const WynikKarvo w = d.Uruchom(POLA);
  EXPECT_EQ(Kod(w), 0) << w.raport;
  EXPECT_EQ(d.Plik("OPAK.TXT.1"), opak);
  EXPECT_EQ(d.Plik("RAB.TXT.1"), rab);
  // The cleared register has no packaging sales; its discount totals are 0.
  const std::string zBufora = " (identyfikator odczytany z urzadzenia i pliku ECRTBUF.TXT)";
  EXPECT_EQ(BezCzasow(d.Plik("OPAK.TXT")), d.Naglowek("OOpak", "OPAK.TXT", zBufora));
  EXPECT_EQ(BezCzasow(d.Plik("RAB.TXT")), d.Naglowek("OObrRab", "RAB.TXT", zBufora) + Dane({"0\t0\t0"}));
  for (const char* zdanie : {"karvo: SPRZ.TXT already holds 3 data lines before this end of day",
                             "karvo: OPAK.TXT held 2 data lines of an earlier run, which the register may no "
                             "longer have: kept as OPAK.TXT.1\n",
                             "karvo: RAB.TXT held 1 data lines of an earlier run, which the register may no longer "
                             "have: kept as RAB.TXT.1\n"})
    EXPECT_NE(w.konsola.find(zdanie), std::string::npos) << w.konsola;
  // A third day keeps the discount line as the next copy; the packaging file held none.
  EXPECT_EQ(Kod(d.Uruchom(POLA)), 0);
  EXPECT_TRUE(d.Istnieje("RAB.TXT.2"));
  EXPECT_FALSE(d.Istnieje("OPAK.TXT.2"));
  EXPECT_EQ(d.Plik("OPAK.TXT.1"), opak);
}

// The day killed while the driver confirms the clearing (the register has
// cleared; the simulator holds its answer): RAPORT.TXT then claims nothing,
// and the run again keeps the day's packaging and discount files before it
// reads the empty register, while the sorting keeps the day's sales.
TEST(OSpOpMax, KilledAfterTheClearingAndRunAgain) {
  // vin-t hands its sales out with check bytes: the third 0xA1 is the read-back.
  Dzien d(RodzinaZPliku("vin-t.txt"), {"0xA1,n=3:late2=1500"}, e2e::Lacze::Pty);
  ASSERT_TRUE(d.Gotowy());
  d.Env().Plik("WE.TXT", Srodowisko::Wejscie(7, {POLA}));
  {
    KarvoWTle karvo(d.Env(), 324, "WE.TXT");
    ASSERT_TRUE(CzekajNaRozkaz(d.Sim(), 0xA1, 3));
    EXPECT_EQ(d.Plik("RAPORT.TXT"), "");
    karvo.Sygnal(SIGKILL);
    karvo.Koniec();
  }
  EXPECT_FALSE(d.Istnieje("RAPORT.TXT.~~~"));
  const std::string opak = d.Plik("OPAK.TXT"), rab = d.Plik("RAB.TXT");
  EXPECT_EQ(BezCzasow(opak), d.Naglowek("OOpak", "OPAK.TXT") + Dane(LINIE_OPAKOWAN));
  // The register may still be finishing the killed run's exchange: run again.
  WynikKarvo w;
  for (int proba = 0; proba < 3; ++proba) {
    w = d.Uruchom(POLA);
    if (Kod(w) == 0) break;
    EXPECT_TRUE(Kod(w) == 21 || Kod(w) == 23) << w.raport;
  }
  ASSERT_EQ(Kod(w), 0) << w.raport;
  EXPECT_EQ(d.Plik("OPAK.TXT.1"), opak);
  EXPECT_EQ(d.Plik("RAB.TXT.1"), rab);
  EXPECT_TRUE(d.Plik("SPAK.TXT").ends_with("\r\n" + Dane(LINIE_SPRZEDAZY))) << d.Plik("SPAK.TXT");
  EXPECT_EQ(d.IleRazy(0xA8), 2);
}

// On a register that answers the clearing with no status, a parameter byte
// that reaches it after its byte time-out is dropped unseen: the read-back
// finds the sales still there and the clearing ends with 20, never 0. A
// parameter in time clears; a Norda register answers a status of its own and
// is not read back.
TEST(KSprOp, AClearingTheRegisterNeverTookIsNoSuccess) {
  const struct {
    const char* plik;
    const char* usterka;
    int wynik;
    bool wyczyszczona;
    int odczyty;  // the read-backs of the first sales part
  } przypadki[] = {
      {"vin-t.txt", "0xA8:hold=900", 20, false, 1},
      {"vin-t.txt", "0xA8:hold=100", 0, true, 1},
      {"pelto-103.txt", "0xA8:hold=900", 20, false, 1},
      {"norda-u.txt", "0xA8:hold=900", 21, false, 0},
      {"norda-u.txt", "0xA8:hold=100", 0, true, 0},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(std::string(p.plik) + " " + p.usterka);
    Dzien d(RodzinaZPliku(p.plik), {p.usterka}, e2e::Lacze::Pty);
    ASSERT_TRUE(d.Gotowy());
    d.Env().Plik("WE.TXT", Srodowisko::Wejscie(d.Numer()));
    const WynikKarvo w = d.Env().Karvo(39, "WE.TXT");
    EXPECT_EQ(Kod(w), p.wynik) << w.raport;
    EXPECT_EQ(w.konsola.find("karvo: the register still holds sales after it was asked to clear them") !=
                  std::string::npos,
              p.wynik == 20)
        << w.konsola;
    EXPECT_EQ(d.IleRazy(0xA1) + d.IleRazy(0xA2), p.odczyty);
    EXPECT_EQ(d.Stan().find("$sprzedaz\t") == std::string::npos, p.wyczyszczona);
  }
}

// A sales file whose last line was torn (a run killed while it wrote it) has
// that line ended before the next readout's header lines.
TEST(OSprzed, ATornLastLineIsEndedBeforeTheNextHeader) {
  Dzien d(RodzinaZPliku("vin-t.txt"), {}, e2e::Lacze::ModulTcp);
  ASSERT_TRUE(d.Gotowy());
  const std::string przed = "#earlier\r\n#\r\n#\r\n$0001\t12\t4188\r\n$0002\t1.5";
  d.Env().Plik("SPRZ.TXT", przed);
  d.Env().Plik("WE.TXT", Srodowisko::Wejscie(7));
  const WynikKarvo w = d.Env().Karvo(31, "WE.TXT", "SPRZ.TXT");
  EXPECT_EQ(Kod(w), 0) << w.raport;
  EXPECT_EQ(BezCzasow(d.Plik("SPRZ.TXT")),
            przed + "\r\n" + d.Naglowek("OSprzed", "SPRZ.TXT") + Dane(LINIE_SPRZEDAZY));
  EXPECT_NE(w.konsola.find("karvo: the last line of SPRZ.TXT had no line end"), std::string::npos) << w.konsola;
}

// The files whose data the clearing destroys (the sales, the packaging, the
// discounts) are flushed to the disk, with their directory, before the
// clearing's request code goes out on the line.
TEST(OSpOpMax, TheFilesTheClearingEmptiesAreOnTheDiskBeforeIt) {
  const char* strace = "/usr/bin/strace";
  if (!std::filesystem::exists(strace)) GTEST_SKIP() << "no strace to watch the system calls";
  Dzien d(RodzinaZPliku("vin-t.txt"), {}, e2e::Lacze::Pty);
  ASSERT_TRUE(d.Gotowy());
  d.Env().Plik("WE.TXT", Srodowisko::Wejscie(7, {POLA}));
  const std::string slad = d.Env().Sciezka("strace.txt");
  const WynikKarvo w = d.Env().KarvoPrzez(
      {strace, "-f", "-qq", "-e", "trace=openat,fsync,write,close", "-o", slad}, 324, "WE.TXT");
  if (Kod(w) != 0 && w.konsola.find("strace:") != std::string::npos) GTEST_SKIP() << w.konsola;
  ASSERT_EQ(Kod(w), 0) << w.raport << w.konsola;
  const std::string s = CzytajPlik(slad);
  // The clearing: ESC and 0xA8 written to the line.
  std::smatch kasowanie;
  ASSERT_TRUE(std::regex_search(s, kasowanie, std::regex("write\\(\\d+, \"(\\\\33)?\\\\250")));
  const std::string przed = s.substr(0, static_cast<size_t>(kasowanie.position()));
  for (const char* plik : {"SPRZ.TXT", "OPAK.TXT", "RAB.TXT"}) {
    SCOPED_TRACE(plik);
    std::smatch otwarcie;
    const std::regex r(std::string("openat\\([^\\n]*\"") + plik + "\", O_RDONLY[^\\n]*\\) = (\\d+)\\n");
    std::string reszta = przed;
    bool naDysku = false;
    // Opened for reading and flushed before that descriptor is closed.
    while (std::regex_search(reszta, otwarcie, r)) {
      const std::string po = otwarcie.suffix().str();
      const std::string fd = otwarcie[1].str();
      naDysku = naDysku || po.substr(0, po.find("close(" + fd + ")")).find("fsync(" + fd + ")") != std::string::npos;
      reszta = po;
    }
    EXPECT_TRUE(naDysku) << przed;
  }
}
