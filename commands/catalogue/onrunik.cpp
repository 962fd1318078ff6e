// _ONrUnik: the register's unique number, the identification text read while
// the session opens, as one line; no further request.
#include "commands/command.h"

namespace {

void ZapisanieNumeruUnikatowego() { LiniaWyniku().Pole(Sesja.Urzadzenie.IdentyfikatorUrzadzenia).Zapisanie(); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ONrUnik, .Kod = 121, .Cialo = ZapisanieNumeruUnikatowego);
