// The communication module's state machine: request frames carried out on
// the register, the control frames, the faults, and the module's own state.
#include <gtest/gtest.h>

#include "module/module.h"
#include "module/module_exchange.h"
#include "sim_test_support.h"

using sim::Bajty;
namespace ramka = sim::ramka;

namespace {

struct Odpowiedz {
  uint8_t bajt = 0xEE;
  Bajty tresc;
  bool operator==(const Odpowiedz&) const = default;
};

void PrintTo(const Odpowiedz& o, std::ostream* os) { *os << "control " << int(o.bajt) << " [" << sim::Szesnastkowo(o.tresc) << "]"; }

// A long answer: 300 data bytes after the acknowledgement.
sim::Bajty Dlugie(sim::Wymiana&) { return Bajty(300, 0x41); }
const sim::Rozkaz WLASNE[] = {{.kod = 0x7E, .opis = "long answer", .pierwsza = Dlugie}};

std::vector<sim::UsterkaModulu> UsterkiModulu(std::initializer_list<const char*> zapisy) {
  return simtest::Wczytane(sim::CzytajUsterkeModulu, zapisy);
}

// The module with one register (vin-t, number 07, address 1), fed whole frames.
struct Modul {
  explicit Modul(std::vector<sim::UsterkaModulu> usterki = {}, std::vector<sim::Usterka> usterkiKasy = {}) {
    std::vector<std::unique_ptr<sim::Kasa>> kasy;
    kasy.push_back(std::make_unique<sim::Kasa>(simtest::Stan("vin-t.txt"), std::move(usterkiKasy), dziennik,
                                               sim::UstawieniaKasy{}, WLASNE));
    modul = std::make_unique<sim::Modul>(std::move(kasy), sim::StanModulu{}, std::move(usterki), dziennik);
  }

  // Every answer frame the module sent for these wire bytes.
  std::vector<Odpowiedz> Bajty_(const Bajty& bajty) {
    modul->Odebrano(bajty, wyjscie, sim::Zegar::now());
    std::vector<Odpowiedz> wynik;
    ramka::Odbiornik o;
    for (uint8_t b : wyjscie.Odbierz()) {
      if (!o.Dodaj(b)) continue;
      std::string blad;
      const auto r = ramka::Rozbierz(o.Ramka(), blad);
      wynik.push_back(r ? Odpowiedz{r->bajtSterujacy, r->tresc} : Odpowiedz{0xFF, {}});
    }
    return wynik;
  }
  std::vector<Odpowiedz> Ramka(uint8_t bajt, const Bajty& tresc) { return Bajty_(*ramka::Zbuduj(bajt, tresc)); }
  std::vector<Odpowiedz> Zadanie(uint8_t kod, uint8_t pierwsza, const Bajty& parametry = {}, uint8_t druga = 0,
                                 uint8_t adres = 1) {
    Bajty tresc{pierwsza, druga, 0, 0x1B, kod};
    tresc.insert(tresc.end(), parametry.begin(), parametry.end());
    const uint8_t bit = pierwsza && !parametry.empty() ? 0x10 : 0;
    return Ramka(static_cast<uint8_t>(0x20 | bit | (adres - 1)), tresc);
  }
  std::vector<Odpowiedz> Sterujaca(uint8_t typ, const Bajty& dane = {}) {
    Bajty tresc{0, 0, 0, typ};
    tresc.insert(tresc.end(), dane.begin(), dane.end());
    return Ramka(0x00, tresc);
  }

