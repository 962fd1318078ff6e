// The requests of the sales data: the sales per goods as a stream (0xA2/0xA3,
// and with check bytes 0xA1 0x10/0x90) and one goods at a time (0xCB), the
// packaging blocks (0xA5), the discount totals (0xA7), the periodic record
// streams (0xAD/0xAE, 0xEE/0xE9, 0xD6/0xD5, 0x61 and 0xA1 with the selectors
// 0x00 to 0x03 and 0x80 to 0x83) and the clearing requests (0xA8, 0x90).
//
// A stream is handed out in answers of a few records: an opening request starts
// it from its first record, a continuation request goes on where the last
// answer stopped. After the records of an answer comes one more byte: 0xFF when
// the stream has ended there, else 0x00. An answer with no record left is 0xFF alone.
#include <algorithm>
#include <string_view>

#include "device/families.h"
#include "device/requests.h"

namespace sim {
namespace {

constexpr uint8_t Koniec = 0xFF;
constexpr uint8_t Dalej = 0x00;
constexpr uint8_t PozaPojemnoscia = 0x05;  // the goods number lies beyond the capacity
constexpr uint8_t NieObslugiwany = 0x6C;   // the register does not serve this selector or text
constexpr uint8_t KasowanieSprzedazy = 6;  // parameter of 0xA8: clear all sales data

// The selector bit of request 0xA1 that marks a continuation.
constexpr uint8_t Kontynuacja = 0x80;
constexpr uint8_t WyborSprzedazy = 0x10;

// Registers that hand out their sales with check bytes (request 0xA1): type
// codes above 115, and 103 and 104 from version 2 on.
bool ZSumami(const StanKasy& s) { return s.typ > 115 || ((s.typ == 103 || s.typ == 104) && s.wersja > 1); }

// Type codes 24 and 27 keep no packaging blocks and no discount totals.
bool ZOpakowaniami(const StanKasy& s) { return s.typ != 24 && s.typ != 27; }

uint8_t Xor(const Bajty& b) {
  uint8_t x = 0;
  for (uint8_t v : b) x ^= v;
  return x;
}

// One stream as the answers see it: how many records it has and record i
// (with the number of data bytes this form sends).
struct Strumien {
  size_t liczba;
  Bajty (*rekord)(const StanKasy&, size_t i, size_t dlugosc);
  size_t dlugosc;
};

Bajty RekordTowaru(const StanKasy& s, size_t i, size_t) {
  const auto& t = s.sprzedaz.towary[i];
  return RekordSprzedazy(t.first, t.second);
}

template <Okres O>
Bajty RekordOkresu(const StanKasy& s, size_t i, size_t dlugosc) {
  const Bajty& r = s.sprzedaz.okresy[size_t(O)][i];
  return Bajty(r.begin(), r.begin() + static_cast<std::ptrdiff_t>(std::min(dlugosc, r.size())));
}

// Up to najwiecej records from the cursor on, each followed by its check byte
// when the form has one, then the end byte.
Bajty Porcja(const Wymiana& w, const Strumien& st, size_t& kursor, size_t najwiecej, bool sumy) {
  Bajty wynik;
  for (size_t n = 0; n < najwiecej && kursor < st.liczba; ++n, ++kursor) {
    Bajty r = st.rekord(w.stan, kursor, st.dlugosc);
    if (sumy) r.push_back(w.zlaSuma == kursor + 1 ? static_cast<uint8_t>(~Xor(r)) : Xor(r));
    wynik.insert(wynik.end(), r.begin(), r.end());
  }
  wynik.push_back(kursor < st.liczba ? Dalej : Koniec);
  return wynik;
}

Strumien SprzedazTowarow(const StanKasy& s) { return {s.sprzedaz.towary.size(), RekordTowaru, 11}; }

Strumien StrumienOkresu(const StanKasy& s, Okres o, size_t dlugosc) {
  static constexpr Bajty (*Rekordy[LiczbaOkresow])(const StanKasy&, size_t, size_t) = {
      RekordOkresu<Okres::AD>, RekordOkresu<Okres::EE>, RekordOkresu<Okres::D6>, RekordOkresu<Okres::R61>};
  return {s.sprzedaz.okresy[size_t(o)].size(), Rekordy[size_t(o)], dlugosc};
}

// Records of a periodic stream in one answer and their data bytes without and
// with the check byte (request 0xA1).
struct FormaOkresu {
  size_t wPorcji;
  size_t dlugosc, dlugoscZSuma;
};
FormaOkresu Forma(Okres o, const StanKasy& s) {
  switch (o) {
    case Okres::AD: return {4, 16, 16};
    case Okres::EE: return {3, 20, 20};
    case Okres::D6: return {3, 29, Norda(s.typ) ? 32u : 29u};
    case Okres::R61: return {3, 37, 37};
  }
  return {};
}

// The plain form of a stream: the records follow the acknowledgement.
template <Okres O, bool Otwarcie>
Bajty OkresBezSum(Wymiana& w) {
  size_t& kursor = w.stan.sprzedaz.kursory.okresy[size_t(O)];
  if (Otwarcie) kursor = 0;
  const FormaOkresu f = Forma(O, w.stan);
  return Porcja(w, StrumienOkresu(w.stan, O, f.dlugosc), kursor, f.wPorcji, false);
}

template <bool Otwarcie>
Bajty SprzedazBezSum(Wymiana& w) {
  size_t& kursor = w.stan.sprzedaz.kursory.sprzedaz;
  if (Otwarcie) kursor = 0;
  return Porcja(w, SprzedazTowarow(w.stan), kursor, NajwiecejWPorcji, false);
}

// 0xA1: the selector names the stream, its bit 0x80 a continuation.
Bajty ZSumamiWybor(Wymiana& w) {
  const uint8_t wybor = w.parametry[0];
  const bool otwarcie = !(wybor & Kontynuacja);
  const uint8_t strumien = wybor & static_cast<uint8_t>(~Kontynuacja);
  Bajty wynik{0};
  if (strumien == WyborSprzedazy) {
    size_t& kursor = w.stan.sprzedaz.kursory.sprzedaz;
    if (otwarcie) kursor = 0;
    const Bajty p = Porcja(w, SprzedazTowarow(w.stan), kursor, w.stan.sprzedaz.porcja, true);
    wynik.insert(wynik.end(), p.begin(), p.end());
    return wynik;
  }
  if (strumien >= LiczbaOkresow) return {NieObslugiwany};
  const auto o = static_cast<Okres>(strumien);
  size_t& kursor = w.stan.sprzedaz.kursory.okresy[strumien];
  if (otwarcie) kursor = 0;
  const FormaOkresu f = Forma(o, w.stan);
  const Bajty p = Porcja(w, StrumienOkresu(w.stan, o, f.dlugoscZSuma), kursor, f.wPorcji, true);
  wynik.insert(wynik.end(), p.begin(), p.end());
  return wynik;
}

// 0x61: one record of the 0x61 stream with its check byte; the 16-bit
// parameter is the record's position from 0, so a request asked again gets the
// same record.
Bajty RekordNumer(Wymiana& w) {
  size_t kursor = w.Slowo(0);
  Bajty wynik{0};
  const Bajty p = Porcja(w, StrumienOkresu(w.stan, Okres::R61, 37), kursor, 1, true);
  wynik.insert(wynik.end(), p.begin(), p.end());
  return wynik;
}

// 0xCB: the sales of one goods number; zero for a number that sold nothing.
Bajty SprzedazNumeru(Wymiana& w) {
  const uint16_t numer = w.Slowo(0);
  if (numer == 0 || numer > w.stan.pojemnosc || !w.RekordIstnieje(numer)) return {PozaPojemnoscia};
  const SprzedazTowaru* t = w.stan.sprzedaz.Towar(numer);
  const SprzedazTowaru zero;
  const Bajty r = RekordSprzedazy(numer, t ? *t : zero);
  Bajty wynik{0};
  wynik.insert(wynik.end(), r.begin() + 2, r.end());
  return wynik;
}

// 0xA5: the records of one packaging block, then 0xFF.
Bajty BlokOpakowan(Wymiana& w) {
  const uint8_t blok = w.parametry[0];
  if (blok >= LiczbaBlokow) return {NieObslugiwany};
  Bajty wynik{0};
  for (const auto& [numer, s] : w.stan.sprzedaz.opakowania[blok]) {
    const Bajty r = RekordSprzedazy(numer, s);
    wynik.insert(wynik.end(), r.begin(), r.end());
  }
  wynik.push_back(Koniec);
  return wynik;
}

// 0xA7: three totals of five bytes on the second-generation registers other
// than 100 and 101, two on the others.
Bajty Rabaty(Wymiana& w) {
  const size_t ile = DrugaGeneracja(w.stan.typ) && w.stan.typ != 100 && w.stan.typ != 101 ? 3 : 2;
  Bajty wynik;
  for (size_t i = 0; i < ile; ++i) {
    const uint64_t v = i < w.stan.sprzedaz.rabaty.size() ? w.stan.sprzedaz.rabaty[i] : 0;
    for (int b = 0; b < 5; ++b) wynik.push_back(static_cast<uint8_t>(v >> (8 * b)));
  }
  return wynik;
}

// 0xA8 with 6 clears every sales record; the Norda registers answer a status.
Bajty KasujWszystko(Wymiana& w) {
  const bool zna = w.parametry[0] == KasowanieSprzedazy;
  if (zna) {
    w.stan.sprzedaz.ZerujLiczniki();
    w.stan.sprzedaz.ZerujOkresy();
  }
  if (!Norda(w.stan.typ)) return {};
  return {zna ? uint8_t{0} : NieObslugiwany};
}

// 0x90 with a three-letter text: "CNT" clears the counters (goods, packaging,
// discounts), "CLR" the periodic records.
Bajty KasujTekstem(Wymiana& w) {
  const std::string_view tekst(reinterpret_cast<const char*>(w.parametry.data()), w.parametry.size());
  if (tekst == "CNT") w.stan.sprzedaz.ZerujLiczniki();
  else if (tekst == "CLR") w.stan.sprzedaz.ZerujOkresy();
  else return {NieObslugiwany};
  return {0};
}

const Rozkaz Rozkazy[] = {
    {.kod = 0xA2, .opis = "sales per goods, first part", .pierwsza = SprzedazBezSum<true>},
    {.kod = 0xA3, .opis = "sales per goods, next part", .pierwsza = SprzedazBezSum<false>},
    {.kod = 0xA1, .opis = "sales or periodic records with check bytes", .parametry = 1, .wykonanie = ZSumamiWybor,
     .zna = ZSumami, .sumy = true},
    {.kod = 0xCB, .opis = "sales of one goods number", .parametry = 2, .wykonanie = SprzedazNumeru,
     .rekordy = true},
    {.kod = 0xA5, .opis = "packaging block", .parametry = 1, .wykonanie = BlokOpakowan, .zna = ZOpakowaniami},
    {.kod = 0xA7, .opis = "discount turnover totals", .pierwsza = Rabaty, .zna = ZOpakowaniami},
    {.kod = 0xA8, .opis = "clear the sales data", .parametry = 1, .wykonanie = KasujWszystko},
    {.kod = 0x90, .opis = "clear sales counters or periodic records", .parametry = 3, .wykonanie = KasujTekstem},
    {.kod = 0xAD, .opis = "periodic records (16 bytes), first part", .pierwsza = OkresBezSum<Okres::AD, true>},
    {.kod = 0xAE, .opis = "periodic records (16 bytes), next part", .pierwsza = OkresBezSum<Okres::AD, false>},
    {.kod = 0xEE, .opis = "periodic records (20 bytes), first part", .pierwsza = OkresBezSum<Okres::EE, true>},
    {.kod = 0xE9, .opis = "periodic records (20 bytes), next part", .pierwsza = OkresBezSum<Okres::EE, false>},
    {.kod = 0xD6, .opis = "periodic records (29 bytes), first part", .pierwsza = OkresBezSum<Okres::D6, true>},
    {.kod = 0xD5, .opis = "periodic records (29 bytes), next part", .pierwsza = OkresBezSum<Okres::D6, false>},
    {.kod = 0x61, .opis = "periodic record (38 bytes) by position", .parametry = 2, .wykonanie = RekordNumer,
     .zna = ZSumami, .sumy = true},
};

}  // namespace

const std::span<const Rozkaz> RozkazySprzedazy = Rozkazy;

}  // namespace sim
