#include "commands/catalogue/goods_record.h"

#include <cstring>
#include <iterator>
#include <span>

#include "commands/command.h"

namespace {

constexpr uint8_t NazwaPelna = 19, NazwaV = 18, NazwaWM = 20, NazwaT = 18;
constexpr uint64_t Kod44Bity = uint64_t{1} << 44;
constexpr uint32_t Cena28Bitow = uint32_t{1} << 28;

// ---- input variants ----

enum class PoleLinii : uint8_t { Numer, Nazwa, Stawka, Grupa, Atrybut, Jednostka, Znacznik1, Kod, Cena, Znacznik2 };
using P = PoleLinii;

constexpr PoleLinii Pola1[] = {P::Numer, P::Nazwa,      P::Stawka, P::Grupa, P::Atrybut,
                               P::Jednostka, P::Znacznik1, P::Kod, P::Cena,  P::Znacznik2};
constexpr PoleLinii Pola2[] = {P::Numer, P::Nazwa, P::Jednostka, P::Kod, P::Cena};
constexpr PoleLinii Pola3[] = {P::Numer, P::Nazwa, P::Stawka, P::Grupa, P::Kod, P::Cena};
constexpr PoleLinii Pola4[] = {P::Numer, P::Nazwa, P::Kod, P::Cena};

struct Wariant {
  uint8_t Numer;
  uint8_t DlugoscNazwy;
  std::span<const PoleLinii> Pola;
  bool (*Przyjmuje)();  // the registers that accept it
};

// In the order they are tried.
const Wariant Warianty[] = {
    {1, 19, Pola1, [] { return true; }},
    {3, 18, Pola3, [] { return KasaNorda() || KasaWX(); }},
    {2, 20, Pola2, [] { return KasaWX() || KasaMLubN(); }},
    {4, 20, Pola4, [] { return KasaWX(); }},
};

bool CzytajPole(const char* linia, uint8_t k, PoleLinii pole, uint8_t dlugoscNazwy, RekordTowaru& t) {
  switch (pole) {
    case P::Numer: return PoleWord(linia, k, t.NumerTowaru);
    case P::Nazwa:
      if (!PoleTekst(linia, k, dlugoscNazwy, t.NazwaTowaru)) return false;
      t.DlugoscNazwy = dlugoscNazwy;
      return true;
    case P::Stawka: return PoleByte(linia, k, t.NumerStawki);
    case P::Grupa: return PoleByte(linia, k, t.NumerGrupy);
    case P::Atrybut: return PoleByte(linia, k, t.Atrybut1);
    case P::Jednostka: return PoleByte(linia, k, t.NumerJednostki);
    case P::Znacznik1: return PoleByte(linia, k, t.Znacznik1);
    case P::Kod: return PoleSzesciobajtowe(linia, k, t.KodKreskowy);
    case P::Cena: return PoleLong(linia, k, t.Cena);
    case P::Znacznik2: return PoleByte(linia, k, t.Znacznik2);
  }
  return false;
}

// Every field of the variant, and none beyond them: a line of variant 2 has
// the name length of variant 4 and would otherwise read as one, its unit
// taken for the barcode and its barcode for the price.
bool CzytajWariant(const Wariant& w, const char* linia, RekordTowaru& t) {
  RekordTowaru odczytany;
  for (std::size_t i = 0; i < w.Pola.size(); ++i)
    if (!CzytajPole(linia, static_cast<uint8_t>(i + 1), w.Pola[i], w.DlugoscNazwy, odczytany)) return false;
  Napis dalej{};
  if (NapisZawieraDana(linia, static_cast<uint8_t>(w.Pola.size() + 1), dalej)) return false;
  t = odczytany;
  return true;
}

// ---- layouts ----

uint64_t Kod(const RekordTowaru& t) { return WartoscBajtow(t.KodKreskowy, 6); }

// The high four bits of a number's top byte carry another value; the low four
// keep the number's own bits.
uint8_t ZNosnikiem(uint8_t bajt, uint8_t gorne) { return static_cast<uint8_t>((bajt & 0x0F) | (gorne & 0xF0)); }
uint8_t JednostkaWNosniku(const RekordTowaru& t) { return static_cast<uint8_t>((t.NumerJednostki - 1) << 4); }
uint8_t JednostkaZNosnika(uint8_t bajt) { return static_cast<uint8_t>((bajt >> 4) + 1); }

// The barcode bytes with the top byte's high four bits replaced.
const uint8_t* KodZNosnikiem(const RekordTowaru& t, uint8_t gorne, uint8_t (&kod)[6]) {
  std::memcpy(kod, t.KodKreskowy, 6);
  kod[5] = ZNosnikiem(kod[5], gorne);
  return kod;
}

uint8_t Xor(const uint8_t* bajty, std::size_t ile) {
  uint8_t x = 0;
  for (std::size_t i = 0; i < ile; ++i) x ^= bajty[i];
  return x;
}

void NazwaZOdpowiedzi(const uint8_t* odpowiedz, uint8_t dlugosc, RekordTowaru& t) {
  std::memcpy(t.NazwaTowaru, odpowiedz, dlugosc);
  t.NazwaTowaru[dlugosc] = 0;
  t.DlugoscNazwy = dlugosc;
}

}  // namespace

