// _ODaneARG: the 24 entries of data set ARG, one line each; on the Norda
// registers its date line comes first.
#include "commands/command.h"
#include "commands/fiscal/fiscal_records.h"

namespace {

void OdczytDanychARG() { ZapisanieDanychZbioru(KodRozkazu::OdczytDatyARG, KodRozkazu::OdczytDanychARG); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ODaneARG, .Kod = 312, .Cialo = OdczytDanychARG);
