// What a shop meets on a bad day: a run killed in the middle of a request,
// bytes still on their way on a slow line, a register that pads its error
// answers, a disk that fills while ECRTBUF.TXT is written. The run after each
// ends well, or with a failure code, never with a wrong success. The timing
// comes from the simulator's faults and pacing, with wide margins around the
// driver's time-out of 1 s.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "harness.h"

namespace {

using namespace e2e;

// The ResultCode of a report, -1 when there is none.
int Wynik(const WynikKarvo& w) {
  const size_t linia = w.raport.find("\r\n#");
  return linia == std::string::npos ? -1 : std::atoi(w.raport.c_str() + linia + 3);
}

// A register of sim/devices on the driver's line, with faults and options.
struct Stoisko {
  Stoisko(const char* plik, int numer, std::vector<std::string> usterki, uint32_t baud = 0,
          std::vector<std::string> dodatkowe = {})
      : numer(numer),
        sim(env.Katalog(), {.urzadzenia = {plik}, .usterki = std::move(usterki), .dodatkowe = std::move(dodatkowe),
                            .baud = baud}) {
    env.PolaczZSymulatorem(sim, numer);
  }
  WynikKarvo Karvo(int kod, const std::vector<std::string>& dane = {}, bool zWyjsciem = true) {
    env.Plik("WE.TXT", Srodowisko::Wejscie(numer, dane));
    return env.Karvo(kod, "WE.TXT", zWyjsciem ? "WY.TXT" : "");
  }
  std::string Bufor() const { return CzytajPlik(env.Sciezka("ECRTBUF.TXT")); }

