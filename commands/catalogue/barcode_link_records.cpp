#include "commands/catalogue/barcode_link_records.h"

#include "protocol/line.h"

void NumerOdStarszego(Parametry& parametry, uint16_t numer) {
  parametry.Bajt(static_cast<uint8_t>(numer >> 8)).Bajt(static_cast<uint8_t>(numer & 0xFF));
}

DodatkowyKod DodatkowyKodZOdpowiedzi(std::size_t od) {
  DodatkowyKod kod;
  kod.Towar = OdpowiedzWordOdStarszego(od);
  for (std::size_t i = 0; i < sizeof kod.Kod; ++i) kod.Kod[i] = OdpowiedzByte(od + 2 + i);
  return kod;
}

void DodatkowyKodDoParametrow(const DodatkowyKod& kod) {
  Parametry parametry;
  NumerOdStarszego(parametry, kod.Towar);
  parametry.Bajty(kod.Kod, sizeof kod.Kod);
}

void LiniaDodatkowegoKodu(const DodatkowyKod& kod, LiniaWyniku& linia) {
  linia.Pole(Liczba(kod.Towar, 4)).Pole(Szesciobajtowa(kod.Kod, 13));
}

void LiniaWiazania(std::size_t od, LiniaWyniku& linia) {
  linia.Pole(Liczba(OdpowiedzWordOdStarszego(od), 4)).Pole(Liczba(OdpowiedzWord(od + 2), 4));
}

bool ResztaRekorduPoZnaczniku() {
  if (CiszaPoOdpowiedzi()) return false;
  UstawBlad(BladOdczytuBloku);
  return true;
}
