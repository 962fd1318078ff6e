// The register's sales data: its state keys, the streams in every form with
// their answer sizes, check bytes and end bytes, the single reads, clearing,
// the faults that spoil a readout, and the generated day.
#include <gtest/gtest.h>

#include <set>

#include "device/sales_day.h"
#include "sim_test_support.h"

using sim::Bajty;
using simtest::Stanowisko;

namespace {

sim::StanKasy ZTekstu(const std::string& tekst) {
  std::string blad;
  auto plik = sim::PlikDanych::ZTekstu(tekst, blad);
  EXPECT_TRUE(plik) << blad;
  auto stan = plik ? sim::StanZPliku(*plik, blad) : std::nullopt;
  EXPECT_TRUE(stan) << blad;
  return stan.value_or(sim::StanKasy{});
}

std::string Kasa(const std::string& typ, const std::string& reszta = "", int wersja = 2) {
  return "$typ\t" + typ + "\n$wersja\t" + std::to_string(wersja) +
         "\n$identyfikator\tX\n$numer\t01\n$pojemnosc\t100\n" + reszta;
}

uint8_t Xor(const Bajty& b, size_t od, size_t ile) {
  uint8_t x = 0;
  for (size_t i = od; i < od + ile; ++i) x ^= b[i];
  return x;
}

// A record of n data bytes that says which one it is: k, then k + 1, ...
std::string Rekord(int k, size_t n) {
  std::string hex;
  char b[3];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(b, sizeof b, "%02X", static_cast<unsigned>((k + i) & 0x7F));
    hex += b;
  }
  return hex;
}

// One form of a stream: how it is opened and continued and what an answer holds.
struct Forma {
  const char* nazwa;
  sim::Okres okres;
  std::string typ;
  uint8_t otwarcie, dalej;
  int wybor;          // parameter byte of 0xA1, -1: none
  size_t wPorcji;     // records an answer holds
  size_t dane;        // data bytes of a record as sent
  bool suma;          // a check byte follows each record
};

const char* const Klucze[] = {"okresAD", "okresEE", "okresD6", "okres61"};

const Forma Formy[] = {
    {"0xAD", sim::Okres::AD, "'t'", 0xAD, 0xAE, -1, 4, 16, false},
    {"0xA1 0x00", sim::Okres::AD, "'t'", 0xA1, 0xA1, 0x00, 4, 16, true},
    {"0xEE", sim::Okres::EE, "'t'", 0xEE, 0xE9, -1, 3, 20, false},
    {"0xA1 0x01", sim::Okres::EE, "'t'", 0xA1, 0xA1, 0x01, 3, 20, true},
    {"0xD6", sim::Okres::D6, "'t'", 0xD6, 0xD5, -1, 3, 29, false},
    {"0xD6 Norda", sim::Okres::D6, "'u'", 0xD6, 0xD5, -1, 3, 29, false},
    {"0xA1 0x02", sim::Okres::D6, "'t'", 0xA1, 0xA1, 0x02, 3, 29, true},
    {"0xA1 0x02 Norda", sim::Okres::D6, "'u'", 0xA1, 0xA1, 0x02, 3, 32, true},
    {"0xA1 0x03", sim::Okres::R61, "'t'", 0xA1, 0xA1, 0x03, 3, 37, true},
};

// Asks for the first part or the next one of a form.
Bajty Czesc(Stanowisko& s, const Forma& f, bool pierwsza) {
  if (f.wybor < 0) return s.Rozkaz(pierwsza ? f.otwarcie : f.dalej);
  return s.Rozkaz(0xA1, {static_cast<uint8_t>(f.wybor | (pierwsza ? 0 : 0x80))});
}

}  // namespace

