// _OPodatek: the register's tax rate table as one line, a field a rate: the
// rate in percent with two decimals, "REZERWA" for a rate not in use, and on
// the second-generation registers (not the Norda ones) "ZWOLNIONA" for the
// exempt rate. The Norda registers follow each rate with its three characters.
#include "commands/command.h"

namespace {

struct TablicaPodatkow {
  uint8_t Stawki;
  uint8_t DlugoscOdpowiedzi;  // the first answer, its acknowledgement included
  uint8_t ZnacznikRezerwy;    // high byte of a reserve rate
  bool Zwolniona;             // the high byte 0x40 marks the exempt rate
  bool Znaki;                 // three characters a rate after the rates
};

constexpr uint8_t ZnacznikZwolnionej = 0x40;
constexpr std::size_t DlugoscZnakow = 3;

TablicaPodatkow Tablica() {
  if (KasaNorda()) return {5, 26, 0x80, false, true};
  if (KasaDrugiejGeneracji()) return {7, 15, 0x80, true, false};
  return {6, 13, 0xFF, false, false};
}

// The rate's two bytes, high byte first, in hundredths of a percent.
Fragment Procent(uint8_t starszy, uint8_t mlodszy) {
  const uint8_t bajty[2] = {mlodszy, starszy};
  return LiczbaBajtowNaTekst(bajty, 0, 1, 2, false);
}

void LiniaPodatkow() {
  const TablicaPodatkow t = Tablica();
  const uint8_t* a = Odpowiedz(0);
  LiniaWyniku linia;
  for (uint8_t i = 0; i < t.Stawki; ++i) {
    const uint8_t starszy = a[2 * i];
    if (starszy == t.ZnacznikRezerwy)
      linia.Pole("REZERWA");
    else if (t.Zwolniona && starszy == ZnacznikZwolnionej)
      linia.Pole("ZWOLNIONA");
    else
      linia.Pole(Procent(starszy, a[2 * i + 1]));
    if (t.Znaki) linia.PoleBezZer(a + 2 * t.Stawki + DlugoscZnakow * i, DlugoscZnakow);
  }
  linia.Zapisanie();
}

void OdczytPodatkow() {
  CialoPojedynczejOdpowiedzi({{KodRozkazu::OdczytPodatkow, Tablica().DlugoscOdpowiedzi, 0, 0}, LiniaPodatkow});
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OPodatek, .Kod = 322, .Cialo = OdczytPodatkow);
