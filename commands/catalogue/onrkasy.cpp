// _ONrKasy: the register's number, read while the session opens, as one data
// line. The line is written only from an answer that passed: two digits, with
// no byte after them that no answer has (else 23 and no line).
#include "commands/command.h"
#include "protocol/line.h"

namespace {

void ZapisanieNumeru() {
  uint8_t numer = 0;
  if (!PoprawnaLiczbaTypuByte(Sesja.Urzadzenie.NumerKasyTekst, &numer)) return UstawBlad(NieoczekiwanaOdpowiedz);
  if (!CiszaPoOdpowiedzi()) return;
  LiniaWyniku().Pole(Sesja.Urzadzenie.NumerKasyTekst).Zapisanie();
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ONrKasy, .Kod = 113, .SprawdzacNumerKasy = 0, .Cialo = ZapisanieNumeru);
