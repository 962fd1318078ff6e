// _OZegar: the register's clock as one line, "DD.MM.YY" and "HH:MM": the
// register answers ten bytes, one decimal digit each.
#include "commands/command.h"

namespace {

void LiniaZegara() {
  const uint8_t* c = Odpowiedz(0);
  LiniaWyniku()
      .Pole(Liczba(c[0]), Liczba(c[1]), ".", Liczba(c[2]), Liczba(c[3]), ".", Liczba(c[4]), Liczba(c[5]))
      .Pole(Liczba(c[6]), Liczba(c[7]), ":", Liczba(c[8]), Liczba(c[9]))
      .Zapisanie();
}

void OdczytZegara() { CialoPojedynczejOdpowiedzi({{KodRozkazu::OdczytZegara, 11, 0, 0}, LiniaZegara}); }

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OZegar, .Kod = 120, .Cialo = OdczytZegara);
