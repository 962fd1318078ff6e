// _ODataARG: the date of data set ARG as one line, "DD.MM.YY".
#include "commands/command.h"
#include "commands/fiscal/fiscal_records.h"

namespace {

void OdczytDatyARG() { ZapisanieDatyZbioru(KodRozkazu::OdczytDatyARG); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ODataARG, .Kod = 314, .Cialo = OdczytDatyARG);
