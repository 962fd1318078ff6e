// The register-number check of the session opening, driven in this process
// against karvo-sim over a pseudo-terminal: no command built into karvo asks
// for it yet, so the command shape is run with the check switched on.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "commands/command_entry.h"
#include "driver/program.h"
#include "harness.h"
#include "state/session_state.h"

using namespace e2e;

namespace {

bool cialoWykonane = false;
void Cialo() {
  cialoWykonane = true;
  ZapisanieLiniiWyniku("cialo");
}

// Runs as karvo would: the command in the environment's directory, then the
// report appended to karvo.log.
struct Uruchomienie {
  uint8_t wynik;
  std::string raport, log, wyjscie;
};
Uruchomienie Sprawdzanie(const Srodowisko& env) {
  const auto poprzedni = std::filesystem::current_path();
  std::filesystem::current_path(env.Katalog().Sciezka());
  setenv("KARVO_PLATFORM_DIR", env.Katalog().Sciezka().c_str(), 1);
  cialoWykonane = false;
  const OpisFunkcji opis = UzupelnienieOpisu(OpisFunkcji{.Cialo = Cialo}, "_Sprawdzanie", 1);
  const uint8_t wynik = WykonanieFunkcji(opis, "WE.TXT", "WY.TXT");
  DopisanieRaportuDoLogu();
  std::filesystem::current_path(poprzedni);
  return {wynik, CzytajPlik(env.Sciezka("RAPORT.TXT")), CzytajPlik(env.Sciezka("karvo.log")),
          CzytajPlik(env.Sciezka("WY.TXT"))};
}

}  // namespace

TEST(NumerKasy, ARegisterWithAnotherNumberGives22AndNoBody) {
  const struct {
    const char* urzadzenie;
    int zadany;
    uint8_t wynik;
    std::string opis, trzecia;
  } przypadki[] = {
      {"vin-t.txt", 8, 22, "22\t; numer kasy rozny od numeru podanego w pliku wejsciowym",
       "Vin 20000 PLU II gen. ver. 02"},
      {"pelto-103.txt", 6, 22, "22\t; numer kasy rozny od numeru podanego w pliku wejsciowym",
       "Pelto 8000 PLU II gen. ver. 02"},
      {"vin-t.txt", 7, 0, "0\t; program zakonczony bezblednie", "Vin 20000 PLU II gen. ver. 02"},
      // Price checkers and the Ubo do not report a number of their own.
      {"cenometr-m.txt", 12, 0, "0\t; program zakonczony bezblednie", "Cenometr 400 PLU ver. 03"},
      {"ubo-pct.txt", 3, 0, "0\t; program zakonczony bezblednie", "Ubo 300 PLU ver. 01"},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(std::string(p.urzadzenie) + " asked as " + std::to_string(p.zadany));
    Stanowisko env;
    Symulator sim(env.Katalog(), {.urzadzenia = {p.urzadzenie}});
    ASSERT_TRUE(sim.Gotowy());
    env.PolaczZSymulatorem(sim, p.zadany);
    env.Plik("WE.TXT", Srodowisko::Wejscie(p.zadany));
    const Uruchomienie u = Sprawdzanie(env);
    EXPECT_EQ(u.wynik, p.wynik);
    EXPECT_EQ(cialoWykonane, p.wynik == 0);
    EXPECT_EQ(BezCzasu(u.raport), Linie({Naglowek0(p.zadany, "COM1:9600:MUX0:1", "Sprawdzanie", "WY.TXT"), p.opis,
                                         p.trzecia + " (identyfikator odczytany z urzadzenia)"}));
    EXPECT_EQ(u.log, u.raport + std::string(80, '-') + "\r\n");
    EXPECT_EQ(u.wyjscie.find("$cialo") != std::string::npos, p.wynik == 0) << u.wyjscie;
  }
}
