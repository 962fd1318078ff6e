// The report and receipt counters, the tax rate table and the long periodic
// sales readout from end to end, on every register family: one simulated
// register per family, the driver run against it, every output file and
// report compared whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"
#include "register_on_line.h"

using namespace e2e;

namespace {

const std::string Z_BUFORA = " (identyfikator odczytany z urzadzenia i pliku ECRTBUF.TXT)";

bool Cenometr(const Rodzina& r) {
  const std::string plik = r.plik;
  return plik.starts_with("cenometr") || plik.starts_with("ubo");
}

bool Norda(const Rodzina& r) { return std::string(r.plik) == "norda-u.txt"; }

bool DrugaGeneracja(const Rodzina& r) {
  for (const char* p : {"veko-100.txt", "pelto-103.txt", "tamo-f.txt", "vin-t.txt"})
    if (std::string(r.plik) == p) return true;
  return false;
}

// The default tax table of each family as _OPodatek writes it.
std::string Podatki(const Rodzina& r) {
  if (Norda(r)) return "23.00\tA23\t8.00\tB08\t5.00\tC05\t0.00\tD00\tREZERWA\tE--";
  if (DrugaGeneracja(r)) return "23.00\t8.00\t5.00\t0.00\tZWOLNIONA\tREZERWA\tREZERWA";
  return "23.00\t8.00\t5.00\t0.00\tREZERWA\tREZERWA";
}

// One register with further state keys; each run's output and report are checked whole.
class Kasa : KasaNaLinii {
 public:
  Kasa(const Rodzina& r, const std::string& dodatki, std::vector<std::string> usterki = {})
      : KasaNaLinii(r, dodatki, std::move(usterki)), zrodlo_(Identyfikacja()) {
    env.Plik("WE.TXT", Srodowisko::Wejscie(r.numer));
  }
  bool Gotowa() const { return sim->Gotowy(); }

  // The output file a reading command leaves: its header lines and these data lines.
  WynikKarvo Odczyt(int kod, const std::string& funkcja, const std::vector<std::string>& dane, int wynik = 0,
                    const std::string& opis = "") {
    const WynikKarvo w = env.Karvo(kod, "WE.TXT", "WY.TXT");
    EXPECT_FALSE(w.przekroczonyCzas) << funkcja;
    std::string linie;
    for (const auto& d : dane) linie += "$" + d + "\r\n";
    const std::string naglowek = Linie({Naglowek0(r.numer, lacze, funkcja, "WY.TXT"), "", zrodlo_});
    // The periodic readout appends: only the first block is known here.
    if (kod != 323 || !dane.empty()) {
      EXPECT_EQ(BezCzasu(w.wyjscie), naglowek + linie) << funkcja << " " << r.plik;
    }
    const std::string wiersz = wynik == 0 ? DOBRZE : Opis(wynik, opis);
    EXPECT_EQ(BezCzasu(w.raport), Linie({Naglowek0(r.numer, lacze, funkcja, "WY.TXT"), wiersz, zrodlo_}))
        << funkcja << " " << r.plik;
    if (!Cenometr(r)) zrodlo_ = Identyfikacja(Z_BUFORA);
    return w;
  }
  int IleRazy(uint8_t kod) const { return e2e::IleRazy(sim->Dziennik(), kod); }

 private:
  std::string zrodlo_;
};

class LicznikiRodziny : public ::testing::TestWithParam<Rodzina> {};

}  // namespace

// Every family: the two counters and the tax table; the price checkers issue
// no receipts and refuse all three.
TEST_P(LicznikiRodziny, CountersAndTaxRates) {
  const Rodzina& r = GetParam();
  Kasa k(r, "$nr_raportu\t313\r\n$nr_paragonu\t65535\r\n");
  ASSERT_TRUE(k.Gotowa());
  if (Cenometr(r)) {
    k.Odczyt(320, "ONrRap", {}, 24, "kasa odrzucila rozkaz");
    k.Odczyt(321, "ONrParag", {}, 24, "kasa odrzucila rozkaz");
    k.Odczyt(322, "OPodatek", {}, 24, "kasa odrzucila rozkaz");
    return;
  }
  k.Odczyt(320, "ONrRap", {"313"});
  k.Odczyt(321, "ONrParag", {"65535"});
  k.Odczyt(322, "OPodatek", {Podatki(r)});
}

INSTANTIATE_TEST_SUITE_P(Rodziny, LicznikiRodziny, ::testing::ValuesIn(RODZINY));

