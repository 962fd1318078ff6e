// _ODaneRek: the fiscal memory records whose numbers the input file lists, one
// a line, in the order given; the first failure ends the command.
#include "commands/command.h"
#include "commands/fiscal/fiscal_records.h"

namespace {

uint16_t numerRekordu = 0;

bool NumerRekordu(const char* linia) { return PoleWord(linia, 1, numerRekordu); }

void OdczytWskazanego() { OdczytanieRekordu(numerRekordu); }

void OdczytWskazanychRekordow() {
  CialoZapisuLiniami({.rozkaz = {}, .Pola = NumerRekordu, .Wyslanie = OdczytWskazanego});
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ODaneRek, .Kod = 317, .Cialo = OdczytWskazanychRekordow);
