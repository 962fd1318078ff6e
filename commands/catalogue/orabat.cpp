// _ORabat: the register's discount byte as one line.
#include "commands/command.h"

namespace {

void LiniaRabatu() { LiniaWyniku().Pole(Liczba(OdpowiedzByte(0))).Zapisanie(); }

void OdczytRabatu() { CialoPojedynczejOdpowiedzi({{KodRozkazu::OdczytRabatu, 2, 0, 0}, LiniaRabatu}); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ORabat, .Kod = 111, .Cialo = OdczytRabatu);
