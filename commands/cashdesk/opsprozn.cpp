// _OPSpRozN: the periodic sales records in their long form, appended one line
// a record: mode 5 (check bytes) on the registers that hand it out, else mode
// 2. A register that refuses the readout (24 or 208) gives 25.
#include "commands/command.h"
#include "commands/sales/periodic_readout.h"

namespace {

void OdczytSprzedazyRozszerzonejN() { OdczytOkresowyPolecenia(TrybD6, TrybD6_Suma); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OPSpRozN, .Kod = 323, .NowyPlikWynikowy = 0, .Cialo = OdczytSprzedazyRozszerzonejN);
