// The goods catalogue requests: goods records read, written and deleted in
// each family's own layout, the goods number range, the partial write, the
// blocking byte, the name byte (also the capacity probe) and the clearing of
// the whole catalogue. Multi-byte numbers are little-endian.
#include <algorithm>

#include "device/families.h"
#include "device/requests.h"

namespace sim {
namespace {

constexpr uint8_t Wykonano = 0x00;
constexpr uint8_t PozaPojemnoscia = 0x05;  // the goods number lies beyond the capacity
constexpr uint8_t BladWykonania = 0x13;    // a record whose check byte is wrong, a request not understood
constexpr uint8_t TowarNieZaprogramowany = 0x66;

// Name lengths of the layouts.
constexpr size_t NazwaPelna = 19, NazwaV = 18, NazwaWM = 20, NazwaT = 18;

RodzinaTowarow RodzinaKasy(const StanKasy& s) { return Rodzina(s.typ); }
bool RodzinaV(const StanKasy& s) { return RodzinaKasy(s) == RodzinaTowarow::V; }
bool RodzinaW(const StanKasy& s) { return RodzinaKasy(s) == RodzinaTowarow::W; }
bool RodzinaWM(const StanKasy& s) { return RodzinaW(s) || RodzinaKasy(s) == RodzinaTowarow::M; }
bool RodzinaT(const StanKasy& s) { return RodzinaKasy(s) == RodzinaTowarow::T; }
// Family S in two generations: 0x9E and 0x9F on the second, 0xA9 and 0xF1 on the first.
bool RodzinaSDruga(const StanKasy& s) { return RodzinaKasy(s) == RodzinaTowarow::S && DrugaGeneracja(s.typ); }
bool RodzinaSPierwsza(const StanKasy& s) { return RodzinaKasy(s) == RodzinaTowarow::S && !DrugaGeneracja(s.typ); }

void Dopisz(Bajty& b, uint64_t wartosc, int ile) {
  for (int i = 0; i < ile; ++i) b.push_back(static_cast<uint8_t>(wartosc >> (8 * i)));
}

uint64_t Odczytaj(std::span<const uint8_t> b, size_t od, int ile) {
  uint64_t wartosc = 0;
  for (int i = ile - 1; i >= 0; --i) wartosc = wartosc << 8 | b[od + i];
  return wartosc;
}

void DopiszNazwe(Bajty& b, const std::string& nazwa, size_t dlugosc) {
  for (size_t i = 0; i < dlugosc; ++i) b.push_back(i < nazwa.size() ? static_cast<uint8_t>(nazwa[i]) : ' ');
}

std::string Nazwa(std::span<const uint8_t> b, size_t od, size_t dlugosc) {
  return std::string(b.begin() + od, b.begin() + od + dlugosc);
}

// The high four bits of a number's most significant byte carry another value;
// the low four keep the number's own bits.
uint64_t ZNosnikiem(uint64_t liczba, int bajty, uint8_t gorne) {
  const int przesuniecie = 8 * (bajty - 1);
  return (liczba & ~(uint64_t{0xF0} << przesuniecie)) | (uint64_t{gorne & 0xF0u} << przesuniecie);
}
uint8_t Nosnik(uint64_t liczba, int bajty) { return static_cast<uint8_t>(liczba >> (8 * (bajty - 1)) & 0xF0); }
uint64_t BezNosnika(uint64_t liczba, int bajty) { return ZNosnikiem(liczba, bajty, 0); }

uint8_t Xor(std::span<const uint8_t> b) {
  uint8_t x = 0;
  for (uint8_t c : b) x ^= c;
  return x;
}

// The record layouts as the register sends them.

Bajty UkladPelny(const Towar& t) {
  Bajty b;
  DopiszNazwe(b, t.nazwa, NazwaPelna);
  b.insert(b.end(), {t.stawka, t.grupa, t.atrybut, t.jednostka, t.znacznik1});
  Dopisz(b, t.kod, 6);
  Dopisz(b, t.cena, 4);
  b.push_back(t.znacznik2);
  return b;
}

Bajty UkladV(const Towar& t, uint16_t nastepny) {
  Bajty b;
  DopiszNazwe(b, t.nazwa, NazwaV);
  b.push_back(static_cast<uint8_t>(t.stawka << 4 | (t.grupa & 0x0F)));
  Dopisz(b, t.kod, 6);
  Dopisz(b, t.cena, 4);
  Dopisz(b, nastepny, 2);
  return b;
}

uint8_t JednostkaWNosniku(const Towar& t) { return static_cast<uint8_t>((t.jednostka - 1) << 4); }

Bajty UkladW(const Towar& t, uint16_t nastepny) {
  Bajty b;
  DopiszNazwe(b, t.nazwa, NazwaWM);
  Dopisz(b, ZNosnikiem(t.kod, 6, JednostkaWNosniku(t)), 6);
  Dopisz(b, t.cena, 4);
  Dopisz(b, nastepny, 2);
  return b;
}

Bajty UkladT(const Towar& t, uint16_t nastepny) {
  Bajty b;
  DopiszNazwe(b, t.nazwa, NazwaT);
  b.insert(b.end(), {t.stawka, t.grupa});
  const auto flagi = static_cast<uint8_t>((t.znacznik2 & 1) << 7 | (t.znacznik1 & 1) << 6 | (t.atrybut & 3) << 4);
  Dopisz(b, ZNosnikiem(t.kod, 6, flagi), 6);
  Dopisz(b, ZNosnikiem(t.cena, 4, JednostkaWNosniku(t)), 4);
  Dopisz(b, nastepny, 2);
  b.push_back(Xor(b));
  return b;
}

// The record layouts as the driver writes them, after the 2 number bytes.
// A layout keeps only what it carries; the other fields read as their defaults.

Towar ZPelnego(std::span<const uint8_t> p) {
  Towar t;
  t.nazwa = Nazwa(p, 2, NazwaPelna);
  t.stawka = p[21];
  t.grupa = p[22];
  t.atrybut = p[23];
  t.jednostka = p[24];
  t.znacznik1 = p[25];
  t.kod = Odczytaj(p, 26, 6);
  t.cena = static_cast<uint32_t>(Odczytaj(p, 32, 4));
  t.znacznik2 = p[36];
  return t;
}

Towar ZUkladuV(std::span<const uint8_t> p) {
  Towar t;
  t.nazwa = Nazwa(p, 2, NazwaV);
  t.stawka = p[20] >> 4;
  t.grupa = p[20] & 0x0F;
  t.kod = Odczytaj(p, 21, 6);
  t.cena = static_cast<uint32_t>(Odczytaj(p, 27, 4));
  return t;
}

Towar ZUkladuWM(std::span<const uint8_t> p) {
  Towar t;
  t.nazwa = Nazwa(p, 2, NazwaWM);
  const uint64_t kod = Odczytaj(p, 22, 6);
  t.jednostka = static_cast<uint8_t>((Nosnik(kod, 6) >> 4) + 1);
  t.kod = BezNosnika(kod, 6);
  t.cena = static_cast<uint32_t>(Odczytaj(p, 28, 4));
  return t;
}

Towar ZUkladuT(std::span<const uint8_t> p) {
  Towar t;
  t.nazwa = Nazwa(p, 2, NazwaT);
  t.stawka = p[20];
  t.grupa = p[21];
  const uint64_t kod = Odczytaj(p, 22, 6);
  const uint8_t flagi = Nosnik(kod, 6);
  t.znacznik2 = flagi >> 7;
  t.znacznik1 = flagi >> 6 & 1;
  t.atrybut = flagi >> 4 & 3;
  t.kod = BezNosnika(kod, 6);
  const uint64_t cena = Odczytaj(p, 28, 4);
  t.jednostka = static_cast<uint8_t>((Nosnik(cena, 4) >> 4) + 1);
  t.cena = static_cast<uint32_t>(BezNosnika(cena, 4));
  return t;
}

// Goods numbers 1 to the capacity may hold goods; an end-of-records fault cuts them shorter.
bool WPojemnosci(const Wymiana& w, uint32_t numer) {
  return numer >= 1 && numer <= w.stan.pojemnosc && w.RekordIstnieje(numer);
}

// The next goods number that holds goods, 0 after the last.
uint16_t Nastepny(const Towary& towary, uint16_t numer) {
  const auto it = towary.upper_bound(numer);
  return it == towary.end() ? 0 : it->first;
}

// The record as answered: stored= faults put their value in place.
Towar ZUsterkami(Towar t, const Wymiana& w) {
  for (const Usterka* u : w.usterkiRekordu) {
    if (u->rodzaj != RodzajUsterki::Zapisane) continue;
    uint8_t* const pola[] = {&t.stawka, &t.grupa, &t.atrybut, &t.jednostka, &t.znacznik1, &t.znacznik2};
    *pola[u->liczba] = u->bajty[0];
  }
  return t;
}

bool ZlaSuma(const Wymiana& w) {
  return std::any_of(w.usterkiRekordu.begin(), w.usterkiRekordu.end(),
                     [](const Usterka* u) { return u->rodzaj == RodzajUsterki::ZlaSuma; });
}

// The record of the number in parameter bytes 0 and 1 in the given layout.
template <typename Uklad>
Bajty Odczyt(Wymiana& w, Uklad uklad) {
  const uint16_t numer = w.Slowo(0);
  if (!WPojemnosci(w, numer)) return {PozaPojemnoscia};
  const auto it = w.stan.towary.find(numer);
  if (it == w.stan.towary.end()) return {TowarNieZaprogramowany};
  Bajty odpowiedz{Wykonano};
  const Bajty rekord = uklad(ZUsterkami(it->second, w), Nastepny(w.stan.towary, numer));
  odpowiedz.insert(odpowiedz.end(), rekord.begin(), rekord.end());
  return odpowiedz;
}

// Writes a whole record; the blocking byte and the name byte stay.
Bajty Zapis(Wymiana& w, Towar nowy) {
  const uint16_t numer = w.Slowo(0);
  if (!WPojemnosci(w, numer)) return {PozaPojemnoscia};
  Towar& miejsce = w.stan.towary[numer];
  nowy.blokada = miejsce.blokada;
  nowy.znacznikNazwy = miejsce.znacznikNazwy;
  miejsce = std::move(nowy);
  return {Wykonano};
}

// Deletes a record. The families that answer the next number do so also for a
// number without goods (nothing to delete); the others answer 202 then.
Bajty Kasowanie(Wymiana& w, bool zNastepnym) {
  const uint16_t numer = w.Slowo(0);
  if (!WPojemnosci(w, numer)) return {PozaPojemnoscia};
  const bool byl = w.stan.towary.erase(numer) > 0;
  if (!zNastepnym) return {byl ? Wykonano : TowarNieZaprogramowany};
  Bajty odpowiedz{Wykonano};
  Dopisz(odpowiedz, Nastepny(w.stan.towary, numer), 2);
  return odpowiedz;
}

// Runs zmiana on the record of an existing goods.
template <typename Zmiana>
Bajty NaTowarze(Wymiana& w, Zmiana zmiana) {
  const uint16_t numer = w.Slowo(0);
  if (!WPojemnosci(w, numer)) return {PozaPojemnoscia};
  const auto it = w.stan.towary.find(numer);
  if (it == w.stan.towary.end()) return {TowarNieZaprogramowany};
  zmiana(it->second);
  return {Wykonano};
}

Bajty Najnizszy(const StanKasy& s) {
  Bajty b;
  Dopisz(b, s.towary.empty() ? 0 : s.towary.begin()->first, 2);
  return b;
}

Bajty Najwyzszy(const StanKasy& s) {
  Bajty b;
  Dopisz(b, s.towary.empty() ? 0 : s.towary.rbegin()->first, 2);
  return b;
}

const Rozkaz Rozkazy[] = {
    // Readouts.
    {.kod = 0x03, .opis = "goods record (Norda and price checker layouts)", .parametry = 2, .potwierdza = false,
     .wykonanie =
         [](Wymiana& w) {
           return RodzinaV(w.stan) ? Odczyt(w, UkladV) : Odczyt(w, UkladW);
         },
     .zna = [](const StanKasy& s) { return RodzinaV(s) || RodzinaW(s); }, .rekordy = true},
    {.kod = 0xAC, .opis = "goods record, full layout (also the capacity probe)", .parametry = 2,
     .wykonanie = [](Wymiana& w) { return Odczyt(w, [](const Towar& t, uint16_t) { return UkladPelny(t); }); },
     .rekordy = true},
    {.kod = 0xBD, .opis = "goods record with check byte", .parametry = 2, .potwierdza = false,
     .wykonanie =
         [](Wymiana& w) {
           Bajty odpowiedz = Odczyt(w, UkladT);
           if (odpowiedz.size() > 1 && ZlaSuma(w)) odpowiedz.back() ^= 0xFF;
           return odpowiedz;
         },
     .zna = RodzinaT, .rekordy = true},

    // Writes.
    {.kod = 0x9E, .opis = "write goods record, full layout", .parametry = 37,
     .wykonanie = [](Wymiana& w) { return Zapis(w, ZPelnego(w.parametry)); }, .zna = RodzinaSDruga,
     .rekordy = true},
    {.kod = 0xA9, .opis = "write goods record, full layout (first generation)", .parametry = 37,
     .wykonanie = [](Wymiana& w) { return Zapis(w, ZPelnego(w.parametry)); }, .zna = RodzinaSPierwsza,
     .rekordy = true},
    {.kod = 0x02, .opis = "write goods record (price checker layout)", .parametry = 32, .potwierdza = false,
     .wykonanie = [](Wymiana& w) { return Zapis(w, ZUkladuWM(w.parametry)); }, .zna = RodzinaWM, .rekordy = true},
    {.kod = 0xBE, .opis = "write goods record with check byte", .parametry = 33, .potwierdza = false,
     .wykonanie =
         [](Wymiana& w) {
           if (Xor(w.parametry.first(32)) != w.parametry[32]) return Bajty{BladWykonania};
           return Zapis(w, ZUkladuT(w.parametry));
         },
     .zna = RodzinaT, .rekordy = true},

    // 0x04 writes a record on the Norda registers and deletes one on the price checkers.
    {.kod = 0x04, .opis = "write goods record (Norda) or delete goods (price checkers)", .potwierdza = false,
     .wykonanie =
         [](Wymiana& w) {
           if (RodzinaV(w.stan)) return Zapis(w, ZUkladuV(w.parametry));
           return Kasowanie(w, RodzinaW(w.stan));
         },
     .zna = [](const StanKasy& s) { return RodzinaV(s) || RodzinaWM(s); }, .rekordy = true,
     .liczbaParametrow = [](const StanKasy& s) -> uint8_t { return RodzinaV(s) ? 31 : 2; }},

    // Deletes.
    {.kod = 0xBF, .opis = "delete goods, answer the next number", .parametry = 2, .potwierdza = false,
     .wykonanie = [](Wymiana& w) { return Kasowanie(w, true); }, .zna = RodzinaT, .rekordy = true},
    {.kod = 0x9F, .opis = "delete goods", .parametry = 2, .wykonanie = [](Wymiana& w) { return Kasowanie(w, false); },
     .zna = [](const StanKasy& s) { return RodzinaV(s) || RodzinaSDruga(s); }, .rekordy = true},
    {.kod = 0xF1, .opis = "delete goods (first generation)", .parametry = 2,
     .wykonanie = [](Wymiana& w) { return Kasowanie(w, false); }, .zna = RodzinaSPierwsza, .rekordy = true},
    {.kod = 0x63, .opis = "clear a table (6 1: every goods)", .parametry = 2,
     .wykonanie =
         [](Wymiana& w) {
           if (w.parametry[0] != 6 || w.parametry[1] != 1) return Bajty{BladWykonania};
           w.stan.towary.clear();
           return Bajty{Wykonano};
         },
     .zna = RodzinaV},

    // The goods number range: the lowest and the highest number holding goods (0 when none).
    {.kod = 0x05, .opis = "lowest goods number", .pierwsza = [](Wymiana& w) { return Najnizszy(w.stan); },
     .zna = RodzinaV},
    {.kod = 0x15, .opis = "lowest goods number", .wykonanie =
         [](Wymiana& w) {
           Bajty odpowiedz{Wykonano};
           const Bajty numer = Najnizszy(w.stan);
           odpowiedz.insert(odpowiedz.end(), numer.begin(), numer.end());
           return odpowiedz;
         },
     .zna = RodzinaW},
    {.kod = 0x91, .opis = "highest goods number", .pierwsza = [](Wymiana& w) { return Najwyzszy(w.stan); },
     .zna = [](const StanKasy& s) { return RodzinaV(s) || RodzinaW(s) || RodzinaT(s); }},

    // Single fields.
    {.kod = 0xA6, .opis = "write group, unit, barcode and price of goods", .parametry = 14,
     .wykonanie =
         [](Wymiana& w) {
           return NaTowarze(w, [&](Towar& t) {
             t.grupa = w.parametry[2];
             t.jednostka = w.parametry[3];
             t.kod = Odczytaj(w.parametry, 4, 6);
             t.cena = static_cast<uint32_t>(Odczytaj(w.parametry, 10, 4));
           });
         },
     .rekordy = true},
    {.kod = 0xA4, .opis = "write the blocking byte of goods", .parametry = 3,
     .wykonanie = [](Wymiana& w) { return NaTowarze(w, [&](Towar& t) { t.blokada = w.parametry[2]; }); },
     .rekordy = true},
    {.kod = 0xE6, .opis = "name byte of goods (also the capacity probe)", .parametry = 2,
     .wykonanie =
         [](Wymiana& w) {
           uint8_t bajt = 0;
           Bajty odpowiedz = NaTowarze(w, [&](Towar& t) { bajt = t.znacznikNazwy; });
           if (odpowiedz[0] == Wykonano) odpowiedz.push_back(bajt);
           return odpowiedz;
         },
     .rekordy = true},
};

}  // namespace

const std::span<const Rozkaz> RozkazyTowarow = Rozkazy;

}  // namespace sim