bool OdczytanieLiniiTowaru(const char* linia, uint8_t& wariant, RekordTowaru& t) {
  for (const Wariant& w : Warianty) {
    const bool dozwolony = wariant ? w.Numer == wariant : w.Przyjmuje();
    if (!dozwolony || !CzytajWariant(w, linia, t)) continue;
    wariant = w.Numer;
    return true;
  }
  UstawBlad(BladLiniiWejscia);
  return false;
}

bool OdczytanieLiniiTowaruDoZapisu(const char* linia, uint8_t& wariant, RekordTowaru& t) {
  if (!OdczytanieLiniiTowaru(linia, wariant, t)) return false;
  if (TowarMiesciSieWUkladzie(RodzinaTowarowKasy(), t)) return true;
  UstawBlad(WartoscPozaZakresem);
  return false;
}

// ---- the families' layouts, both ways ----

namespace {

void UkladPelny(Parametry& p, const RekordTowaru& t) {
  p.Tekst(t.NazwaTowaru, NazwaPelna).Bajt(t.NumerStawki).Bajt(t.NumerGrupy).Bajt(t.Atrybut1);
  p.Bajt(t.NumerJednostki).Bajt(t.Znacznik1).Bajty(t.KodKreskowy, 6).Long(t.Cena).Bajt(t.Znacznik2);
}

void UkladV(Parametry& p, const RekordTowaru& t) {
  p.Tekst(t.NazwaTowaru, NazwaV).Bajt(static_cast<uint8_t>(t.NumerStawki << 4 | t.NumerGrupy));
  p.Bajty(t.KodKreskowy, 6).Long(t.Cena);
}

void UkladWM(Parametry& p, const RekordTowaru& t) {
  uint8_t kod[6];
  p.Tekst(t.NazwaTowaru, NazwaWM).Bajty(KodZNosnikiem(t, JednostkaWNosniku(t), kod), 6).Long(t.Cena);
}

void UkladT(Parametry& p, const RekordTowaru& t) {
  uint8_t kod[6];
  const auto flagi = static_cast<uint8_t>(t.Znacznik2 << 7 | t.Znacznik1 << 6 | t.Atrybut1 << 4);
  const uint32_t cena = (t.Cena & 0x0FFFFFFFu) | uint32_t{JednostkaWNosniku(t)} << 24;
  p.Tekst(t.NazwaTowaru, NazwaT).Bajt(t.NumerStawki).Bajt(t.NumerGrupy).Bajty(KodZNosnikiem(t, flagi, kod), 6);
  p.Long(cena).Bajt(Xor(Sesja.Wymiana.ObszarParametrow, 32));
}

bool JednostkaIKodMieszczaSie(const RekordTowaru& t) {
  return t.NumerJednostki >= 1 && t.NumerJednostki <= 16 && Kod(t) < Kod44Bity;
}
bool MiesciSieWPelnym(const RekordTowaru&) { return true; }
bool MiesciSieWV(const RekordTowaru& t) { return t.NumerStawki <= 15 && t.NumerGrupy <= 15; }
bool MiesciSieWT(const RekordTowaru& t) {
  return JednostkaIKodMieszczaSie(t) && t.Atrybut1 <= 3 && t.Znacznik1 <= 1 && t.Znacznik2 <= 1 && t.Cena < Cena28Bitow;
}

bool ZUkladuV(const uint8_t* o, RekordTowaru& t, uint16_t& nastepny) {
  TowarZUkladuV(o, t, nastepny);
  return true;
}
bool ZUkladuW(const uint8_t* o, RekordTowaru& t, uint16_t& nastepny) {
  TowarZUkladuW(o, t, nastepny);
  return true;
}

// The goods line: ten fields as input variant 1 (family T keeps 18 name
// bytes: the line shows 19, as the full layout does), six as variant 3 (V),
// four as variant 4 (W).
void LiniaPelna(const RekordTowaru& t, std::string_view nazwa, LiniaWyniku& linia) {
  linia.Pole(nazwa, std::string_view(t.DlugoscNazwy < NazwaPelna ? " " : ""));
  linia.Pole(Liczba(t.NumerStawki)).Pole(Liczba(t.NumerGrupy)).Pole(Liczba(t.Atrybut1));
  linia.Pole(Liczba(t.NumerJednostki)).Pole(Liczba(t.Znacznik1)).Pole(Szesciobajtowa(t.KodKreskowy, 13));
  linia.Pole(Liczba(t.Cena)).Pole(Liczba(t.Znacznik2));
}
void LiniaV(const RekordTowaru& t, std::string_view nazwa, LiniaWyniku& linia) {
  linia.Pole(nazwa).Pole(Liczba(t.NumerStawki)).Pole(Liczba(t.NumerGrupy));
  linia.Pole(Szesciobajtowa(t.KodKreskowy, 13)).Pole(Liczba(t.Cena));
}
void LiniaW(const RekordTowaru& t, std::string_view nazwa, LiniaWyniku& linia) {
  linia.Pole(nazwa).Pole(Szesciobajtowa(t.KodKreskowy, 13)).Pole(Liczba(t.Cena));
}

// One row per family, in the order the type tests are asked; the last row
// (S) takes every register the others do not.
constexpr OpisRodzinyTowarow RODZINY[] = {
    {.Rodzina = RodzinaTowarow::V,
     .Kasa = KasaNorda,
     .Najnizszy = {KodRozkazu::OdczytNajnizszegoNumeruV, 3, 0, 0},
     .Odczyt = {KodRozkazu::OdczytTowaruVW, 0, 2, 32},
     .ZOdpowiedzi = ZUkladuV,
     .Zapis = {KodRozkazu::ZapisTowaruVKasowanieWM, 0, 0, 1},
     .Kasowanie = {KodRozkazu::KasowanieTowaruVS, 1, 2, 1},
     .KasowanieStare = KodRozkazu::KasowanieTowaruSStary,
     .Uklad = UkladV,
     .MiesciSie = MiesciSieWV,
     .Linia = LiniaV},
    {.Rodzina = RodzinaTowarow::W,
     .Kasa = KasaWX,
     .Najnizszy = {KodRozkazu::OdczytNajnizszegoNumeruW, 1, 0, 3},
     .Odczyt = {KodRozkazu::OdczytTowaruVW, 0, 2, 33},
     .ZOdpowiedzi = ZUkladuW,
     .BezSprawdzenia = true,
     .Zapis = {KodRozkazu::ZapisTowaruWM, 0, 0, 1},
     .Kasowanie = {KodRozkazu::ZapisTowaruVKasowanieWM, 0, 2, 3},
     .NastepnyPoKasowaniu = true,
     .Uklad = UkladWM,
     .MiesciSie = JednostkaIKodMieszczaSie,
     .Linia = LiniaW},
    {.Rodzina = RodzinaTowarow::M,
     .Kasa = KasaMLubN,
     .Zapis = {KodRozkazu::ZapisTowaruWM, 0, 0, 1},
     .Kasowanie = {KodRozkazu::ZapisTowaruVKasowanieWM, 0, 2, 1},
     .Uklad = UkladWM,
     .MiesciSie = JednostkaIKodMieszczaSie,
     .Linia = LiniaPelna},
    {.Rodzina = RodzinaTowarow::T,
     .Kasa = KasaT,
     .Odczyt = {KodRozkazu::OdczytTowaruT, 0, 2, 34},
     .ZOdpowiedzi = TowarZUkladuT,
     .PelnyPoOdmowie = true,
     .Zapis = {KodRozkazu::ZapisTowaruT, 0, 0, 1},
     .Kasowanie = {KodRozkazu::KasowanieTowaruT, 0, 2, 3},
     .NastepnyPoKasowaniu = true,
     .Uklad = UkladT,
     .MiesciSie = MiesciSieWT,
     .Linia = LiniaPelna},
    {.Rodzina = RodzinaTowarow::S,
     .Kasa = nullptr,
     .Zapis = {KodRozkazu::ZapisTowaruS, 1, 0, 1},
     .ZapisStary = KodRozkazu::ZapisTowaruSStary,
     .Kasowanie = {KodRozkazu::KasowanieTowaruVS, 1, 2, 1},
     .KasowanieStare = KodRozkazu::KasowanieTowaruSStary,
     .Uklad = UkladPelny,
     .MiesciSie = MiesciSieWPelnym,
     .Linia = LiniaPelna},
};

constexpr bool KazdaRodzinaWSwoimWierszu() {
  for (std::size_t i = 0; i < std::size(RODZINY); ++i)
    if (static_cast<std::size_t>(RODZINY[i].Rodzina) >= std::size(RODZINY)) return false;
  return RODZINY[std::size(RODZINY) - 1].Kasa == nullptr;
}
static_assert(KazdaRodzinaWSwoimWierszu(), "a goods family without its row, or no row for the other registers");

}  // namespace

