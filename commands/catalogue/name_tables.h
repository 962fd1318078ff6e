// The register's name tables: units, groups and forms of payment. Each name
// has the table's fixed width; a writing command takes lines of the entry
// number and a name of exactly that width, and sends one request per line.
#pragma once

#include "commands/command.h"

constexpr uint8_t SZEROKOSC_JEDNOSTKI = 4;
constexpr uint8_t SZEROKOSC_GRUPY = 19;
constexpr uint8_t SZEROKOSC_PLATNOSCI = 13;

template <uint8_t Szerokosc>
bool PolaNazwy(const char* linia) {
  uint8_t numer = 0;
  Napis nazwa{};
  if (!PoleByte(linia, 1, numer) || !PoleTekst(linia, 2, Szerokosc, nazwa)) return false;
  Parametry().Bajt(numer).Tekst(nazwa, Szerokosc);
  return true;
}

// The register refuses a number it does not have; the command does not check it.
template <KodRozkazu Kod, uint8_t Szerokosc>
void ZapisNazw() {
  CialoZapisuLiniami({{Kod, 1, 1 + Szerokosc, 1}, PolaNazwy<Szerokosc>});
}
