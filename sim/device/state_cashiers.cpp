#include "device/state_cashiers.h"

#include <cstdio>

#include "device/state_keys.h"
#include "device/state_tables.h"

namespace sim {
namespace {

using Rekord = PlikDanych::Rekord;
using Rekordy = std::vector<Rekord>;

constexpr size_t DlugoscPierwszej = 71, DlugoscDalszej = 51, Wstawka = 3, WstawkaOd = 19;
constexpr uint8_t BajtWstawki = 0xEE;
constexpr int64_t NajmniejszaZeZnakiem = -(int64_t{1} << 39);

// A text of at most `szerokosc` characters, padded with spaces.
bool Tekst(const std::string& pole, size_t szerokosc, Bajty& cel) {
  auto t = TekstPola(pole);
  if (!t || t->size() > szerokosc) return false;
  t->resize(szerokosc, ' ');
  cel = std::move(*t);
  return true;
}

std::string BezSpacji(Bajty t) {
  while (!t.empty() && t.back() == ' ') t.pop_back();
  return PoleTekstu(t);
}

// "DD.MM.YY" or "HH:MM" into one digit a byte.
template <size_t N>
bool Cyfry(const std::string& pole, char separator, std::array<uint8_t, N>& cel) {
  if (pole.size() != N + N / 2 - 1) return false;
  for (size_t i = 0, c = 0; i < pole.size(); ++i) {
    if (i % 3 == 2) {
      if (pole[i] != separator) return false;
      continue;
    }
    if (pole[i] < '0' || pole[i] > '9') return false;
    cel[c++] = static_cast<uint8_t>(pole[i] - '0');
  }
  return true;
}

template <size_t N>
std::string ZCyfr(const std::array<uint8_t, N>& cyfry, char separator) {
  std::string t;
  for (size_t i = 0; i < N; ++i) {
    if (i > 0 && i % 2 == 0) t += separator;
    t += static_cast<char>('0' + cyfry[i] % 10);
  }
  return t;
}

std::optional<int64_t> Suma(const std::string& pole, bool zeZnakiem) {
  if (zeZnakiem && !pole.empty() && pole[0] == '-') {
    const auto w = DuzaLiczba(pole.substr(1), -NajmniejszaZeZnakiem);
    if (!w) return std::nullopt;
    return -static_cast<int64_t>(*w);
  }
  const auto w = DuzaLiczba(pole, (zeZnakiem ? -NajmniejszaZeZnakiem : GranicaSumy) - 1);
  if (!w) return std::nullopt;
  return static_cast<int64_t>(*w);
}

bool CzytajZmiane(const Rekord& r, StanKasjerow& s) {
  const auto numer = r.empty() ? std::nullopt : Liczba(r[0], 0xFF);
  Kasjer* k = numer ? s.Znajdz(*numer) : nullptr;
  if (!k || r.size() < 3 || r.size() > 3 + SumyZmiany + LicznikiZmiany + SumyDalsze) return false;
  ZmianaKasjera& z = k->zmiana;
  if (!Cyfry(r[1], '.', z.data) || !Cyfry(r[2], ':', z.godzina)) return false;
  for (size_t i = 3; i < r.size(); ++i) {
    const size_t j = i - 3;
    if (j < SumyZmiany) {
      const auto w = Suma(r[i], j == 1);
      if (!w) return false;
      z.sumy[j] = *w;
    } else if (j < SumyZmiany + LicznikiZmiany) {
      const auto w = Liczba(r[i], 0xFFFF);
      if (!w) return false;
      z.liczniki[j - SumyZmiany] = static_cast<uint16_t>(*w);
    } else {
      const auto w = DuzaLiczba(r[i], GranicaSumy - 1);
      if (!w) return false;
      z.dalsze[j - SumyZmiany - LicznikiZmiany] = *w;
    }
  }
  return true;
}

Rekord PiszZmiane(size_t numer, const ZmianaKasjera& z) {
  Rekord r{std::to_string(numer), ZCyfr(z.data, '.'), ZCyfr(z.godzina, ':')};
  for (int64_t v : z.sumy) r.push_back(std::to_string(v));
  for (uint16_t v : z.liczniki) r.push_back(std::to_string(v));
  for (uint64_t v : z.dalsze) r.push_back(std::to_string(v));
  return r;
}

bool CzytajKasjera(const Rekord& r, StanKasjerow& s) {
  const auto numer = r.size() == 4 ? Liczba(r[0], 0xFF) : std::nullopt;
  const auto flagi = numer ? Liczba(r[3], 0xFF) : std::nullopt;
  if (!flagi || *numer == 0 || *numer > s.kasjerzy.size()) return false;
  Kasjer k;
  k.flagi = static_cast<uint8_t>(*flagi);
  if (!Tekst(r[1], SzerokoscNazwyKasjera, k.nazwa) || !Tekst(r[2], SzerokoscHasla, k.haslo)) return false;
  s.kasjerzy[*numer - 1] = std::move(k);
  return true;
}

// Counts come before the records they size, cashiers before their shifts.
const KluczStanu<StanKasjerow> Klucze[] = {
    {"kasjerow", "a number 1 to 255",
     [](const Rekord& r, StanKasjerow& s) {
       const auto w = r.empty() ? std::nullopt : Liczba(r[0], 0xFF);
       if (!w || *w == 0) return false;
       s.kasjerzy.resize(*w);
       return true;
     },
     [](const StanKasjerow& s) { return Rekordy{{std::to_string(s.kasjerzy.size())}}; }},
    {"kasjer",
     "a cashier number within $kasjerow, a name of at most 19 and a password of at most 4 characters, a flag byte",
     CzytajKasjera,
     [](const StanKasjerow& s) {
       Rekordy w;
       for (size_t i = 0; i < s.kasjerzy.size(); ++i)
         if (const auto& k = s.kasjerzy[i])
           w.push_back({std::to_string(i + 1), BezSpacji(k->nazwa), BezSpacji(k->haslo), std::to_string(k->flagi)});
       return w;
     }},
    {"zalogowany", "a cashier number or 0",
     [](const Rekord& r, StanKasjerow& s) {
       const auto w = r.empty() ? std::nullopt : Liczba(r[0], 0xFF);
       if (!w || (*w != 0 && !s.Znajdz(*w))) return false;
       s.zalogowany = static_cast<uint8_t>(*w);
       return true;
     },
     [](const StanKasjerow& s) { return Rekordy{{std::to_string(s.zalogowany)}}; }},
    {"zmiana", "a cashier number, DD.MM.YY, HH:MM and at most 24 numbers (14 totals, 5 counters, 5 totals)",
     CzytajZmiane,
     [](const StanKasjerow& s) {
       Rekordy w;
       for (size_t i = 0; i < s.kasjerzy.size(); ++i)
         if (s.kasjerzy[i] && s.kasjerzy[i]->zmiana != ZmianaKasjera{})
           w.push_back(PiszZmiane(i + 1, s.kasjerzy[i]->zmiana));
       return w;
     }},
};

void Dopisz(Bajty& cel, uint64_t wartosc, size_t bajty) {
  for (size_t i = 0; i < bajty; ++i) cel.push_back(static_cast<uint8_t>(wartosc >> (8 * i)));
}

}  // namespace

void ZmianaKasjera::Zeruj() {
  sumy = {};
  liczniki = {};
  dalsze = {};
}

Kasjer* StanKasjerow::Znajdz(size_t numer) {
  if (numer == 0 || numer > kasjerzy.size() || !kasjerzy[numer - 1]) return nullptr;
  return &*kasjerzy[numer - 1];
}

bool KasjerzyZPliku(const PlikDanych& plik, StanKasjerow& stan, std::string& blad) {
  return CzytajKlucze(Klucze, plik, stan, blad);
}

void KasjerzyDoPliku(const StanKasjerow& stan, const StanKasjerow& wczytany, PlikDanych& plik) {
  PiszKlucze(Klucze, stan, wczytany, plik);
}

Bajty PierwszaCzescZmiany(uint8_t numer, const ZmianaKasjera& z) {
  Bajty b{numer};
  for (int64_t v : z.sumy) Dopisz(b, static_cast<uint64_t>(v), 5);
  return b;
}

Bajty DalszaCzescZmiany(uint8_t numer, const ZmianaKasjera& z, bool dluzsza) {
  Bajty b{numer};
  b.insert(b.end(), z.data.begin(), z.data.end());
  b.insert(b.end(), z.godzina.begin(), z.godzina.end());
  for (uint16_t v : z.liczniki) {
    if (dluzsza && b.size() == WstawkaOd) b.insert(b.end(), Wstawka, BajtWstawki);
    Dopisz(b, v, 2);
  }
  for (uint64_t v : z.dalsze) Dopisz(b, v, 5);
  b.resize(DlugoscDalszej + (dluzsza ? Wstawka : 0), 0);
  return b;
}

static_assert(DlugoscPierwszej == 1 + 5 * SumyZmiany);

}  // namespace sim