  sim::Dziennik dziennik;
  simtest::Zapis wyjscie;
  std::unique_ptr<sim::Modul> modul;
};

using Odp = std::vector<Odpowiedz>;
const Bajty NUMER{0x06, '0', '7'};
Bajty Tekst(const std::string& t) { return Bajty(t.begin(), t.end()); }

TEST(ModulKomunikacyjny, SingleFramesAndTheirAnswers) {
  const struct { const char* nazwa; std::function<Odp(Modul&)> krok; Odp oczekiwane; } przypadki[] = {
      {"register number", [](Modul& m) { return m.Zadanie(0xC0, 3); }, {{0x00, NUMER}}},
      {"write with its parameters", [](Modul& m) { return m.Zadanie(0x43, 1, {'1', '2'}); }, {{0x00, {0x06}}}},
      {"bit 0x10 missing", [](Modul& m) { return m.Ramka(0x20, {1, 0, 0, 0x1B, 0x43, '1', '2'}); }, {{0x03, {}}}},
      {"no escape byte", [](Modul& m) { return m.Ramka(0x20, {3, 0, 0, 0x1C, 0xC0}); }, {{0x03, {}}}},
      {"no register at address 2", [](Modul& m) { return m.Zadanie(0xC0, 3, {}, 0, 2); }, {{0x06, {}}}},
      {"answer shorter than asked", [](Modul& m) { return m.Zadanie(0xC0, 5); }, {{0x06, {}}}},
      {"refusal ends the exchange", [](Modul& m) { return m.Zadanie(0x02, 1, {1, 2, 3}, 1); }, {{0x00, {0x15}}}},
      {"broken request frame", [](Modul& m) {
         Bajty b = *ramka::Zbuduj(0x20, Bajty{3, 0, 0, 0x1B, 0xC0});
         b[9] ^= 0x01;
         return m.Bajty_(b);
       }, {{0x01, {}}}},
      {"version", [](Modul& m) { return m.Sterujaca(1); }, {{0x00, Tekst("KARVO MK 1.0")}}},
      {"unknown control type", [](Modul& m) { return m.Sterujaca(9); }, {{0x02, {}}}},
      {"type 0", [](Modul& m) { return m.Sterujaca(0); }, {{0x02, {}}}},
      {"nothing to repeat", [](Modul& m) { return m.Sterujaca(6); }, {{0x03, {}}}},
      {"no second part waiting", [](Modul& m) { return m.Sterujaca(8); }, {{0x03, {}}}},
      {"wrong password", [](Modul& m) { return m.Sterujaca(3, Tekst("HASLO123")); }, {{0x10, {}}}},
      {"right password", [](Modul& m) { return m.Sterujaca(3, Tekst("00000000")); }, {{0x00, {}}}},
      {"short time-out word", [](Modul& m) { return m.Sterujaca(4, {5}); }, {{0x20, {}}}},
      {"rings without data", [](Modul& m) { return m.Sterujaca(7); }, {{0x03, {}}}},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.nazwa);
    Modul m;
    EXPECT_EQ(p.krok(m), p.oczekiwane);
  }
}

TEST(ModulKomunikacyjny, RepeatsTheLastAnswer) {
  Modul m;
  EXPECT_EQ(m.Zadanie(0xC0, 3), (Odp{{0x00, NUMER}}));
  EXPECT_EQ(m.Sterujaca(6), (Odp{{0x00, NUMER}}));
  EXPECT_EQ(m.modul->Kasy()[0]->Wystapienia(0xC0), 1u);  // not carried out again
}

TEST(ModulKomunikacyjny, KeepsPasswordRingsAndTimeOutWords) {
  Modul m;
  EXPECT_EQ(m.Sterujaca(2, Tekst("NOWE1234")), (Odp{{0x00, {}}}));
  EXPECT_EQ(m.Sterujaca(3, Tekst("00000000")), (Odp{{0x10, {}}}));
  EXPECT_EQ(m.Sterujaca(3, Tekst("NOWE1234")), (Odp{{0x00, {}}}));
  EXPECT_EQ(m.Sterujaca(7, {3}), (Odp{{0x00, {}}}));
  EXPECT_EQ(m.Sterujaca(4, {0x34, 0x12}), (Odp{{0x00, {}}}));
  EXPECT_EQ(m.Sterujaca(5, {0x02, 0x00}), (Odp{{0x00, {}}}));
  const sim::StanModulu& s = m.modul->Stan();
  EXPECT_EQ(s.haslo, "NOWE1234");
  EXPECT_EQ(s.dzwonki, 3);
  EXPECT_EQ(s.czas1, 0x1234);
  EXPECT_EQ(s.czas2, 2);
}

TEST(ModulKomunikacyjny, WaitsForTheControlFramesItAskedFor) {
  Modul m(UsterkiModulu({"0xC0,n=1:control=0x30"}));
  EXPECT_EQ(m.Zadanie(0xC0, 3), (Odp{{0x30, {}}}));
  EXPECT_EQ(m.Zadanie(0xC0, 3), (Odp{{0x30, {}}}));  // still waiting
  EXPECT_EQ(m.Sterujaca(3, Tekst("00000000")), (Odp{{0x00, {}}}));
  EXPECT_EQ(m.Zadanie(0xC0, 3), (Odp{{0x20, {}}}));
  EXPECT_EQ(m.Sterujaca(4, {1, 0}), (Odp{{0x00, {}}}));
  EXPECT_EQ(m.Zadanie(0xC0, 3), (Odp{{0x00, NUMER}}));
  EXPECT_EQ(m.modul->Kasy()[0]->Wystapienia(0xC0), 1u);
}

