// _ONrParag: the number of the register's last receipt, as one line.
#include "commands/cashdesk/report_counters.h"
#include "commands/command.h"

namespace {

void OdczytNumeruParagonu() { OdczytLicznika(KodRozkazu::OdczytNumeruParagonu); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ONrParag, .Kod = 321, .Cialo = OdczytNumeruParagonu);
