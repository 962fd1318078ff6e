// _ODanePRG: the 24 entries of data set PRG, one line each; on the Norda
// registers its date line comes first.
#include "commands/command.h"
#include "commands/fiscal/fiscal_records.h"

namespace {

void OdczytDanychPRG() { ZapisanieDanychZbioru(KodRozkazu::OdczytDatyPRG, KodRozkazu::OdczytDanychPRG); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ODanePRG, .Kod = 313, .Cialo = OdczytDanychPRG);
