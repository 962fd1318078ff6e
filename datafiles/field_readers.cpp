#include "datafiles/field_readers.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "datafiles/line_errors.h"
#include "include/karvo.h"
#include "state/result_codes.h"
#include "state/session_state.h"

namespace {

// How many fields the line has (an empty one counts too).
uint8_t LiczbaPol(const char* linia) {
  if (!linia || !linia[0]) return 0;
  unsigned ile = 1;
  for (const char* p = linia; *p; ++p) ile += *p == '\t';
  return static_cast<uint8_t>(ile > 255 ? 255 : ile);
}

bool Blad(const char* linia, uint8_t k, const std::string& dlaczego) {
  UstawBlad(BladLiniiWejscia);
  ZapamietanieBleduPola(linia, k, dlaczego);
  return false;
}

// The field, or false with ResultCode 11.
bool Pole(const char* linia, uint8_t k, char* pole) {
  if (NapisZawieraDana(linia, k, pole)) return true;
  const uint8_t ile = LiczbaPol(linia);
  if (k > ile) return Blad(linia, k, "missing (the line has " + std::to_string(ile) + (ile == 1 ? " field)" : " fields)"));
  return Blad(linia, k, "empty");
}

// The field's text as a message quotes it: bytes outside printable ASCII as \xNN.
std::string Cytat(const char* pole) {
  std::string wynik = "\"";
  for (const char* p = pole; *p && wynik.size() < 40; ++p) {
    const auto bajt = static_cast<unsigned char>(*p);
    if (bajt >= 0x20 && bajt < 0x7F) {
      wynik.push_back(*p);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", bajt);
      wynik += hex;
    }
  }
  return wynik + "\"";
}

// Why a field is not a whole number of minimum..maksimum.
std::string NieLiczba(const char* pole, uint32_t maksimum) {
  uint32_t wartosc = 0;
  if (PoprawnaLiczbaTypuLong(pole, &wartosc)) return Cytat(pole) + " is above " + std::to_string(maksimum);
  uint8_t szesc[6]{};
  if (PoprawnaLiczbaSzesciobajtowa(pole, szesc)) return Cytat(pole) + " is above " + std::to_string(maksimum);
  uint8_t miejsca = 0;
  if (PoprawnaLiczbaZmiennoprzecinkowa(pole, &wartosc, &miejsca) && std::strpbrk(pole, ".,"))
    return Cytat(pole) + " is not a whole number (0 to " + std::to_string(maksimum) + ")";
  return Cytat(pole) + " is not a number (0 to " + std::to_string(maksimum) + ")";
}

bool Liczba(const char* linia, uint8_t k, char* pole, bool poprawna, uint32_t maksimum) {
  return poprawna || Blad(linia, k, NieLiczba(pole, maksimum));
}

// How many characters of UTF-8 of two bytes or more a text holds.
std::size_t ZnakiUtf8(const char* tekst) {
  std::size_t ile = 0;
  for (const auto* p = reinterpret_cast<const unsigned char*>(tekst); *p;) {
    const int dalsze = (*p & 0xE0) == 0xC0 ? 1 : (*p & 0xF0) == 0xE0 ? 2 : (*p & 0xF8) == 0xF0 ? 3 : 0;
    int n = 0;
    while (dalsze && n < dalsze && (p[n + 1] & 0xC0) == 0x80) ++n;
    if (dalsze && n == dalsze) {
      ++ile;
      p += 1 + dalsze;
    } else {
      ++p;
    }
  }
  return ile;
}

std::string Znakow(std::size_t n) { return std::to_string(n) + (n == 1 ? " character" : " characters"); }

// Why a text of `dlugosc` characters does not fit: "18 characters where 19 are needed".
std::string ZlaDlugosc(const char* tekst, std::size_t dlugosc, const char* ile) {
  std::string dlaczego = Znakow(strnlen(tekst, DLUGOSC_NAPISU)) + " where " + ile + std::to_string(dlugosc) +
                         (dlugosc == 1 && ile[0] == 0 ? " is needed" : " are needed");
  if (const std::size_t utf8 = ZnakiUtf8(tekst))
    dlaczego += "; it holds " + std::to_string(utf8) +
                (utf8 == 1 ? " UTF-8 letter of 2 or more bytes" : " UTF-8 letters of 2 or more bytes each") +
                ": write texts in the register's one-byte code page";
  return dlaczego;
}

}  // namespace

bool PoleByte(const char* linia, uint8_t k, uint8_t& wartosc) {
  Napis pole{};
  return Pole(linia, k, pole) && Liczba(linia, k, pole, PoprawnaLiczbaTypuByte(pole, &wartosc), 255);
}

bool PoleWord(const char* linia, uint8_t k, uint16_t& wartosc) {
  Napis pole{};
  uint32_t slowo = 0;
  if (!Pole(linia, k, pole) || !Liczba(linia, k, pole, PoprawnaLiczbaTypuWord(pole, &slowo), 65535)) return false;
  wartosc = static_cast<uint16_t>(slowo);
  return true;
}

bool PoleLong(const char* linia, uint8_t k, uint32_t& wartosc) {
  Napis pole{};
  return Pole(linia, k, pole) && Liczba(linia, k, pole, PoprawnaLiczbaTypuLong(pole, &wartosc), 4294967295u);
}

bool PoleBoolean(const char* linia, uint8_t k, uint8_t& wartosc) {
  Napis pole{};
  return Pole(linia, k, pole) &&
         (PoprawnaLiczbaTypuBoolean(pole, &wartosc) || Blad(linia, k, Cytat(pole) + " is neither 0 nor 1"));
}

bool PoleSzesciobajtowe(const char* linia, uint8_t k, uint8_t (&liczba)[6]) {
  Napis pole{};
  return Pole(linia, k, pole) &&
         (PoprawnaLiczbaSzesciobajtowa(pole, liczba) ||
          Blad(linia, k,
               Cytat(pole) + " is not a number (decimal digits, hexadecimal as $1A, 1AH or 0x1A, or 1 to 6 "
                             "characters between apostrophes)"));
}

bool PoleTekst(const char* linia, uint8_t k, std::size_t dlugosc, char* tekst) {
  return Pole(linia, k, tekst) &&
         (strnlen(tekst, DLUGOSC_NAPISU) == dlugosc || Blad(linia, k, ZlaDlugosc(tekst, dlugosc, "")));
}

bool PoleTekstCoNajmniej(const char* linia, uint8_t k, std::size_t najmniej, char* tekst) {
  NapisZawieraDana(linia, k, tekst);
  return strnlen(tekst, DLUGOSC_NAPISU) >= najmniej || Blad(linia, k, ZlaDlugosc(tekst, najmniej, "at least "));
}

bool PoleNapis(const char* linia, uint8_t k, char* tekst) { return Pole(linia, k, tekst); }

bool WZakresie(uint32_t wartosc, uint32_t minimum, uint32_t maksimum, uint8_t kod) {
  if (wartosc >= minimum && wartosc <= maksimum) return true;
  UstawWynik(kod);
  return false;
}
