// The end-of-day sequence _OSpOpMax from end to end: the readouts, the
// clearing and its repeats, the sorting or the marker file, the checks of its
// input line, and every inner command's failure ending the sequence before
// the register is cleared. Every file it leaves is compared byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "harness.h"

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

int Kod(const WynikKarvo& w) {
  const size_t p = w.raport.find("\r\n#");
  return p == std::string::npos ? -1 : std::atoi(w.raport.c_str() + p + 3);
}

// One register with the day's sales, behind a pty or the network module.
class Dzien {
 public:
  Dzien(const Rodzina& r, std::vector<std::string> usterki = {}, e2e::Lacze lacze = e2e::Lacze::Pty,
        const std::string& sprzedaz = SPRZEDAZ)
      : r_(r) {
    const std::string stan = env_.Sciezka(r.plik);
    ZapiszPlik(stan, CzytajPlik(Urzadzenie(r.plik)) + sprzedaz);
    sim_ = std::make_unique<Symulator>(env_.Katalog(),
                                       OpcjeSymulatora{.urzadzenia = {stan}, .lacze = lacze, .usterki = usterki});
    if (lacze == e2e::Lacze::ModulTcp) {
      lacze_ = env_.PolaczZModulem(*sim_, r.numer);
      ogon_ = "\t" + env_.Pole5();
    } else {
      env_.PolaczZSymulatorem(*sim_, r.numer);
    }
  }
  bool Gotowy() const { return sim_->Gotowy(); }

  WynikKarvo Uruchom(const std::string& pola) {
    env_.Plik("WE.TXT", Srodowisko::Wejscie(r_.numer, {pola}));
    WynikKarvo w = env_.Karvo(324, "WE.TXT");
    EXPECT_FALSE(w.przekroczonyCzas);
    return w;
  }
  std::string Plik(const std::string& nazwa) const { return CzytajPlik(env_.Sciezka(nazwa)); }
  bool Istnieje(const std::string& nazwa) const { return std::filesystem::exists(env_.Sciezka(nazwa)); }
  const Srodowisko& Env() const { return env_; }
  int IleRazy(uint8_t kod) const { return e2e::IleRazy(sim_->Dziennik(), kod); }
  std::string Stan() {
    sim_->Zatrzymaj();
    return sim_->Stan();
  }
  // The header an inner command writes: its own line 0, the register identified by the first session.
  std::string Naglowek(const std::string& funkcja, const std::string& wyjscie) const {
    return Linie({Naglowek0(r_.numer, lacze_, funkcja, wyjscie), "", std::string(r_.nazwa) + ZRODLO + ogon_});
  }

 private:
  Stanowisko env_;
  Rodzina r_;
  std::unique_ptr<Symulator> sim_;
  std::string lacze_ = "COM1:9600:MUX0:1";
  std::string ogon_;
};

const Rodzina& RodzinaZPliku(const std::string& plik) {
  for (const Rodzina& r : RODZINY)
    if (plik == r.plik) return r;
  ADD_FAILURE() << plik;
  return RODZINY.front();
}

const std::string POLA = "SPRZ.TXT\tSPAK.TXT\tOPAK.TXT\tRAB.TXT";

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
  // Only the report the run ended with goes to the log.
  SprawdzLog(w);
  const std::string stan = d.Stan();
  EXPECT_EQ(stan.find("$sprzedaz\t"), std::string::npos) << stan;
}
