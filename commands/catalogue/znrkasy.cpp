// _ZNrKasy: gives the register a new number, 1 to 99, from the first data line.
#include "commands/command.h"

namespace {

bool NumerZLinii(const char* linia) {
  uint8_t numer = 0;
  if (!PoleByte(linia, 1, numer) || !WZakresie(numer, 1, 99)) return false;
  // The register takes its number as two decimal characters.
  Parametry().Tekst(Liczba(numer, 2).Tekst, 2);
  return true;
}

void ZapisanieNumeru() {
  ZapisLiniami<> zapis{{KodRozkazu::ZapisNumeruKasy, 1, 2, 0}, NumerZLinii};
  zapis.TylkoPierwszaLinia = true;
  CialoZapisuLiniami(zapis);
}

}  // namespace

KARVO_FUNKCJA(ZNrKasy, .Kod = 114, .SprawdzacNumerKasy = 0, .Cialo = ZapisanieNumeru);
