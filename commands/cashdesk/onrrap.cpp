// _ONrRap: the number of the register's last daily report, as one line.
#include "commands/cashdesk/report_counters.h"
#include "commands/command.h"

namespace {

void OdczytNumeruRaportu() { OdczytLicznika(KodRozkazu::OdczytNumeruRaportu); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ONrRap, .Kod = 320, .Cialo = OdczytNumeruRaportu);
