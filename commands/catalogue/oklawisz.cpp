// _OKlawisz: the goods number of every key, codes 33 to 255, one request per
// key, as "key<TAB>goods number". A register without the key table refuses
// the first request: 25.
#include "commands/command.h"

namespace {

constexpr uint8_t PIERWSZY_KLAWISZ = 33;
constexpr uint8_t OSTATNI_KLAWISZ = 255;

bool LiniaKlawisza(uint32_t kod, LiniaWyniku& linia) {
  const char klawisz = static_cast<char>(kod);
  linia.Pole(std::string_view(&klawisz, 1)).Pole(Liczba(OdpowiedzWord(0), 4));
  return true;
}

void OdczytKlawiszy() {
  CialoOdczytuRekordow({.rozkaz = {KodRozkazu::OdczytKlawisza, 1, 1, 3},
                        .Linia = LiniaKlawisza,
                        .Ostatni = OSTATNI_KLAWISZ,
                        .Pierwszy = PIERWSZY_KLAWISZ,
                        .KodBrakuTablicy = KodBledu(OdmowaRozkazu)});
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OKlawisz, .Kod = 212, .Cialo = OdczytKlawiszy);
