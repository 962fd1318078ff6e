// What the simulator's unit tests share: a sender that records, and a register
// built from a state file of sim/devices or from text.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/data_file.h"
#include "device/register.h"

namespace simtest {

// Records every answer run and every quiet pause a device asks for.
class Zapis : public sim::Nadajnik {
 public:
  void Wyslij(std::span<const uint8_t> bajty) override {
    wyslane.insert(wyslane.end(), bajty.begin(), bajty.end());
  }
  void Czekaj(std::chrono::milliseconds czas) override { pauzy.push_back(czas.count()); }
  sim::Bajty Odbierz() { return std::exchange(wyslane, {}); }
  sim::Bajty wyslane;
  std::vector<long> pauzy;
};

inline std::string Urzadzenie(const std::string& nazwa) { return std::string(KARVO_SIM_DEVICES) + "/" + nazwa; }

inline sim::StanKasy Stan(const std::string& nazwaPliku) {
  std::string blad;
  auto plik = sim::PlikDanych::Wczytaj(Urzadzenie(nazwaPliku), blad);
  EXPECT_TRUE(plik) << blad;
  auto stan = plik ? sim::StanZPliku(*plik, blad) : std::nullopt;
  EXPECT_TRUE(stan) << nazwaPliku << ": " << blad;
  return stan.value_or(sim::StanKasy{});
}

// Faults as written, each read with czytaj; one that does not read fails the test.
template <typename Czytaj>
auto Wczytane(Czytaj czytaj, std::initializer_list<const char*> zapisy) {
  std::vector<typename decltype(czytaj(std::string_view{}, std::declval<std::string&>()))::value_type> wynik;
  for (const char* z : zapisy) {
    std::string blad;
    auto u = czytaj(z, blad);
    EXPECT_TRUE(u) << z << ": " << blad;
    if (u) wynik.push_back(*u);
  }
  return wynik;
}

inline std::vector<sim::Usterka> Usterki(std::initializer_list<const char*> zapisy) {
  return Wczytane(sim::CzytajUsterke, zapisy);
}

// One register fed directly, the way a line would.
struct Stanowisko {
  explicit Stanowisko(sim::StanKasy stan, std::vector<sim::Usterka> usterki = {})
      : kasa(std::move(stan), std::move(usterki), dziennik) {}

  // Sends 1B and the code, then the parameters; answers what came back.
  sim::Bajty Rozkaz(uint8_t kod, sim::Bajty parametry = {}) {
    sim::Bajty naglowek{0x1B, kod};
    kasa.Odebrano(naglowek, wyjscie, sim::Zegar::now());
    if (!parametry.empty()) kasa.Odebrano(parametry, wyjscie, sim::Zegar::now());
    return wyjscie.Odbierz();
  }

  sim::Dziennik dziennik;
  Zapis wyjscie;
  sim::Kasa kasa;
};

}  // namespace simtest
