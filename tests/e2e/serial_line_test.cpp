// The serial line as a shop's machine has it: a line error or a break in the
// middle of an answer (reported by a port server over RFC 2217) makes that
// answer a bad one, as a cut answer is, never data; and a USB adapter that
// holds the bytes for its latency timer changes nothing of what is read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

using namespace e2e;

namespace {

const std::string VIN = "Vin 20000 PLU II gen. ver. 02" + ZRODLO;

struct Usterka {
  const char* nazwa;
  std::vector<std::string> usterki;
  int kod;
};

struct Przebieg {
  WynikKarvo karvo;
  std::string dziennik;
};

Przebieg NumerKasy(const std::vector<std::string>& usterki) {
  Stanowisko env;
  Symulator sim(env.Katalog(), {.urzadzenia = {"vin-t.txt"}, .lacze = Lacze::Rfc2217, .usterki = usterki});
  EXPECT_TRUE(sim.Gotowy());
  env.PolaczZSymulatorem(sim, 7, "COM2:19200:MUX0:1");
  env.Plik("WE.TXT", Srodowisko::Wejscie(7));
  Przebieg p{env.Karvo(113, "WE.TXT", "WY.TXT"), ""};
  SprawdzLog(p.karvo);
  sim.Zatrzymaj();
  p.dziennik = sim.Dziennik();
  return p;
}

// The type code's answer damaged after its first bytes, on every attempt of
// the session's opening: the run ends as it does when that answer is cut;
// damaged on the first attempt only, the retry reads it whole.
TEST(BledyLiniiSzeregowej, ADamagedAnswerEndsAsACutOneAndIsNeverData) {
  const Przebieg uciete = NumerKasy({"0xFE:cut=2"});
  ASSERT_EQ(Kod(uciete.karvo), 21);
  const Przebieg czyste = NumerKasy({});
  ASSERT_EQ(Kod(czyste.karvo), 0);
  const Usterka przypadki[] = {
      {"a framing error after 2 bytes", {"0xFE:linerror=2"}, 21},
      {"a framing error after the first byte", {"0xFE:linerror=1"}, 21},
      {"a break after 2 bytes", {"0xFE:break=2"}, 21},
      {"a framing error on the first attempt only", {"0xFE,n=1:linerror=2"}, 0},
  };
  for (const Usterka& u : przypadki) {
    const Przebieg p = NumerKasy(u.usterki);
    EXPECT_EQ(Kod(p.karvo), u.kod) << u.nazwa << "\n" << p.karvo.raport;
    const Przebieg& wzor = u.kod == 0 ? czyste : uciete;
    EXPECT_EQ(BezCzasu(p.karvo.raport), BezCzasu(wzor.karvo.raport)) << u.nazwa;
    EXPECT_EQ(BezCzasu(p.karvo.wyjscie), BezCzasu(wzor.karvo.wyjscie)) << u.nazwa;
    EXPECT_NE(p.dziennik.find("line: "), std::string::npos) << u.nazwa << ": the fault was not applied";
  }
}

// _TowarMax at 115200 bit/s through an adapter that holds the bytes for 16 ms
// (or until 62 wait), and through one that asks for nothing: the same file.
TEST(AdapterUsb, TheLatencyTimerChangesNothingOfWhatIsRead) {
  std::string wzor;
  for (const char* opoznienie : {"0", "16", "1"}) {
    Stanowisko env;
    Symulator sim(env.Katalog(), {.urzadzenia = {"towary-t.txt"},
                                  .dodatkowe = {"--adapter-latency", opoznienie},
                                  .baud = 115200});
    ASSERT_TRUE(sim.Gotowy());
    env.PolaczZSymulatorem(sim, 7, "COM1:115200:MUX0:1");
    env.Plik("WE.TXT", Srodowisko::Wejscie(7));
    const WynikKarvo w = env.Karvo(21, "WE.TXT", "WY.TXT");
    EXPECT_EQ(Kod(w), 0) << opoznienie << "\n" << w.raport;
    ASSERT_GE(LinieDanych(w.wyjscie).size(), 4u) << opoznienie;
    if (wzor.empty()) wzor = BezCzasu(w.wyjscie);
    EXPECT_EQ(BezCzasu(w.wyjscie), wzor) << "adapter latency " << opoznienie;
  }
}

}  // namespace
