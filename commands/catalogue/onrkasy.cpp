// _ONrKasy: the register's number, read while the session opens, as one data line.
#include "commands/command.h"

namespace {

void ZapisanieNumeru() { LiniaWyniku().Pole(Sesja.Urzadzenie.NumerKasyTekst).Zapisanie(); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ONrKasy, .Kod = 113, .SprawdzacNumerKasy = 0, .Cialo = ZapisanieNumeru);
