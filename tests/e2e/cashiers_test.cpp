// The cashier commands from end to end: the cashier table and its rights, the
// shift readouts with their zeroing, the cash payouts and the containers,
// each on the register families that answer them differently, with the
// output files, the reports and the register's state checked whole.
#include <gtest/gtest.h>

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
  Kasa(const char* plik, const std::vector<std::string>& stan) : r_(RodzinaZPliku(plik)) {
    std::string tresc = CzytajPlik(Urzadzenie(plik));
    for (const auto& l : stan) tresc += l + "\r\n";
    const std::string sciezka = env_.Sciezka(plik);
    ZapiszPlik(sciezka, tresc);
    sim_ = std::make_unique<Symulator>(env_.Katalog(), OpcjeSymulatora{.urzadzenia = {sciezka}});
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
    // The input file's faults name it.
    const std::string linia = wynik == 0 ? DOBRZE : Opis(wynik, opis, wynik == 10 || wynik == 11 ? "WE.TXT" : "");
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

 private:
  inline static const std::string LACZE = "COM1:9600:MUX0:1";
  Stanowisko env_;
  Rodzina r_;
  std::unique_ptr<Symulator> sim_;
  std::string zrodlo_;
};

const std::string NAZWA_ANNY = "Anna Kowalska      ";  // 19 characters
const std::string NAZWA_JANA = "Jan Nowak          ";

}  // namespace

// ---- the cashier table and the rights ----

// Cashiers 1 and 3 of a table of four: the missing 2 is skipped and the end
// of the table ends the readout with 0. Writes, rights and deletions follow,
// each read back, with the refusals of the register and of the input.
TEST(Kasjerzy, TableWrittenRightsChangedAndDeletedOnARegularRegister) {
  Kasa k("vin-t.txt", {"$kasjerow\t4", "$kasjer\t1\tAnna Kowalska\t1111\t0x06", "$kasjer\t3\tJan\t\\x00ab\t0x46",
                       "$zalogowany\t1"});
  ASSERT_TRUE(k.Gotowa());
  // The password's zero byte adds nothing; bits 1 and 2 are reported.
  k.Odczyt(41, "OKasjer", {}, {"01\t" + NAZWA_ANNY + "\t1111\t1\t1", "03\tJan" + std::string(16, ' ') + "\tab \t1\t1"});
  k.Odczyt(44, "OUprKas", {}, {"01\t0\t0\t0\t0\t0", "03\t0\t0\t0\t1\t0"});
  k.Zapis(42, "ZKasjer", {"2\t" + NAZWA_JANA + "\t2222", "4\tEwa Lis            \t0000"});
  // Cashier 3's flag byte 0x46 with rights 1 1 0 0 1 becomes 0x9E.
  k.Zapis(45, "ZUprKas", {"3\t1\t1\t0\t0\t1", "2\t0\t0\t1\t0\t0"});
  k.Odczyt(44, "OUprKas", {},
           {"01\t0\t0\t0\t0\t0", "02\t0\t0\t1\t0\t0", "03\t1\t1\t0\t0\t1", "04\t0\t0\t0\t0\t0"});
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
  EXPECT_EQ(k.Stan("kasjer"), (std::vector<std::string>{"1\tAnna Kowalska\t1111\t6", "2\tJan Nowak\t2222\t32",
                                                        "3\tJan\t\\x00ab\t158"}));
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
