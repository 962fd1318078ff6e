// The periodic readout in every mode, driven in this process against karvo-sim
// over a pseudo-terminal (no command of karvo reads modes 2 and 5 to 8): each
// mode's opening and continuations, and every record kind's line byte for
// byte, per register family. The expected lines are worked out by hand from
// the record bytes.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "commands/command_entry.h"
#include "commands/sales/periodic_readout.h"
#include "driver/program.h"
#include "harness.h"
#include "state/session_state.h"

using namespace e2e;

namespace {

// ---- records (data bytes, without the check byte the register adds) ----

// A sales record: kind byte 5, goods 12345, v 7, quantity 1234 with 3 decimals
// (byte 9: 3 | 5 << 2 | 0x80), amount 99900, cashier 2, packed date 24.03.09
// 14 with the digit 6 and minute 45, then 30, 1000, 2000 and 5000.
const std::string S = "05 39 30 07 00 D2 04 00 00 97 3C 86 01 00 02 00 18 63 A9 AE 1E E8 03 00 00 D0 07 00 00 88 13 00 00 00 00 00 00";
// The same with goods number and cashier 0; with bit 7 in byte 28; with kind byte 0x8A; with v 65100.
const std::string S_ZERA = "05 00 00 07 00 D2 04 00 00 97 3C 86 01 00 00 00 18 63 A9 AE 1E E8 03 00 00 D0 07 00 00";
const std::string S_BIT7 = "05 39 30 07 00 D2 04 00 00 97 3C 86 01 00 02 00 18 63 A9 AE 1E E8 03 00 00 D0 07 00 80";
const std::string S_8A = "8A 39 30 07 00 D2 04 00 00 97 3C 86 01 00 02 00 18 63 A9 AE 1E E8 03 00 00 D0 07 00 00 88 13 00";
const std::string S_V = "05 39 30 4C FE D2 04 00 00 97 3C 86 01 00 02 00 18 63 A9 AE 1E E8 03 00 00 D0 07 00 00 88 13 00";
// A text record: 258, 772, 9, then "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234".
const std::string T =
    "FE 02 01 04 03 09 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 51 52 53 54 55 56 57 58 59 5A 30 31 32 33 34";
const std::string T_CR = "FE 02 01 04 03 09 41 42 43 0D 44 45 46 47 48 49 4A 4B 4C 4D";
// Tax records: three entries of the older layout; the new registers' layout; the Norda layout.
const std::string P = "FC 10 00 20 00 9A FF FF FF FF FF 23 10 27 00 00 00 41 01 00 00 00 00";
const std::string P_NOWA = "FC 10 00 20 00 1B 64 00 00 00 C8 00 00 00 02 2C 01 00 00 11 90 01 00 00 F4 01 00 00 00";
const std::string P_NORDA = "FD 10 00 20 00 1A 39 30 00 00 A6 02 00 00 05 2A 00 00 00 00";
// Kind 5: 25.12.31 23:59, minute field 19, 1000000, 258, 7, 65536, 4294967295.
const std::string E = "FB 19 0C 5F 77 3B 40 42 0F 00 00 02 01 07 00 00 01 FF FF FF FF";
// Kind 6: 4, 300, entry 0x2B, 12345, 23.06.15 08:30 with minute field 5.
const std::string W = "FA 04 2C 01 17 06 0F A8 1E 2B 39 30 00 00";
// Kind 8: 7, 24.02.29 00:05 with minute field 15, then 1, -5, 2, 3, 4, 5, 6.
const std::string O = "ED 07 00 18 02 3D E0 05 01 00 FB FF FF FF 02 00 03 00 00 00 04 00 05 00 00 00 06 00";
// Kind 9: 9, 99.01.01 00:00, then 10, 20, 30, 40, 50, 60.
const std::string Z =
    "EE 09 00 63 01 01 00 00 0A 00 00 00 14 00 00 00 1E 00 00 00 28 00 00 00 32 00 00 00 3C 00 00 00";
// Kind 7: 3, 24.01.05 10:15 with minute field 2, a second date 12.31 23:59 in BCD (so of the year before),
// entries 0x21 with 12345 and 0x03 with 7.
const std::string R = "F9 03 00 18 01 05 4A 0F 12 31 23 59 21 39 30 00 00 03 07 00 00 00 00";
// Kind 10.
const std::string X = "F0 11 22 33 44 55 66 77 88 99 AA BB CC DD EE 0F";

// The first n bytes of a record written as hex with spaces.
std::string Pierwsze(const std::string& hex, size_t n) { return hex.substr(0, std::min(hex.size(), n * 3 - 1)); }

// ---- the lines those records give ----

const std::string L_S = "2\t12345\t5\t1\t0007\t1.234\t99900";
const std::string DATA = "\t24.03.09\t14\t6\t45";
const std::string DLUGA = "\t24.03.09\t14:30\t6\t45";
const std::string NORDA_S = "2\t12345\t5\t0\t0007\t1.234\t99900";
const std::string R_4 = "\t23.12.31\t23:59\t24.01.05\t10:15";

struct Przypadek {
  const char* nazwa;
  const char* urzadzenie;
  int numer;
  TrybOkresowy tryb;
  std::vector<std::string> rekordy;  // state file lines of the stream
  std::vector<std::string> linie;    // the data lines expected, without "$"
  std::vector<std::string> usterki = {};
  uint8_t wynik = 0;
};

std::vector<std::string> Rekordy(const char* klucz, const std::vector<std::string>& hex) {
  std::vector<std::string> r;
  for (const auto& h : hex) r.push_back(std::string("$") + klucz + "\t" + h);
  return r;
}

const Przypadek Przypadki[] = {
    {"Plain16", "typ-0x24.txt", 3, TrybAD,
     Rekordy("okresAD", {Pierwsze(S, 16), Pierwsze(S_ZERA, 16), Pierwsze(S_8A, 16), Pierwsze(T, 16), Pierwsze(P, 16),
                         W, X, Pierwsze(E, 16)}),
     {L_S, "9999\t9999\t5\t1\t0007\t1.234\t99900", "2\t12345\t10\t1\t0007\t1.234\t99900", "3\t772\t258\t9\tABCDEFGHIJ",
      "4\t32\t16\t10\t1\t1\t-1", "4\t32\t16\t3\t2\t0\t10000", "3\t05\t300\t3\t2\t4\t123.45\t23.06.15\t08:30",
      "?\tf0H:11H:22H:33H:44H:55H:66H:77H:88H:99H:aaH:bbH:ccH:ddH:eeH:0fH", "9\t25.12.31\t23:59\t19\t1000000\t258\t7\t0\t0"}},
    {"OpDated", "op-o.txt", 6, TrybEE,
     Rekordy("okresEE", {Pierwsze(S, 20), Pierwsze(S_ZERA, 20), Pierwsze(S_8A, 20), T_CR}),
     {"1\t143417\t5\t0007\t1.234\t99900" + DATA, "1\t993039\t5\t0007\t1.234\t99900" + DATA,
      "2\t143417\t10\t0007\t1.234\t99900" + DATA, "3\t772\t258\t9\tABC"}},
    {"PlainLong", "typ-0x24.txt", 3, TrybD6,
     Rekordy("okresD6", {Pierwsze(S, 29), S_BIT7, Pierwsze(S_8A, 29), E, O, R, Pierwsze(T, 29)}),
     {"1\t" + L_S + DLUGA + "\t1000\t2000\t05", "1\t" + L_S + DLUGA + "\t8589934593000\t05", "2\t2\t12345\t10\t1\t0007\t1.234\t99900" + DLUGA,
      "9\t25.12.31\t23:59\t19\t1000000\t258\t7\t65536\t4294967295", "7\t15\t7\t24.02.29\t00:05\t1\t-5\t2\t3\t4\t5\t6",
      "4\t02\t3\t1\t2\t1\t123.45" + R_4, "4\t02\t3\t3\t0\t1\t7" + R_4, "3\t772\t258\t9\tABCDEFGHIJKLMN"}},
    {"PeltoCheck16", "pelto-103.txt", 5, TrybAD_Suma, Rekordy("okresAD", {Pierwsze(S, 16), Pierwsze(T, 16), X}),
     {L_S, "3\t772\t258\t9\tABCDEFGHIJ", "?\tf0H:11H:22H:33H:44H:55H:66H:77H:88H:99H:aaH:bbH:ccH:ddH:eeH:0fH:00H"}},
    {"PeltoCheckDated", "pelto-103.txt", 5, TrybEE_Suma, Rekordy("okresEE", {Pierwsze(S, 20), Pierwsze(T, 20), Pierwsze(E, 20)}),
     {"1\t" + L_S + DATA, "3\t772\t258\t9\tABCDEFGHIJKLMN", "9\t25.12.31\t23:59\t19\t1000000\t258\t7\t65536\t16777215"}},
    {"PeltoCheckLong", "pelto-103.txt", 5, TrybD6_Suma, Rekordy("okresD6", {Pierwsze(S, 29), Pierwsze(T, 32)}),
     {"1\t" + L_S + DLUGA + "\t1000\t2000\t05", "3\t772\t258\t9\tABCDEFGHIJKLMNOPQRSTUVW"}},
    {"PeltoLongest", "pelto-103.txt", 5, TrybDlugi, Rekordy("okres61", {S, Z, T, P}),
     {"1\t" + L_S + DLUGA + "\t1000\t2000\t05\t0000000005000", "8\t00\t9\t99.01.01\t00:00\t10\t20\t30\t40\t50\t60",
      "3\t772\t258\t9\tABCDEFGHIJKLMNOPQRSTUVWXY", "4\t32\t16\t10\t1\t1\t-1", "4\t32\t16\t3\t2\t0\t10000", "4\t32\t16\t1\t4\t0\t1"}},
    // Goods 258: quantity 1000 with 2 decimals, amount 5000; goods 61441 whose record begins with 0xF0.
    {"PeltoSales", "pelto-103.txt", 5, TrybSprzedazy,
     {"$sprzedaz\t258\t1000\t2\t5000", "$sprzedaz\t61441\t0x05040302\t6\t0x0A090807"},
     {"9999\t59394\t1\t0\t0003\t327680512\t0", "?\tf0H:01H:02H:03H:04H:05H:06H:07H:08H:09H:0aH:fbH"}},
    {"PeltoNumbered", "pelto-103.txt", 5, TrybNumerowany, Rekordy("okres61", {S, R}),
     {"1\t" + L_S + DLUGA + "\t1000\t2000\t05\t0000000005000", "4\t02\t3\t1\t2\t1\t123.45" + R_4, "4\t02\t3\t3\t0\t1\t7" + R_4}},
    {"NewLongest", "vin-t.txt", 7, TrybDlugi, Rekordy("okres61", {P_NOWA, W, R}),
     {"4\t32\t16\t3\t1\t1\t200\t100", "4\t32\t16\t2\t0\t0\t300\t300", "4\t32\t16\t1\t1\t0\t400\t500",
      "5\t05\t300\t3\t2\t4\t12345\t23.06.15\t08:30", "6\t02\t3\t1\t2\t1\t12345" + R_4, "6\t02\t3\t3\t0\t1\t7" + R_4}},
    {"NewZeroNumbers", "vin-t.txt", 7, TrybAD_Suma, Rekordy("okresAD", {Pierwsze(S_ZERA, 16)}),
     {"0\t0\t5\t1\t0007\t1.234\t99900"}},
    // Mode 7 reads three records an answer: a register set to answer so.
    {"NewSales", "vin-t.txt", 7, TrybSprzedazy,
     {"$sprzedaz_porcja\t3", "$sprzedaz\t258\t1000\t2\t5000", "$sprzedaz\t259\t1000\t2\t5000",
      "$sprzedaz\t260\t1000\t2\t5000", "$sprzedaz\t261\t1000\t2\t5000"},
     {"0\t59394\t1\t0\t0003\t327680512\t0", "0\t59395\t1\t0\t0003\t327680512\t0", "0\t59396\t1\t0\t0003\t327680512\t0",
      "0\t59397\t1\t0\t0003\t327680512\t0"}},
    {"NordaCheckLong", "norda-u.txt", 8, TrybD6_Suma, Rekordy("okresD6", {Pierwsze(S, 32), S_8A, S_V, P_NORDA, Z}),
     {"1\t" + NORDA_S + DLUGA + "\t1000\t21474836482000", "5\t2\t12345\t10\t0\t0007\t1.234\t99900" + DLUGA + "\t1000\t21474836482000",
      "1\t2\t12345\t5\t1\t0077\t1.234\t99900" + DLUGA + "\t1000\t21474836482000", "2\t32\t16\t2\t1\t1\t123.45\t678",
      "2\t32\t16\t5\t0\t0\t42\t42", "8\t00\t9\t99.01.01\t00:00\t10\t20\t30\t40\t50\t60"}},
    {"NordaNumbered", "norda-u.txt", 8, TrybNumerowany, Rekordy("okres61", {S}),
     {"1\t" + NORDA_S + DLUGA + "\t1000\t21474836482000\t0000000005000"}},
    {"NordaSales", "norda-u.txt", 8, TrybSprzedazy, {"$sprzedaz\t258\t1000\t2\t5000"}, {"9999\t59394\t1\t0\t0003\t327680512\t0"}},
    // A check byte that does not match ends the readout with 46; the lines before it stay.
    {"CheckByteMismatch", "pelto-103.txt", 5, TrybAD_Suma, Rekordy("okresAD", {Pierwsze(S, 16), Pierwsze(S, 16), Pierwsze(S, 16)}),
     {L_S, L_S}, {"0xA1:check=3"}, 46},
    // A refused continuation ends it with 24 (the commands report it as 25).
    {"RefusedContinuation", "typ-0x24.txt", 3, TrybAD, Rekordy("okresAD", {Pierwsze(S, 16), Pierwsze(S, 16), Pierwsze(S, 16),
                                                                           Pierwsze(S, 16), Pierwsze(S, 16)}),
     {L_S, L_S, L_S, L_S}, {"0xAE:refuse"}, 24},
};

TrybOkresowy tryb_;
void Odczyt() { OdczytOkresowy(tryb_); }

struct Wynik {
  uint8_t kod;
  std::string wyjscie;
};

Wynik Uruchomienie(const Srodowisko& env, TrybOkresowy tryb) {
  const auto poprzedni = std::filesystem::current_path();
  std::filesystem::current_path(env.Katalog().Sciezka());
  setenv("KARVO_PLATFORM_DIR", env.Katalog().Sciezka().c_str(), 1);
  tryb_ = tryb;
  const OpisFunkcji opis = UzupelnienieOpisu(OpisFunkcji{.NowyPlikWynikowy = 0, .Cialo = Odczyt}, "_Okresowy", 1);
  const uint8_t kod = WykonanieFunkcji(opis, "WE.TXT", "WY.TXT");
  std::filesystem::current_path(poprzedni);
  return {kod, CzytajPlik(env.Sciezka("WY.TXT"))};
}

// The "$" lines of an output file, without the marker and the terminator.
std::vector<std::string> LinieDanych(const std::string& tekst) {
  std::vector<std::string> linie;
  for (size_t p = 0; p < tekst.size();) {
    const size_t k = tekst.find("\r\n", p);
    const std::string l = tekst.substr(p, k - p);
    if (!l.empty() && l[0] == '$') linie.push_back(l.substr(1));
    p = k == std::string::npos ? tekst.size() : k + 2;
  }
  return linie;
}

class Tryby : public ::testing::TestWithParam<Przypadek> {};

TEST_P(Tryby, WritesEveryRecordOfTheStreamAsItsKindsLines) {
  const Przypadek& p = GetParam();
  Stanowisko env;
  std::string stan = CzytajPlik(Urzadzenie(p.urzadzenie));
  for (const auto& r : p.rekordy) stan += r + "\r\n";
  env.Plik("stan.txt", stan);
  Symulator sim(env.Katalog(), {.urzadzenia = {env.Sciezka("stan.txt")}, .usterki = p.usterki});
  ASSERT_TRUE(sim.Gotowy()) << sim.Bledy();
  env.PolaczZSymulatorem(sim, p.numer);
  env.Plik("WE.TXT", Srodowisko::Wejscie(p.numer));
  const Wynik w = Uruchomienie(env, p.tryb);
  EXPECT_EQ(w.kod, p.wynik);
  EXPECT_EQ(LinieDanych(w.wyjscie), p.linie);
}

INSTANTIATE_TEST_SUITE_P(Okresowy, Tryby, ::testing::ValuesIn(Przypadki),
                         [](const auto& info) { return std::string(info.param.nazwa); });

TEST(Okresowy, AnEmptyStreamWritesNothingAfterOneContinuation) {
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"typ-0x24.txt"}});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 3);
  env.Plik("WE.TXT", Srodowisko::Wejscie(3));
  const Wynik w = Uruchomienie(env, TrybAD);
  EXPECT_EQ(w.kod, 0);
  EXPECT_TRUE(LinieDanych(w.wyjscie).empty());
  sim.Zatrzymaj();
  EXPECT_EQ(IleRazy(sim.Dziennik(), 0xAD), 1);
  EXPECT_EQ(IleRazy(sim.Dziennik(), 0xAE), 1);
}

}  // namespace
