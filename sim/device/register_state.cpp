#include "device/register_state.h"

#include <cstdio>

#include "common/bytes.h"

namespace sim {
namespace {

using Rekord = PlikDanych::Rekord;

std::string Hex(uint32_t wartosc) {
  char bufor[16];
  std::snprintf(bufor, sizeof bufor, "0x%02X", wartosc);
  return bufor;
}

bool Bajt(const Rekord& r, uint8_t& cel) {
  const auto w = r.empty() ? std::nullopt : Liczba(r[0], 0xFF);
  if (w) cel = static_cast<uint8_t>(*w);
  return w.has_value();
}

// One key of the state file: how its record is read and written.
struct PoleStanu {
  const char* klucz;
  bool wymagane;
  const char* oczekiwane;  // what a valid value looks like, for the error message
  bool (*czytaj)(const Rekord&, StanKasy&);
  Rekord (*pisz)(const StanKasy&);
};

const PoleStanu Pola[] = {
    {"typ", true, "a byte number (27, 0x1B or 't')", [](const Rekord& r, StanKasy& s) { return Bajt(r, s.typ); },
     [](const StanKasy& s) { return Rekord{Hex(s.typ)}; }},
    {"wersja", true, "a byte number", [](const Rekord& r, StanKasy& s) { return Bajt(r, s.wersja); },
     [](const StanKasy& s) { return Rekord{std::to_string(s.wersja)}; }},
    {"litera", false, "one character, a byte number or nothing",
     [](const Rekord& r, StanKasy& s) {
       if (r.empty() || r[0].empty()) return s.litera = 0, true;
       if (r[0].size() == 1) return s.litera = static_cast<uint8_t>(r[0][0]), true;
       return Bajt(r, s.litera);
     },
     [](const StanKasy& s) {
       if (s.litera == 0) return Rekord{};
       if (s.litera > 0x20 && s.litera < 0x7F) return Rekord{std::string(1, static_cast<char>(s.litera))};
       return Rekord{Hex(s.litera)};
     }},
    {"identyfikator", true, "a text",
     [](const Rekord& r, StanKasy& s) { return !r.empty() && !(s.identyfikator = r[0]).empty(); },
     [](const StanKasy& s) { return Rekord{s.identyfikator}; }},
    {"numer", true, "two characters",
     [](const Rekord& r, StanKasy& s) { return !r.empty() && (s.numer = r[0]).size() == 2; },
     [](const StanKasy& s) { return Rekord{s.numer}; }},
    {"pojemnosc", true, "a number 0 to 65535",
     [](const Rekord& r, StanKasy& s) {
       const auto w = r.empty() ? std::nullopt : Liczba(r[0], 0xFFFF);
       if (w) s.pojemnosc = *w;
       return w.has_value();
     },
     [](const StanKasy& s) { return Rekord{std::to_string(s.pojemnosc)}; }},
    {"adres", false, "an address 1 to 8",
     [](const Rekord& r, StanKasy& s) { return Bajt(r, s.adres) && s.adres >= 1 && s.adres <= 8; },
     [](const StanKasy& s) { return Rekord{std::to_string(s.adres)}; }},
    {"odrzuca", false, "request codes (byte numbers)",
     [](const Rekord& r, StanKasy& s) {
       s.odrzuca.reset();
       for (const std::string& pole : r) {
         if (pole.empty()) continue;
         const auto kod = Liczba(pole, 0xFF);
         if (!kod) return false;
         s.odrzuca.set(*kod);
       }
       return true;
     },
     [](const StanKasy& s) {
       Rekord r;
       for (size_t kod = 0; kod < s.odrzuca.size(); ++kod)
         if (s.odrzuca.test(kod)) r.push_back(Hex(static_cast<uint32_t>(kod)));
       return r;
     }},
};

}  // namespace

std::optional<StanKasy> StanZPliku(const PlikDanych& plik, std::string& blad) {
  StanKasy stan;
  for (const PoleStanu& pole : Pola) {
    const auto rekord = plik.Pierwszy(pole.klucz);
    if (!rekord) {
      if (!pole.wymagane) continue;
      blad = std::string("no \"$") + pole.klucz + "\" line";
      return std::nullopt;
    }
    if (!pole.czytaj(*rekord, stan)) {
      blad = std::string("\"$") + pole.klucz + "\" must hold " + pole.oczekiwane;
      return std::nullopt;
    }
  }
  auto tabele = TabeleZPliku(plik, stan.typ, blad);
  if (!tabele) return std::nullopt;
  stan.tabele = std::move(*tabele);
  if (!SprzedazZPliku(plik, stan.sprzedaz, blad)) return std::nullopt;
  if (!TowaryZPliku(plik, stan.pojemnosc, stan.towary, blad)) return std::nullopt;
  if (!KodyZPliku(plik, stan.typ, stan.kody, blad)) return std::nullopt;
  if (!KasjerzyZPliku(plik, stan.kasjerzy, blad)) return std::nullopt;
  if (!PojemnikiZPliku(plik, stan.pojemniki, blad)) return std::nullopt;
  if (!FiskalneZPliku(plik, stan.fiskalne, blad)) return std::nullopt;
  if (!KasowyZPliku(plik, stan.typ, stan.kasowy, blad)) return std::nullopt;
  return stan;
}

void StanDoPliku(const StanKasy& stan, const StanKasy& wczytany, PlikDanych& plik) {
  for (const PoleStanu& pole : Pola) {
    Rekord nowy = pole.pisz(stan);
    if (nowy != pole.pisz(wczytany)) plik.Ustaw(pole.klucz, nowy);
  }
  TabeleDoPliku(stan.tabele, wczytany.tabele, plik);
  SprzedazDoPliku(stan.sprzedaz, wczytany.sprzedaz, plik);
  TowaryDoPliku(stan.towary, wczytany.towary, plik);
  KodyDoPliku(stan.kody, wczytany.kody, plik);
  KasjerzyDoPliku(stan.kasjerzy, wczytany.kasjerzy, plik);
  PojemnikiDoPliku(stan.pojemniki, wczytany.pojemniki, plik);
  FiskalneDoPliku(stan.fiskalne, wczytany.fiskalne, plik);
}

}  // namespace sim
