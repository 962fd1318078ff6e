// The cashier commands from end to end: the cashier table and its rights, the
// shift readouts with their zeroing, the cash payouts and the containers,
// each on the register families that answer them differently, with the
// output files, the reports and the register's state checked whole.
#include <gtest/gtest.h>
#include <signal.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "harness.h"

using namespace e2e;

namespace {

const std::string Z_BUFORA = " (identyfikator odczytany z urzadzenia i pliku ECRTBUF.TXT)";

std::string Dane(const std::vector<std::string>& linie) {
  std::string t;
  for (const auto& l : linie) t += "$" + l + "\r\n";
  return t;
}

const Rodzina& RodzinaZPliku(const std::string& plik) {
  for (const Rodzina& r : RODZINY)
    if (plik == r.plik) return r;
  ADD_FAILURE() << plik;
  return RODZINY.front();
}

// One ready-made register with further state lines, and the driver run
// against it; every run's report (and output) is checked whole.
class Kasa {
 public:
  Kasa(const char* plik, const std::vector<std::string>& stan, std::vector<std::string> usterki = {})
      : r_(RodzinaZPliku(plik)) {
    std::string tresc = CzytajPlik(Urzadzenie(plik));
    for (const auto& l : stan) tresc += l + "\r\n";
    const std::string sciezka = env_.Sciezka(plik);
    ZapiszPlik(sciezka, tresc);
    sim_ = std::make_unique<Symulator>(env_.Katalog(),
                                       OpcjeSymulatora{.urzadzenia = {sciezka}, .usterki = std::move(usterki)});
    env_.PolaczZSymulatorem(*sim_, r_.numer);
    zrodlo_ = std::string(r_.nazwa) + ZRODLO;
  }

  bool Gotowa() const { return sim_->Gotowy(); }

  // A reading command: its output must be the header lines and these data lines.
  void Odczyt(int kod, const std::string& funkcja, const std::vector<std::string>& wejscie,
              const std::vector<std::string>& dane, int wynik = 0, const std::string& opis = "") {
    const std::string zrodlo = zrodlo_;
    const WynikKarvo w = Uruchom(kod, funkcja, wejscie, "WY.TXT", wynik, opis);
    EXPECT_EQ(BezCzasu(w.wyjscie), Linie({Naglowek0(r_.numer, LACZE, funkcja, "WY.TXT"), "", zrodlo}) + Dane(dane))
        << funkcja;
  }

  // A writing command with these data lines.
  void Zapis(int kod, const std::string& funkcja, const std::vector<std::string>& wejscie, int wynik = 0,
             const std::string& opis = "") {
    Uruchom(kod, funkcja, wejscie, "", wynik, opis);
  }

  WynikKarvo Uruchom(int kod, const std::string& funkcja, const std::vector<std::string>& wejscie,
                     const std::string& wyjscie, int wynik, const std::string& opis,
                     const std::vector<std::string>& przedrostek = {}) {
    env_.Plik("WE.TXT", Srodowisko::Wejscie(r_.numer, wejscie));
    const WynikKarvo w = env_.KarvoPrzez(przedrostek, kod, "WE.TXT", wyjscie);
    EXPECT_FALSE(w.przekroczonyCzas) << funkcja;
    // The faults of the input and output files name the file.
    const std::string plik = wynik == 10 || wynik == 11 ? "WE.TXT" : wynik == 17 ? wyjscie : "";
    const std::string linia = wynik == 0 ? DOBRZE : Opis(wynik, opis, plik);
    EXPECT_EQ(BezCzasu(w.raport), Linie({Naglowek0(r_.numer, LACZE, funkcja, wyjscie), linia, zrodlo_})) << funkcja;
    EXPECT_TRUE(w.log.ends_with(w.raport + std::string(80, '-') + "\r\n")) << w.log;
    zrodlo_ = std::string(r_.nazwa) + Z_BUFORA;
    return w;
  }

