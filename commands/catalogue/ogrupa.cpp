// _OGrupa: the group names, one line per group (the number with at least two
// digits, the 19 characters), until the register has no more groups.
#include "commands/catalogue/name_tables.h"

namespace {

constexpr uint8_t KONIEC_GRUP = WynikStatusuKasy(0x0A);  // 110: no such group

bool LiniaGrupy(uint32_t numer, LiniaWyniku& linia) {
  linia.Pole(Liczba(numer, 2)).Pole(Znaki(Odpowiedz(0), SZEROKOSC_GRUPY));
  return true;
}

// The number is one parameter byte: a register that answers every number
// is read up to 255 and never round again from 0.
void OdczytGrup() {
  CialoOdczytuRekordow({{KodRozkazu::OdczytGrupy, 1, 1, 1 + SZEROKOSC_GRUPY}, KONIEC_GRUP, LiniaGrupy});
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OGrupa, .Kod = 17, .Cialo = OdczytGrup);
