// _KKlawisz: takes the goods number off the keys in field 1 (goods number 0).
// A key the register's keyboard does not have (105) is reported as 25.
#include "commands/command.h"

namespace {

constexpr uint8_t WYNIK_BRAK_KLAWISZA = WynikStatusuKasy(0x05);  // 105

bool PolaKlawisza(const char* linia) {
  Napis klawisz{};
  if (!PoleTekst(linia, 1, 1, klawisz)) return false;
  Parametry().Bajt(static_cast<uint8_t>(klawisz[0])).Word(0);
  return true;
}

void Kasowanie() {
  WykonanieRozkazu({KodRozkazu::ZapisKlawisza, 1, 3, 1});
  if (Sesja.BiezacyWynik == WYNIK_BRAK_KLAWISZA) UstawBlad(RozkazNieobslugiwany);
}

void KasowanieKlawiszy() { CialoZapisuLiniami({.rozkaz = {}, .Pola = PolaKlawisza, .Wyslanie = Kasowanie}); }

}  // namespace

KARVO_FUNKCJA(KKlawisz, .Kod = 214, .Cialo = KasowanieKlawiszy);