  // The simulator ends and writes its state back; its state lines with this key.
  std::vector<std::string> Stan(const std::string& klucz) {
    sim_->Zatrzymaj();
    std::vector<std::string> linie;
    const std::string stan = sim_->Stan();
    for (size_t p = 0; p < stan.size();) {
      const size_t k = stan.find("\r\n", p);
      const std::string l = stan.substr(p, k - p);
      if (l.starts_with("$" + klucz + "\t")) linie.push_back(l.substr(klucz.size() + 2));
      p = k == std::string::npos ? stan.size() : k + 2;
    }
    return linie;
  }
  int IleRazy(uint8_t kod) const { return e2e::IleRazy(sim_->Dziennik(), kod); }
  // The parameter bytes the register received with each request of this code, in hex.
  std::vector<std::string> Parametry(uint8_t kod) const {
    char kodHex[4];
    std::snprintf(kodHex, sizeof kodHex, "%02X", kod);
    // The request's line, its first answer, then the parameters.
    const std::regex r(std::string("driver -> [^\\n]*\\b1B ") + kodHex +
                       "  \\|[^\\n]*\\n[^\\n]*\\n[^\\n]*driver -> reg \\d+ +([0-9A-F ]+?)  \\|[^\\n]*parameters");
    const std::string dziennik = sim_->Dziennik();
    std::vector<std::string> wynik;
    for (auto it = std::sregex_iterator(dziennik.begin(), dziennik.end(), r); it != std::sregex_iterator(); ++it)
      wynik.push_back((*it)[1]);
    return wynik;
  }
  std::string Dziennik() const { return sim_->Dziennik(); }
  const Srodowisko& Env() const { return env_; }
  const Symulator& Sim() const { return *sim_; }

 private:
  inline static const std::string LACZE = "COM1:9600:MUX0:1";
  Stanowisko env_;
  Rodzina r_;
  std::unique_ptr<Symulator> sim_;
  std::string zrodlo_;
};

// A name of 19 characters, padded with spaces.
std::string N19(const std::string& nazwa) { return nazwa + std::string(19 - nazwa.size(), ' '); }

const std::string NAZWA_ANNY = N19("Anna Kowalska");
const std::string NAZWA_JANA = N19("Jan Nowak");

}  // namespace

// ---- the cashier table and the rights ----

// Cashiers 1 and 3 of a table of four: the missing 2 is skipped and the end
// of the table ends the readout with 0. Writes, rights and deletions follow,
// each read back, with the refusals of the register and of the input.
TEST(Kasjerzy, TableWrittenRightsChangedAndDeletedOnARegularRegister) {
  Kasa k("vin-t.txt",
         {"$kasjerow\t4", "$kasjer\t1\tAnna Kowalska\t1111\t0x06", "$kasjer\t3\tJan\t\\x00ab\t0x46", "$zalogowany\t1"});
  ASSERT_TRUE(k.Gotowa());
  // The password's zero byte adds nothing; bits 1 and 2 are reported.
  k.Odczyt(41, "OKasjer", {}, {"01\t" + NAZWA_ANNY + "\t1111\t1\t1", "03\tJan" + std::string(16, ' ') + "\tab \t1\t1"});
  k.Odczyt(44, "OUprKas", {}, {"01\t0\t0\t0\t0\t0", "03\t0\t0\t0\t1\t0"});
  k.Zapis(42, "ZKasjer", {"2\t" + NAZWA_JANA + "\t2222", "4\tEwa Lis            \t0000"});
  // Cashier 3's flag byte 0x46 with rights 1 1 0 0 1 becomes 0x9E.
  k.Zapis(45, "ZUprKas", {"3\t1\t1\t0\t0\t1", "2\t0\t0\t1\t0\t0"});
  k.Odczyt(44, "OUprKas", {}, {"01\t0\t0\t0\t0\t0", "02\t0\t0\t1\t0\t0", "03\t1\t1\t0\t0\t1", "04\t0\t0\t0\t0\t0"});
  k.Zapis(43, "KKasjer", {"4"});
  // The logged-in cashier cannot be deleted; a cashier that is not there neither.
  k.Zapis(43, "KKasjer", {"1"}, 206, "kasa zglosila blad o statusie 106");
  k.Zapis(43, "KKasjer", {"4"}, 204, "kasa zglosila blad o statusie 104");
  // A number beyond the table, a name one character short (no request for it),
  // a rights field that is not 0 or 1.
  k.Zapis(42, "ZKasjer", {"5\t" + NAZWA_JANA + "\t2222"}, 203, "kasa zglosila blad o statusie 103");
  const int zapisy = k.IleRazy(0xB1);
  k.Zapis(42, "ZKasjer", {"2\tJan Nowak         \t2222"}, 11, "bledna linia lub bledne pole w pliku wejsciowym");
  EXPECT_EQ(k.IleRazy(0xB1), zapisy);
  k.Zapis(45, "ZUprKas", {"2\t1\t1\t2\t0\t0"}, 11, "bledna linia lub bledne pole w pliku wejsciowym");
  k.Zapis(45, "ZUprKas", {"4\t1\t1\t0\t0\t0"}, 204, "kasa zglosila blad o statusie 104");
  k.Zapis(42, "ZKasjer", {}, 10, "brak wymaganej linii w pliku wejsciowym");
  EXPECT_EQ(k.Stan("kasjer"),
            (std::vector<std::string>{"1\tAnna Kowalska\t1111\t6", "2\tJan Nowak\t2222\t32", "3\tJan\t\\x00ab\t158"}));
}

