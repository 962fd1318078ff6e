// _OKlawisz: the goods number of every key, codes 33 to 255, one request per
// key, as "key<TAB>goods number". A register without the key table refuses
// the first request: 25.
#include "commands/command.h"

namespace {

constexpr uint8_t PIERWSZY_KLAWISZ = 33;
constexpr uint8_t OSTATNI_KLAWISZ = 255;

void OdczytKlawiszy() {
  for (unsigned kod = PIERWSZY_KLAWISZ; kod <= OSTATNI_KLAWISZ; ++kod) {
    Parametry().Bajt(static_cast<uint8_t>(kod));
    WykonanieRozkazu({OdczytKlawisza, 1, 1, 3});
    if (!BrakBledu()) {
      if (JestBlad(OdmowaRozkazu)) UstawBlad(RozkazNieobslugiwany);
      return;
    }
    const char klawisz = static_cast<char>(kod);
    if (!LiniaWyniku().Pole(std::string_view(&klawisz, 1)).Pole(Liczba(OdpowiedzWord(0), 4)).Zapisanie()) return;
  }
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OKlawisz, .Kod = 212, .Cialo = OdczytKlawiszy);
