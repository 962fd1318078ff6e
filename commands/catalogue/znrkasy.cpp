// _ZNrKasy: gives the register a new number, 1 to 99, from the first data line.

#include "commands/command_entry.h"
#include "include/karvo.h"
#include "session/result_codes.h"
#include "session/session_state.h"

namespace {

constexpr Rozkaz ZAPIS_NUMERU{0x43, 1, 2, 0};

bool NumerZLinii(const char* linia) {
  char pole[256]{};
  uint8_t numer = 0;
  if (!NapisZawieraDana(linia, 1, pole) || !PoprawnaLiczbaTypuByte(pole, &numer)) return false;
  if (numer < 1 || numer > 99) {
    UstawBlad(19);
    return false;
  }
  // The register takes its number as two decimal characters.
  Sesja.Wymiana.ObszarParametrow[0] = static_cast<uint8_t>('0' + numer / 10);
  Sesja.Wymiana.ObszarParametrow[1] = static_cast<uint8_t>('0' + numer % 10);
  return true;
}

void ZapisanieNumeru() {
  ZapisLiniami zapis{ZAPIS_NUMERU, NumerZLinii};
  zapis.TylkoPierwszaLinia = true;
  CialoZapisuLiniami(zapis);
}

}  // namespace

uint8_t Karvo_ZNrKasy(const char* wejscie) {
  OpisFunkcji opis{"ZNrKasy"};
  opis.SprawdzacNumerKasy = 0;
  return WykonanieFunkcji(opis, wejscie, nullptr, ZapisanieNumeru);
}
