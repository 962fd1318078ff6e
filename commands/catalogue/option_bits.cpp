#include "commands/catalogue/option_bits.h"

#include "commands/command.h"
#include "protocol/option_bytes.h"

namespace {

// A register that takes neither form of the read does not offer the set.
void OdczytZestawu(uint8_t zestaw) {
  OdczytanieZestawuOpcji(zestaw);
  if (JestBlad(OdmowaRozkazu)) UstawBlad(RozkazNieobslugiwany);
}

// One input line: the bit number 1 to 24 and its new value 0 or 1; the
// bit changes in memory only, the set is written once the whole input is accepted.
template <uint8_t Zestaw>
bool PolaBitu(const char* linia) {
  uint8_t numer = 0, wartosc = 0;
  if (!PoleByte(linia, 1, numer) || !PoleBoolean(linia, 2, wartosc) ||
      !WZakresie(numer, 1, BITY_ZESTAWU, BladLiniiWejscia))
    return false;
  UstawienieBituOpcji(Zestaw, numer, wartosc != 0);
  return true;
}

void BezRozkazu() {}

using PolaLinii = bool (*)(const char*);
constexpr PolaLinii POLA_BITU[LICZBA_ZESTAWOW_OPCJI] = {PolaBitu<0>, PolaBitu<1>, PolaBitu<2>, PolaBitu<3>};

}  // namespace

void OdczytBitowOpcji(uint8_t zestaw) {
  OdczytZestawu(zestaw);
  for (uint8_t numer = 1; numer <= BITY_ZESTAWU && BrakBledu(); ++numer)
    LiniaWyniku().Pole(Liczba(numer, 3)).Pole(BitOpcji(zestaw, numer) ? "1" : "0").Zapisanie();
}

void ZapisBitowOpcji(uint8_t zestaw) {
  OdczytZestawu(zestaw);
  if (!BrakBledu() || zestaw >= LICZBA_ZESTAWOW_OPCJI) return;
  CialoZapisuLiniami({{}, POLA_BITU[zestaw], BezRozkazu});
  if (BrakBledu()) ZapisanieZestawuOpcji(zestaw);
}
