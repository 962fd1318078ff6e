#include "module/module_state.h"

#include "common/bytes.h"

namespace sim {
namespace {

using Rekord = PlikDanych::Rekord;

template <typename T>
bool Liczbowe(const Rekord& r, uint32_t maksimum, T& cel) {
  const auto w = r.empty() ? std::nullopt : Liczba(r[0], maksimum);
  if (w) cel = static_cast<T>(*w);
  return w.has_value();
}

struct PoleModulu {
  const char* klucz;
  const char* oczekiwane;
  bool (*czytaj)(const Rekord&, StanModulu&);
  Rekord (*pisz)(const StanModulu&);
};

const PoleModulu Pola[] = {
    {"modul_haslo", "exactly 8 characters",
     [](const Rekord& r, StanModulu& s) { return !r.empty() && (s.haslo = r[0]).size() == 8; },
     [](const StanModulu& s) { return Rekord{s.haslo}; }},
    {"modul_dzwonki", "a byte number", [](const Rekord& r, StanModulu& s) { return Liczbowe(r, 0xFF, s.dzwonki); },
     [](const StanModulu& s) { return Rekord{std::to_string(s.dzwonki)}; }},
    {"modul_wersja", "exactly 12 characters",
     [](const Rekord& r, StanModulu& s) { return !r.empty() && (s.wersja = r[0]).size() == 12; },
     [](const StanModulu& s) { return Rekord{s.wersja}; }},
    {"modul_czas1", "a number 0 to 65535", [](const Rekord& r, StanModulu& s) { return Liczbowe(r, 0xFFFF, s.czas1); },
     [](const StanModulu& s) { return Rekord{std::to_string(s.czas1)}; }},
    {"modul_czas2", "a number 0 to 65535", [](const Rekord& r, StanModulu& s) { return Liczbowe(r, 0xFFFF, s.czas2); },
     [](const StanModulu& s) { return Rekord{std::to_string(s.czas2)}; }},
};

}  // namespace

std::optional<StanModulu> StanModuluZPliku(const PlikDanych& plik, std::string& blad) {
  StanModulu stan;
  for (const PoleModulu& pole : Pola) {
    const auto rekord = plik.Pierwszy(pole.klucz);
    if (rekord && !pole.czytaj(*rekord, stan)) {
      blad = std::string("\"$") + pole.klucz + "\" must hold " + pole.oczekiwane;
      return std::nullopt;
    }
  }
  return stan;
}

void StanModuluDoPliku(const StanModulu& stan, const StanModulu& wczytany, PlikDanych& plik) {
  for (const PoleModulu& pole : Pola) {
    const Rekord nowy = pole.pisz(stan);
    if (nowy != pole.pisz(wczytany)) plik.Ustaw(pole.klucz, nowy);
  }
}

}  // namespace sim
