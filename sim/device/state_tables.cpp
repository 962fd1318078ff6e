#include "device/state_tables.h"

#include <cstdio>

#include "device/families.h"

namespace sim {
namespace {

using Rekord = PlikDanych::Rekord;
using Rekordy = std::vector<Rekord>;

constexpr uint8_t Spacja = ' ';

Bajty Puste(size_t szerokosc) { return Bajty(szerokosc, Spacja); }

std::string Hex(uint32_t wartosc) {
  char bufor[16];
  std::snprintf(bufor, sizeof bufor, "0x%02X", wartosc);
  return bufor;
}

bool PustaNazwa(const Bajty& nazwa) {
  for (uint8_t b : nazwa)
    if (b != Spacja) return false;
  return true;
}

// A name of the given width from a field: padded with spaces, never longer.
bool Nazwa(const std::string& pole, size_t szerokosc, Bajty& cel) {
  auto tekst = TekstPola(pole);
  if (!tekst || tekst->size() > szerokosc) return false;
  tekst->resize(szerokosc, Spacja);
  cel = std::move(*tekst);
  return true;
}

// The padding spaces are left out: reading pads them again.
std::string PoleNazwy(Bajty nazwa) {
  while (!nazwa.empty() && nazwa.back() == Spacja) nazwa.pop_back();
  return PoleTekstu(nazwa);
}

template <typename T>
bool Liczbowe(const std::string& pole, uint32_t maksimum, T& cel) {
  const auto w = Liczba(pole, maksimum);
  if (w) cel = static_cast<T>(*w);
  return w.has_value();
}

// The first record of a single-valued key.
const Rekord& Pierwszy(const Rekordy& r) { return r.front(); }

bool Bajt(const Rekordy& r, uint8_t& cel) { return !Pierwszy(r).empty() && Liczbowe(Pierwszy(r)[0], 0xFF, cel); }

// "$key N NAME" records into a table whose entry n is tablica[n - 1].
template <typename Tablica>
bool Nazwy(const Rekordy& rekordy, size_t szerokosc, Tablica& tablica) {
  for (const Rekord& r : rekordy) {
    size_t numer = 0;
    if (r.empty() || !Liczbowe(r[0], 0xFF, numer) || numer < 1 || numer > tablica.size()) return false;
    if (!Nazwa(r.size() > 1 ? r[1] : std::string(), szerokosc, tablica[numer - 1])) return false;
  }
  return true;
}

template <typename Tablica>
Rekordy NazwyDoPliku(const Tablica& tablica) {
  Rekordy wynik;
  for (size_t i = 0; i < tablica.size(); ++i)
    if (!PustaNazwa(tablica[i])) wynik.push_back({std::to_string(i + 1), PoleNazwy(tablica[i])});
  return wynik;
}

// A table count that sizes the table; entries beyond it go, new ones are blank.
bool Liczebnosc(const Rekordy& r, std::vector<Bajty>& tablica, size_t szerokosc) {
  size_t ile = 0;
  if (Pierwszy(r).empty() || !Liczbowe(Pierwszy(r)[0], 0xFF, ile)) return false;
  tablica.resize(ile, Puste(szerokosc));
  return true;
}

bool CzytajLinie(const Rekordy& rekordy, StanTabel& s) {
  for (const Rekord& r : rekordy) {
    size_t numer = 0;
    if (r.size() < 2 || !Liczbowe(r[0], 0xFF, numer) || numer < 1 || numer > s.linie.size()) return false;
    LiniaNaglowka& linia = s.linie[numer - 1];
    if (!Liczbowe(r[1], 0xFF, linia.atrybut)) return false;
    if (!Nazwa(r.size() > 2 ? r[2] : std::string(), SzerokoscLinii, linia.tekst)) return false;
  }
  return true;
}

Rekordy PiszLinie(const StanTabel& s) {
  Rekordy wynik;
  for (size_t i = 0; i < s.linie.size(); ++i) {
    const LiniaNaglowka& l = s.linie[i];
    if (l.atrybut != 0 || !PustaNazwa(l.tekst))
      wynik.push_back({std::to_string(i + 1), std::to_string(l.atrybut), PoleNazwy(l.tekst)});
  }
  return wynik;
}

// "DD.MM.YY" and "HH:MM" as UTC fields; false on a time that does not exist.
bool CzytajCzas(const std::string& data, const std::string& godzina, std::time_t& wynik) {
  unsigned d, m, r, g, min;
  char koniec;
  if (data.size() != 8 || std::sscanf(data.c_str(), "%2u.%2u.%2u%c", &d, &m, &r, &koniec) != 3) return false;
  if (godzina.size() != 5 || std::sscanf(godzina.c_str(), "%2u:%2u%c", &g, &min, &koniec) != 2) return false;
  std::tm czas{};
  czas.tm_mday = static_cast<int>(d);
  czas.tm_mon = static_cast<int>(m) - 1;
  czas.tm_year = static_cast<int>(r) + 100;
  czas.tm_hour = static_cast<int>(g);
  czas.tm_min = static_cast<int>(min);
  const std::tm podany = czas;
  wynik = timegm(&czas);
  // timegm moves days and hours that overflow; such a time was not a real one.
  return czas.tm_mday == podany.tm_mday && czas.tm_mon == podany.tm_mon && czas.tm_hour == podany.tm_hour &&
         czas.tm_min == podany.tm_min;
}

bool CzytajZegar(const Rekordy& r, StanTabel& s) {
  const Rekord& z = Pierwszy(r);
  if (z.size() < 2 || z.size() > 3) return false;
  if (!CzytajCzas(z[0], z[1], s.zegar.ustawiony)) return false;
  if (z.size() == 3 && z[2] != "biegnie") return false;
  s.zegar.rodzaj = z.size() == 3 ? ZegarKasy::Rodzaj::Biegnacy : ZegarKasy::Rodzaj::Staly;
  s.zegar.odKiedy = std::chrono::system_clock::now();
  return true;
}

Rekordy PiszZegar(const StanTabel& s) {
  if (s.zegar.rodzaj == ZegarKasy::Rodzaj::Systemowy) return {};
  std::tm czas{};
  gmtime_r(&s.zegar.ustawiony, &czas);
  char data[48], godzina[48];
  std::snprintf(data, sizeof data, "%02d.%02d.%02d", czas.tm_mday, czas.tm_mon + 1, czas.tm_year % 100);
  std::snprintf(godzina, sizeof godzina, "%02d:%02d", czas.tm_hour, czas.tm_min);
  Rekord r{data, godzina};
  if (s.zegar.rodzaj == ZegarKasy::Rodzaj::Biegnacy) r.push_back("biegnie");
  return {r};
}

// The card record's fields: A, L, the code text (zero-filled), 19 bytes.
constexpr size_t PoczatekKodu = 2, DlugoscKodu = 6;

bool CzytajKarte(const Rekordy& r, StanTabel& s) {
  const Rekord& k = Pierwszy(r);
  if (k.size() != 3 + DlugoscKarty - PoczatekKodu - DlugoscKodu) return false;
  if (!Liczbowe(k[0], 0xFF, s.karta[0]) || !Liczbowe(k[1], 0xFF, s.karta[1])) return false;
  const auto kod = TekstPola(k[2]);
  if (!kod || kod->size() > DlugoscKodu) return false;
  for (size_t i = 0; i < DlugoscKodu; ++i) s.karta[PoczatekKodu + i] = i < kod->size() ? (*kod)[i] : 0;
  for (size_t i = 3; i < k.size(); ++i)
    if (!Liczbowe(k[i], 0xFF, s.karta[PoczatekKodu + DlugoscKodu + i - 3])) return false;
  return true;
}

Rekordy PiszKarte(const StanTabel& s) {
  Bajty kod(s.karta.begin() + PoczatekKodu, s.karta.begin() + PoczatekKodu + DlugoscKodu);
  while (!kod.empty() && kod.back() == 0) kod.pop_back();
  Rekord r{std::to_string(s.karta[0]), std::to_string(s.karta[1]), PoleTekstu(kod)};
  for (size_t i = PoczatekKodu + DlugoscKodu; i < DlugoscKarty; ++i) r.push_back(std::to_string(s.karta[i]));
  return {r};
}

bool CzytajOpcje(const Rekordy& rekordy, StanTabel& s) {
  for (const Rekord& r : rekordy) {
    size_t zestaw = 0;
    if (r.size() != 4 || !Liczbowe(r[0], 0xFF, zestaw) || zestaw >= s.zestawyOpcji) return false;
    for (size_t i = 0; i < 3; ++i)
      if (!Liczbowe(r[i + 1], 0xFF, s.opcje[zestaw][i])) return false;
  }
  return true;
}

Rekordy PiszOpcje(const StanTabel& s) {
  Rekordy wynik;
  for (size_t z = 0; z < s.zestawyOpcji; ++z)
    wynik.push_back({std::to_string(z), Hex(s.opcje[z][0]), Hex(s.opcje[z][1]), Hex(s.opcje[z][2])});
  return wynik;
}

// One key of the tables: how its records are read and written. wielokrotny:
// every record of the key counts, else the first.
struct PoleTabel {
  const char* klucz;
  bool wielokrotny;
  const char* oczekiwane;  // what a valid value looks like, for the error message
  bool (*czytaj)(const Rekordy&, StanTabel&);
  Rekordy (*pisz)(const StanTabel&);
};

// Counts come before the records they size.
const PoleTabel Pola[] = {
    {"jednostka", true, "a unit number 1 to 16 and a name of at most 4 characters",
     [](const Rekordy& r, StanTabel& s) { return Nazwy(r, SzerokoscJednostki, s.jednostki); },
     [](const StanTabel& s) { return NazwyDoPliku(s.jednostki); }},
    {"grupy", false, "a number 0 to 255",
     [](const Rekordy& r, StanTabel& s) { return Liczebnosc(r, s.grupy, SzerokoscGrupy); },
     [](const StanTabel& s) { return Rekordy{{std::to_string(s.grupy.size())}}; }},
    {"grupa", true, "a group number within $grupy and a name of at most 19 characters",
     [](const Rekordy& r, StanTabel& s) { return Nazwy(r, SzerokoscGrupy, s.grupy); },
     [](const StanTabel& s) { return NazwyDoPliku(s.grupy); }},
    {"platnosci", false, "a number 0 to 255",
     [](const Rekordy& r, StanTabel& s) { return Liczebnosc(r, s.platnosci, SzerokoscPlatnosci); },
     [](const StanTabel& s) { return Rekordy{{std::to_string(s.platnosci.size())}}; }},
    {"platnosc", true, "a payment number within the table and a name of at most 13 characters",
     [](const Rekordy& r, StanTabel& s) { return Nazwy(r, SzerokoscPlatnosci, s.platnosci); },
     [](const StanTabel& s) { return NazwyDoPliku(s.platnosci); }},
    {"rabat", false, "a byte number", [](const Rekordy& r, StanTabel& s) { return Bajt(r, s.rabat); },
     [](const StanTabel& s) { return Rekordy{{std::to_string(s.rabat)}}; }},
    {"wiersze", false, "a number 1 to 30",
     [](const Rekordy& r, StanTabel& s) { return Bajt(r, s.wiersze) && s.wiersze >= 1 && s.wiersze <= 30; },
     [](const StanTabel& s) { return Rekordy{{std::to_string(s.wiersze)}}; }},
    {"linie", false, "a number 0 to 255",
     [](const Rekordy& r, StanTabel& s) {
       size_t ile = 0;
       if (Pierwszy(r).empty() || !Liczbowe(Pierwszy(r)[0], 0xFF, ile)) return false;
       s.linie.resize(ile, LiniaNaglowka{0, Puste(SzerokoscLinii)});
       return true;
     },
     [](const StanTabel& s) { return Rekordy{{std::to_string(s.linie.size())}}; }},
    {"linia", true, "a line number within $linie, an attribute byte and at most 40 characters", CzytajLinie,
     PiszLinie},
    {"naglowek", false, "two texts of at most 24 characters",
     [](const Rekordy& r, StanTabel& s) {
       const Rekord& n = Pierwszy(r);
       return n.size() <= 2 && Nazwa(n.size() > 0 ? n[0] : std::string(), SzerokoscNaglowka, s.naglowek[0]) &&
              Nazwa(n.size() > 1 ? n[1] : std::string(), SzerokoscNaglowka, s.naglowek[1]);
     },
     [](const StanTabel& s) {
       return Rekordy{{PoleNazwy(s.naglowek[0]), PoleNazwy(s.naglowek[1])}};
     }},
    {"status", false, "five byte numbers",
     [](const Rekordy& r, StanTabel& s) {
       const Rekord& b = Pierwszy(r);
       if (b.size() != s.status.size()) return false;
       for (size_t i = 0; i < b.size(); ++i)
         if (!Liczbowe(b[i], 0xFF, s.status[i])) return false;
       return true;
     },
     [](const StanTabel& s) {
       Rekord r;
       for (uint8_t b : s.status) r.push_back(Hex(b));
       return Rekordy{r};
     }},
    {"zegar", false, "a date DD.MM.YY, a time HH:MM and optionally \"biegnie\"", CzytajZegar, PiszZegar},
    {"karta", false, "A, L, a code of at most 6 characters and 19 byte numbers", CzytajKarte, PiszKarte},
    {"zestawy_opcji", false, "a number 0 to 4",
     [](const Rekordy& r, StanTabel& s) { return Bajt(r, s.zestawyOpcji) && s.zestawyOpcji <= LiczbaZestawowOpcji; },
     [](const StanTabel& s) { return Rekordy{{std::to_string(s.zestawyOpcji)}}; }},
    {"opcje", true, "a set number within $zestawy_opcji and three byte numbers", CzytajOpcje, PiszOpcje},
};

// What a register of the family holds before its state file says more.
StanTabel DomyslneTabele(uint8_t typ) {
  StanTabel s;
  s.grupy.assign(99, Puste(SzerokoscGrupy));
  s.platnosci.assign(PlatnosciPoRekordzie(typ) ? 8 : LiczbaPlatnosciWTablicy(typ), Puste(SzerokoscPlatnosci));
  if (KasaOP(typ)) s.linie.assign(8, LiniaNaglowka{0, Puste(SzerokoscLinii)});
  s.zestawyOpcji = Nowa(typ) ? 4 : DrugaGeneracja(typ) ? 3 : 2;
  return s;
}

}  // namespace

StanTabel::StanTabel() {
  jednostki.fill(Puste(SzerokoscJednostki));
  naglowek.fill(Puste(SzerokoscNaglowka));
}

std::optional<StanTabel> TabeleZPliku(const PlikDanych& plik, uint8_t typ, std::string& blad) {
  StanTabel stan = DomyslneTabele(typ);
  for (const PoleTabel& pole : Pola) {
    const Rekordy rekordy = plik.Wszystkie(pole.klucz);
    if (rekordy.empty()) continue;
    const bool dobre = pole.wielokrotny ? pole.czytaj(rekordy, stan) : pole.czytaj({rekordy.front()}, stan);
    if (!dobre) {
      blad = std::string("\"$") + pole.klucz + "\" must hold " + pole.oczekiwane;
      return std::nullopt;
    }
  }
  if (!PlatnosciPoRekordzie(typ) && stan.platnosci.size() != LiczbaPlatnosciWTablicy(typ)) {
    blad = "\"$platnosci\": this register keeps a fixed table of " + std::to_string(LiczbaPlatnosciWTablicy(typ)) +
           " forms of payment";
    return std::nullopt;
  }
  return stan;
}

void TabeleDoPliku(const StanTabel& stan, const StanTabel& wczytany, PlikDanych& plik) {
  for (const PoleTabel& pole : Pola) {
    const Rekordy nowe = pole.pisz(stan);
    if (nowe != pole.pisz(wczytany)) plik.UstawWszystkie(pole.klucz, nowe);
  }
}

std::array<uint8_t, 10> CyfryZegara(const ZegarKasy& zegar, std::chrono::system_clock::time_point teraz) {
  std::tm czas{};
  if (zegar.rodzaj == ZegarKasy::Rodzaj::Systemowy) {
    const std::time_t t = std::chrono::system_clock::to_time_t(teraz);
    localtime_r(&t, &czas);
  } else {
    std::time_t t = zegar.ustawiony;
    if (zegar.rodzaj == ZegarKasy::Rodzaj::Biegnacy)
      t += std::chrono::duration_cast<std::chrono::seconds>(teraz - zegar.odKiedy).count();
    gmtime_r(&t, &czas);
  }
  const int pary[5] = {czas.tm_mday, czas.tm_mon + 1, czas.tm_year % 100, czas.tm_hour, czas.tm_min};
  std::array<uint8_t, 10> cyfry{};
  for (size_t i = 0; i < 5; ++i) {
    cyfry[2 * i] = static_cast<uint8_t>(pary[i] / 10);
    cyfry[2 * i + 1] = static_cast<uint8_t>(pary[i] % 10);
  }
  return cyfry;
}

std::string PoleTekstu(const Bajty& tekst) {
  std::string pole;
  for (uint8_t b : tekst) {
    if (b == '\\') {
      pole += "\\\\";
    } else if (b < 0x20 || b == 0x7F) {
      char bufor[8];
      std::snprintf(bufor, sizeof bufor, "\\x%02X", b);
      pole += bufor;
    } else {
      pole += static_cast<char>(b);
    }
  }
  return pole;
}

std::optional<Bajty> TekstPola(const std::string& pole) {
  Bajty tekst;
  for (size_t i = 0; i < pole.size(); ++i) {
    if (pole[i] != '\\') {
      tekst.push_back(static_cast<uint8_t>(pole[i]));
      continue;
    }
    if (i + 1 < pole.size() && pole[i + 1] == '\\') {
      tekst.push_back('\\');
      ++i;
      continue;
    }
    if (i + 3 >= pole.size() || pole[i + 1] != 'x') return std::nullopt;
    const auto b = Liczba("0x" + pole.substr(i + 2, 2), 0xFF);
    if (!b) return std::nullopt;
    tekst.push_back(static_cast<uint8_t>(*b));
    i += 3;
  }
  return tekst;
}

}  // namespace sim