// A Norda register reports bits 1, 3, 4, 5 and 7 and takes them with the
// cashier: bits 3, 4, 5 and 7 from the line, the others as it keeps them.
TEST(Kasjerzy, NordaRegisterWritesAndReportsItsFiveFlags) {
  Kasa k("norda-u.txt", {"$kasjer\t2\tAdam\t9999\t0x46"});
  ASSERT_TRUE(k.Gotowa());
  k.Odczyt(41, "OKasjer", {}, {"02\tAdam" + std::string(15, ' ') + "\t9999\t1\t0\t0\t0\t0"});
  // Field 4 (bit 1) is checked but not sent: cashier 2 keeps its bit 1.
  k.Zapis(42, "ZKasjer", {"2\t" + NAZWA_JANA + "\t1234\t0\t1\t0\t1\t1", "5\t" + NAZWA_ANNY + "\t4321\t1\t0\t1\t0\t0"});
  EXPECT_EQ(k.Parametry(0xB2), (std::vector<std::string>{"02 EE", "05 10"}));
  k.Odczyt(41, "OKasjer", {},
           {"02\t" + NAZWA_JANA + "\t1234\t1\t1\t0\t1\t1", "05\t" + NAZWA_ANNY + "\t4321\t0\t0\t1\t0\t0"});
  // A Norda line needs its five flag fields.
  k.Zapis(42, "ZKasjer", {"3\t" + NAZWA_JANA + "\t1234\t0\t1\t0\t1"}, 11,
          "bledna linia lub bledne pole w pliku wejsciowym");
  EXPECT_EQ(k.Stan("kasjer"), (std::vector<std::string>{"2\tJan Nowak\t1234\t238", "5\tAnna Kowalska\t4321\t16"}));
}

// A register that answers every cashier number is read up to 255 and never
// round again from 0.
TEST(Kasjerzy, ReadoutStopsAtCashier255) {
  Kasa k("typ-24.txt", {"$kasjerow\t255", "$kasjer\t1\tA\t1\t0", "$kasjer\t255\tZ\t2\t2"});
  ASSERT_TRUE(k.Gotowa());
  k.Odczyt(41, "OKasjer", {},
           {"01\tA" + std::string(18, ' ') + "\t1   \t0\t0", "255\tZ" + std::string(18, ' ') + "\t2   \t1\t0"});
  EXPECT_EQ(k.IleRazy(0xB0), 255);
}

// ---- shift readouts and payouts ----

namespace {

// A shift as the state file and as the line: when it opened, 14 totals (the
// second signed), 5 counters and 5 totals.
struct Zmiana {
  std::string data, godzina;
  std::vector<std::string> liczby;
  std::string Stan(int numer) const {
    std::string t = "$zmiana\t" + std::to_string(numer) + "\t" + data + "\t" + godzina;
    for (const auto& l : liczby) t += "\t" + l;
    return t;
  }
  std::string Linia(int numer) const {
    std::string t = DwieCyfry(numer);
    for (size_t i = 0; i < 14; ++i) t += "\t" + liczby[i];
    t += "\t" + data + "\t" + godzina;
    for (size_t i = 14; i < liczby.size(); ++i) t += "\t" + liczby[i];
    return t;
  }
};

// The widest values of every field: five-byte totals, -2^39 and -1 for the signed one, two-byte counters.
const Zmiana PIERWSZA{"08.12.26",
                      "14:35",
                      {"1099511627775",
                       "-549755811888",
                       "3",
                       "4",
                       "5",
                       "6",
                       "7",
                       "8",
                       "9",
                       "10",
                       "11",
                       "12",
                       "13",
                       "1500",
                       "0",
                       "1",
                       "2",
                       "3",
                       "65535",
                       "5",
                       "6",
                       "7",
                       "8",
                       "99"}};
const Zmiana DRUGA{"01.01.27", "06:05", {"70", "-1", "0",  "0", "0", "0", "0", "0", "0", "0", "0", "0",
                                         "0",  "0",  "12", "0", "0", "0", "0", "0", "0", "0", "0", "1"}};
const Zmiana TRZECIA{"31.12.26", "23:59", {"5", "5", "5", "5", "5", "5", "5", "5", "5", "5", "5", "5",
                                           "5", "5", "5", "5", "5", "5", "5", "5", "5", "5", "5", "5"}};
// What zeroing leaves: the opening time.
Zmiana Zerowana(const Zmiana& z) { return {z.data, z.godzina, std::vector<std::string>(24, "0")}; }

// Cashiers 1 (drawer open, logged in), 3 (open) and 4 (closed); 2 is not there.
std::vector<std::string> StanZmian() {
  return {"$kasjerow\t5",   "$kasjer\t1\tA\t1\t2", "$kasjer\t3\tB\t3\t0x82", "$kasjer\t4\tC\t4\t0x01", "$zalogowany\t1",
          PIERWSZA.Stan(1), DRUGA.Stan(3),         TRZECIA.Stan(4)};
}

}  // namespace

