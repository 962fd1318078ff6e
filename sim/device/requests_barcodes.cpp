// The requests on the additional barcodes, the barcode codes, the keys and
// the goods links.
//
// The additional barcodes go out in parts of nine records (goods number high
// byte first, barcode low byte first), each part closed by 0xFF; an all-zero
// record after the table's last one ends the table. The links go out in blocks
// of 16 (goods number high byte first, the linked number low byte first), each
// closed by 0xFF; a register with 8 blocks answers 0x6C for blocks 8 to 15.
// Records of goods numbers from 0xFF00 on go out as they are, so their first
// byte looks like the marker. Price checkers have no keys: they refuse the key
// requests.
#include <algorithm>

#include "device/families.h"
#include "device/requests.h"

namespace sim {
namespace {

constexpr uint8_t Wykonano = 0x00;
constexpr uint8_t PozaPojemnoscia = 0x05;  // a key the keyboard lacks, a table that is full
constexpr uint8_t BrakRekordu = 0x66;      // nothing to delete under this number
constexpr uint8_t BrakBloku = 0x6C;        // a link block the register does not have
constexpr uint8_t Znacznik = 0xFF;
constexpr size_t RekordowWCzesci = 9;

StanKodow& Kody(Wymiana& w) { return w.stan.kody; }

uint16_t SlowoOdStarszego(const Wymiana& w, size_t k) {
  return static_cast<uint16_t>((w.parametry[k] << 8) | w.parametry[k + 1]);
}

uint64_t Kod48(const Wymiana& w, size_t k) {
  uint64_t kod = 0;
  for (size_t i = 0; i < 6; ++i) kod |= uint64_t{w.parametry[k + i]} << (8 * i);
  return kod;
}

void Dopisz(Bajty& b, uint64_t wartosc, size_t ile) {
  for (size_t i = 0; i < ile; ++i) b.push_back(static_cast<uint8_t>(wartosc >> (8 * i)));
}

void DopiszOdStarszego(Bajty& b, uint16_t wartosc) {
  b.push_back(static_cast<uint8_t>(wartosc >> 8));
  b.push_back(static_cast<uint8_t>(wartosc));
}

Bajty CzescKodow(Wymiana& w) {
  std::vector<DodatkowyKod> tabela = Kody(w).dodatkowe;
  tabela.push_back({});  // the all-zero record after the last one
  const size_t od = std::min(size_t{w.Slowo(0)} * RekordowWCzesci, tabela.size() - 1);
  Bajty wynik{Wykonano};
  for (size_t i = od; i < tabela.size() && i < od + RekordowWCzesci; ++i) {
    DopiszOdStarszego(wynik, tabela[i].towar);
    Dopisz(wynik, tabela[i].kod, 6);
  }
  wynik.push_back(Znacznik);
  return wynik;
}

Bajty ZapisKodu(Wymiana& w) {
  const DodatkowyKod nowy{SlowoOdStarszego(w, 0), Kod48(w, 2)};
  auto& tabela = Kody(w).dodatkowe;
  const auto jest = std::find_if(tabela.begin(), tabela.end(), [&](const DodatkowyKod& k) { return k.kod == nowy.kod; });
  if (jest != tabela.end()) {
    jest->towar = nowy.towar;
    return {Wykonano};
  }
  if (tabela.size() >= PojemnoscDodatkowychKodow) return {PozaPojemnoscia};
  tabela.push_back(nowy);
  return {Wykonano};
}

template <typename Tabela, typename Warunek>
Bajty Usun(Tabela& tabela, Warunek warunek) {
  const auto ile = std::erase_if(tabela, warunek);
  return {ile ? Wykonano : BrakRekordu};
}

Bajty BlokWiazan(Wymiana& w) {
  const size_t blok = w.parametry[0];
  if (blok >= Kody(w).blokiWiazan) return {BrakBloku};
  const auto& wiazania = Kody(w).wiazania;
  Bajty wynik{Wykonano};
  for (size_t i = blok * RekordowWBlokuWiazan; i < wiazania.size() && i < (blok + 1) * RekordowWBlokuWiazan; ++i) {
    DopiszOdStarszego(wynik, wiazania[i].towar);
    Dopisz(wynik, wiazania[i].powiazany, 2);
  }
  wynik.push_back(Znacznik);
  return wynik;
}

Bajty ZapisWiazania(Wymiana& w) {
  const Wiazanie nowe{w.Slowo(0), w.Slowo(2)};
  StanKodow& k = Kody(w);
  const auto jest = std::find_if(k.wiazania.begin(), k.wiazania.end(),
                                 [&](const Wiazanie& x) { return x.towar == nowe.towar; });
  if (jest != k.wiazania.end()) {
    jest->powiazany = nowe.powiazany;
    return {Wykonano};
  }
  if (k.wiazania.size() >= k.blokiWiazan * RekordowWBlokuWiazan) return {PozaPojemnoscia};
  k.wiazania.push_back(nowe);
  return {Wykonano};
}

bool MaKlawiature(const StanKasy& s) { return !Cenometr(s.typ); }

const Rozkaz Rozkazy[] = {
    {.kod = 0xEA, .opis = "additional barcodes, one part", .parametry = 2, .wykonanie = CzescKodow},
    {.kod = 0xEB, .opis = "write an additional barcode", .parametry = 8, .wykonanie = ZapisKodu},
    {.kod = 0xED, .opis = "delete an additional barcode", .parametry = 6,
     .wykonanie =
         [](Wymiana& w) {
           const uint64_t kod = Kod48(w, 0);
           return Usun(Kody(w).dodatkowe, [&](const DodatkowyKod& k) { return k.kod == kod; });
         }},
    {.kod = 0xEC, .opis = "delete the additional barcodes of a goods", .parametry = 2,
     .wykonanie =
         [](Wymiana& w) {
           const uint16_t towar = SlowoOdStarszego(w, 0);
           return Usun(Kody(w).dodatkowe, [&](const DodatkowyKod& k) { return k.towar == towar; });
         }},
    {.kod = 0xD9, .opis = "barcode codes",
     .pierwsza =
         [](Wymiana& w) {
           Bajty wynik;
           for (const std::string& k : Kody(w).kody) wynik.insert(wynik.end(), k.begin(), k.end());
           return wynik;
         }},
    {.kod = 0xD8, .opis = "write the barcode codes", .parametry = 2 * LiczbaKodowKreskowych,
     .wykonanie =
         [](Wymiana& w) {
           for (size_t i = 0; i < LiczbaKodowKreskowych; ++i)
             Kody(w).kody[i].assign(w.parametry.begin() + 2 * i, w.parametry.begin() + 2 * i + 2);
           return Bajty{Wykonano};
         }},
    {.kod = 0xF3, .opis = "goods number of a key", .parametry = 1,
     .wykonanie =
         [](Wymiana& w) {
           const uint8_t klawisz = w.parametry[0];
           if (klawisz < PierwszyKlawisz) return Bajty{PozaPojemnoscia};
           Bajty wynik{Wykonano};
           Dopisz(wynik, Kody(w).klawisze[klawisz], 2);
           return wynik;
         },
     .zna = MaKlawiature},
    {.kod = 0xF2, .opis = "write the goods number of a key", .parametry = 3,
     .wykonanie =
         [](Wymiana& w) {
           const uint8_t klawisz = w.parametry[0];
           if (klawisz < PierwszyKlawisz) return Bajty{PozaPojemnoscia};
           Kody(w).klawisze[klawisz] = w.Slowo(1);
           return Bajty{Wykonano};
         },
     .zna = MaKlawiature},
    {.kod = 0xE7, .opis = "goods links, one block", .parametry = 1, .wykonanie = BlokWiazan},
    {.kod = 0xAA, .opis = "write a goods link", .parametry = 4, .wykonanie = ZapisWiazania},
    {.kod = 0xAB, .opis = "delete a goods link", .parametry = 2,
     .wykonanie =
         [](Wymiana& w) {
           const uint16_t towar = w.Slowo(0);
           return Usun(Kody(w).wiazania, [&](const Wiazanie& x) { return x.towar == towar; });
         }},
};

}  // namespace

const std::span<const Rozkaz> RozkazyKodow = Rozkazy;

}  // namespace sim