TEST(ModulKomunikacyjny, HandsOutTwoParts) {
  Modul m(UsterkiModulu({"0xC0:split=1"}));
  EXPECT_EQ(m.Zadanie(0xC0, 3), (Odp{{0x08, {0x06}}}));
  EXPECT_EQ(m.Sterujaca(8), (Odp{{0x08, {'0', '7'}}}));
  EXPECT_EQ(m.Sterujaca(8), (Odp{{0x03, {}}}));
}

TEST(ModulKomunikacyjny, SplitsAnAnswerLongerThanAFrame) {
  Modul m;
  const Odp pierwsza = m.Zadanie(0x7E, 255);
  ASSERT_EQ(pierwsza.size(), 1u);
  EXPECT_EQ(pierwsza[0].bajt, 0x08);
  EXPECT_EQ(pierwsza[0].tresc.size(), ramka::NajwiecejTresci);
  const Odp druga = m.Sterujaca(8);
  ASSERT_EQ(druga.size(), 1u);
  EXPECT_EQ(druga[0].tresc.size(), 255u - ramka::NajwiecejTresci);
}

TEST(ModulKomunikacyjny, FaultsSpoilTheAnswerOnly) {
  const struct { const char* usterka; size_t ramek; bool dobra; Bajty poczatek; } przypadki[] = {
      {"*:silent", 0, false, {}},
      {"*:crc", 1, false, Tekst("KARVO")},
      {"*:garbage=3", 1, true, Tekst("KARKARVO")},
      {"0xC0:late=1", 1, true, Tekst("KARVO")},
      {"0xC1:crc", 1, true, Tekst("KARVO")},      // another code
      {"*,n=2:crc", 1, true, Tekst("KARVO")},     // another occurrence
      {"ctl*:crc", 1, true, Tekst("KARVO")},      // control frames only
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(p.usterka);
    Modul m(UsterkiModulu({p.usterka}));
    const Odp o = m.Zadanie(0xC0, 3);
    ASSERT_EQ(o.size(), p.ramek);
    if (o.empty()) continue;
    EXPECT_EQ(o[0] == (Odpowiedz{0x00, NUMER}), p.dobra);
  }
  Modul m(UsterkiModulu({"*:cut=7"}));
  m.modul->Odebrano(*ramka::Zbuduj(0x20, Bajty{3, 0, 0, 0x1B, 0xC0}), m.wyjscie, sim::Zegar::now());
  EXPECT_EQ(m.wyjscie.Odbierz().size(), 7u);
  EXPECT_EQ(m.Sterujaca(6), (Odp{{0x00, NUMER}}));  // the whole answer again
  Modul cisza(UsterkiModulu({"*:silent"}));
  cisza.Zadanie(0xC0, 3);
  EXPECT_EQ(cisza.modul->Kasy()[0]->Wystapienia(0xC0), 0u);
}

TEST(ModulKomunikacyjny, DropsAFrameCutShort) {
  Modul m;
  const Bajty calosc = *ramka::Zbuduj(0x20, Bajty{3, 0, 0, 0x1B, 0xC0});
  const auto teraz = sim::Zegar::now();
  m.modul->Odebrano(std::span(calosc).first(9), m.wyjscie, teraz);
  ASSERT_TRUE(m.modul->Termin());
  m.modul->Sprawdz(*m.modul->Termin());
  EXPECT_FALSE(m.modul->Termin());
  EXPECT_EQ(m.Bajty_(calosc), (Odp{{0x00, NUMER}}));
  EXPECT_FALSE(m.modul->Termin());  // a whole frame leaves nothing under way
}

TEST(WymianaModulu, EndMarkerEndsARecordList) {
  EXPECT_TRUE(sim::KoniecRekordow(0xFF, 0, 13));
  EXPECT_TRUE(sim::KoniecRekordow(0xFF, 26, 13));
  EXPECT_FALSE(sim::KoniecRekordow(0xFF, 27, 13));
  EXPECT_FALSE(sim::KoniecRekordow(0xFE, 13, 13));
  EXPECT_FALSE(sim::KoniecRekordow(0xFF, 0, 0));
}

