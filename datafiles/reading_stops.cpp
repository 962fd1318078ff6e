#include "datafiles/reading_stops.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "datafiles/data_files.h"
#include "platform/files.h"
#include "state/session_state.h"
#include "text/codecs.h"

namespace {

struct Zatrzymanie {
  int32_t uchwyt;
  std::string komunikat;
};
std::vector<Zatrzymanie> Zatrzymania;

// Where the file stands: the number of terminators before the position,
// whether a line feed stands after the last of them, and whether anything
// but line ends follows. The file's position is left as it was.
struct Polozenie {
  uint32_t zakonczoneLinie = 0;
  bool samLf = false;
  bool dalszeDane = false;
};

Polozenie PolozenieWPliku(int32_t uchwyt, int64_t pozycja) {
  Polozenie p;
  const int64_t biezaca = platforma::UstawPozycjePliku(uchwyt, 0, 1);
  if (pozycja < 0 || biezaca < 0 || platforma::UstawPozycjePliku(uchwyt, 0, 0) < 0) return p;
  const std::string_view koniec = WidokNapisu(Proces.ZnakiKoncaLinii);
  std::string tresc;
  char bufor[4096];
  for (long n; (n = platforma::CzytajPlik(uchwyt, bufor, sizeof bufor)) > 0;) tresc.append(bufor, static_cast<std::size_t>(n));
  platforma::UstawPozycjePliku(uchwyt, biezaca, 0);
  const std::string_view przed =
      std::string_view(tresc).substr(0, std::min(tresc.size(), static_cast<std::size_t>(pozycja)));
  std::size_t poczatekLinii = 0;
  for (std::size_t i = przed.find(koniec); !koniec.empty() && i != std::string_view::npos; i = przed.find(koniec, i + koniec.size())) {
    ++p.zakonczoneLinie;
    poczatekLinii = i + koniec.size();
  }
  p.samLf = koniec != "\n" && przed.substr(poczatekLinii).find('\n') != std::string_view::npos;
  const std::string_view po = std::string_view(tresc).substr(przed.size());
  p.dalszeDane = po.find_first_not_of(std::string(koniec) + "\r\n") != std::string_view::npos;
  return p;
}

Polozenie PolozenieWPliku(int32_t uchwyt) { return PolozenieWPliku(uchwyt, platforma::UstawPozycjePliku(uchwyt, 0, 1)); }

constexpr const char* UWAGA_LF = " (its lines end with LF alone; the driver reads lines that end with CR LF)";

void Pamietaj(int32_t uchwyt, std::string komunikat) {
  for (auto& z : Zatrzymania)
    if (z.uchwyt == uchwyt) {
      z.komunikat = std::move(komunikat);
      return;
    }
  Zatrzymania.push_back({uchwyt, std::move(komunikat)});
}

}  // namespace

const char* NazwaPlikuUzytkownika(int32_t uchwyt) {
  if (uchwyt < 0) return nullptr;
  if (uchwyt == Sesja.UchwytWejscia) return Sesja.NazwyPlikowSesji[NazwaPlikuWejsciowego];
  if (uchwyt == Sesja.UchwytKonfig) return Sesja.PlikiSterownika[PlikKonfig];
  if (uchwyt == Sesja.UchwytSerwera) return NazwaPlikuSerweraLubNic();
  return nullptr;
}

uint32_t NumerLiniiKonczacejSieNa(int32_t uchwyt, int64_t pozycja, bool zakonczona) {
  return PolozenieWPliku(uchwyt, pozycja).zakonczoneLinie + (zakonczona ? 0 : 1);
}

void ZapamietanieKoncaOdczytu(int32_t uchwyt, PowodKonca powod) {
  if (powod != PowodKonca::PustaLinia && powod != PowodKonca::ZaDluga) return;
  const char* nazwa = NazwaPlikuUzytkownika(uchwyt);
  if (!nazwa) return;
  const Polozenie p = PolozenieWPliku(uchwyt);
  std::string komunikat = "karvo: line ";
  if (powod == PowodKonca::PustaLinia) {
    if (!p.dalszeDane) return;  // only line ends follow: nothing was left out
    komunikat += std::to_string(p.zakonczoneLinie) + " of " + nazwa + " is empty: the lines after it were not read";
  } else {
    komunikat += std::to_string(p.zakonczoneLinie + 1) + " of " + nazwa +
                 " is longer than 255 bytes: it and the lines after it were not read";
    if (p.samLf) komunikat += UWAGA_LF;
  }
  Pamietaj(uchwyt, komunikat);
}

void OdczytTrwa(int32_t uchwyt, const char* linia) {
  std::erase_if(Zatrzymania, [uchwyt](const Zatrzymanie& z) { return z.uchwyt == uchwyt; });
  // A last line that holds line feeds and no terminator: a file with LF line
  // ends read as one line.
  if (Sesja.LiniaZakonczona || WidokNapisu(Proces.ZnakiKoncaLinii) == "\n" || !std::strchr(linia, '\n')) return;
  if (const char* nazwa = NazwaPlikuUzytkownika(uchwyt))
    Pamietaj(uchwyt, std::string("karvo: ") + nazwa + " was read as one line" + UWAGA_LF);
}

void ZgloszenieBajtuZero(int32_t uchwyt) {
  const char* nazwa = NazwaPlikuUzytkownika(uchwyt);
  if (!nazwa) return;
  // The line just read ended at the position, or at the end of the file.
  const Polozenie p = PolozenieWPliku(uchwyt);
  const uint32_t numer = p.zakonczoneLinie + (Sesja.LiniaZakonczona ? 0 : 1);
  std::fprintf(stderr, "karvo: line %u of %s holds a zero byte: it is a bad line\n", numer, nazwa);
}

void ZgloszenieNieprzeczytanychLinii() {
  for (const auto& z : Zatrzymania) std::fprintf(stderr, "%s\n", z.komunikat.c_str());
  std::fflush(stderr);
  Zatrzymania.clear();
}
