// The CommandCode table: every command file registers its descriptor here as
// the program (or the library) loads, before main runs.
#include <cstddef>

#include "commands/command_entry.h"

namespace {

// A plain array is filled before any registration runs (constant
// initialisation), so the order in which the command files load does not matter.
constexpr std::size_t NAJWIECEJ_FUNKCJI = 128;
PozycjaFunkcji Tablica[NAJWIECEJ_FUNKCJI];
std::size_t Liczba = 0;

void Rejestracja(const PozycjaFunkcji& pozycja) {
  if (Liczba < NAJWIECEJ_FUNKCJI) Tablica[Liczba++] = pozycja;
}

}  // namespace

RejestracjaFunkcji::RejestracjaFunkcji(const OpisFunkcji& opis, FunkcjaWejscia wejscie) {
  Rejestracja({&opis, wejscie, nullptr});
}

RejestracjaFunkcji::RejestracjaFunkcji(const OpisFunkcji& opis, FunkcjaWejsciaIWyjscia wejscieIWyjscie) {
  Rejestracja({&opis, nullptr, wejscieIWyjscie});
}

const PozycjaFunkcji* ZnalezienieFunkcji(int32_t kod) {
  for (std::size_t i = 0; i < Liczba; ++i)
    if (Tablica[i].Opis->Kod == kod) return &Tablica[i];
  return nullptr;
}

const PozycjaFunkcji* PozycjeFunkcji(std::size_t& liczba) {
  liczba = Liczba;
  return Tablica;
}
