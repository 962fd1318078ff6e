// The end-of-day sequence run in this process, as an application calls the
// exported _OSpOpMax: on every path it returns by, the line is closed again
// and the two session flags it changes are as they were before the call.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "harness.h"
#include "include/karvo.h"
#include "protocol/line.h"
#include "state/session_state.h"

using namespace e2e;

namespace {

uint8_t DzienWTymProcesie(const Srodowisko& env, const std::string& linia, int kasa = 7) {
  env.Plik("WE.TXT", Srodowisko::Wejscie(kasa, linia.empty() ? std::vector<std::string>{}
                                                               : std::vector<std::string>{linia}));
  const auto poprzedni = std::filesystem::current_path();
  std::filesystem::current_path(env.Katalog().Sciezka());
  setenv("KARVO_PLATFORM_DIR", env.Katalog().Sciezka().c_str(), 1);
  const uint8_t wynik = Karvo_OSpOpMax("WE.TXT");
  std::filesystem::current_path(poprzedni);
  return wynik;
}

}  // namespace

TEST(OSpOpMaxFlagi, PutBackOnEveryPath) {
  Stanowisko env;
  const std::string stan = env.Sciezka("vin-t.txt");
  ZapiszPlik(stan, CzytajPlik(Urzadzenie("vin-t.txt")) + "$sprzedaz\t1\t12\t0\t4188\r\n");
  Symulator sim(env.Katalog(), {.urzadzenia = {stan}, .lacze = e2e::Lacze::ModulTcp, .usterki = {"0xA7:refuse"}});
  ASSERT_TRUE(sim.Gotowy());
  env.PolaczZModulem(sim, 7);
  const struct {
    const char* jak;
    std::string linia;
    int kasa;
    uint8_t wynik;
  } sciezki[] = {
      {"the session does not open", "A\tB\tC", 9, 14},
      {"no data line", "", 7, 10},
      {"a name repeated", "A\tA\tC", 7, 5},
      {"an inner command fails", "A\tB\tC\tD", 7, 24},
      {"the marker cannot be made", "A\tB\tC\t*\tBRAK/M", 7, 8},
      {"a day with a marker", "A\tB\tC\t*\tM", 7, 0},
      {"a day sorted", "A2\tB2\tC2", 7, 0},
  };
  for (const bool otwarte : {false, true}) {
    for (const auto& s : sciezki) {
      SCOPED_TRACE(std::string(s.jak) + (otwarte ? ", the line kept open before" : ""));
      UstawieniePozostawiacOtwartyPortSzeregowy(otwarte);
      EXPECT_EQ(DzienWTymProcesie(env, s.linia, s.kasa), s.wynik);
      EXPECT_EQ(Sesja.PelnaSesja, 1);
      EXPECT_EQ(PozostawianieOtwartegoLacza(), otwarte);
      // A line the caller keeps open stays open after a day that opened it.
      if (!otwarte) {
        EXPECT_FALSE(LaczeOtwarte());
      }
    }
  }
  UstawieniePozostawiacOtwartyPortSzeregowy(0);
  EXPECT_FALSE(LaczeOtwarte());
}
