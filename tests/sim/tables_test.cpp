// The register's tables and settings: which family answers which request,
// writes read back, end-of-records answers, and the state file keys.
#include <gtest/gtest.h>

#include "device/state_tables.h"
#include "sim_test_support.h"

using sim::Bajty;
using simtest::Stanowisko;

namespace {

constexpr uint8_t Odmowa = 0x15;

Bajty Tekst(const std::string& t) { return Bajty(t.begin(), t.end()); }

Bajty Polacz(Bajty a, const Bajty& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// What each ready-made register answers, written out here from the families' rules.
struct Rodzina {
  const char* plik;
  bool nowa;          // 0xD7, 0x57, 0xBA, 0xB9, 0xDF, 0xDE
  size_t platnosci;   // names in the 0xC9 table (0: the register reads them one by one)
  bool op;            // numbered header lines
  size_t zestawy;     // option sets
};

const Rodzina Rodziny[] = {
    {"typ-24.txt", false, 3, false, 2},       {"typ-27.txt", false, 3, false, 2},
    {"typ-0x24.txt", false, 3, false, 2},     {"veko-100.txt", false, 3, false, 3},
    {"pelto-103.txt", false, 3, false, 3},    {"tamo-f.txt", false, 3, false, 3},
    {"op-o.txt", false, 3, true, 2},          {"vin-t.txt", true, 0, false, 4},
    {"norda-u.txt", false, 2, false, 3},      {"cenometr-w.txt", true, 0, false, 4},
    {"cenometr-m.txt", false, 3, false, 3},   {"pojemniki-amp.txt", false, 3, false, 2},
    {"ubo-pct.txt", false, 3, false, 2},
};

}  // namespace

TEST(Tabele, EveryFamilyAnswersWithTheLengthsOfItsRequests) {
  const uint8_t odczytyZestawow[] = {0xC3, 0xB4, 0xDB, 0xDD};
  for (const Rodzina& r : Rodziny) {
    SCOPED_TRACE(r.plik);
    Stanowisko s(simtest::Stan(r.plik));
    EXPECT_EQ(s.Rozkaz(0xC5).size(), 65u);
    EXPECT_EQ(s.Rozkaz(0xC7, {1}).size(), 1u + 20u);
    EXPECT_EQ(s.Rozkaz(0xCD).size(), 2u);
    EXPECT_EQ(s.Rozkaz(0xC1).size(), 2u);
    for (uint8_t kod : {0x5B, 0x54, 0x55, 0x56}) EXPECT_EQ(s.Rozkaz(kod).size(), 2u);
    EXPECT_EQ(s.Rozkaz(0x57).size(), r.nowa ? 2u : 1u);
    EXPECT_EQ(s.Rozkaz(0x35).size(), 11u);
    EXPECT_EQ(s.Rozkaz(0xBA).size(), r.nowa ? 28u : 1u);
    if (r.platnosci) {
      EXPECT_EQ(s.Rozkaz(0xC9).size(), 1 + 13 * r.platnosci);
      EXPECT_EQ(s.Rozkaz(0xD7), Bajty{Odmowa});
    } else {
      EXPECT_EQ(s.Rozkaz(0xC9), Bajty{Odmowa});
      EXPECT_EQ(s.Rozkaz(0xD7, {1}).size(), 1u + 14u);
    }
    if (r.op) {
      EXPECT_EQ(s.Rozkaz(0xCF, {1}).size(), 1u + 42u);
    } else {
      EXPECT_EQ(s.Rozkaz(0xCF).size(), 49u);
    }
    for (size_t z = 0; z < 4; ++z)
      EXPECT_EQ(s.Rozkaz(odczytyZestawow[z]).size(), z < r.zestawy ? 4u : 1u) << "set " << z;
    EXPECT_EQ(s.Rozkaz(0xDF, {0}).size(), r.nowa ? 5u : 1u);
  }
}

// A write, then the read of the same table gives back what was written.
TEST(Tabele, WritesAreReadBack) {
  Stanowisko s(simtest::Stan("vin-t.txt"));
  EXPECT_EQ(s.Rozkaz(0xC4, Polacz({16}, Tekst("kg  "))), (Bajty{0x06, 0x00}));
  const Bajty jednostki = s.Rozkaz(0xC5);
  EXPECT_EQ(Bajty(jednostki.end() - 4, jednostki.end()), Tekst("kg  "));

  const Bajty grupa = Tekst("NAPOJE             ");
  EXPECT_EQ(s.Rozkaz(0xC6, Polacz({7}, grupa)), (Bajty{0x06, 0x00}));
  EXPECT_EQ(s.Rozkaz(0xC7, {7}), Polacz({0x06, 0x00}, grupa));

  const Bajty platnosc = Tekst("KARTA PLAT.  ");
  EXPECT_EQ(s.Rozkaz(0xC8, Polacz({2}, platnosc)), (Bajty{0x06, 0x00}));
  EXPECT_EQ(s.Rozkaz(0xD7, {2}), Polacz({0x06, 0x00}, platnosc));

  EXPECT_EQ(s.Rozkaz(0xCC, {250}), (Bajty{0x06, 0x00}));
  EXPECT_EQ(s.Rozkaz(0xCD), (Bajty{0x06, 250}));

  // The line-count write answers nothing after its byte; 0 and 31 change nothing.
  EXPECT_EQ(s.Rozkaz(0x46, {30}), Bajty{0x06});
  EXPECT_EQ(s.Rozkaz(0x46, {31}), Bajty{0x06});
  EXPECT_EQ(s.Rozkaz(0x46, {0}), Bajty{0x06});
  EXPECT_EQ(s.Rozkaz(0xC1), (Bajty{0x06, 30}));

  const Bajty naglowek = Tekst("SKLEP POD LIPA          ULICA DLUGA 1           ");
  EXPECT_EQ(s.Rozkaz(0xCE, naglowek), (Bajty{0x06, 0x00}));
  EXPECT_EQ(s.Rozkaz(0xCF), Polacz({0x06}, naglowek));

  Bajty karta(27);
  for (size_t i = 0; i < karta.size(); ++i) karta[i] = static_cast<uint8_t>(i + 1);
  EXPECT_EQ(s.Rozkaz(0xB9, karta), Bajty{0x06});
  EXPECT_EQ(s.Rozkaz(0xBA), Polacz({0x06}, karta));
}

TEST(Tabele, NumbersTheTableDoesNotHoldGetTheirOwnStatus) {
  const struct {
    const char* plik;
    uint8_t kod;
    Bajty parametry;
    uint8_t status;
  } przypadki[] = {
      {"vin-t.txt", 0xC4, Polacz({17}, Tekst("abcd")), 0x0A},
      {"vin-t.txt", 0xC4, Polacz({0}, Tekst("abcd")), 0x0A},
      {"vin-t.txt", 0xC7, {0}, 0x0A},
      {"vin-t.txt", 0xC7, {13}, 0x0A},  // 12 groups
      {"vin-t.txt", 0xC6, Polacz({100}, Bajty(19, 'x')), 0x0A},
      {"vin-t.txt", 0xD7, {9}, 0x0F},  // 8 forms of payment
      {"vin-t.txt", 0xC8, Polacz({9}, Bajty(13, 'x')), 0x0F},
      {"norda-u.txt", 0xC8, Polacz({3}, Bajty(13, 'x')), 0x0F},  // a table of 2
      {"op-o.txt", 0xCF, {9}, 0x6C},  // 8 header lines
      {"op-o.txt", 0xCE, Polacz({9, 0}, Bajty(40, 'x')), 0x6C},
      {"vin-t.txt", 0xDF, {4}, 0x0A},
      {"vin-t.txt", 0xDE, {4, 1, 2, 3}, 0x0A},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(testing::Message() << p.plik << " 0x" << std::hex << int(p.kod));
    Stanowisko s(simtest::Stan(p.plik));
    EXPECT_EQ(s.Rozkaz(p.kod, p.parametry), (Bajty{0x06, p.status}));
    EXPECT_TRUE(s.kasa.Bezczynna());
  }
}

TEST(Tabele, AnEndOfRecordsFaultCutsTheNumberedTablesShort) {
  Stanowisko s(simtest::Stan("vin-t.txt"), simtest::Usterki({"0xC7:eor=13", "0xD7:eor=2", "0xCF:eor=1"}));
  EXPECT_EQ(s.Rozkaz(0xC7, {12}).size(), 21u);
  EXPECT_EQ(s.Rozkaz(0xC7, {13}), (Bajty{0x06, 0x0A}));
  EXPECT_EQ(s.Rozkaz(0xD7, {2}), (Bajty{0x06, 0x0F}));
  Stanowisko op(simtest::Stan("op-o.txt"), simtest::Usterki({"0xCF:eor=3"}));
  EXPECT_EQ(op.Rozkaz(0xCF, {2}).size(), 43u);
  EXPECT_EQ(op.Rozkaz(0xCF, {3}), (Bajty{0x06, 0x6C}));
}

// On 'o'/'p' the attribute byte tells whether 20 or 40 characters follow.
TEST(Tabele, HeaderLinesOfTypeOTakeTwentyOrFortyCharacters) {
  Stanowisko s(simtest::Stan("op-o.txt"));
  const Bajty krotki = Tekst("KROTKA LINIA 20 ZNAK");
  EXPECT_EQ(s.Rozkaz(0xCE, Polacz({1, 0x03}, krotki)), (Bajty{0x06, 0x00}));
  EXPECT_TRUE(s.kasa.Bezczynna());
  const Bajty dlugi = Tekst("DLUGA LINIA NAGLOWKA MA CZTERDZIESCI ZN.");
  EXPECT_EQ(s.Rozkaz(0xCE, Polacz({2, 0x00}, dlugi)), (Bajty{0x06, 0x00}));
  EXPECT_EQ(s.Rozkaz(0xCF, {1}), Polacz(Polacz({0x06, 0x00, 0x03}, krotki), Bajty(20, ' ')));
  EXPECT_EQ(s.Rozkaz(0xCF, {2}), Polacz({0x06, 0x00, 0x00}, dlugi));
  // A short line's parameters end after 22 bytes: a 40-character text would run into the next request.
  EXPECT_EQ(s.Rozkaz(0xCE, Polacz({3, 0x01}, dlugi)), (Bajty{0x06, 0x00}));
}

TEST(Tabele, StatusByteZeroCarriesTheVersionInItsHighNibble) {
  auto stan = simtest::Stan("vin-t.txt");
  stan.wersja = 3;
  stan.tabele.status = {0xFA, 0x11, 0x22, 0x33, 0x44};
  Stanowisko s(stan);
  EXPECT_EQ(s.Rozkaz(0x5B), (Bajty{0x06, 0x3A}));
  EXPECT_EQ(s.Rozkaz(0x54), (Bajty{0x06, 0x11}));
  EXPECT_EQ(s.Rozkaz(0x57), (Bajty{0x06, 0x44}));
}

TEST(Tabele, OptionSetsByIndexAndBySet) {
  Stanowisko s(simtest::Stan("vin-t.txt"));
  EXPECT_EQ(s.Rozkaz(0xDE, {3, 0x01, 0x80, 0xFF}), (Bajty{0x06, 0x00}));
  EXPECT_EQ(s.Rozkaz(0xDD), (Bajty{0x06, 0x01, 0x80, 0xFF}));
  // The per-set write answers nothing after its three bytes.
  EXPECT_EQ(s.Rozkaz(0xB3, {0x04, 0x05, 0x06}), Bajty{0x06});
  EXPECT_EQ(s.Rozkaz(0xDF, {1}), (Bajty{0x06, 0x00, 0x04, 0x05, 0x06}));

  Stanowisko stara(simtest::Stan("typ-24.txt"));
  EXPECT_EQ(stara.Rozkaz(0xDE), Bajty{Odmowa});
  EXPECT_EQ(stara.Rozkaz(0xC2, {0xAA, 0xBB, 0xCC}), Bajty{0x06});
  EXPECT_EQ(stara.Rozkaz(0xC3), (Bajty{0x06, 0xAA, 0xBB, 0xCC}));
  EXPECT_EQ(stara.Rozkaz(0xDA), Bajty{Odmowa});
}

TEST(Tabele, TheClockStandsRunsOrFollowsTheHost) {
  std::string blad;
  auto plik = sim::PlikDanych::ZTekstu("$zegar\t08.12.26\t14:35\n", blad);
  auto stale = sim::TabeleZPliku(*plik, 't', blad);
  ASSERT_TRUE(stale) << blad;
  const auto teraz = std::chrono::system_clock::now();
  const std::array<uint8_t, 10> oczekiwane{0, 8, 1, 2, 2, 6, 1, 4, 3, 5};
  EXPECT_EQ(sim::CyfryZegara(stale->zegar, teraz + std::chrono::hours(5)), oczekiwane);

  plik = sim::PlikDanych::ZTekstu("$zegar\t31.12.99\t23:59\tbiegnie\n", blad);
  auto biegnie = sim::TabeleZPliku(*plik, 't', blad);
  ASSERT_TRUE(biegnie) << blad;
  const auto start = biegnie->zegar.odKiedy;
  EXPECT_EQ(sim::CyfryZegara(biegnie->zegar, start), (std::array<uint8_t, 10>{3, 1, 1, 2, 9, 9, 2, 3, 5, 9}));
  EXPECT_EQ(sim::CyfryZegara(biegnie->zegar, start + std::chrono::minutes(2)),
            (std::array<uint8_t, 10>{0, 1, 0, 1, 0, 0, 0, 0, 0, 1}));

  const sim::ZegarKasy hosta;
  const std::time_t t = std::chrono::system_clock::to_time_t(teraz);
  std::tm czas{};
  localtime_r(&t, &czas);
  const auto cyfry = sim::CyfryZegara(hosta, teraz);
  EXPECT_EQ(cyfry[0] * 10 + cyfry[1], czas.tm_mday);
  EXPECT_EQ(cyfry[8] * 10 + cyfry[9], czas.tm_min);
}

TEST(Tabele, ReadsTheKeysAndNamesABadOne) {
  std::string blad;
  auto plik = sim::PlikDanych::ZTekstu(
      "$jednostka\t1\tszt\n$grupy\t12\n$grupa\t12\tOWOCE\n$platnosci\t3\n$platnosc\t3\tCZEK\n$rabat\t0x10\n"
      "$wiersze\t30\n$naglowek\tA\\x09B\n$status\t1\t2\t3\t4\t5\n$zestawy_opcji\t1\n$opcje\t0\t0x01\t2\t'A'\n"
      "$karta\t5\t4\tAB\\x00C\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15\t16\t17\t18\t19\n",
      blad);
  ASSERT_TRUE(plik);
  auto t = sim::TabeleZPliku(*plik, 't', blad);
  ASSERT_TRUE(t) << blad;
  EXPECT_EQ(t->jednostki[0], Tekst("szt "));
  ASSERT_EQ(t->grupy.size(), 12u);
  EXPECT_EQ(t->grupy[11], Tekst("OWOCE              "));
  EXPECT_EQ(t->platnosci.size(), 3u);
  EXPECT_EQ(t->rabat, 16);
  EXPECT_EQ(t->wiersze, 30);
  EXPECT_EQ(t->naglowek[0], Polacz(Tekst("A\tB"), Bajty(21, ' ')));
  EXPECT_EQ(t->status[4], 5);
  EXPECT_EQ(t->zestawyOpcji, 1);
  EXPECT_EQ(t->opcje[0], (std::array<uint8_t, 3>{1, 2, 'A'}));
  EXPECT_EQ(Bajty(t->karta.begin(), t->karta.begin() + 8), (Bajty{5, 4, 'A', 'B', 0, 'C', 0, 0}));
  EXPECT_EQ(t->karta[26], 19);

  const struct { const char* tekst; uint8_t typ; const char* klucz; } zle[] = {
      {"$jednostka\t17\tszt\n", 't', "jednostka"},   {"$jednostka\t1\tkilo\\x\n", 't', "jednostka"},
      {"$grupy\t5\n$grupa\t6\tX\n", 't', "grupa"},     {"$grupa\t1\t12345678901234567890\n", 't', "grupa"},
      {"$platnosci\t4\n", 'u', "platnosci"},          {"$platnosci\t256\n", 't', "platnosci"},
      {"$wiersze\t31\n", 't', "wiersze"},             {"$wiersze\t0\n", 't', "wiersze"},
      {"$linia\t9\t0\tX\n", 'o', "linia"},            {"$linia\t1\tX\n", 'p', "linia"},
      {"$status\t1\t2\t3\t4\n", 't', "status"},       {"$zegar\t31.02.26\t12:00\n", 't', "zegar"},
      {"$zegar\t01.01.26\t24:00\n", 't', "zegar"},    {"$zegar\t1.1.26\t12:00\n", 't', "zegar"},
      {"$zegar\t01.01.26\t12:00\tstoi\n", 't', "zegar"}, {"$karta\t1\t2\tABC\n", 't', "karta"},
      {"$zestawy_opcji\t5\n", 't', "zestawy_opcji"},  {"$opcje\t2\t1\t2\t3\n", '$', "opcje"},
      {"$naglowek\t1234567890123456789012345\n", 't', "naglowek"},
  };
  for (const auto& z : zle) {
    auto zly = sim::PlikDanych::ZTekstu(z.tekst, blad);
    ASSERT_TRUE(zly);
    blad.clear();
    EXPECT_FALSE(sim::TabeleZPliku(*zly, z.typ, blad)) << z.tekst;
    EXPECT_NE(blad.find(z.klucz), std::string::npos) << z.tekst << ": " << blad;
  }
}

TEST(Tabele, WrittenTablesGoBackIntoTheStateFileAndLoadTheSame) {
  std::string blad;
  auto plik = sim::PlikDanych::ZTekstu("$typ\t'o'\r\n$wersja\t1\r\n$identyfikator\tX\r\n$numer\t01\r\n$pojemnosc\t1\r\n"
                                       "$grupy\t3\r\n$zegar\t01.01.26\t12:00\r\n", blad);
  ASSERT_TRUE(plik);
  const auto wczytany = *sim::StanZPliku(*plik, blad);
  Stanowisko s(wczytany);
  s.Rozkaz(0xC4, Polacz({2}, Tekst("l\tx\\")));
  s.Rozkaz(0xC6, Polacz({3}, Tekst("GRUPA TRZECIA      ")));
  s.Rozkaz(0xC8, Polacz({1}, Tekst("GOTOWKA      ")));
  s.Rozkaz(0xCC, {5});
  s.Rozkaz(0x46, {12});
  s.Rozkaz(0xCE, Polacz({4, 0x03}, Tekst("  ODSTEP NA POCZATKU")));
  s.Rozkaz(0xC2, {0x81, 0, 0x7F});

  sim::StanDoPliku(s.kasa.Stan(), wczytany, *plik);
  const std::string tekst = plik->Tekst();
  for (const char* wiersz : {"$jednostka\t2\tl\\x09x\\\\\r\n", "$grupa\t3\tGRUPA TRZECIA\r\n", "$rabat\t5\r\n",
                             "$platnosc\t1\tGOTOWKA\r\n", "$wiersze\t12\r\n", "$linia\t4\t3\t  ODSTEP NA POCZATKU\r\n",
                             "$opcje\t0\t0x81\t0x00\t0x7F\r\n$opcje\t1\t0x00\t0x00\t0x00\r\n",
                             "$grupy\t3\r\n$zegar\t01.01.26\t12:00\r\n"})
    EXPECT_NE(tekst.find(wiersz), std::string::npos) << wiersz << " in\n" << tekst;
  EXPECT_EQ(tekst.find("$naglowek"), std::string::npos);  // unchanged keys stay out

  auto ponownie = sim::PlikDanych::ZTekstu(tekst, blad);
  const auto stan = sim::StanZPliku(*ponownie, blad);
  ASSERT_TRUE(stan) << blad;
  const sim::StanTabel& a = stan->tabele;
  const sim::StanTabel& b = s.kasa.Stan().tabele;
  EXPECT_EQ(a.jednostki, b.jednostki);
  EXPECT_EQ(a.grupy, b.grupy);
  EXPECT_EQ(a.platnosci, b.platnosci);
  EXPECT_EQ(a.rabat, b.rabat);
  EXPECT_EQ(a.wiersze, b.wiersze);
  ASSERT_EQ(a.linie.size(), b.linie.size());
  EXPECT_EQ(a.linie[3].tekst, b.linie[3].tekst);
  EXPECT_EQ(a.linie[3].atrybut, 3);
  EXPECT_EQ(a.opcje, b.opcje);
}

TEST(Tabele, NameFieldEscapesRoundTrip) {
  const Bajty tekst{'a', '\t', '\r', '\n', '\\', 0x00, 0x7F, 0xA5, 'z'};
  const std::string pole = sim::PoleTekstu(tekst);
  EXPECT_EQ(pole.find_first_of("\t\r\n"), std::string::npos);
  EXPECT_EQ(sim::TekstPola(pole), tekst);
  for (const char* zle : {"\\", "a\\x", "\\x4", "\\xZZ", "\\q"}) EXPECT_FALSE(sim::TekstPola(zle)) << zle;
}