TEST(Sprzedaz, EveryPeriodicFormHandsOutItsStreamInPartsWithTheEndByte) {
  constexpr int Ile = 7;
  for (const Forma& f : Formy) {
    SCOPED_TRACE(f.nazwa);
    const size_t o = static_cast<size_t>(f.okres);
    std::string rekordy;
    for (int k = 1; k <= Ile; ++k)
      rekordy += std::string("$") + Klucze[o] + "\t" + Rekord(k, sim::DlugoscOkresu[o]) + "\n";
    Stanowisko s(ZTekstu(Kasa(f.typ, rekordy)));
    const size_t r = f.dane + (f.suma ? 1 : 0);
    const size_t naglowek = 1;  // acknowledgement, or status 0 of the second answer
    int nastepny = 1;
    for (int czesc = 0; nastepny <= Ile + 1; ++czesc) {
      Bajty odp = Czesc(s, f, czesc == 0);
      if (f.wybor >= 0) odp.erase(odp.begin());  // the acknowledgement before the parameter
      const size_t wTej = std::min<size_t>(f.wPorcji, Ile + 1 - nastepny);
      ASSERT_EQ(odp.size(), naglowek + wTej * r + 1) << "part " << czesc;
      EXPECT_EQ(odp[0], f.wybor < 0 ? 0x06 : 0x00);
      for (size_t i = 0; i < wTej; ++i) {
        const size_t p = naglowek + i * r;
        EXPECT_EQ(odp[p], static_cast<uint8_t>(nastepny + i)) << "record " << nastepny + i;
        EXPECT_EQ(odp[p + f.dane - 1], static_cast<uint8_t>((nastepny + i + f.dane - 1) & 0x7F));
        if (f.suma) {
          EXPECT_EQ(odp[p + f.dane], Xor(odp, p, f.dane));
        }
      }
      const bool koniec = nastepny + static_cast<int>(wTej) > Ile;
      EXPECT_EQ(odp.back(), koniec ? 0xFF : 0x00);
      nastepny += static_cast<int>(wTej);
      if (wTej == 0) break;
    }
    // An opening starts the stream again.
    Bajty odp = Czesc(s, f, true);
    if (f.wybor >= 0) odp.erase(odp.begin());
    EXPECT_EQ(odp.at(1), 1);
  }
}

TEST(Sprzedaz, TheSalesPerGoodsGoOutInNumberOrderFiveToAnAnswer) {
  std::string tekst;
  for (int n : {300, 7, 65535, 12, 40, 41})
    tekst += "$sprzedaz\t" + std::to_string(n) + "\t1234\t3\t" + std::to_string(n * 10) + "\n";
  tekst += "$sprzedaz\t8\t-5\t0\t-2147483648\n";
  Stanowisko s(ZTekstu(Kasa("24", tekst)));
  Bajty pierwsza = s.Rozkaz(0xA2);
  ASSERT_EQ(pierwsza.size(), 1 + 5 * 11 + 1u);
  EXPECT_EQ(pierwsza.back(), 0x00);
  // Number 7 first, high byte first; quantity 1234 low byte first; 3 decimals; amount 70.
  EXPECT_EQ(Bajty(pierwsza.begin() + 1, pierwsza.begin() + 12),
            (Bajty{0x00, 0x07, 0xD2, 0x04, 0, 0, 3, 70, 0, 0, 0}));
  // Number 8 with its negative values as two's complement.
  EXPECT_EQ(Bajty(pierwsza.begin() + 12, pierwsza.begin() + 23),
            (Bajty{0x00, 0x08, 0xFB, 0xFF, 0xFF, 0xFF, 0, 0x00, 0x00, 0x00, 0x80}));
  const Bajty druga = s.Rozkaz(0xA3);
  ASSERT_EQ(druga.size(), 1 + 2 * 11 + 1u);
  EXPECT_EQ(druga[1], 0x01);  // 300
  EXPECT_EQ(druga[2], 0x2C);
  EXPECT_EQ(druga[12], 0xFF);  // 65535 begins with 0xFF, as the register has it
  EXPECT_EQ(druga.back(), 0xFF);
  EXPECT_EQ(s.Rozkaz(0xA3), (Bajty{0x06, 0xFF}));
  EXPECT_EQ(s.Rozkaz(0xA2).size(), 1 + 5 * 11 + 1u);

  // An empty register answers the end at once; 0xA1 is not known by this type.
  Stanowisko pusta(ZTekstu(Kasa("24")));
  EXPECT_EQ(pusta.Rozkaz(0xA2), (Bajty{0x06, 0xFF}));
  EXPECT_EQ(pusta.Rozkaz(0xA1, {0x10}), Bajty{0x15});
}