// The readouts on a register with the 52-byte second part and on a Pelto
// register whose 55-byte one has three bytes more: the lines are the same.
TEST(Zmiany, ReadoutsChooseTheirCashiersOnBothLayouts) {
  for (const char* plik : {"vin-t.txt", "pelto-103.txt"}) {
    SCOPED_TRACE(plik);
    Kasa k(plik, StanZmian());
    ASSERT_TRUE(k.Gotowa());
    k.Odczyt(46, "OIKas", {"1", "2", "4", "3"}, {PIERWSZA.Linia(1), TRZECIA.Linia(4), DRUGA.Linia(3)});
    k.Odczyt(48, "OIKasOtw", {}, {PIERWSZA.Linia(1), DRUGA.Linia(3)});
    k.Odczyt(49, "OIKasZam", {}, {TRZECIA.Linia(4)});
    k.Odczyt(410, "OIKasWla", {}, {PIERWSZA.Linia(1)});
    k.Odczyt(411, "ONKasWla", {}, {"01"});
    k.Odczyt(46, "OIKas", {"300"}, {}, 11, "bledna linia lub bledne pole w pliku wejsciowym");
    k.Odczyt(46, "OIKas", {"6"}, {}, 203, "kasa zglosila blad o statusie 103");
  }
}

// _OIKasZZ zeroes the cashiers it reads whose drawer is open, never the
// logged-in one; with nobody logged in _OIKasWla writes nothing.
TEST(Zmiany, ReadAndZeroSkipsTheLoggedInAndClosedCashiers) {
  std::vector<std::string> stan = StanZmian();
  Kasa k("vin-t.txt", stan);
  ASSERT_TRUE(k.Gotowa());
  k.Odczyt(47, "OIKasZZ", {"1", "3", "4", "2"}, {DRUGA.Linia(3)});
  EXPECT_EQ(k.Parametry(0xB8), std::vector<std::string>{"03"});
  k.Odczyt(46, "OIKas", {"3"}, {Zerowana(DRUGA).Linia(3)});
  EXPECT_EQ(k.Stan("zmiana"), (std::vector<std::string>{PIERWSZA.Stan(1).substr(8), Zerowana(DRUGA).Stan(3).substr(8),
                                                        TRZECIA.Stan(4).substr(8)}));
  Kasa nikt("typ-24.txt", {"$kasjer\t2\tB\t2\t2", DRUGA.Stan(2)});
  ASSERT_TRUE(nikt.Gotowa());
  nikt.Odczyt(410, "OIKasWla", {}, {});
  nikt.Odczyt(411, "ONKasWla", {}, {"00"});
  nikt.Odczyt(47, "OIKasZZ", {"2"}, {DRUGA.Linia(2)});
  EXPECT_EQ(nikt.Stan("zmiana"), std::vector<std::string>{Zerowana(DRUGA).Stan(2).substr(8)});
}

