// The goods record: one model of its ten fields; the five ways the register
// families keep it (the full, V, W, M and T layouts), both ways; the goods
// line of the data files with its four input variants; and the checks of the
// values read and written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "protocol/requests.h"

class LiniaWyniku;
class Parametry;

// How the register keeps its goods, from the type tests: V the Norda
// registers, W 'w' and 'x', M 'm' and 'n', T the newer registers, S the rest.
enum class RodzinaTowarow : uint8_t { S, V, W, M, T };
RodzinaTowarow RodzinaTowarowKasy();

constexpr std::size_t NajdluzszaNazwaTowaru = 20;

struct RekordTowaru {
  uint16_t NumerTowaru = 0;
  // The name bytes as the line or the register gave them; DlugoscNazwy of them count.
  char NazwaTowaru[NajdluzszaNazwaTowaru + 1]{};
  uint8_t DlugoscNazwy = 0;
  // The values a line variant leaves out are these defaults.
  uint8_t NumerStawki = 1;
  uint8_t NumerGrupy = 1;
  uint8_t Atrybut1 = 3;
  uint8_t NumerJednostki = 1;
  uint8_t Znacznik1 = 0;
  uint8_t KodKreskowy[6]{};  // 48 bits, least significant byte first
  uint32_t Cena = 0;
  uint8_t Znacznik2 = 0;
};

// ---- the goods line of an input file ---------------------------------------------

// Reads a goods line. `wariant` is the variant the run's first line took, 0
// before it: the first line takes the first variant, in the order 1, 3, 2, 4,
// that the register accepts and the line matches (every field of the variant
// valid, the name of its exact length: 19, 18, 20, 20, and no further field)
// and sets `wariant`; every later line of the run must match that same
// variant. False with ResultCode 11 otherwise.
bool OdczytanieLiniiTowaru(const char* linia, uint8_t& wariant, RekordTowaru& t);
// The same for a line to be written in the family's layout: a value the
// layout cannot hold (TowarMiesciSieWUkladzie) gives 19, before anything is sent.
bool OdczytanieLiniiTowaruDoZapisu(const char* linia, uint8_t& wariant, RekordTowaru& t);

// The goods lines of one writing run: the variant the first line fixed and
// the goods of the line in hand (the per-line value of the writing commands).
struct LinieTowarow {
  uint8_t Wariant = 0;
  RekordTowaru Towar;
};

// ---- the register's layouts --------------------------------------------------------

// Packs the write parameters of the family: the 2 number bytes, then its layout
// (the name cut or padded with spaces to the layout's length; on T the check
// byte last). Answers the count: 37 (S), 31 (V), 32 (W, M), 33 (T).
uint8_t ParametryZapisuTowaru(RodzinaTowarow rodzina, const RekordTowaru& t);
// Whether every value fits the bits that the family's write layout gives it:
// on V the rate and the group share one byte, four bits each; on W, M and T
// the unit minus 1 rides in four bits above a barcode of 44; on T the
// attribute has two bits, each flag one, and the price 28 below the unit.
bool TowarMiesciSieWUkladzie(RodzinaTowarow rodzina, const RekordTowaru& t);

// The readout answers, from answer byte 0: the full layout (0xAC, 35 bytes),
// V (0x03, 31), W (0x03, 32) and T (0xBD, 33). The next-number layouts give
// the next goods number; T answers false when its check byte differs from
// the bitwise XOR of the 32 bytes before it.
void TowarZUkladuPelnego(const uint8_t* odpowiedz, RekordTowaru& t);
void TowarZUkladuV(const uint8_t* odpowiedz, RekordTowaru& t, uint16_t& nastepny);
void TowarZUkladuW(const uint8_t* odpowiedz, RekordTowaru& t, uint16_t& nastepny);
bool TowarZUkladuT(const uint8_t* odpowiedz, RekordTowaru& t, uint16_t& nastepny);

// ---- the readout -----------------------------------------------------------------

// The stored values a goods line may show: rate 1 to 7 (1 to 9 on 'o' and
// 'p'), group 1 to 99, attribute up to 3, unit 1 to 16, flags 0 or 1.
bool WartosciTowaruWZakresie(const RekordTowaru& t);
// The goods line of the family: ten fields on S, M and T (as input variant 1),
// six on V (as variant 3), four on W (as variant 4).
void LiniaTowaru(RodzinaTowarow rodzina, const RekordTowaru& t, LiniaWyniku& linia);

// ---- the families as rows ------------------------------------------------------------

// One register family of goods: the type test that recognises it, its
// requests with their lengths, its write layout and what the layout can
// hold, its readout codec and its goods line. A new family is one row in
// goods_record.cpp (and its name in RodzinaTowarow).
struct OpisRodzinyTowarow {
  RodzinaTowarow Rodzina;
  bool (*Kasa)();  // nullptr: every register no other row takes
  // The request that gives the lowest goods number (code 0: none, the lowest is 1).
  Rozkaz Najnizszy = {};
  // The readout: the family's own request and codec (the next goods number
  // comes with the answer), or none: the full layout of 0xAC, number + 1 next.
  Rozkaz Odczyt = {KodRozkazu::OdczytTowaru, 1, 2, 36};
  bool (*ZOdpowiedzi)(const uint8_t* odpowiedz, RekordTowaru& t, uint16_t& nastepny) = nullptr;
  bool PelnyPoOdmowie = false;  // a refused own readout (24) reads the full layout instead
  bool BezSprawdzenia = false;  // the line shows the fields as they come, unchecked
  // The write: the parameter count is the layout's; the second generation's
  // code, or `ZapisStary` on the older registers when it is given.
  Rozkaz Zapis;
  KodRozkazu ZapisStary{};
  Rozkaz Kasowanie;
  KodRozkazu KasowanieStare{};
  bool NastepnyPoKasowaniu = false;  // the delete answers the next goods number
  void (*Uklad)(Parametry& p, const RekordTowaru& t);  // the layout after the 2 number bytes
  bool (*MiesciSie)(const RekordTowaru& t);
  void (*Linia)(const RekordTowaru& t, std::string_view nazwa, LiniaWyniku& linia);  // the fields after the number
};
// The row of a family, and that of the register in the session.
const OpisRodzinyTowarow& OpisRodziny(RodzinaTowarow rodzina);
const OpisRodzinyTowarow& RodzinaKasy();
