#include "datafiles/field_readers.h"

#include <cstring>

#include "include/karvo.h"
#include "state/result_codes.h"
#include "state/session_state.h"

namespace {

// The field, or false with ResultCode 11.
bool Pole(const char* linia, uint8_t k, char* pole) {
  if (NapisZawieraDana(linia, k, pole)) return true;
  UstawBlad(BladLiniiWejscia);
  return false;
}

bool Poprawne(bool poprawne) {
  if (!poprawne) UstawBlad(BladLiniiWejscia);
  return poprawne;
}

}  // namespace

bool PoleByte(const char* linia, uint8_t k, uint8_t& wartosc) {
  Napis pole{};
  return Pole(linia, k, pole) && Poprawne(PoprawnaLiczbaTypuByte(pole, &wartosc));
}

bool PoleWord(const char* linia, uint8_t k, uint16_t& wartosc) {
  Napis pole{};
  uint32_t slowo = 0;
  if (!Pole(linia, k, pole) || !Poprawne(PoprawnaLiczbaTypuWord(pole, &slowo))) return false;
  wartosc = static_cast<uint16_t>(slowo);
  return true;
}

bool PoleLong(const char* linia, uint8_t k, uint32_t& wartosc) {
  Napis pole{};
  return Pole(linia, k, pole) && Poprawne(PoprawnaLiczbaTypuLong(pole, &wartosc));
}

bool PoleBoolean(const char* linia, uint8_t k, uint8_t& wartosc) {
  Napis pole{};
  return Pole(linia, k, pole) && Poprawne(PoprawnaLiczbaTypuBoolean(pole, &wartosc));
}

bool PoleSzesciobajtowe(const char* linia, uint8_t k, uint8_t (&liczba)[6]) {
  Napis pole{};
  return Pole(linia, k, pole) && Poprawne(PoprawnaLiczbaSzesciobajtowa(pole, liczba));
}

bool PoleTekst(const char* linia, uint8_t k, std::size_t dlugosc, char* tekst) {
  return Pole(linia, k, tekst) && Poprawne(strnlen(tekst, DLUGOSC_NAPISU) == dlugosc);
}

bool PoleTekstCoNajmniej(const char* linia, uint8_t k, std::size_t najmniej, char* tekst) {
  NapisZawieraDana(linia, k, tekst);
  return Poprawne(strnlen(tekst, DLUGOSC_NAPISU) >= najmniej);
}

bool PoleNapis(const char* linia, uint8_t k, char* tekst) { return Pole(linia, k, tekst); }

bool WZakresie(uint32_t wartosc, uint32_t minimum, uint32_t maksimum, uint8_t kod) {
  if (wartosc >= minimum && wartosc <= maksimum) return true;
  UstawWynik(kod);
  return false;
}