// A zeroing that failed (the second, cashier 5's): the file holds a line only
// where the register may have zeroed. A refusal (its status) and a request
// never taken (no acknowledgement, so the parameter never left) take the line
// back; a parameter sent without a status coming back keeps it and names the
// cashier on standard error.
TEST(Zmiany, AFailedZeroingKeepsTheLineOnlyWhereTheRegisterMayHaveZeroed) {
  const std::string NIEZNANE = "karvo: cashier 5: the zeroing was sent but not answered";
  struct Przypadek {
    const char* usterka;
    int wynik;
    const char* opis;
    bool liniaZostaje, wyzerowany;
  } przypadki[] = {
      {"status=0x0E", 114, "kasa zglosila blad o statusie 14", false, false},
      {"refuse", 24, "kasa odrzucila rozkaz", false, false},
      {"silent", 21, "brak odpowiedzi kasy", false, false},
      {"silent2", 21, "brak odpowiedzi kasy", true, true},
  };
  for (const Przypadek& p : przypadki) {
    SCOPED_TRACE(p.usterka);
    std::vector<std::string> stan = StanZmian();
    stan.insert(stan.end(), {"$kasjer\t5\tE\t5\t2", TRZECIA.Stan(5)});
    Kasa k("vin-t.txt", stan, {std::string("0xB8,n=2:") + p.usterka});
    ASSERT_TRUE(k.Gotowa());
    std::vector<std::string> linie = {DRUGA.Linia(3)};
    if (p.liniaZostaje) linie.push_back(TRZECIA.Linia(5));
    const WynikKarvo w = k.Uruchom(47, "OIKasZZ", {"3", "5", "4"}, "WY.TXT", p.wynik, p.opis);
    EXPECT_TRUE(w.wyjscie.ends_with("\r\n#" + std::string(RodzinaZPliku("vin-t.txt").nazwa) + ZRODLO + "\r\n" +
                                    Dane(linie)))
        << w.wyjscie;
    EXPECT_EQ(w.konsola.find(NIEZNANE) != std::string::npos, p.liniaZostaje) << w.konsola;
    EXPECT_EQ(k.Stan("zmiana").back(), (p.wyzerowany ? Zerowana(TRZECIA) : TRZECIA).Stan(5).substr(8));
  }
}

// Killed after cashier 3 was zeroed (the simulator holds the next request):
// the file holds the only copy of that shift. The run again keeps it as a
// numbered copy, byte for byte, before it writes its own file.
TEST(Zmiany, KilledAfterAZeroingAndRunAgainIntoTheSameFile) {
  std::vector<std::string> stan = StanZmian();
  stan.insert(stan.end(), {"$kasjer\t5\tE\t5\t2", TRZECIA.Stan(5)});
  Kasa k("vin-t.txt", stan, {"0xB0,n=2:late=1500"});
  ASSERT_TRUE(k.Gotowa());
  k.Env().Plik("WE.TXT", Srodowisko::Wejscie(7, {"3", "5"}));
  {
    KarvoWTle karvo(k.Env(), 47, "WE.TXT", "WY.TXT");
    ASSERT_TRUE(CzekajNaRozkaz(k.Sim(), 0xB0, 2));
    karvo.Sygnal(SIGKILL);
    karvo.Koniec();
  }
  const std::string zabity = CzytajPlik(k.Env().Sciezka("WY.TXT"));
  ASSERT_TRUE(zabity.ends_with("\r\n" + Dane({DRUGA.Linia(3)}))) << zabity;
  WynikKarvo w;
  for (int proba = 0; proba < 3; ++proba) {
    w = k.Env().Karvo(47, "WE.TXT", "WY.TXT");
    if (w.raport.find(DOBRZE) != std::string::npos) break;
  }
  ASSERT_NE(w.raport.find(DOBRZE), std::string::npos) << w.raport;
  EXPECT_EQ(CzytajPlik(k.Env().Sciezka("WY.TXT.1")), zabity);
  EXPECT_NE(w.konsola.find("karvo: WY.TXT held 1 data lines of an earlier run, which the register may no longer "
                           "have: kept as WY.TXT.1"),
            std::string::npos)
      << w.konsola;
  EXPECT_TRUE(w.wyjscie.ends_with("\r\n" + Dane({Zerowana(DRUGA).Linia(3), TRZECIA.Linia(5)}))) << w.wyjscie;
}