// Rates of the state file, with the reserve marker of each family and the
// exempt marker where the family has one; zero bytes of the Norda texts are left out.
TEST(Podatki, ReserveExemptAndNordaTexts) {
  const struct {
    const char* plik;
    std::string stan, linia;
  } przypadki[] = {
      {"typ-24.txt", "$podatki\t22\t7\t-\t0.5\t99.99\r\n", "22.00\t7.00\tREZERWA\t0.50\t99.99\tREZERWA"},
      {"op-o.txt", "$podatki\t-\t-\t-\t-\t-\t-\r\n", "REZERWA\tREZERWA\tREZERWA\tREZERWA\tREZERWA\tREZERWA"},
      {"veko-100.txt", "$podatki\tzw\t23\t-\t8\t5\t0\t3.25\r\n",
       "ZWOLNIONA\t23.00\tREZERWA\t8.00\t5.00\t0.00\t3.25"},
      {"norda-u.txt", "$podatki\t23\t-\t8\r\n$podatki_znaki\tA\t\tXYZ\tQQ\r\n",
       "23.00\tA\tREZERWA\t\t8.00\tXYZ\tREZERWA\tQQ\tREZERWA\tE--"},
  };
  for (const auto& p : przypadki) {
    Kasa k(RodzinaZPliku(p.plik), p.stan);
    ASSERT_TRUE(k.Gotowa()) << p.plik;
    k.Odczyt(322, "OPodatek", {p.linia});
  }
}

// A register that refuses the counters: its refusal and nothing written.
TEST(Liczniki, RefusalsEndTheCommandWithTheRegistersCode) {
  Kasa k(RodzinaZPliku("vin-t.txt"), "", {"0xCA:refuse", "0x66:ack=0x01", "0xD0:ack=0x65"});
  ASSERT_TRUE(k.Gotowa());
  k.Odczyt(320, "ONrRap", {}, 24, "kasa odrzucila rozkaz");
  k.Odczyt(321, "ONrParag", {}, 101, "kasa zglosila blad o statusie 1");
  k.Odczyt(322, "OPodatek", {}, 201, "kasa zglosila blad o statusie 101");
}

namespace {

// Two periodic records of the long stream: a text record and a sales record
// (goods 7, 1.234 units, 4188, 26.12.08 14:35, cashier fields after them).
const std::string OKRESY =
    "$okresD6\tFE 0201 0403 05 50415241474F4E0D 000000000000000000000000000000 000000\r\n"
    "$okresD6\t07 0100 0200 D2040000 03 5C100000 0000 1AC8E875 2A 01000000 02000000 030000\r\n";

}  // namespace

// The long periodic readout: mode 2 (0xD6, 0xD5) on the plain registers, mode
// 5 (0xA1 with check bytes) on the extended ones; a second run appends its
// block to the first. A register that refuses the readout gives 25.
TEST(OkresoweN, PlainAndExtendedRegistersAppend) {
  const std::string tekst = "3\t772\t258\t5\tPARAGON";
  const struct {
    const char* plik;
    uint8_t otwarcie;
    std::string linia;
  } przypadki[] = {
      {"veko-100.txt", 0xD6, "1\t9999\t1\t7\t0\t0002\t1.234\t4188\t26.08.08\t21:42\t12\t59\t1\t2\t00"},
      {"vin-t.txt", 0xA1, "1\t0\t1\t7\t0\t0002\t1.234\t4188\t26.08.08\t21:42\t12\t59\t1\t2\t00"},
      {"norda-u.txt", 0xA1, "1\t9999\t1\t7\t0\t0002\t1.234\t4188\t26.08.08\t21:42\t12\t59\t1\t0012884901890"},
  };
  for (const auto& p : przypadki) {
    Kasa k(RodzinaZPliku(p.plik), OKRESY);
    ASSERT_TRUE(k.Gotowa()) << p.plik;
    const std::string pierwszy = k.Odczyt(323, "OPSpRozN", {tekst, p.linia}).wyjscie;
    const std::string drugi = k.Odczyt(323, "OPSpRozN", {}).wyjscie;
    ASSERT_TRUE(drugi.starts_with(pierwszy)) << p.plik;
    const std::string blok = drugi.substr(pierwszy.size());
    EXPECT_TRUE(blok.ends_with("\r\n$" + tekst + "\r\n$" + p.linia + "\r\n")) << blok;
    EXPECT_EQ(k.IleRazy(p.otwarcie), p.otwarcie == 0xD6 ? 2 : 4) << p.plik;
  }
  Kasa odmowa(RodzinaZPliku("veko-100.txt"), OKRESY, {"0xD6:refuse"});
  ASSERT_TRUE(odmowa.Gotowa());
  odmowa.Odczyt(323, "OPSpRozN", {}, 25, "blad odczytu bloku danych z kasy");
}
