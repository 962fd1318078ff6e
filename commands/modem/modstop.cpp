// _ModStop: takes the modem back to its commands and hangs up.
#include "commands/command.h"
#include "commands/modem/modem_line.h"

namespace {

void Rozlaczenie() {
  if (!JestNosnaModemu()) return UstawBlad(BrakNosnej);
  // The escape counts only with a silence on either side of it.
  PauzaModemu(PAUZA_ESKAPE_MS);
  if (!WyslanieKomendyModemu(KOMENDA_ESKAPE)) return;
  PauzaModemu(PAUZA_ESKAPE_MS);
  if (WyslanieKomendyModemu(KOMENDA_ROZLACZENIA)) CzekanieNaNosna(false);
}

}  // namespace

KARVO_FUNKCJA(ModStop, .Kod = 62, .OdczytacNumerKasy = 0, .OdczytacTypKasy = 0, .Cialo = Rozlaczenie);
