// _ZLinia: the receipt header. Types 'o' and 'p': one request per input line
// (line number, a text of exactly 20 or 40 characters, the flag 0 or 1); the
// others: the two texts of exactly 24 characters from the first data line.
#include <cstring>

#include "commands/catalogue/header_lines.h"
#include "commands/command.h"

namespace {

bool PolaLinii(const char* linia) {
  uint8_t numer = 0, flaga = 0;
  Napis tekst{};
  if (!PoleByte(linia, 1, numer) || !PoleNapis(linia, 2, tekst) || !PoleByte(linia, 3, flaga)) return false;
  const std::size_t dlugosc = std::strlen(tekst);
  // Any other length or flag leaves the line bad (11).
  if ((dlugosc != SZEROKOSC_KROTKIEJ_LINII && dlugosc != SZEROKOSC_LINII) || flaga > 1) return false;
  const uint8_t atrybut = static_cast<uint8_t>((dlugosc == SZEROKOSC_KROTKIEJ_LINII ? LINIA_KROTKA : 0) |
                                               (flaga ? LINIA_Z_FLAGA : 0));
  Parametry().Bajt(numer).Bajt(atrybut).Tekst(tekst, dlugosc);
  return true;
}

// The attribute byte of the parameters tells how many characters go with it.
void WyslanieLinii() {
  const uint8_t szerokosc =
      (Sesja.Wymiana.ObszarParametrow[1] & LINIA_KROTKA) ? SZEROKOSC_KROTKIEJ_LINII : SZEROKOSC_LINII;
  WykonanieRozkazu({KodRozkazu::ZapisLiniiNaglowka, 1, static_cast<uint8_t>(2 + szerokosc), 1});
}

bool PolaDwochTekstow(const char* linia) {
  Napis pierwszy{}, drugi{};
  if (!PoleTekst(linia, 1, SZEROKOSC_TEKSTU_NAGLOWKA, pierwszy) ||
      !PoleTekst(linia, 2, SZEROKOSC_TEKSTU_NAGLOWKA, drugi))
    return false;
  Parametry().Tekst(pierwszy, SZEROKOSC_TEKSTU_NAGLOWKA).Tekst(drugi, SZEROKOSC_TEKSTU_NAGLOWKA);
  return true;
}

void ZapisNaglowka() {
  if (KasaOP()) {
    CialoZapisuLiniami({{}, PolaLinii, WyslanieLinii});
    return;
  }
  CialoZapisuLiniami({.rozkaz = {KodRozkazu::ZapisLiniiNaglowka, 1, 2 * SZEROKOSC_TEKSTU_NAGLOWKA, 1},
                      .Pola = PolaDwochTekstow,
                      .TylkoPierwszaLinia = true});
}

}  // namespace

KARVO_FUNKCJA(ZLinia, .Kod = 118, .Cialo = ZapisNaglowka);
