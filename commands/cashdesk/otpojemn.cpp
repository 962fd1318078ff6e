// _OTPojemn: for each goods number of the input lines, the container it is
// linked to: goods number (at least five digits), container (at least two).
#include "commands/cashdesk/container_records.h"

namespace {

uint16_t towar = 0;

bool NumerTowaru(const char* linia) {
  if (!PoleWord(linia, 1, towar)) return false;
  Parametry().Word(towar);
  return true;
}

void OdczytPowiazania() {
  WykonanieRozkazu({OdczytPojemnikaTowaru, 1, 2, 2});
  if (BrakBledu()) LiniaWyniku().Pole(Liczba(towar, 5)).Pole(Liczba(OdpowiedzByte(0), 2)).Zapisanie();
}

void OdczytPowiazan() {
  if (KasaMaPojemniki()) CialoZapisuLiniami({{}, NumerTowaru, OdczytPowiazania});
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OTPojemn, .Kod = 53, .Cialo = OdczytPowiazan);
