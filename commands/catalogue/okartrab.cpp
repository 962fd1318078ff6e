// _OKartRab: the discount card record as one line of 22 fields.
#include "commands/catalogue/discount_card.h"
#include "commands/command.h"

namespace {

Fragment Bajt(const uint8_t* karta, uint8_t i) { return LiczbaBajtowNaTekst(karta, i, i, 0, false); }

void LiniaKarty() {
  const uint8_t* karta = Odpowiedz(0);
  LiniaWyniku linia;
  linia.Pole(Bajt(karta, 0)).Pole(Bajt(karta, 1)).PoleBezZer(karta + POCZATEK_KODU_KARTY, DLUGOSC_KODU_KARTY);
  for (uint8_t i = POCZATEK_WARTOSCI_KARTY; i < DLUGOSC_KARTY; ++i) linia.Pole(Bajt(karta, i));
  linia.Zapisanie();
}

void OdczytKarty() {
  CialoPojedynczejOdpowiedzi({{KodRozkazu::OdczytKartyRabatowej, 1 + DLUGOSC_KARTY, 0, 0}, LiniaKarty});
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OKartRab, .Kod = 122, .Cialo = OdczytKarty);