TEST(UsterkiModulu, ParseAndMatch) {
  const struct { const char* zapis; bool sterujaca; int kod; uint32_t od, doW; sim::RodzajUsterkiModulu rodzaj; uint32_t liczba; } dobre[] = {
      {"*:silent", false, -1, 1, UINT32_MAX, sim::RodzajUsterkiModulu::Cisza, 0},
      {"0x43,n=2:crc", false, 0x43, 2, 2, sim::RodzajUsterkiModulu::Crc, 0},
      {"ctl6,n=1-2:cut=9", true, 6, 1, 2, sim::RodzajUsterkiModulu::Ciecie, 9},
      {"ctl*:garbage", true, -1, 1, UINT32_MAX, sim::RodzajUsterkiModulu::Smieci, 8},
      {"*,n=3+:late=100", false, -1, 3, UINT32_MAX, sim::RodzajUsterkiModulu::Opoznienie, 100},
      {"0xC0,reg=2:control=0x10", false, 0xC0, 1, UINT32_MAX, sim::RodzajUsterkiModulu::Sterujacy, 0x10},
      {"*:split=4", false, -1, 1, UINT32_MAX, sim::RodzajUsterkiModulu::Podzial, 4},
  };
  for (const auto& d : dobre) {
    SCOPED_TRACE(d.zapis);
    std::string blad;
    const auto u = sim::CzytajUsterkeModulu(d.zapis, blad);
    ASSERT_TRUE(u) << blad;
    EXPECT_EQ(u->sterujaca, d.sterujaca);
    EXPECT_EQ(u->kod, d.kod);
    EXPECT_EQ(u->od, d.od);
    EXPECT_EQ(u->doWystapienia, d.doW);
    EXPECT_EQ(u->rodzaj, d.rodzaj);
    EXPECT_EQ(u->liczba, d.liczba);
  }
  const struct { const char* zapis; const char* blad; } zle[] = {
      {"silent", "a module fault is FRAME[,OPTION...]:KIND[=ARGUMENT]"},
      {"0x1FF:crc", "the frame is *, a request code or ctlT"},
      {"ctlx:crc", "ctl takes a control type or *"},
      {"*:crc=1", "bad argument for crc"},
      {"*:cut", "bad argument for cut"},
      {"*:control=256", "bad argument for control"},
      {"*:bogus", "unknown module fault kind \"bogus\""},
      {"*,n=0:crc", "n= takes N, N-M or N+ (from 1)"},
      {"*,reg=9:crc", "reg= takes an address 1 to 8"},
      {"*,q=1:crc", "unknown option \"q=1\" (n=, reg=)"},
  };
  for (const auto& z : zle) {
    SCOPED_TRACE(z.zapis);
    std::string blad;
    EXPECT_FALSE(sim::CzytajUsterkeModulu(z.zapis, blad));
    EXPECT_EQ(blad, z.blad);
  }
  std::string blad;
  const auto u = sim::CzytajUsterkeModulu("0x43,n=2-3,reg=1:crc", blad);
  ASSERT_TRUE(u);
  EXPECT_FALSE(u->Pasuje(false, 0x43, 1, 1));
  EXPECT_TRUE(u->Pasuje(false, 0x43, 1, 3));
  EXPECT_FALSE(u->Pasuje(true, 0x43, 1, 2));   // a control frame of type 0x43
  EXPECT_FALSE(u->Pasuje(false, 0x43, 2, 2));  // another register
}

TEST(StanModulu, ReadFromAndWrittenBackIntoTheStateFile) {
  std::string blad;
  auto plik = sim::PlikDanych::ZTekstu("$typ\t0x24\r\n$modul_haslo\tHASLO123\r\n$modul_dzwonki\t4\r\n", blad);
  ASSERT_TRUE(plik) << blad;
  const auto stan = sim::StanModuluZPliku(*plik, blad);
  ASSERT_TRUE(stan) << blad;
  EXPECT_EQ(stan->haslo, "HASLO123");
  EXPECT_EQ(stan->dzwonki, 4);
  EXPECT_EQ(stan->wersja, "KARVO MK 1.0");
  sim::StanModulu nowy = *stan;
  nowy.czas1 = 7;
  sim::StanModuluDoPliku(nowy, *stan, *plik);
  EXPECT_EQ(plik->Tekst(), "$typ\t0x24\r\n$modul_haslo\tHASLO123\r\n$modul_dzwonki\t4\r\n$modul_czas1\t7\r\n");
  for (const char* zly : {"$modul_haslo\tKROTKIE\r\n", "$modul_dzwonki\t256\r\n", "$modul_wersja\tabc\r\n",
                          "$modul_czas2\t65536\r\n"}) {
    SCOPED_TRACE(zly);
    auto p = sim::PlikDanych::ZTekstu(zly, blad);
    ASSERT_TRUE(p);
    EXPECT_FALSE(sim::StanModuluZPliku(*p, blad));
  }
}

}  // namespace
