// _WyplGot: cash payouts from the input lines (cashier number, amount in the
// smallest currency unit), one request each. The register takes five bytes
// of the amount: a larger amount (2^40 or more) would be booked as another
// one, so it is refused with 19 and nothing is sent for its line.
#include "commands/cashdesk/cashier_records.h"

namespace {

constexpr std::size_t BAJTY_KWOTY = 5;

bool PolaWyplaty(const char* linia) {
  uint8_t kasjer = 0;
  uint8_t kwota[6] = {};
  if (!PoleByte(linia, 1, kasjer) || !PoleSzesciobajtowe(linia, 2, kwota)) return false;
  if (!WZakresie(kwota[BAJTY_KWOTY], 0, 0)) return false;
  Parametry().Bajt(kasjer).Bajty(kwota, BAJTY_KWOTY);
  return true;
}

void Wyplaty() { CialoZapisuLiniami({{KodRozkazu::WyplataGotowki, 1, 1 + BAJTY_KWOTY, 1}, PolaWyplaty}); }

}  // namespace

KARVO_FUNKCJA(WyplGot, .Kod = 412, .Cialo = Wyplaty);
