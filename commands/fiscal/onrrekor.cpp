// _ONrRekor: how many records the fiscal memory holds, as one line.
#include "commands/command.h"
#include "commands/fiscal/fiscal_records.h"

namespace {

void OdczytLiczbyRekordow() { OdczytanieLicznika(KodRozkazu::OdczytNumeruRekordu); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ONrRekor, .Kod = 319, .Cialo = OdczytLiczbyRekordow);
