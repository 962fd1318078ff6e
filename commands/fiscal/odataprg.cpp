// _ODataPRG: the date of data set PRG as one line, "DD.MM.YY".
#include "commands/command.h"
#include "commands/fiscal/fiscal_records.h"

namespace {

void OdczytDatyPRG() { ZapisanieDatyZbioru(KodRozkazu::OdczytDatyPRG); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ODataPRG, .Kod = 315, .Cialo = OdczytDatyPRG);
