// The requests on the register's small tables and settings: units, groups,
// forms of payment, the discount byte, the line-count byte, the header lines,
// the status bytes, the clock and the discount card record.
//
// Families: the new registers (type 't' and above, the Norda registers
// excepted) read their forms of payment one by one (0xD7) and have the fifth
// status byte (0x57) and the discount card record (0xBA, 0xB9); the others
// answer a fixed payment table (0xC9) and refuse those requests. Registers
// 'o' and 'p' keep numbered header lines with an attribute byte; the others
// two texts of 24 characters.
#include <algorithm>

#include "device/families.h"
#include "device/requests.h"

namespace sim {
namespace {

constexpr uint8_t Wykonano = 0x00;
// Status bytes of a number the table does not hold.
constexpr uint8_t BrakPozycji = 0x0A;    // units and groups
constexpr uint8_t BrakPlatnosci = 0x0F;  // forms of payment
constexpr uint8_t BrakLinii = 0x6C;      // 'o'/'p' header lines

StanTabel& Tabele(Wymiana& w) { return w.stan.tabele; }

Bajty Z(std::initializer_list<Bajty> czesci) {
  Bajty wynik;
  for (const Bajty& c : czesci) wynik.insert(wynik.end(), c.begin(), c.end());
  return wynik;
}

// The name of entry n (from 1) of a table, with status 0 before it; the
// missing status when the table has no such entry or a fault cut the records short.
template <typename Tablica>
Bajty OdczytPozycji(Wymiana& w, const Tablica& tablica, uint8_t brak) {
  const size_t numer = w.parametry[0];
  if (numer < 1 || numer > tablica.size() || !w.RekordIstnieje(numer)) return {brak};
  return Z({{Wykonano}, tablica[numer - 1]});
}

// Parameter byte 0 names the entry, the name follows.
template <typename Tablica>
Bajty ZapisPozycji(Wymiana& w, Tablica& tablica, uint8_t brak) {
  const size_t numer = w.parametry[0];
  if (numer < 1 || numer > tablica.size()) return {brak};
  tablica[numer - 1].assign(w.parametry.begin() + 1, w.parametry.end());
  return {Wykonano};
}

bool MaPlatnosciPoRekordzie(const StanKasy& s) { return PlatnosciPoRekordzie(s.typ); }
bool MaNowe(const StanKasy& s) { return Nowa(s.typ); }

// The 'o'/'p' header line write: number, attribute, then 20 characters when
// bit 0 of the attribute is set, else 40.
constexpr uint8_t Linia20Znakow = 0x01;
size_t ParametryLinii(const StanKasy& s, std::span<const uint8_t> dotad) {
  if (!KasaOP(s.typ)) return 2 * SzerokoscNaglowka;
  if (dotad.size() < 2) return 2;
  return 2 + ((dotad[1] & Linia20Znakow) ? SzerokoscLinii / 2 : SzerokoscLinii);
}

Bajty StatusNr(const StanKasy& s, size_t k) { return {s.tabele.status[k]}; }

const Rozkaz Rozkazy[] = {
    {.kod = 0xC5, .opis = "unit names",
     .pierwsza =
         [](Wymiana& w) {
           Bajty wynik;
           for (const Bajty& j : Tabele(w).jednostki) wynik.insert(wynik.end(), j.begin(), j.end());
           return wynik;
         }},
    {.kod = 0xC4, .opis = "write a unit name", .parametry = 1 + SzerokoscJednostki,
     .wykonanie = [](Wymiana& w) { return ZapisPozycji(w, Tabele(w).jednostki, BrakPozycji); }},
    {.kod = 0xC7, .opis = "group name", .parametry = 1,
     .wykonanie = [](Wymiana& w) { return OdczytPozycji(w, Tabele(w).grupy, BrakPozycji); }, .rekordy = true},
    {.kod = 0xC6, .opis = "write a group name", .parametry = 1 + SzerokoscGrupy,
     .wykonanie = [](Wymiana& w) { return ZapisPozycji(w, Tabele(w).grupy, BrakPozycji); }},
    {.kod = 0xD7, .opis = "form of payment", .parametry = 1,
     .wykonanie = [](Wymiana& w) { return OdczytPozycji(w, Tabele(w).platnosci, BrakPlatnosci); },
     .zna = MaPlatnosciPoRekordzie, .rekordy = true},
    {.kod = 0xC9, .opis = "forms of payment table",
     .pierwsza =
         [](Wymiana& w) {
           Bajty wynik;
           for (const Bajty& p : Tabele(w).platnosci) wynik.insert(wynik.end(), p.begin(), p.end());
           return wynik;
         },
     .zna = [](const StanKasy& s) { return !PlatnosciPoRekordzie(s.typ); }},
    {.kod = 0xC8, .opis = "write a form of payment", .parametry = 1 + SzerokoscPlatnosci,
     .wykonanie = [](Wymiana& w) { return ZapisPozycji(w, Tabele(w).platnosci, BrakPlatnosci); }},
    {.kod = 0xCD, .opis = "discount byte", .pierwsza = [](Wymiana& w) { return Bajty{Tabele(w).rabat}; }},
    {.kod = 0xCC, .opis = "write the discount byte", .parametry = 1,
     .wykonanie =
         [](Wymiana& w) {
           Tabele(w).rabat = w.parametry[0];
           return Bajty{Wykonano};
         }},
    {.kod = 0xC1, .opis = "line-count byte", .pierwsza = [](Wymiana& w) { return Bajty{Tabele(w).wiersze}; }},
    // Answers nothing after the parameter; a value outside 1 to 30 is ignored.
    {.kod = 0x46, .opis = "write the line-count byte", .parametry = 1,
     .wykonanie =
         [](Wymiana& w) {
           if (w.parametry[0] >= 1 && w.parametry[0] <= 30) Tabele(w).wiersze = w.parametry[0];
           return Bajty{};
         }},
    {.kod = 0xCF, .opis = "header line(s)",
     .pierwsza =
         [](Wymiana& w) {
           if (KasaOP(w.stan.typ)) return Bajty{};
           return Z({Tabele(w).naglowek[0], Tabele(w).naglowek[1]});
         },
     .wykonanie =
         [](Wymiana& w) {
           if (!KasaOP(w.stan.typ)) return Bajty{};
           const size_t numer = w.parametry[0];
           const auto& linie = Tabele(w).linie;
           if (numer < 1 || numer > linie.size() || !w.RekordIstnieje(numer)) return Bajty{BrakLinii};
           return Z({{Wykonano, linie[numer - 1].atrybut}, linie[numer - 1].tekst});
         },
     .rekordy = true, .liczbaParametrow = [](const StanKasy& s) -> uint8_t { return KasaOP(s.typ) ? 1 : 0; }},
    {.kod = 0xCE, .opis = "write header line(s)",
     .wykonanie =
         [](Wymiana& w) {
           StanTabel& t = Tabele(w);
           if (!KasaOP(w.stan.typ)) {
             t.naglowek[0].assign(w.parametry.begin(), w.parametry.begin() + SzerokoscNaglowka);
             t.naglowek[1].assign(w.parametry.begin() + SzerokoscNaglowka, w.parametry.end());
             return Bajty{Wykonano};
           }
           const size_t numer = w.parametry[0];
           if (numer < 1 || numer > t.linie.size()) return Bajty{BrakLinii};
           LiniaNaglowka& linia = t.linie[numer - 1];
           linia.atrybut = w.parametry[1];
           linia.tekst.assign(w.parametry.begin() + 2, w.parametry.end());
           linia.tekst.resize(SzerokoscLinii, ' ');
           return Bajty{Wykonano};
         },
     .liczbaParametrow = [](const StanKasy& s) { return static_cast<uint8_t>(ParametryLinii(s, {})); },
     .parametryWedlugPoczatku = ParametryLinii},
    {.kod = 0x54, .opis = "status byte 1", .pierwsza = [](Wymiana& w) { return StatusNr(w.stan, 1); }},
    {.kod = 0x55, .opis = "status byte 2", .pierwsza = [](Wymiana& w) { return StatusNr(w.stan, 2); }},
    {.kod = 0x56, .opis = "status byte 3", .pierwsza = [](Wymiana& w) { return StatusNr(w.stan, 3); }},
    {.kod = 0x57, .opis = "status byte 4", .pierwsza = [](Wymiana& w) { return StatusNr(w.stan, 4); },
     .zna = MaNowe},
    {.kod = 0x35, .opis = "clock",
     .pierwsza =
         [](Wymiana& w) {
           const auto cyfry = CyfryZegara(Tabele(w).zegar, std::chrono::system_clock::now());
           return Bajty(cyfry.begin(), cyfry.end());
         }},
    {.kod = 0xBA, .opis = "discount card record",
     .pierwsza = [](Wymiana& w) { return Bajty(Tabele(w).karta.begin(), Tabele(w).karta.end()); }, .zna = MaNowe},
    // Answers nothing after the parameters.
    {.kod = 0xB9, .opis = "write the discount card record", .parametry = DlugoscKarty,
     .wykonanie =
         [](Wymiana& w) {
           std::copy(w.parametry.begin(), w.parametry.end(), Tabele(w).karta.begin());
           return Bajty{};
         },
     .zna = MaNowe},
};

}  // namespace

const std::span<const Rozkaz> RozkazyTabel = Rozkazy;

}  // namespace sim