// A line that cannot be written is never followed by its zeroing: the
// cashier read before keeps its line in the file and is zeroed, the one
// whose line failed keeps its data in the register.
TEST(Zmiany, NoZeroingAfterALineThatDidNotReachTheFile) {
  // A line of 238 characters after cashier 3's.
  Zmiana szeroka{"31.12.26", "23:59", std::vector<std::string>(14, "1099511627775")};
  szeroka.liczby[1] = "-549755813888";
  for (const char* l : {"1", "1", "1", "1", "1", "10", "10", "10", "10", "10"}) szeroka.liczby.push_back(l);
  std::vector<std::string> stan = StanZmian();
  stan.insert(stan.end(), {"$kasjer\t5\tE\t5\t2", szeroka.Stan(5)});
  Kasa k("vin-t.txt", stan);
  ASSERT_TRUE(k.Gotowa());
  // Every file of the run may grow to 400 bytes: the header and the first
  // line fit, the second line does not; the report and the log fit.
  const std::vector<std::string> limit = {"/bin/sh", "-c", "trap '' XFSZ; exec prlimit --fsize=400 \"$@\"", "sh"};
  const WynikKarvo w = k.Uruchom(47, "OIKasZZ", {"3", "5"}, "WY.TXT", 17, "blad zapisu do pliku wyjsciowego", limit);
  EXPECT_TRUE(w.wyjscie.size() <= 400 && w.wyjscie.find("\r\n$" + DRUGA.Linia(3) + "\r\n$05\t") != std::string::npos)
      << w.wyjscie;
  EXPECT_EQ(k.Parametry(0xB8), std::vector<std::string>{"03"});
  EXPECT_EQ(k.Stan("zmiana").back(), szeroka.Stan(5).substr(8));
}

// With the widest values the 27 fields need more than a data line holds: the
// line is refused with 17, not cut short, and its cashier is not zeroed.
TEST(Zmiany, ALineTooWideForADataLineIsRefusedWhole) {
  Zmiana z{"31.12.26", "23:59", std::vector<std::string>(24, "1099511627775")};
  z.liczby[1] = "-549755813888";
  for (size_t i = 14; i < 19; ++i) z.liczby[i] = "65535";
  Kasa k("vin-t.txt", {"$kasjer\t1\tA\t1\t2", "$kasjer\t2\tB\t2\t2", z.Stan(1), DRUGA.Stan(2)});
  ASSERT_TRUE(k.Gotowa());
  ASSERT_GT(z.Linia(1).size(), 255u);
  k.Odczyt(47, "OIKasZZ", {"2", "1"}, {DRUGA.Linia(2)}, 17, "blad zapisu do pliku wyjsciowego");
  EXPECT_EQ(k.Parametry(0xB8), std::vector<std::string>{"02"});
  EXPECT_EQ(k.Stan("zmiana").front(), z.Stan(1).substr(8));
}

// Payouts are booked for their cashier; an amount beyond five bytes and a
// cashier number beyond a byte are refused before anything is sent.
TEST(Wyplaty, PayoutsBookedAndWideAmountsRefused) {
  Kasa k("vin-t.txt", {"$kasjer\t1\tA\t1\t2", "$kasjer\t2\tB\t2\t2",
                       "$zmiana\t2\t01.02.27\t08:00\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t100"});
  ASSERT_TRUE(k.Gotowa());
  k.Zapis(412, "WyplGot", {"1\t1099511627775", "2\t250", "2\t0x10"});
  EXPECT_EQ(k.Parametry(0xD1),
            (std::vector<std::string>{"01 FF FF FF FF FF", "02 FA 00 00 00 00", "02 10 00 00 00 00"}));
  k.Zapis(412, "WyplGot", {"2\t1", "2\t1099511627776", "2\t5"}, 19, "wartosc spoza dopuszczalnego zakresu");
  k.Zapis(412, "WyplGot", {"300\t5"}, 11, "bledna linia lub bledne pole w pliku wejsciowym");
  k.Zapis(412, "WyplGot", {"1\t1"}, 114, "kasa zglosila blad o statusie 14");
  k.Zapis(412, "WyplGot", {"3\t1"}, 204, "kasa zglosila blad o statusie 104");
  EXPECT_EQ(k.IleRazy(0xD1), 6);
  EXPECT_EQ(
      k.Stan("zmiana"),
      (std::vector<std::string>{
          "1\t00.00.00\t00:00\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t1099511627775\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0",
          "2\t01.02.27\t08:00\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t367\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0"}));
}

// ---- containers ----

