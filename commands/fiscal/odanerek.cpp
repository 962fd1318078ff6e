// _ODaneRek: the fiscal memory records whose numbers the input file lists, one
// a line, in the order given; the first failure ends the command.
#include "commands/command.h"
#include "commands/fiscal/fiscal_records.h"

namespace {

bool NumerRekordu(const char* linia, uint16_t& numer) { return PoleWord(linia, 1, numer); }

void OdczytWskazanego(uint16_t& numer) { OdczytanieRekordu(numer); }

void OdczytWskazanychRekordow() {
  uint16_t numer = 0;
  CialoZapisuLiniami({.rozkaz = {}, .Pola = NumerRekordu, .Wyslanie = OdczytWskazanego}, numer);
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ODaneRek, .Kod = 317, .Cialo = OdczytWskazanychRekordow);
