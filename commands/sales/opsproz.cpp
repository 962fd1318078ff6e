// _OPSpRoz: the periodic sales records with their dates, appended one line a
// record (mode 1, or mode 4 with check bytes on the registers that hand them out).
#include "commands/command.h"
#include "commands/sales/periodic_readout.h"

namespace {

void OdczytSprzedazyRozszerzonej() { OdczytOkresowyPolecenia(TrybEE, TrybEE_Suma); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OPSpRoz, .Kod = 311, .NowyPlikWynikowy = 0, .Cialo = OdczytSprzedazyRozszerzonej);