namespace {

// The lines of containers 2 to 64 of a register whose table holds these (the others blank).
std::vector<std::string> LiniePojemnikow(const std::vector<std::pair<int, std::string>>& dane) {
  std::vector<std::string> linie;
  for (int n = 2; n <= 64; ++n) {
    std::string linia = DwieCyfry(n) + "\t" + std::string(19, ' ') + "\t0";
    for (const auto& [numer, tekst] : dane)
      if (numer == n) linia = DwieCyfry(n) + "\t" + tekst;
    linie.push_back(linia);
  }
  return linie;
}

}  // namespace

// The container table of a register with containers, written and read back
// whole, and the goods-to-container links, with the refusals of the register
// and of the input.
TEST(Pojemniki, TableAndGoodsLinksWrittenAndReadBack) {
  Kasa k("pojemniki-amp.txt",
         {"$pojemnik\t1\tSKRZYNKA\t500", "$pojemnik\t3\tBUTELKA\\x000,5\t50", "$pojemnik_towaru\t7\t3"});
  ASSERT_TRUE(k.Gotowa());
  // Container 1 is never read; the zero byte of a name is left out.
  k.Odczyt(51, "OPojemn", {}, LiniePojemnikow({{3, "BUTELKA0,5" + std::string(8, ' ') + "\t50"}}));
  EXPECT_EQ(k.IleRazy(0xFB), 63);
  k.Zapis(52, "ZPojemn", {"2\t" + N19("KEG 30L") + "\t65535", "64\t" + N19("TRANSPORTER") + "\t0x0100"});
  EXPECT_EQ(k.Parametry(0xFA)[0], "02 4B 45 47 20 33 30 4C 20 20 20 20 20 20 20 20 20 20 20 20 FF FF");
  k.Odczyt(51, "OPojemn", {},
           LiniePojemnikow({{2, N19("KEG 30L") + "\t65535"},
                            {3, "BUTELKA0,5" + std::string(8, ' ') + "\t50"},
                            {64, N19("TRANSPORTER") + "\t256"}}));
  k.Zapis(52, "ZPojemn", {"4\t" + N19("KEG 50L") + "\t65536"}, 11, "bledna linia lub bledne pole w pliku wejsciowym");
  k.Zapis(52, "ZPojemn", {"65\t" + N19("KEG 50L") + "\t1"}, 110, "kasa zglosila blad o statusie 10");
  k.Zapis(54, "ZTPojemn", {"12\t2", "2500\t64", "7\t0"});
  EXPECT_EQ(k.Parametry(0xFC), (std::vector<std::string>{"0C 00 02", "C4 09 40", "07 00 00"}));
  k.Odczyt(53, "OTPojemn", {"7", "12", "2500"}, {"00007\t00", "00012\t02", "02500\t64"});
  // The register refuses a link to a container it has not and a goods number
  // beyond its capacity in the status it reports: the command ends with it.
  k.Zapis(54, "ZTPojemn", {"13\t3", "14\t65", "15\t3"}, 110, "kasa zglosila blad o statusie 10");
  k.Zapis(54, "ZTPojemn", {"2501\t3"}, 105, "numer towaru poza pojemnoscia kasy");
  k.Odczyt(53, "OTPojemn", {"13", "14", "2501"}, {"00013\t03", "00014\t00"}, 105, "numer towaru poza pojemnoscia kasy");
  k.Zapis(54, "ZTPojemn", {"15\t300"}, 11, "bledna linia lub bledne pole w pliku wejsciowym");
  EXPECT_EQ(k.Stan("pojemnik_towaru"), (std::vector<std::string>{"12\t2", "13\t3", "2500\t64"}));
}

// A register without containers: each command ends with 25 once the session
// has opened, before any container request, and a readout's file holds only
// its header.
TEST(Pojemniki, RegisterWithoutContainersAnswers25) {
  Kasa k("vin-t.txt", {});
  ASSERT_TRUE(k.Gotowa());
  const std::string opis = "blad odczytu bloku danych z kasy";
  k.Odczyt(51, "OPojemn", {}, {}, 25, opis);
  k.Zapis(52, "ZPojemn", {"2\t" + N19("KEG 30L") + "\t1"}, 25, opis);
  k.Odczyt(53, "OTPojemn", {"7"}, {}, 25, opis);
  k.Zapis(54, "ZTPojemn", {"7\t2"}, 25, opis);
  for (uint8_t kod : {0xFB, 0xFA, 0xFD, 0xFC}) EXPECT_EQ(k.IleRazy(kod), 0);
}
