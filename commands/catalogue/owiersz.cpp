// _OWiersz: the register's line-count byte as one line.
#include "commands/command.h"

namespace {

void LiniaLiczbyWierszy() { LiniaWyniku().Pole(Liczba(OdpowiedzByte(0))).Zapisanie(); }

void OdczytLiczbyWierszy() {
  CialoPojedynczejOdpowiedzi({{KodRozkazu::OdczytLiczbyWierszy, 2, 0, 0}, LiniaLiczbyWierszy});
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OWiersz, .Kod = 115, .Cialo = OdczytLiczbyWierszy);
