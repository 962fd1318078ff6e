// _ZKartRab: the discount card record from the first data line (22 fields).
#include "commands/catalogue/discount_card.h"
#include "commands/command.h"

namespace {

// Field 3 must hold at least L characters (a missing field is the empty
// text); its first six are sent, zero-filled.
bool PolaKarty(const char* linia) {
  uint8_t wartosc = 0, dlugosc = 0;
  Napis kod{};
  if (!PoleByte(linia, 1, wartosc) || !PoleByte(linia, 2, dlugosc) || !PoleTekstCoNajmniej(linia, 3, dlugosc, kod))
    return false;
  uint8_t wartosci[LICZBA_WARTOSCI_KARTY]{};
  for (uint8_t i = 0; i < LICZBA_WARTOSCI_KARTY; ++i)
    if (!PoleByte(linia, static_cast<uint8_t>(4 + i), wartosci[i])) return false;
  Parametry().Bajt(wartosc).Bajt(dlugosc).Tekst(kod, DLUGOSC_KODU_KARTY, '\0').Bajty(wartosci, LICZBA_WARTOSCI_KARTY);
  return true;
}

// The register sends no second answer to this write.
void ZapisKarty() {
  CialoZapisuLiniami({.rozkaz = {KodRozkazu::ZapisKartyRabatowej, 1, DLUGOSC_KARTY, 0},
                      .Pola = PolaKarty,
                      .TylkoPierwszaLinia = true});
}

}  // namespace

KARVO_FUNKCJA(ZKartRab, .Kod = 123, .Cialo = ZapisKarty);