const OpisRodzinyTowarow& OpisRodziny(RodzinaTowarow rodzina) {
  for (const OpisRodzinyTowarow& r : RODZINY)
    if (r.Rodzina == rodzina) return r;
  return RODZINY[std::size(RODZINY) - 1];
}

const OpisRodzinyTowarow& RodzinaKasy() {
  for (const OpisRodzinyTowarow& r : RODZINY)
    if (!r.Kasa || r.Kasa()) return r;
  return RODZINY[std::size(RODZINY) - 1];
}

RodzinaTowarow RodzinaTowarowKasy() { return RodzinaKasy().Rodzina; }

uint8_t ParametryZapisuTowaru(RodzinaTowarow rodzina, const RekordTowaru& t) {
  Parametry p;
  p.Word(t.NumerTowaru);
  OpisRodziny(rodzina).Uklad(p, t);
  return static_cast<uint8_t>(p.Ile());
}

bool TowarMiesciSieWUkladzie(RodzinaTowarow rodzina, const RekordTowaru& t) { return OpisRodziny(rodzina).MiesciSie(t); }

void TowarZUkladuPelnego(const uint8_t* o, RekordTowaru& t) {
  NazwaZOdpowiedzi(o, NazwaPelna, t);
  t.NumerStawki = o[19];
  t.NumerGrupy = o[20];
  t.Atrybut1 = o[21];
  t.NumerJednostki = o[22];
  t.Znacznik1 = o[23];
  std::memcpy(t.KodKreskowy, o + 24, 6);
  t.Cena = static_cast<uint32_t>(WartoscBajtow(o + 30, 4));
  t.Znacznik2 = o[34];
}

