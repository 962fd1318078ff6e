#include "platform/console.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include <langinfo.h>
#include <locale.h>

#include <unistd.h>

namespace platforma {

// A terminal that belongs to another foreground job would stop us (SIGTTIN)
// on the first read, so only the foreground counts as interactive.
bool WejscieInteraktywne() { return isatty(STDIN_FILENO) == 1 && tcgetpgrp(STDIN_FILENO) == getpgrp(); }

void CzekanieNaKlawisz() {
  if (WejscieInteraktywne()) std::getchar();
}

bool BledyNaTerminalu() { return isatty(STDERR_FILENO) == 1; }

namespace {

// The upper half of code page 852 as Unicode code points.
constexpr char16_t GornaPolowa852[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x016F, 0x0107, 0x00E7,
    0x0142, 0x00EB, 0x0150, 0x0151, 0x00EE, 0x0179, 0x00C4, 0x0106,
    0x00C9, 0x0139, 0x013A, 0x00F4, 0x00F6, 0x013D, 0x013E, 0x015A,
    0x015B, 0x00D6, 0x00DC, 0x0164, 0x0165, 0x0141, 0x00D7, 0x010D,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x0104, 0x0105, 0x017D, 0x017E,
    0x0118, 0x0119, 0x00AC, 0x017A, 0x010C, 0x015F, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x011A,
    0x015E, 0x2563, 0x2551, 0x2557, 0x255D, 0x017B, 0x017C, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x0102, 0x0103,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,
    0x0111, 0x0110, 0x010E, 0x00CB, 0x010F, 0x0147, 0x00CD, 0x00CE,
    0x011B, 0x2518, 0x250C, 0x2588, 0x2584, 0x0162, 0x016E, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x0143, 0x0144, 0x0148, 0x0160, 0x0161,
    0x0154, 0x00DA, 0x0155, 0x0170, 0x00FD, 0x00DD, 0x0163, 0x00B4,
    0x00AD, 0x02DD, 0x02DB, 0x02C7, 0x02D8, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x02D9, 0x0171, 0x0158, 0x0159, 0x25A0, 0x00A0,
};

bool NazwaZUtf8(const char* nazwa) {
  std::string male;
  for (const char* p = nazwa; *p; ++p) male.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(*p))));
  return male.find("utf-8") != std::string::npos || male.find("utf8") != std::string::npos;
}

// The locale's name as the C library would take it: the first of LC_ALL,
// LC_CTYPE and LANG that is set and not empty.
const char* NazwaLokalizacji() {
  for (const char* zmienna : {"LC_ALL", "LC_CTYPE", "LANG"})
    if (const char* wartosc = std::getenv(zmienna); wartosc && *wartosc) return wartosc;
  return "";
}

}  // namespace

bool LokalizacjaUtf8() {
  // Asked of a locale object of its own, so that the process's locale stays as it is.
  if (locale_t lokalizacja = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr))) {
    const bool utf8 = NazwaZUtf8(nl_langinfo_l(CODESET, lokalizacja));
    freelocale(lokalizacja);
    return utf8;
  }
  // A locale that is not installed: its name still says what the terminal shows.
  return NazwaZUtf8(NazwaLokalizacji());
}

std::string Cp852NaUtf8(std::string_view tekst) {
  std::string wynik;
  for (const char znak : tekst) {
    const auto bajt = static_cast<unsigned char>(znak);
    if (bajt < 0x80) {
      wynik.push_back(znak);
      continue;
    }
    const char16_t kod = GornaPolowa852[bajt - 0x80];
    if (kod < 0x800) {
      wynik.push_back(static_cast<char>(0xC0 | (kod >> 6)));
    } else {
      wynik.push_back(static_cast<char>(0xE0 | (kod >> 12)));
      wynik.push_back(static_cast<char>(0x80 | ((kod >> 6) & 0x3F)));
    }
    wynik.push_back(static_cast<char>(0x80 | (kod & 0x3F)));
  }
  return wynik;
}

void KomunikatCp852(std::string_view tekst) {
  const std::string doWypisania = BledyNaTerminalu() && LokalizacjaUtf8() ? Cp852NaUtf8(tekst) : std::string(tekst);
  std::fwrite(doWypisania.data(), 1, doWypisania.size(), stderr);
  std::fflush(stderr);
}

}  // namespace platforma