TEST(Sprzedaz, TheCheckByteFormOfTheSalesHoldsAsManyRecordsAsTheRegisterIsSetFor) {
  std::string tekst;
  for (int n = 1; n <= 6; ++n) tekst += "$sprzedaz\t" + std::to_string(n) + "\t1\t0\t1\n";
  for (const auto& [porcja, ile] : {std::pair{"", 5u}, std::pair{"$sprzedaz_porcja\t3\n", 3u}}) {
    Stanowisko s(ZTekstu(Kasa("'t'", tekst + porcja)));
    Bajty odp = s.Rozkaz(0xA1, {0x10});
    ASSERT_EQ(odp.size(), 2 + ile * 12 + 1);
    for (size_t i = 0; i < ile; ++i) EXPECT_EQ(odp[2 + i * 12 + 11], Xor(odp, 2 + i * 12, 11));
    EXPECT_EQ(odp.back(), 0x00);
    odp = s.Rozkaz(0xA1, {0x90});
    EXPECT_EQ(odp.size(), 2 + (6 - ile) * 12 + 1);
    EXPECT_EQ(odp.back(), 0xFF);
  }
  // The 103 and 104 registers know the form from version 2 on.
  EXPECT_EQ(Stanowisko(ZTekstu(Kasa("103", tekst, 1))).Rozkaz(0xA1, {0x10}), Bajty{0x15});
  EXPECT_EQ(Stanowisko(ZTekstu(Kasa("104", tekst, 2))).Rozkaz(0xA1, {0x10}).size(), 2 + 5 * 12 + 1u);
  // A selector the register does not serve.
  EXPECT_EQ(Stanowisko(ZTekstu(Kasa("'t'"))).Rozkaz(0xA1, {0x04}), (Bajty{0x06, 0x6C}));
}

TEST(Sprzedaz, Request0x61ServesTheRecordAtTheAskedPosition) {
  std::string tekst;
  for (int k = 1; k <= 2; ++k) tekst += "$okres61\t" + Rekord(k, 37) + "\n";
  Stanowisko s(ZTekstu(Kasa("'t'", tekst)));
  for (int proba = 0; proba < 2; ++proba) {  // asked again, the same record
    const Bajty odp = s.Rozkaz(0x61, {0, 0});
    ASSERT_EQ(odp.size(), 2 + 38 + 1u);
    EXPECT_EQ(odp[2], 1);
    EXPECT_EQ(odp[2 + 37], Xor(odp, 2, 37));
    EXPECT_EQ(odp.back(), 0x00);
  }
  const Bajty druga = s.Rozkaz(0x61, {1, 0});
  EXPECT_EQ(druga.at(2), 2);
  EXPECT_EQ(druga.back(), 0xFF);
  EXPECT_EQ(s.Rozkaz(0x61, {2, 0}), (Bajty{0x06, 0x00, 0xFF}));
}

