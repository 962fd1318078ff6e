// _OPSprzed: the periodic sales records, appended one line a record (mode 0,
// or mode 3 with check bytes on the registers that hand them out).
#include "commands/command.h"
#include "commands/sales/periodic_readout.h"

namespace {

void OdczytSprzedazyOkresowej() { OdczytOkresowyPolecenia(TrybAD, TrybAD_Suma); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OPSprzed, .Kod = 310, .NowyPlikWynikowy = 0, .Cialo = OdczytSprzedazyOkresowej);
