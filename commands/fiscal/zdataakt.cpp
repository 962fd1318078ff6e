// _ZDataAkt: the register sets the current date of its data set; no data file
// is read or written beyond the session's own lines.
#include "commands/command.h"

namespace {

void UstawienieDaty() { WykonanieRozkazu({KodRozkazu::UstawienieDatyAktualnej, 1, 0, 0}); }

}  // namespace

KARVO_FUNKCJA(ZDataAkt, .Kod = 316, .Cialo = UstawienieDaty);