TEST(Sprzedaz, OneGoodsNumberAtATime) {
  Stanowisko s(ZTekstu(Kasa("'t'", "$sprzedaz\t5\t0x01020304\t2\t-1\n")), simtest::Usterki({"0xCB:eor=90"}));
  const struct {
    uint16_t numer;
    Bajty odp;
  } przypadki[] = {
      {5, {0x06, 0x00, 0x04, 0x03, 0x02, 0x01, 2, 0xFF, 0xFF, 0xFF, 0xFF}},
      {6, {0x06, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {0, {0x06, 0x05}},
      {89, {0x06, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {90, {0x06, 0x05}},   // the fault's end of records
      {101, {0x06, 0x05}},  // beyond the capacity of 100
  };
  for (const auto& p : przypadki)
    EXPECT_EQ(s.Rozkaz(0xCB, {static_cast<uint8_t>(p.numer), static_cast<uint8_t>(p.numer >> 8)}), p.odp)
        << p.numer;
}

TEST(Sprzedaz, PackagingBlocksAndDiscountTotalsByFamily) {
  const std::string tekst =
      "$opakowanie\t2\t0x1234\t10\t1\t99\n$opakowanie\t2\t7\t1\t0\t1\n$rabaty\t1\t0xFFFFFFFFFF\t3\n";
  Stanowisko s(ZTekstu(Kasa("'t'", tekst)));
  EXPECT_EQ(s.Rozkaz(0xA5, {0}), (Bajty{0x06, 0x00, 0xFF}));
  const Bajty blok = s.Rozkaz(0xA5, {2});
  ASSERT_EQ(blok.size(), 2 + 2 * 11 + 1u);
  EXPECT_EQ(Bajty(blok.begin() + 2, blok.begin() + 13), (Bajty{0x12, 0x34, 10, 0, 0, 0, 1, 99, 0, 0, 0}));
  EXPECT_EQ(blok.back(), 0xFF);
  EXPECT_EQ(s.Rozkaz(0xA5, {4}), (Bajty{0x06, 0x6C}));
  EXPECT_EQ(s.Rozkaz(0xA7), (Bajty{0x06, 1, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0, 0}));
  // Two totals on the first generation and on 100, 101 and the OP registers.
  for (const char* typ : {"0x24", "100", "101", "'o'"})
    EXPECT_EQ(Stanowisko(ZTekstu(Kasa(typ, tekst))).Rozkaz(0xA7).size(), 1 + 2 * 5u) << typ;
  // Type codes 24 and 27 keep neither.
  for (const char* typ : {"24", "27"}) {
    Stanowisko stara(ZTekstu(Kasa(typ, tekst)));
    EXPECT_EQ(stara.Rozkaz(0xA5, {0}), Bajty{0x15}) << typ;
    EXPECT_EQ(stara.Rozkaz(0xA7), Bajty{0x15}) << typ;
  }
  // A full block of sixteen records ends with 0xFF in the byte after them.
  std::string pelny;
  for (int i = 1; i <= 16; ++i) pelny += "$opakowanie\t0\t" + std::to_string(i) + "\t1\t0\t1\n";
  // The acknowledgement, then the 178 bytes of the second answer.
  EXPECT_EQ(Stanowisko(ZTekstu(Kasa("'t'", pelny))).Rozkaz(0xA5, {0}).size(), 1 + 178u);
}

TEST(Sprzedaz, ClearingRequestsClearWhatTheySayAndTheFileFollows) {
  const std::string tekst =
      "$sprzedaz\t1\t1\t0\t1\n$opakowanie\t0\t1\t1\t0\t1\n$rabaty\t1\t2\n$okresAD\t01\n$okresEE\t01\n"
      "$okresD6\t01\n$okres61\t01\n;end\n";
  const struct {
    const char* typ;
    uint8_t kod;
    Bajty parametry;
    Bajty odp;
    bool liczniki, okresy;  // cleared
  } przypadki[] = {
      {"'t'", 0xA8, {6}, {0x06}, true, true},
      {"'u'", 0xA8, {6}, {0x06, 0x00}, true, true},
      {"'u'", 0xA8, {5}, {0x06, 0x6C}, false, false},
      {"'t'", 0x90, {'C', 'N', 'T'}, {0x06, 0x00}, true, false},
      {"'t'", 0x90, {'C', 'L', 'R'}, {0x06, 0x00}, false, true},
      {"'t'", 0x90, {'c', 'n', 't'}, {0x06, 0x6C}, false, false},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(std::string(p.typ) + " " + sim::Szesnastkowo(p.parametry));
    std::string blad;
    auto plik = *sim::PlikDanych::ZTekstu(Kasa(p.typ, tekst), blad);
    const sim::StanKasy wczytany = *sim::StanZPliku(plik, blad);
    Stanowisko s(wczytany);
    EXPECT_EQ(s.Rozkaz(p.kod, p.parametry), p.odp);
    const auto& st = s.kasa.Stan().sprzedaz;
    EXPECT_EQ(st.towary.empty() && st.opakowania[0].empty() && st.rabaty.empty(), p.liczniki);
    EXPECT_EQ(st.okresy[0].empty() && st.okresy[3].empty(), p.okresy);
    EXPECT_EQ(s.Rozkaz(0xA2) == (Bajty{0x06, 0xFF}), p.liczniki);
    sim::StanDoPliku(s.kasa.Stan(), wczytany, plik);
    EXPECT_EQ(plik.Zmieniony(), p.liczniki || p.okresy);
    EXPECT_EQ(plik.Tekst().find("$sprzedaz\t") == std::string::npos, p.liczniki);
    EXPECT_EQ(plik.Tekst().find("$okres61") == std::string::npos, p.okresy);
    EXPECT_NE(plik.Tekst().find(";end"), std::string::npos);
  }
}

TEST(Sprzedaz, ReadsTheStateKeysAndNamesABadOne) {
  const auto stan = ZTekstu(Kasa("'t'", "$sprzedaz\t9\t-1\t3\t4294967295\n$rabaty\t0\t1099511627775\n"
                                        "$okresAD\t01 02 0a\n$sprzedaz_porcja\t2\n"));
  ASSERT_EQ(stan.sprzedaz.towary.size(), 1u);
  EXPECT_EQ(stan.sprzedaz.towary[0].second, (sim::SprzedazTowaru{-1, 3, 4294967295}));
  EXPECT_EQ(stan.sprzedaz.rabaty, (std::vector<uint64_t>{0, 1099511627775}));
  EXPECT_EQ(stan.sprzedaz.okresy[0].at(0), (Bajty{1, 2, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(stan.sprzedaz.porcja, 2);

  const struct {
    const char* linia;
    const char* klucz;
  } zle[] = {
      {"$sprzedaz\t0\t1\t0\t1\n", "sprzedaz"},          {"$sprzedaz\t1\t1\t0\n", "sprzedaz"},
      {"$sprzedaz\t1\t4294967296\t0\t1\n", "sprzedaz"}, {"$sprzedaz\t1\t-2147483649\t0\t1\n", "sprzedaz"},
      {"$sprzedaz\t3\t1\t0\t1\n$sprzedaz\t3\t1\t0\t1\n", "sprzedaz"},
      {"$opakowanie\t4\t1\t1\t0\t1\n", "opakowanie"},   {"$rabaty\t1\n", "rabaty"},
      {"$rabaty\t1\t1099511627776\n", "rabaty"},
      {"$okresAD\t0102030405060708090A0B0C0D0E0F1011\n", "okresAD"},
      {"$okresEE\tFF00\n", "okresEE"},                  {"$okresD6\t123\n", "okresD6"},
      {"$okres61\t\n", "okres61"},                      {"$sprzedaz_porcja\t6\n", "sprzedaz_porcja"},
  };
  for (const auto& z : zle) {
    std::string blad;
    auto plik = sim::PlikDanych::ZTekstu(Kasa("'t'", z.linia), blad);
    ASSERT_TRUE(plik);
    EXPECT_FALSE(sim::StanZPliku(*plik, blad)) << z.linia;
    EXPECT_NE(blad.find(std::string("$") + z.klucz + "\""), std::string::npos) << blad;
  }
}

TEST(Sprzedaz, FaultsSpoilACheckByteOrSilenceAnAnswerWithoutLosingRecords) {
  std::string tekst;
  for (int k = 1; k <= 9; ++k) tekst += "$okresAD\t" + Rekord(k, 16) + "\n";
  {
    // The record at position 6 is the second of the second answer.
    Stanowisko s(ZTekstu(Kasa("'t'", tekst)), simtest::Usterki({"0xA1,p0=0x80:check=6"}));
    s.Rozkaz(0xA1, {0x00});
    const Bajty odp = s.Rozkaz(0xA1, {0x80});
    ASSERT_EQ(odp.size(), 2 + 4 * 17 + 1u);
    for (size_t i = 0; i < 4; ++i)
      EXPECT_EQ(odp[2 + i * 17 + 16] == Xor(odp, 2 + i * 17, 16), i != 1) << i;
  }
  {
    // The second continuation stays unanswered; the next one gets its records.
    Stanowisko s(ZTekstu(Kasa("'t'", tekst)), simtest::Usterki({"0xAE,n=2:silent"}));
    EXPECT_EQ(s.Rozkaz(0xAD).at(1), 1);
    EXPECT_EQ(s.Rozkaz(0xAE).at(1), 5);
    EXPECT_TRUE(s.Rozkaz(0xAE).empty());
    EXPECT_EQ(s.Rozkaz(0xAE), (Bajty{0x06, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 0xFF}));
  }
  // The register's refusals: 0x15 before the parameters, status 0x6C after them.
  Stanowisko s(ZTekstu(Kasa("'t'", tekst)), simtest::Usterki({"0xA2:refuse", "0xA1,p0=0x00:status=0x6C"}));
  EXPECT_EQ(s.Rozkaz(0xA2), Bajty{0x15});
  EXPECT_EQ(s.Rozkaz(0xA1, {0x00}), (Bajty{0x06, 0x6C}));
  EXPECT_EQ(s.Rozkaz(0xA1, {0x80}).at(2), 1);  // the refused opening handed nothing out
}

TEST(Sprzedaz, TheGeneratedDayIsTheSameForTheSameSeedAndFitsTheRegister) {
  for (const char* plik : {"vin-t.txt", "typ-24.txt", "norda-u.txt"}) {
    SCOPED_TRACE(plik);
    sim::StanKasy a = simtest::Stan(plik), b = a;
    sim::GenerujDzien({.towary = 4000, .rekordy = 500, .ziarno = 7}, a);
    sim::GenerujDzien({.towary = 4000, .rekordy = 500, .ziarno = 7}, b);
    EXPECT_EQ(a.sprzedaz.towary, b.sprzedaz.towary);
    EXPECT_EQ(a.sprzedaz.okresy, b.sprzedaz.okresy);
    const auto& t = a.sprzedaz.towary;
    EXPECT_EQ(t.size(), std::min<size_t>(4000, a.pojemnosc));
    std::set<uint16_t> numery;
    bool ujemne = false;
    for (const auto& [n, s] : t) {
      EXPECT_TRUE(n >= 1 && n <= a.pojemnosc && n < 0xFF00) << n;
      numery.insert(n);
      ujemne |= s.ilosc < 0;
    }
    EXPECT_EQ(numery.size(), t.size());
    EXPECT_TRUE(std::is_sorted(t.begin(), t.end(), [](auto& x, auto& y) { return x.first < y.first; }));
    EXPECT_EQ(ujemne, a.typ == 24);
    for (const auto& okres : a.sprzedaz.okresy) {
      EXPECT_EQ(okres.size(), 500u);
      for (const Bajty& r : okres) EXPECT_NE(r.at(0), 0xFF);
    }
    // Written and read back, the day is the same.
    std::string blad;
    auto tekst = *sim::PlikDanych::ZTekstu("", blad);
    sim::SprzedazDoPliku(a.sprzedaz, {}, tekst);
    auto plikDnia = *sim::PlikDanych::ZTekstu(tekst.Tekst(), blad);
    sim::StanSprzedazy wczytana;
    ASSERT_TRUE(sim::SprzedazZPliku(plikDnia, wczytana, blad)) << blad;
    EXPECT_EQ(wczytana.towary, a.sprzedaz.towary);
    EXPECT_EQ(wczytana.okresy, a.sprzedaz.okresy);
  }
}
