// An arbitrary file read as a data file, line by line, and every field of
// every line taken with the field readers. The first byte chooses the line
// terminator (CR LF, LF, CR, or up to three bytes of the input) and how the
// file is read (data lines; the three header lines and then data lines; by a
// marker of the input's choice; raw lines). Besides ending without a fault:
// no line or field outgrows its buffer, the reading ends at the end of the
// file, and with the usual terminators every data line written back with the
// line writer reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "datafiles/data_files.h"
#include "datafiles/field_readers.h"
#include "fuzz_files.h"
#include "include/karvo.h"
#include "state/session_state.h"
#include "text/codecs.h"

namespace {

void Zgoda(bool warunek) {
  if (!warunek) std::abort();
}

// The field readers on every field of the line and on the one after its
// last (every field further on takes the same way as that one), a different
// pair on each field: every reader scans the line from its start, which the
// coverage tracing makes dear. They may set ResultCode 11.
void PolaLinii(const char* linia, uint8_t wybor) {
  uint8_t pola = 1;
  for (const char* p = linia; *p && pola < 8; ++p) pola += *p == '\t';
  for (uint8_t k = 0; k <= pola + 1 && k <= 8; ++k) {
    Sesja.BiezacyWynik = 0;
    uint8_t bajt = 0;
    uint16_t slowo = 0;
    uint32_t dlugi = 0;
    uint8_t szesc[6]{};
    Napis tekst{};
    switch ((k + wybor) % 5) {
      case 0: PoleByte(linia, k, bajt); break;
      case 1: PoleWord(linia, k, slowo); break;
      case 2: PoleLong(linia, k, dlugi); break;
      case 3: PoleBoolean(linia, k, bajt); break;
      default: PoleSzesciobajtowe(linia, k, szesc); break;
    }
    switch ((k + wybor) % 3) {
      case 0: PoleTekst(linia, k, (k & 1) ? 8 : 255, tekst); break;
      case 1: PoleTekstCoNajmniej(linia, k, (k & 1) ? 8 : 19, tekst); break;
      default: PoleNapis(linia, k, tekst); break;
    }
    fuzz::NapisWBuforze(tekst);
    Napis pole{}, czesc{};
    if (k % 3 == 1 && NapisZawieraDana(linia, k, pole)) {
      NapisZawieraDanaPoDwukropku(pole, 2, czesc);
      OczyszczenieNapisu(pole);
      fuzz::NapisWBuforze(pole);
    }
  }
  Sesja.BiezacyWynik = 0;
}

// The data lines written with the line writer read back the same, in order.
void ZapisIOdczyt(const std::vector<std::string>& linie) {
  const std::string plik = fuzz::PlikWPamieci("ZAPIS.TXT", reinterpret_cast<const uint8_t*>(""), 0);
  int32_t zapis = -1;
  Zgoda(OtwartoPlik(&zapis, plik.c_str(), 1));
  for (const std::string& linia : linie) Zgoda(ZapisanoDoPlikuLinieDanych(zapis, linia.c_str()));
  ZamknieciePliku(&zapis);
  int32_t odczyt = -1;
  Zgoda(OtwartoPlik(&odczyt, plik.c_str(), 0));
  for (const std::string& linia : linie) {
    Napis z{};
    uint8_t zla = 0;
    Zgoda(OdczytanoZPlikuLinieDanych(odczyt, z, &zla));
    Zgoda(linia == z);
  }
  Napis z{};
  uint8_t zla = 0;
  Zgoda(!OdczytanoZPlikuLinieDanych(odczyt, z, &zla) && zla == 0);
  ZamknieciePliku(&odczyt);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dane, std::size_t rozmiar) {
  if (rozmiar < 2) return 0;
  fuzz::PrzygotowanieKatalogu();
  ZerowanieDanychSesji();
  const uint8_t wybor = dane[0];
  std::size_t poczatek = 1;
  std::string terminator;
  switch (wybor & 3) {
    case 0: terminator = "\r\n"; break;
    case 1: terminator = "\n"; break;
    case 2: terminator = "\r"; break;
    default:
      for (std::size_t n = 1 + dane[1] % 3; poczatek + 1 < rozmiar && terminator.size() < n; ++poczatek)
        if (dane[poczatek + 1]) terminator.push_back(static_cast<char>(dane[poczatek + 1]));
      ++poczatek;
      if (terminator.empty()) terminator = "\r\n";
  }
  KopiowanieNapisu(Proces.ZnakiKoncaLinii, terminator.c_str());
  const bool zwykly = (wybor & 3) != 3;
  const std::string plik = fuzz::PlikWPamieci("DANE.TXT", dane + poczatek, rozmiar - poczatek);

  int32_t uchwyt = -1;
  Zgoda(OtwartoPlik(&uchwyt, plik.c_str(), 0));
  const uint8_t sposob = (wybor >> 2) & 3;
  const char znacznik = static_cast<char>(wybor >> 4 == 0 ? '$' : (wybor >> 4) * 9);
  std::vector<std::string> daneLinie;
  // Every line read consumes at least one byte, so this bounds the loop.
  for (std::size_t linie = 0; linie <= rozmiar; ++linie) {
    Napis linia{};
    uint8_t zla = 0;
    bool jest = false;
    bool danych = false;
    switch (sposob) {
      case 0: jest = danych = OdczytanoZPlikuLinieDanych(uchwyt, linia, &zla); break;
      case 1:
        jest = linie < 3 ? OdczytanoZPlikuLinieNaglowka(uchwyt, linia, &zla)
                         : (danych = OdczytanoZPlikuLinieDanych(uchwyt, linia, &zla));
        break;
      case 2: jest = OdczytanoZPlikuKonkretnaLinie(uchwyt, znacznik, linia, &zla); break;
      default: jest = OdczytanieLinii(uchwyt, linia); break;
    }
    fuzz::NapisWBuforze(linia);
    if (!jest) {
      if (sposob != 3 && zla == 0 && linia[0] == 0 && Moje_feof(uchwyt)) break;
      if (Moje_feof(uchwyt)) break;
      continue;  // an empty, overlong or bad line: the reading may go on past it
    }
    Zgoda(std::strlen(linia) <= NajdluzszyNapis);
    PolaLinii(linia, static_cast<uint8_t>(linie));
    if (danych && zwykly) daneLinie.emplace_back(linia);
  }
  Zgoda(Moje_feof(uchwyt));
  ZamknieciePliku(&uchwyt);
  if (!daneLinie.empty()) ZapisIOdczyt(daneLinie);
  Zgoda(Sesja.LicznikLiniiWejscia == 0);  // the file is no session's input file
  fuzz::BrakOtwartychPlikow();
  return 0;
}
