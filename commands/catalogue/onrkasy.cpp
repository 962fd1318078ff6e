// _ONrKasy: the register's number, read while the session opens, as one data line.
#include "commands/command_entry.h"
#include "include/karvo.h"
#include "session/session_state.h"

namespace {

void ZapisanieNumeru() { ZapisanieLiniiWyniku(Sesja.Urzadzenie.NumerKasyTekst); }

}  // namespace

uint8_t Karvo_ONrKasy(const char* wejscie, const char* wyjscie) {
  OpisFunkcji opis{"ONrKasy"};
  opis.JestPlikWynikowy = 1;
  opis.SprawdzacNumerKasy = 0;
  return WykonanieFunkcji(opis, wejscie, wyjscie, ZapisanieNumeru);
}
