// _ONNazwa: one byte of the goods record for each goods number listed in the
// input file, as "number<TAB>byte". Registers of type codes 24 and 27 have no
// such byte: the command answers 25 without reading the input.
#include "commands/command.h"

namespace {

void Odczyt(uint16_t& numer) {
  WykonanieRozkazu({KodRozkazu::OdczytBajtuTowaru, 1, 2, 2});
  if (BrakBledu()) LiniaWyniku().Pole(Liczba(numer, 4)).Pole(Liczba(OdpowiedzByte(0))).Zapisanie();
}

void OdczytBajtow() {
  if (KasaTypu24Lub27()) {
    UstawBlad(RozkazNieobslugiwany);
    return;
  }
  uint16_t numer = 0;
  CialoZapisuLiniami({.rozkaz = {}, .Pola = NumerJakoParametr, .Wyslanie = Odczyt}, numer);
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ONNazwa, .Kod = 28, .Cialo = OdczytBajtow);
