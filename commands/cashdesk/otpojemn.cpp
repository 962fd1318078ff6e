// _OTPojemn: for each goods number of the input lines, the container it is
// linked to: goods number (at least five digits), container (at least two).
#include "commands/cashdesk/container_records.h"

namespace {

void OdczytPowiazania(uint16_t& towar) {
  WykonanieRozkazu({KodRozkazu::OdczytPojemnikaTowaru, 1, 2, 2});
  if (BrakBledu()) LiniaWyniku().Pole(Liczba(towar, 5)).Pole(Liczba(OdpowiedzByte(0), 2)).Zapisanie();
}

void OdczytPowiazan() {
  uint16_t towar = 0;
  if (KasaMaPojemniki()) CialoZapisuLiniami({{}, NumerJakoParametr, OdczytPowiazania}, towar);
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OTPojemn, .Kod = 53, .Cialo = OdczytPowiazan);
