#include "text/debug_trace.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/console.h"
#include "platform/files.h"

namespace {

constexpr int NajwiecejSegmentow = 18;
constexpr std::size_t DlugoscLinii = 255;  // the line buffer holds 255 bytes and the terminator
constexpr const char* PrzedrostekLinii = "***DEBUG*";

struct Segment {
  char Konwersja = 0;  // 0 for the text before the first "%"
  int Szerokosc = -1;  // the digit after %d (or %s), -1 when none
  const char* Tekst = nullptr;
  std::size_t Dlugosc = 0;
};

// Cuts the format at each "%"; answers the number of segments, which may be
// more than the table holds (then only the count matters).
int PodzialFormatu(const char* format, Segment (&segmenty)[NajwiecejSegmentow]) {
  int liczba = 0;
  const char* p = format;
  for (;;) {
    Segment s;
    if (liczba > 0) {
      s.Konwersja = *p;
      if (*p) ++p;
      if ((s.Konwersja == 'd' || s.Konwersja == 's') && *p >= '0' && *p <= '9') s.Szerokosc = *p++ - '0';
    }
    s.Tekst = p;
    while (*p && *p != '%') ++p;
    s.Dlugosc = static_cast<std::size_t>(p - s.Tekst);
    if (liczba < NajwiecejSegmentow) segmenty[liczba] = s;
    ++liczba;
    if (!*p) return liczba;
    ++p;  // the "%"
  }
}

void Dopisanie(std::string& linia, const char* tekst, std::size_t dlugosc) {
  linia.append(tekst, std::min(dlugosc, DlugoscLinii - std::min(linia.size(), DlugoscLinii)));
}

void Dopisanie(std::string& linia, const std::string& tekst) { Dopisanie(linia, tekst.data(), tekst.size()); }

std::string Liczba(int32_t wartosc, int szerokosc) {
  const uint32_t modul = wartosc < 0 ? 0u - static_cast<uint32_t>(wartosc) : static_cast<uint32_t>(wartosc);
  std::string cyfry = std::to_string(modul);
  if (szerokosc > 0 && cyfry.size() < static_cast<std::size_t>(szerokosc))
    cyfry.insert(0, static_cast<std::size_t>(szerokosc) - cyfry.size(), '0');
  return wartosc < 0 ? "-" + cyfry : cyfry;
}

void NaKonsole(const std::string& tekst) {
  std::fwrite(tekst.data(), 1, tekst.size(), stdout);
  std::fflush(stdout);
}

// The trace file is opened for every write and closed again; one that cannot
// be opened is skipped.
void DoPliku(const std::string& nazwa, const std::string& tekst) {
  std::FILE* plik = std::fopen(platforma::DopasowanaSciezka(nazwa.c_str()).c_str(), "ab");
  if (!plik) return;
  std::fwrite(tekst.data(), 1, tekst.size(), plik);
  std::fclose(plik);
}

}  // namespace

void Printf(int32_t, const char* format, ...) {
  if (!format) return;
  Segment segmenty[NajwiecejSegmentow];
  const int liczba = PodzialFormatu(format, segmenty);
  if (liczba > NajwiecejSegmentow) {
    NaKonsole("ERROR: funkcji Printf, za duzo parametrow !!!");
    return;
  }
  std::string linia = PrzedrostekLinii;
  std::string plik = "debug.txt";
  Dopisanie(linia, segmenty[0].Tekst, segmenty[0].Dlugosc);
  std::va_list argumenty;
  va_start(argumenty, format);
  for (int i = 1; i < liczba; ++i) {
    const Segment& s = segmenty[i];
    switch (s.Konwersja) {
      case 'c': {
        const char znak = static_cast<char>(va_arg(argumenty, int));
        if (znak) Dopisanie(linia, &znak, 1);
        break;
      }
      case 'd': Dopisanie(linia, Liczba(va_arg(argumenty, int32_t), s.Szerokosc)); break;
      case 's': {
        const char* tekst = va_arg(argumenty, const char*);
        if (tekst) Dopisanie(linia, tekst, std::strlen(tekst));
        break;
      }
      case 'F': {
        const char* tekst = va_arg(argumenty, const char*);
        if (tekst) plik.append(tekst, std::min(std::strlen(tekst), DlugoscLinii));
        break;
      }
      case '%': Dopisanie(linia, "%", 1); break;
      default: {
        // Not a conversion of this language: kept as written.
        const char tekst[2] = {'%', s.Konwersja};
        Dopisanie(linia, tekst, s.Konwersja ? 2 : 1);
        break;
      }
    }
    Dopisanie(linia, s.Tekst, s.Dlugosc);
  }
  va_end(argumenty);

  NaKonsole(linia);
  DoPliku(plik, linia + "\n");
  if (liczba == 1) return;
  platforma::CzekanieNaKlawisz();
  std::fflush(stdout);
  DoPliku(plik, "\n\n");
}
