#include "device/sales_day.h"

#include <algorithm>
#include <random>

namespace sim {
namespace {

// The raw output of the standard engine is the same everywhere; the
// standard distributions are not, so numbers are drawn by remainder.
class Los {
 public:
  explicit Los(uint32_t ziarno) : silnik_(ziarno) {}
  uint32_t Do(uint32_t n) { return n ? static_cast<uint32_t>(silnik_() % n) : 0; }
  uint32_t Od(uint32_t a, uint32_t b) { return a + Do(b - a + 1); }
  uint32_t Dowolna() { return static_cast<uint32_t>(silnik_()); }
  uint8_t Bajt() { return static_cast<uint8_t>(silnik_()); }
  bool Szansa(uint32_t procent) { return Do(100) < procent; }

 private:
  std::mt19937 silnik_;
};

SprzedazTowaru Sprzedaz(Los& los, bool zwroty) {
  SprzedazTowaru s;
  s.miejsca = static_cast<uint8_t>(los.Do(4));
  s.ilosc = los.Od(1, 500000);
  s.kwota = los.Od(1, 20000000);
  if (zwroty && los.Szansa(5)) {
    s.ilosc = -s.ilosc;
    s.kwota = -s.kwota;
  }
  return s;
}

void Dopisz16(Bajty& r, size_t pozycja, uint32_t v) {
  r[pozycja] = static_cast<uint8_t>(v);
  r[pozycja + 1] = static_cast<uint8_t>(v >> 8);
}

void Dopisz32(Bajty& r, size_t pozycja, uint32_t v) {
  for (size_t i = 0; i < 4; ++i) r[pozycja + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A packed date and time over four bytes: year, month (and a digit in the
// high nibble), day and hour with the minute spread over their top three bits.
void Data(Los& los, Bajty& r, size_t pozycja) {
  const uint32_t minuta = los.Do(60);
  r[pozycja] = static_cast<uint8_t>(los.Od(0, 99));
  r[pozycja + 1] = static_cast<uint8_t>(los.Od(1, 12) | (los.Do(8) << 4));
  r[pozycja + 2] = static_cast<uint8_t>(los.Od(1, 28) | ((minuta / 8) << 5));
  r[pozycja + 3] = static_cast<uint8_t>(los.Do(24) | ((minuta % 8) << 5));
}

// A sales record: kind byte, goods number, quantity with its decimals byte,
// amount, cashier, then (in the longer layouts) the date and further totals.
Bajty RekordSprzedazyOkresu(Los& los, size_t dlugosc) {
  Bajty r(dlugosc);
  r[0] = los.Szansa(85) ? static_cast<uint8_t>(los.Od(1, 0x80)) : static_cast<uint8_t>(los.Od(0x81, 0xE4));
  Dopisz16(r, 1, los.Od(1, 0xFEFF));
  Dopisz16(r, 3, los.Do(9999));
  Dopisz32(r, 5, los.Od(1, 1000000));
  r[9] = static_cast<uint8_t>(los.Do(4) | (los.Do(32) << 2) | (los.Do(2) << 7));
  Dopisz32(r, 10, los.Od(1, 50000000));
  Dopisz16(r, 14, los.Od(1, 30));
  if (dlugosc >= 20) Data(los, r, 16);
  for (size_t i = 20; i < dlugosc; ++i) r[i] = los.Bajt();
  return r;
}

// A text record: 0xFE, two numbers, a byte and printable text ended by a carriage return.
Bajty RekordTekstu(Los& los, size_t dlugosc) {
  Bajty r(dlugosc, ' ');
  r[0] = 0xFE;
  Dopisz16(r, 1, los.Od(1, 999));
  Dopisz16(r, 3, los.Od(1, 9999));
  r[5] = static_cast<uint8_t>(los.Do(10));
  const size_t koniec = std::min<size_t>(dlugosc, 6 + los.Od(1, 24));
  for (size_t i = 6; i < koniec; ++i) r[i] = static_cast<uint8_t>(los.Od('A', 'Z'));
  if (koniec < dlugosc) r[koniec] = 0x0D;
  return r;
}

// Records of the other kinds: a first byte of the kind, a packed date where
// the kind keeps one, and arbitrary values. Only the longer layouts hold them.
Bajty RekordInny(Los& los, size_t dlugosc) {
  static constexpr uint8_t Pierwsze[] = {0xFC, 0xFD, 0xEC, 0xFB, 0xFA, 0xF9, 0xED, 0xEE, 0xE5, 0xF0};
  Bajty r(dlugosc);
  for (auto& b : r) b = los.Bajt();
  r[0] = Pierwsze[los.Do(std::size(Pierwsze))];
  if (r[0] == 0xFB) Data(los, r, 1);
  if (r[0] == 0xFA) Data(los, r, 4);
  if (r[0] == 0xF9 || r[0] == 0xED || r[0] == 0xEE) Data(los, r, 3);
  return r;
}

std::vector<Bajty> Strumien(Los& los, size_t ile, size_t dlugosc) {
  std::vector<Bajty> wynik;
  wynik.reserve(ile);
  for (size_t i = 0; i < ile; ++i) {
    const uint32_t rodzaj = los.Do(100);
    if (rodzaj < 85) wynik.push_back(RekordSprzedazyOkresu(los, dlugosc));
    else if (rodzaj < 95 || dlugosc < 29) wynik.push_back(RekordTekstu(los, dlugosc));
    else wynik.push_back(RekordInny(los, dlugosc));
  }
  return wynik;
}

}  // namespace

void GenerujDzien(const UstawieniaDnia& ustawienia, StanKasy& kasa) {
  Los los(ustawienia.ziarno);
  StanSprzedazy& s = kasa.sprzedaz;
  s.ZerujLiczniki();
  s.ZerujOkresy();
  const bool zwroty = kasa.typ == 24 || kasa.typ == 27;

  // Goods numbers spread over the capacity, one in each slice of it.
  const uint32_t zakres = std::min<uint32_t>(kasa.pojemnosc, 0xFEFF);
  const size_t towary = std::min<size_t>(ustawienia.towary, zakres);
  for (size_t i = 0; i < towary; ++i) {
    const uint32_t od = static_cast<uint32_t>(uint64_t{zakres} * i / towary) + 1;
    const uint32_t doN = static_cast<uint32_t>(uint64_t{zakres} * (i + 1) / towary);
    s.towary.push_back({static_cast<uint16_t>(los.Od(od, doN)), Sprzedaz(los, zwroty)});
  }
  for (auto& blok : s.opakowania)
    for (uint32_t i = 0, ile = los.Do(RekordyBloku + 1); i < ile; ++i)
      blok.push_back({static_cast<uint16_t>(los.Od(1, 0xFEFF)), Sprzedaz(los, false)});
  for (int i = 0; i < 3; ++i) s.rabaty.push_back((uint64_t{los.Bajt()} << 32) | los.Dowolna());
  for (size_t o = 0; o < LiczbaOkresow; ++o) s.okresy[o] = Strumien(los, ustawienia.rekordy, DlugoscOkresu[o]);
}

}  // namespace sim