  Stanowisko env;
  int numer;
  Symulator sim;
};

std::string Dane(const WynikKarvo& w) {
  const size_t dane = w.wyjscie.find("\r\n$");
  return dane == std::string::npos ? "" : w.wyjscie.substr(dane + 2);
}

// ---- a run killed after the request code ----

// The driver is killed, or told to end, while it waits for the acknowledgement
// of 0xAC, which comes only after the next run has begun; the register waits
// for the goods number meanwhile. The next run must not send its first request
// before the register has given up: its 1B FE would be taken for that number.
// SIGTERM cuts the wait and ends the run with 56 at once, without letting the
// line fall quiet, so it leaves the port's mark as a killed run does.
TEST(PrzerwanyPrzebieg, TheNextRunWaitsUntilTheRegisterHasDroppedTheHalfRequest) {
  for (const int sygnal : {SIGKILL, SIGTERM}) {
    SCOPED_TRACE(strsignal(sygnal));
    Stoisko s("towary-s.txt", 5, {"0xAC,n=1:late=600"});
    ASSERT_TRUE(s.sim.Gotowy());
    s.env.Plik("WE.TXT", Srodowisko::Wejscie(5));
    {
      KarvoWTle przerwany(s.env, 21, "WE.TXT", "WY.TXT");
      ASSERT_TRUE(CzekajNaRozkaz(s.sim, 0xAC));
      przerwany.Sygnal(sygnal);
      const WynikKarvo w = przerwany.Koniec();
      if (sygnal == SIGTERM) {
        EXPECT_EQ(Wynik(w), 56) << w.raport;
      }
    }
    for (int przebieg = 0; przebieg < 2; ++przebieg) {
      const WynikKarvo w = s.env.Karvo(113, "WE.TXT", "WY.TXT");
      EXPECT_EQ(Wynik(w), 0) << przebieg << w.raport;
      EXPECT_EQ(Dane(w), "$05\r\n") << przebieg;
    }
    const std::string dziennik = s.sim.Dziennik();
    EXPECT_NE(dziennik.find("parameters cut short: 0 of 2"), std::string::npos) << dziennik;
    EXPECT_EQ(dziennik.find("1B FE  |..|  parameters"), std::string::npos) << dziennik;
  }
}

// ---- bytes still on their way at 9600 bit/s ----

// Bytes still arriving when the next request or the end of the command comes:
// the capacity answer comes after the retry has been sent, so the retry takes
// it for its own and the retry's answer is still arriving when the register
// number is asked for; or more bytes come than the answer holds, after the
// command's last answer. Neither may become the number.
TEST(BajtyWDrodze, ALateOrSurplusAnswerIsNeverTakenForTheNext) {
  for (const char* usterka :
       {"0x6F,n=1:late=2500", "0xC0,n=1:raw=0x06,0x06,0x06,0x06,0x06,0x06,0x06,0x06,0x06,0x06,0x06,0x06,0x06"}) {
    SCOPED_TRACE(usterka);
    Stoisko s("vin-t.txt", 7, {usterka}, 9600);
    ASSERT_TRUE(s.sim.Gotowy());
    const WynikKarvo w = s.Karvo(113);
    EXPECT_EQ(Wynik(w), 23) << w.raport;
    EXPECT_EQ(s.Bufor(), "");
  }
}

std::vector<std::string> TowaryT(int ile) {
  std::vector<std::string> linie;
  for (int n = 1; n <= ile; ++n)
    linie.push_back(std::to_string(n) + "\tSer zolty gouda 1kg\t2\t7\t1\t3\t1\t5900000000505\t2499\t1");
  return linie;
}

// A write of family T has no acknowledgement: a status byte one too many
// shifts every later status by one. The refusal of the last goods must not
// become a success because the status read for it was the one before. A
// refusal in the middle ends the command with 23 when the shift is seen
// before it, else with the refusal, one line late: never with 0.
TEST(BajtyWDrodze, AShiftedStatusOfAGoodsWriteNeverEndsAsSuccess) {
  const struct {
    const char* odmowa;
    std::vector<int> wyniki;
  } Przypadki[] = {{"0xBE,n=20:status=0x7C", {23}}, {"0xBE,n=12:status=0x7C", {23, 224}}};
  for (const auto& p : Przypadki) {
    SCOPED_TRACE(p.odmowa);
    Stoisko s("towary-t.txt", 7, {"0xBE,n=10:raw2=0x00,0x00", p.odmowa}, 9600);
    ASSERT_TRUE(s.sim.Gotowy());
    const WynikKarvo w = s.Karvo(23, TowaryT(20), false);
    EXPECT_NE(std::find(p.wyniki.begin(), p.wyniki.end(), Wynik(w)), p.wyniki.end()) << w.raport;
  }
}

// ---- error answers padded to their length ----

// Family S with room for 16 goods (5 of them there): the readout meets gaps (202) and the end (105).
struct MalaKasaS {
  MalaKasaS() {
    std::string stan = CzytajPlik(Urzadzenie("towary-s.txt"));
    const std::string pojemnosc = "$pojemnosc\t200";
    stan.replace(stan.find(pojemnosc), pojemnosc.size(), "$pojemnosc\t16");
    ZapiszPlik(katalog / "mala-s.txt", stan);
  }
  std::string Plik() const { return katalog / "mala-s.txt"; }
  KatalogTymczasowy katalog;
};

// The register pads every error answer with zeros to the length the request
// declares: the capacity search, the gaps of the catalogue and its end still
// read as the register meant them.
TEST(DopelnioneOdpowiedzi, PaddingAfterAnErrorStatusBelongsToThatAnswer) {
  const MalaKasaS kasa;
  for (uint32_t baud : {0u, 9600u}) {
    SCOPED_TRACE(baud);
    Stoisko czysty(kasa.Plik().c_str(), 5, {});
    Stoisko s(kasa.Plik().c_str(), 5, {"0xE6:pad=2", "0xAC:pad=36"}, baud);
    ASSERT_TRUE(czysty.sim.Gotowy() && s.sim.Gotowy());
    const WynikKarvo oczekiwany = czysty.Karvo(21);
    ASSERT_EQ(Wynik(oczekiwany), 0) << oczekiwany.raport;
    const WynikKarvo w = s.Karvo(21);
    EXPECT_EQ(Wynik(w), 0) << w.raport << s.sim.Dziennik();
    EXPECT_EQ(Dane(w), Dane(oczekiwany));
    EXPECT_EQ(s.Bufor(), czysty.Bufor());
    EXPECT_NE(s.sim.Dziennik().find("fault 0xE6:pad=2"), std::string::npos);
  }
}

// Padding is let go only up to the answer's declared length: a byte beyond it is stray.
TEST(DopelnioneOdpowiedzi, ABytePastTheDeclaredLengthIsStillStray) {
  const MalaKasaS kasa;
  Stoisko s(kasa.Plik().c_str(), 5, {"0xAC:pad=37"});
  ASSERT_TRUE(s.sim.Gotowy());
  EXPECT_EQ(Wynik(s.Karvo(21)), 23);
}

// ---- a full disk while ECRTBUF.TXT is written ----

// The append cut by the file size limit leaves the file as it was (61), and
// the next run, with room again, identifies the register and keeps it.
TEST(PelnyDysk, AnAppendCutShortLeavesNoTornLine) {
  if (::access("/usr/bin/prlimit", X_OK) != 0) GTEST_SKIP() << "prlimit (util-linux) is not installed";
  Stoisko s("vin-t.txt", 7, {});
  ASSERT_TRUE(s.sim.Gotowy());
  // Other registers up to a little under the 2048-byte limit, without a final terminator.
  std::string bufor;
  for (int i = 0; bufor.size() < 1980; ++i)
    bufor += "$INNA" + std::to_string(1000 + i) + "\txx\t36\tKarvo\t10\tI\t05\tKarvo 10 PLU I gen. ver. 05\r\n";
  bufor.resize(bufor.size() - 2);
  s.env.Plik("ECRTBUF.TXT", bufor);
  s.env.Plik("WE.TXT", Srodowisko::Wejscie(7));
  const std::vector<std::string> limit = {"/bin/sh", "-c", "trap '' XFSZ; exec /usr/bin/prlimit --fsize=2048 \"$0\" \"$@\""};
  const WynikKarvo pelny = s.env.KarvoPrzez(limit, 113, "WE.TXT", "WY.TXT");
  EXPECT_EQ(Wynik(pelny), 61) << pelny.raport << pelny.konsola;
  EXPECT_EQ(s.Bufor(), bufor);
  const WynikKarvo w = s.env.Karvo(113, "WE.TXT", "WY.TXT");
  EXPECT_EQ(Wynik(w), 0) << w.raport;
  EXPECT_EQ(s.Bufor(), bufor + "\r\n$VIN 116C0042\t07\t116\tVin\t20000\tII\t02\tVin 20000 PLU II gen. ver. 02\r\n");
}

// A torn line left by an older driver is passed over: the register is identified again.
TEST(PelnyDysk, ATornLineIsPassedOver) {
  Stoisko s("vin-t.txt", 7, {});
  ASSERT_TRUE(s.sim.Gotowy());
  s.env.Plik("ECRTBUF.TXT", "$VIN 116C0042\t07\t116\tVi");
  const WynikKarvo w = s.Karvo(113);
  EXPECT_EQ(Wynik(w), 0) << w.raport;
  EXPECT_EQ(s.Bufor(), "$VIN 116C0042\t07\t116\tVi\r\n$VIN 116C0042\t07\t116\tVin\t20000\tII\t02\tVin 20000 PLU II gen. ver. 02\r\n");
  EXPECT_EQ(Wynik(s.Karvo(113)), 0);
}

}  // namespace
