// _ONNazwa: one byte of the goods record for each goods number listed in the
// input file, as "number<TAB>byte". Registers of type codes 24 and 27 have no
// such byte: the command answers 25 without reading the input.
#include "commands/command.h"

namespace {

uint16_t Numer = 0;

bool NumerZLinii(const char* linia) {
  if (!PoleWord(linia, 1, Numer)) return false;
  Parametry().Word(Numer);
  return true;
}

void Odczyt() {
  WykonanieRozkazu({OdczytBajtuTowaru, 1, 2, 2});
  if (BrakBledu()) LiniaWyniku().Pole(Liczba(Numer, 4)).Pole(Liczba(OdpowiedzByte(0))).Zapisanie();
}

void OdczytBajtow() {
  if (KasaTypu24Lub27()) {
    UstawBlad(RozkazNieobslugiwany);
    return;
  }
  CialoZapisuLiniami({.rozkaz = {}, .Pola = NumerZLinii, .Wyslanie = Odczyt});
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ONNazwa, .Kod = 28, .Cialo = OdczytBajtow);
