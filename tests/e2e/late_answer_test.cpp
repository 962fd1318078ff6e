// Answers that come late, or bytes that come where no answer is due: none of
// them is ever taken as part of a later answer. The command recovers with the
// right answer or ends with a failure code, and ECRTBUF.TXT only ever gets an
// identification read in clean exchanges. The timing comes from the
// simulator's faults, with wide margins around the driver's time-out of 1 s.
#include <signal.h>
#include <sys/ioctl.h>

#include <gtest/gtest.h>

#include <thread>

#include "harness.h"
#include "register_client.h"

namespace {

using namespace e2e;
using namespace std::chrono_literals;

const std::string VIN = "Vin 20000 PLU II gen. ver. 02";
const std::string BUFOR_VIN = "$VIN 116C0042\t07\t116\tVin\t20000\tII\t02\t" + VIN + "\r\n";

struct Stanowisko7 {
  explicit Stanowisko7(std::vector<std::string> usterki)
      : sim(env.Katalog(), {.urzadzenia = {"vin-t.txt"}, .usterki = std::move(usterki)}) {
    env.PolaczZSymulatorem(sim, 7);
    env.Plik("WE.TXT", Srodowisko::Wejscie(7));
  }
  std::string Bufor() const { return CzytajPlik(env.Sciezka("ECRTBUF.TXT")); }
  Stanowisko env;
  Symulator sim;
};

// The ResultCode of a report, -1 when there is none.
int Wynik(const WynikKarvo& w) {
  const size_t linia = w.raport.find("\r\n#");
  return linia == std::string::npos ? -1 : std::atoi(w.raport.c_str() + linia + 3);
}

// A run of _ONrKasy that ended well read the right register, whatever came late.
void SprawdzPoprawnyAlboBlad(const WynikKarvo& w) {
  const std::string blok = w.raport + std::string(80, '-') + "\r\n";
  EXPECT_EQ(w.log.substr(w.log.size() - std::min(w.log.size(), blok.size())), blok) << "the log ends with this run";
  if (Wynik(w) != 0) return;
  EXPECT_NE(w.raport.find("\r\n#" + VIN + " (identyfikator odczytany z urzadzenia"), std::string::npos) << w.raport;
  EXPECT_NE(w.wyjscie.find("\r\n$07\r\n"), std::string::npos) << w.wyjscie;
}

// Runs _ONrKasy and checks its ResultCode and what ECRTBUF.TXT holds after it.
void ONrKasy(Stanowisko7& s, int wynik, const std::string& bufor) {
  const WynikKarvo w = s.env.Karvo(113, "WE.TXT", "WY.TXT");
  EXPECT_EQ(Wynik(w), wynik) << w.raport;
  SprawdzPoprawnyAlboBlad(w);
  EXPECT_EQ(s.Bufor(), bufor);
}

// Every request of the session opening is answered 1.5 s late: a retry's
// answer would be the first attempt's, shifted. The late answers are let
// pass before each retry, so the command ends with no answer.
TEST(PozneOdpowiedzi, AnswersLateForEveryAttemptEndTheCommandWithNoAnswer) {
  Stanowisko7 s({"0xFE:late=1500", "0x71:late=1500", "0x6F:late=1500", "0xC0:late=1500"});
  ASSERT_TRUE(s.sim.Gotowy());
  ONrKasy(s, 21, "");
  EXPECT_EQ(IleRazy(s.sim.Dziennik(), 0x71), 0);
}

// Every attempt at the register number gets its answer only after the run has
// given up on it; runs started one after another on the same line each end
// with the right register or a failure, and only a right one is ever kept.
TEST(PozneOdpowiedzi, AnswersLaterThanTheWholeRunAreNeverTheNextRunsAnswers) {
  Stanowisko7 s({"0xC0:late=4500"});
  ASSERT_TRUE(s.sim.Gotowy());
  for (int przebieg = 0; przebieg < 2; ++przebieg) {
    SCOPED_TRACE(przebieg);
    const WynikKarvo w = s.env.Karvo(113, "WE.TXT", "WY.TXT");
    SprawdzPoprawnyAlboBlad(w);
    const std::string bufor = s.Bufor();
    EXPECT_TRUE(bufor.empty() || bufor == BUFOR_VIN) << bufor;
  }
}

// A run killed while its answer is still on the way leaves it to the next run,
// which must not take it for its own; once the line is quiet a run reads the
// register and keeps it in ECRTBUF.TXT.
TEST(PozneOdpowiedzi, AnAnswerLeftByAKilledRunIsNotTheNextRunsAnswer) {
  Stanowisko7 s({"0xC0,n=1:late=3000"});
  ASSERT_TRUE(s.sim.Gotowy());
  {
    KarvoWTle zabity(s.env, 113, "WE.TXT", "WY.TXT");
    ASSERT_TRUE(CzekajNaRozkaz(s.sim, 0xC0));
    zabity.Sygnal(SIGKILL);
    zabity.Koniec();
  }
  const WynikKarvo w = s.env.Karvo(113, "WE.TXT", "WY.TXT");
  SprawdzPoprawnyAlboBlad(w);
  EXPECT_EQ(s.Bufor(), "") << "nothing read in clean exchanges";
  ONrKasy(s, 0, BUFOR_VIN);
}

// Bytes that follow a complete answer make it suspect: the exchange after it
// fails instead of reading them, and nothing goes into ECRTBUF.TXT.
TEST(PozneOdpowiedzi, BytesLeftOverAfterACompleteAnswerFailTheCommand) {
  Stanowisko7 s({"0x71:raw=0x06,'V','I','N','1','1','6','C','0','0','4','2',0x55,0x55"});
  ASSERT_TRUE(s.sim.Gotowy());
  ONrKasy(s, 23, "");
}

// A byte after the command's last answer makes that answer suspect too: the
// command ends with 23, and the register (kept only after its number is read) is not kept.
TEST(PozneOdpowiedzi, BytesAfterTheLastAnswerFailTheCommand) {
  Stanowisko7 s({"0xC0:raw=0x06,'0','7',0x55"});
  ASSERT_TRUE(s.sim.Gotowy());
  ONrKasy(s, 23, "");
}

// Bytes that wait on the line before the session's first request were left by
// someone else: they are let go and the run reads the register as usual.
TEST(PozneOdpowiedzi, BytesWaitingBeforeTheFirstRequestAreLetGo) {
  Stanowisko7 s({});
  ASSERT_TRUE(s.sim.Gotowy());
  {
    StrumienPty obcy;
    ASSERT_TRUE(obcy.Otworz(s.sim.Dowiazanie()));
    ASSERT_TRUE(obcy.Wyslij({0x1B, 0xC0}));
    int czeka = 0;
    for (int i = 0; i < 1000 && czeka < 3; ++i) {
      std::this_thread::sleep_for(5ms);
      ::ioctl(obcy.Fd(), FIONREAD, &czeka);
    }
    ASSERT_EQ(czeka, 3) << "the answer waits on the line";
  }
  ONrKasy(s, 0, BUFOR_VIN);
}

// A write whose acknowledgement comes after the time-out: the register then
// waits for parameters that do not come. The run lets the line go quiet before
// it closes, so the next run's request is not taken for those parameters.
TEST(PozneOdpowiedzi, ALateAcknowledgementOfAWriteDoesNotTakeTheNextRunsBytes) {
  Stanowisko7 s({"0x43:late=1500"});
  ASSERT_TRUE(s.sim.Gotowy());
  s.env.Plik("NR.TXT", Srodowisko::Wejscie(7, {"42"}));
  EXPECT_EQ(Wynik(s.env.Karvo(114, "NR.TXT")), 21);
  const WynikKarvo w = s.env.Karvo(113, "WE.TXT", "WY.TXT");
  EXPECT_EQ(Wynik(w), 0) << w.raport;
  SprawdzPoprawnyAlboBlad(w);
  s.sim.Zatrzymaj();
  EXPECT_NE(s.sim.Stan().find("$numer\t07"), std::string::npos) << s.sim.Stan();
}

// A write whose status comes after the run has given up on it (21), later
// than the quiet wait of its close lasts: the port keeps its mark, so the
// next run lets the line fall quiet before its first request instead of
// taking the status for an answer of its own.
TEST(PozneOdpowiedzi, ALateStatusOfARunThatGaveUpIsNotTheNextRunsAnswer) {
  Stanowisko7 s({"0xCC,n=1:late2=2500"});
  ASSERT_TRUE(s.sim.Gotowy());
  s.env.Plik("RABAT.TXT", Srodowisko::Wejscie(7, {"15"}));
  EXPECT_EQ(Wynik(s.env.Karvo(112, "RABAT.TXT")), 21);
  ONrKasy(s, 0, BUFOR_VIN);
}

}  // namespace