void TowarZUkladuV(const uint8_t* o, RekordTowaru& t, uint16_t& nastepny) {
  NazwaZOdpowiedzi(o, NazwaV, t);
  t.NumerStawki = o[18] >> 4;
  t.NumerGrupy = o[18] & 0x0F;
  std::memcpy(t.KodKreskowy, o + 19, 6);
  t.Cena = static_cast<uint32_t>(WartoscBajtow(o + 25, 4));
  nastepny = static_cast<uint16_t>(WartoscBajtow(o + 29, 2));
}

// The barcode bytes stay exactly as the register sent them: the unit is not taken out.
void TowarZUkladuW(const uint8_t* o, RekordTowaru& t, uint16_t& nastepny) {
  NazwaZOdpowiedzi(o, NazwaWM, t);
  std::memcpy(t.KodKreskowy, o + 20, 6);
  t.Cena = static_cast<uint32_t>(WartoscBajtow(o + 26, 4));
  nastepny = static_cast<uint16_t>(WartoscBajtow(o + 30, 2));
}

bool TowarZUkladuT(const uint8_t* o, RekordTowaru& t, uint16_t& nastepny) {
  NazwaZOdpowiedzi(o, NazwaT, t);
  t.NumerStawki = o[18];
  t.NumerGrupy = o[19];
  std::memcpy(t.KodKreskowy, o + 20, 6);
  const uint8_t flagi = t.KodKreskowy[5];
  t.Znacznik2 = flagi >> 7;
  t.Znacznik1 = flagi >> 6 & 1;
  t.Atrybut1 = flagi >> 4 & 3;
  t.KodKreskowy[5] &= 0x0F;
  const auto cena = static_cast<uint32_t>(WartoscBajtow(o + 26, 4));
  t.NumerJednostki = JednostkaZNosnika(static_cast<uint8_t>(cena >> 24));
  t.Cena = cena & 0x0FFFFFFFu;
  nastepny = static_cast<uint16_t>(WartoscBajtow(o + 30, 2));
  return Xor(o, 32) == o[32];
}

bool WartosciTowaruWZakresie(const RekordTowaru& t) {
  const uint8_t najwyzszaStawka = KasaOP() ? 9 : 7;
  return t.NumerStawki >= 1 && t.NumerStawki <= najwyzszaStawka && t.NumerGrupy >= 1 && t.NumerGrupy <= 99 &&
         t.Atrybut1 <= 3 && t.NumerJednostki >= 1 && t.NumerJednostki <= 16 && t.Znacznik1 <= 1 &&
         t.Znacznik2 <= 1;
}

void LiniaTowaru(RodzinaTowarow rodzina, const RekordTowaru& t, LiniaWyniku& linia) {
  const std::string_view nazwa = Znaki(reinterpret_cast<const uint8_t*>(t.NazwaTowaru), t.DlugoscNazwy);
  linia.Pole(Liczba(t.NumerTowaru, 5));
  OpisRodziny(rodzina).Linia(t, nazwa, linia);
}
