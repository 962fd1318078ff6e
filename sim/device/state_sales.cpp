#include "device/state_sales.h"

#include <algorithm>
#include <cstdio>

namespace sim {
namespace {

using Rekord = PlikDanych::Rekord;
using Rekordy = std::vector<Rekord>;

constexpr uint64_t GranicaRabatu = uint64_t{1} << 40;  // five bytes

// A 32-bit quantity or amount: 0 to 4294967295, or down to -2147483648.
std::optional<int64_t> Wartosc32(std::string_view tekst) {
  if (!tekst.empty() && tekst[0] == '-') {
    const auto w = Liczba(tekst.substr(1), 0x80000000u);
    if (!w) return std::nullopt;
    return -static_cast<int64_t>(*w);
  }
  const auto w = Liczba(tekst);
  if (!w) return std::nullopt;
  return static_cast<int64_t>(*w);
}

// NR QUANTITY DECIMALS AMOUNT, from field k of the record.
bool CzytajSprzedaz(const Rekord& r, size_t k, SprzedazNumeru& wynik) {
  if (r.size() < k + 4) return false;
  const auto numer = Liczba(r[k], 0xFFFF);
  const auto ilosc = Wartosc32(r[k + 1]);
  const auto miejsca = Liczba(r[k + 2], 0xFF);
  const auto kwota = Wartosc32(r[k + 3]);
  if (!numer || *numer == 0 || !ilosc || !miejsca || !kwota) return false;
  wynik = {static_cast<uint16_t>(*numer), SprzedazTowaru{*ilosc, static_cast<uint8_t>(*miejsca), *kwota}};
  return true;
}

Rekord PiszSprzedaz(const SprzedazNumeru& s) {
  return {std::to_string(s.first), std::to_string(s.second.ilosc), std::to_string(s.second.miejsca),
          std::to_string(s.second.kwota)};
}

// One key of the sales part of the state file: all its records at once.
struct KluczSprzedazy {
  const char* klucz;
  const char* oczekiwane;  // what a valid record looks like, for the error message
  bool (*czytaj)(const Rekordy&, StanSprzedazy&);
  Rekordy (*pisz)(const StanSprzedazy&);
};

bool CzytajTowary(const Rekordy& rekordy, StanSprzedazy& s) {
  for (const Rekord& r : rekordy) {
    SprzedazNumeru t;
    if (!CzytajSprzedaz(r, 0, t)) return false;
    s.towary.push_back(t);
  }
  std::sort(s.towary.begin(), s.towary.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  return std::adjacent_find(s.towary.begin(), s.towary.end(),
                            [](const auto& a, const auto& b) { return a.first == b.first; }) == s.towary.end();
}

bool CzytajOpakowania(const Rekordy& rekordy, StanSprzedazy& s) {
  for (const Rekord& r : rekordy) {
    const auto blok = r.empty() ? std::nullopt : Liczba(r[0], LiczbaBlokow - 1);
    SprzedazNumeru t;
    if (!blok || !CzytajSprzedaz(r, 1, t) || s.opakowania[*blok].size() == RekordyBloku) return false;
    s.opakowania[*blok].push_back(t);
  }
  return true;
}

bool CzytajRabaty(const Rekordy& rekordy, StanSprzedazy& s) {
  if (rekordy.size() > 1) return false;
  for (const Rekord& r : rekordy) {
    if (r.size() < 2 || r.size() > 3) return false;
    for (const std::string& pole : r) {
      const auto w = DuzaLiczba(pole, GranicaRabatu - 1);
      if (!w) return false;
      s.rabaty.push_back(*w);
    }
  }
  return true;
}

template <Okres O>
bool CzytajOkres(const Rekordy& rekordy, StanSprzedazy& s) {
  for (const Rekord& r : rekordy) {
    auto bajty = r.size() == 1 ? ZSzesnastkowego(r[0]) : std::nullopt;
    // A record that begins with 0xFF would end the readout: the register has none.
    if (!bajty || bajty->empty() || bajty->size() > DlugoscOkresu[size_t(O)] || (*bajty)[0] == 0xFF) return false;
    bajty->resize(DlugoscOkresu[size_t(O)], 0);
    s.okresy[size_t(O)].push_back(std::move(*bajty));
  }
  return true;
}

template <Okres O>
Rekordy PiszOkres(const StanSprzedazy& s) {
  Rekordy wynik;
  for (const Bajty& b : s.okresy[size_t(O)]) wynik.push_back({DoSzesnastkowego(b)});
  return wynik;
}

const KluczSprzedazy Klucze[] = {
    {"sprzedaz", "NR (1 to 65535), QUANTITY, DECIMALS, AMOUNT; each number once", CzytajTowary,
     [](const StanSprzedazy& s) {
       Rekordy w;
       for (const auto& t : s.towary) w.push_back(PiszSprzedaz(t));
       return w;
     }},
    {"opakowanie", "BLOCK (0 to 3), NR, QUANTITY, DECIMALS, AMOUNT; 16 records a block at most", CzytajOpakowania,
     [](const StanSprzedazy& s) {
       Rekordy w;
       for (size_t blok = 0; blok < LiczbaBlokow; ++blok)
         for (const auto& t : s.opakowania[blok]) {
           Rekord r = PiszSprzedaz(t);
           r.insert(r.begin(), std::to_string(blok));
           w.push_back(std::move(r));
         }
       return w;
     }},
    {"rabaty", "one line of two or three numbers below 2^40", CzytajRabaty,
     [](const StanSprzedazy& s) {
       Rekordy w;
       if (s.rabaty.empty()) return w;
       Rekord r;
       for (uint64_t v : s.rabaty) r.push_back(std::to_string(v));
       w.push_back(std::move(r));
       return w;
     }},
    {"okresAD", "hexadecimal bytes, 1 to 16, not beginning with FF", CzytajOkres<Okres::AD>, PiszOkres<Okres::AD>},
    {"okresEE", "hexadecimal bytes, 1 to 20, not beginning with FF", CzytajOkres<Okres::EE>, PiszOkres<Okres::EE>},
    {"okresD6", "hexadecimal bytes, 1 to 32, not beginning with FF", CzytajOkres<Okres::D6>, PiszOkres<Okres::D6>},
    {"okres61", "hexadecimal bytes, 1 to 37, not beginning with FF", CzytajOkres<Okres::R61>, PiszOkres<Okres::R61>},
    {"sprzedaz_porcja", "one number 1 to 5",
     [](const Rekordy& rekordy, StanSprzedazy& s) {
       if (rekordy.empty()) return true;
       const auto n = rekordy.size() == 1 && !rekordy[0].empty() ? Liczba(rekordy[0][0], NajwiecejWPorcji)
                                                                 : std::nullopt;
       if (!n || *n == 0) return false;
       s.porcja = static_cast<uint8_t>(*n);
       return true;
     },
     [](const StanSprzedazy& s) {
       return s.porcja == NajwiecejWPorcji ? Rekordy{} : Rekordy{{std::to_string(s.porcja)}};
     }},
};

}  // namespace

const SprzedazTowaru* StanSprzedazy::Towar(uint16_t numer) const {
  const auto it = std::lower_bound(towary.begin(), towary.end(), numer,
                                   [](const SprzedazNumeru& t, uint16_t n) { return t.first < n; });
  return it != towary.end() && it->first == numer ? &it->second : nullptr;
}

void StanSprzedazy::ZerujLiczniki() {
  towary.clear();
  for (auto& blok : opakowania) blok.clear();
  rabaty.clear();
  kursory.sprzedaz = 0;
}

void StanSprzedazy::ZerujOkresy() {
  for (auto& okres : okresy) okres.clear();
  kursory.okresy = {};
}

bool SprzedazZPliku(const PlikDanych& plik, StanSprzedazy& stan, std::string& blad) {
  for (const KluczSprzedazy& k : Klucze) {
    if (!k.czytaj(plik.Wszystkie(k.klucz), stan)) {
      blad = std::string("\"$") + k.klucz + "\" must hold " + k.oczekiwane;
      return false;
    }
  }
  return true;
}

void SprzedazDoPliku(const StanSprzedazy& stan, const StanSprzedazy& wczytany, PlikDanych& plik) {
  for (const KluczSprzedazy& k : Klucze) {
    Rekordy nowe = k.pisz(stan);
    if (nowe != k.pisz(wczytany)) plik.UstawWszystkie(k.klucz, nowe);
  }
}

void DopiszCztery(Bajty& cel, int64_t wartosc) {
  const auto w = static_cast<uint32_t>(wartosc);
  for (int i = 0; i < 4; ++i) cel.push_back(static_cast<uint8_t>(w >> (8 * i)));
}

Bajty RekordSprzedazy(uint16_t numer, const SprzedazTowaru& s) {
  Bajty r{static_cast<uint8_t>(numer >> 8), static_cast<uint8_t>(numer & 0xFF)};
  DopiszCztery(r, s.ilosc);
  r.push_back(s.miejsca);
  DopiszCztery(r, s.kwota);
  return r;
}

}  // namespace sim
