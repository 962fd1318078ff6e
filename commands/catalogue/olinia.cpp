// _OLinia: the receipt header. Types 'o' and 'p': one line per header line
// (its number as two digits, its 20 or 40 characters, its flag 0 or 1) until
// the register has no more; the others: one line of the two texts.
#include "commands/catalogue/header_lines.h"
#include "commands/command.h"

namespace {

constexpr uint8_t KONIEC_LINII = WynikStatusuKasy(0x6C);  // 208: no such line

bool LiniaNaglowka(uint32_t numer, LiniaWyniku& linia) {
  const uint8_t atrybut = OdpowiedzByte(0);
  const uint8_t szerokosc = (atrybut & LINIA_KROTKA) ? SZEROKOSC_KROTKIEJ_LINII : SZEROKOSC_LINII;
  linia.Pole(Liczba(numer, 2)).Pole(Znaki(Odpowiedz(1), szerokosc)).Pole((atrybut & LINIA_Z_FLAGA) ? "1" : "0");
  return true;
}

void LiniaDwochTekstow() {
  LiniaWyniku()
      .Pole(Znaki(Odpowiedz(0), SZEROKOSC_TEKSTU_NAGLOWKA))
      .Pole(Znaki(Odpowiedz(SZEROKOSC_TEKSTU_NAGLOWKA), SZEROKOSC_TEKSTU_NAGLOWKA))
      .Zapisanie();
}

// The line number is one parameter byte: the readout stops after 255.
void OdczytNaglowka() {
  if (KasaOP()) {
    CialoOdczytuRekordow({{KodRozkazu::OdczytLiniiNaglowka, 1, 1, 2 + SZEROKOSC_LINII}, KONIEC_LINII, LiniaNaglowka});
    return;
  }
  CialoPojedynczejOdpowiedzi(
      {{KodRozkazu::OdczytLiniiNaglowka, 1 + 2 * SZEROKOSC_TEKSTU_NAGLOWKA, 0, 0}, LiniaDwochTekstow});
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OLinia, .Kod = 117, .Cialo = OdczytNaglowka);
