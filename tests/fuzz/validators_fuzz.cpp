// An arbitrary text through every field validator and the field extraction:
// the first two bytes of the input give the bounds of the range check, the
// rest is the text (at most 255 bytes, as a line allows).
// Besides ending without a fault, the validators must agree with one
// another: a Byte is a Long in range, a Long is a six-byte number with its
// two highest bytes zero, the six-byte number is the first of its three
// forms that accepts the text, and a field never holds its separator.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "datafiles/data_files.h"
#include "datafiles/validators.h"
#include "fuzz_files.h"
#include "include/karvo.h"
#include "state/session_state.h"

namespace {

void Zgoda(bool warunek) {
  if (!warunek) std::abort();
}

uint32_t Wartosc32(const uint8_t (&b)[6]) {
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

bool Zera(const uint8_t* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (b[i]) return false;
  return true;
}

// The text without surrounding spaces, as the number forms take it.
std::string BezSpacji(const char* tekst) {
  std::string t = tekst;
  const auto p = t.find_first_not_of(' ');
  if (p == std::string::npos) return {};
  return t.substr(p, t.find_last_not_of(' ') - p + 1);
}

void LiczbyCalkowite(const char* t, uint32_t minimum, uint32_t maksimum) {
  uint8_t dec[6], hex[6], cudz[6], szesc[6];
  const bool jestDec = PoprawnaLiczbaSzesciobajtowaDec(t, dec);
  const bool jestHex = PoprawnaLiczbaSzesciobajtowaHex(t, hex);
  const bool jestCudz = PoprawnaLiczbaSzesciobajtowaWCudzyslowie(t, cudz);
  const bool jestSzesc = PoprawnaLiczbaSzesciobajtowa(t, szesc);
  if (!jestDec) Zgoda(Zera(dec, 6));
  if (!jestHex) Zgoda(Zera(hex, 6));
  if (!jestCudz) Zgoda(Zera(cudz, 6));
  Zgoda(jestSzesc == (jestDec || jestHex || jestCudz));
  const uint8_t* pierwsza = jestDec ? dec : jestHex ? hex : jestCudz ? cudz : nullptr;
  if (pierwsza) Zgoda(std::memcmp(szesc, pierwsza, 6) == 0);
  else Zgoda(Zera(szesc, 6));

  const std::string goly = BezSpacji(t);
  if (jestDec) {
    Zgoda(!goly.empty());
    for (char c : goly) Zgoda(c >= '0' && c <= '9');
    // Up to 19 digits the value is exact; it keeps its low 48 bits.
    if (goly.size() <= 19) {
      const uint64_t v = std::strtoull(goly.c_str(), nullptr, 10) & 0xFFFFFFFFFFFFull;
      for (int i = 0; i < 6; ++i) Zgoda(dec[i] == static_cast<uint8_t>(v >> (8 * i)));
    }
  }
  if (jestCudz) Zgoda(goly.size() >= 3 && goly.size() <= 8 && goly.front() == '\'' && goly.back() == '\'');

  uint32_t dlugi = 7;
  const bool jestLong = PoprawnaLiczbaTypuLong(t, &dlugi);
  Zgoda(jestLong == (jestSzesc && szesc[4] == 0 && szesc[5] == 0));
  Zgoda(dlugi == (jestLong ? Wartosc32(szesc) : 0));

  uint32_t wZakresie = 7;
  const bool jestWZakresie = PoprawnaLiczbaZPodanegoZakresu(t, minimum, maksimum, &wZakresie);
  Zgoda(jestWZakresie == (jestLong && dlugi >= minimum && dlugi <= maksimum));
  Zgoda(wZakresie == dlugi);

  uint32_t slowo = 7;
  const bool jestWord = PoprawnaLiczbaTypuWord(t, &slowo);
  Zgoda(jestWord == (jestLong && dlugi <= 0xFFFF));
  Zgoda(slowo == (jestWord ? dlugi : 7));
  uint8_t bajt = 7;
  const bool jestByte = PoprawnaLiczbaTypuByte(t, &bajt);
  Zgoda(jestByte == (jestLong && dlugi <= 0xFF));
  Zgoda(bajt == (jestByte ? dlugi : 7));
  uint8_t logiczna = 7;
  const bool jestBoolean = PoprawnaLiczbaTypuBoolean(t, &logiczna);
  Zgoda(jestBoolean == (jestLong && dlugi <= 1));
  Zgoda(jestBoolean ? logiczna == dlugi : logiczna == 7);

  // A hexadecimal Byte is the text with "0x" in front, as a Byte.
  if (std::strlen(t) <= 253) {
    uint8_t hexBajt = 7, przez = 7;
    const bool jestHexBajt = PoprawnaLiczbaHEXTypuByte(t, &hexBajt);
    const std::string z0x = std::string("0x") + t;
    Zgoda(jestHexBajt == PoprawnaLiczbaTypuByte(z0x.c_str(), &przez));
    Zgoda(hexBajt == przez);
  }
}

void InneLiczby(const char* t) {
  uint32_t wartosc = 7;
  uint8_t miejsca = 7;
  if (!PoprawnaLiczbaZmiennoprzecinkowa(t, &wartosc, &miejsca)) {
    Zgoda(wartosc == 0 && miejsca == 0);
  } else {
    const std::size_t n = std::strlen(t);
    Zgoda(n > 0 && std::isdigit(static_cast<unsigned char>(t[n - 1])));
    Zgoda(miejsca < n);
  }
  uint8_t osiem[8]{};
  PoprawnaLiczbaOsmiobajtowa(t, osiem);
  uint8_t parzystosc = 7;
  if (PoprawnyNapisOpisujacyParzystosc(t, &parzystosc)) Zgoda(parzystosc <= 2);
  else Zgoda(parzystosc == 7);
  uint8_t cyfra = 0;
  ZnakJestCyfra(t[0], &cyfra);
  Zgoda(cyfra <= 9);
  ZnakJestKropkaLubPrzecinkiem(t[0]);
}

void Napisy(const char* t) {
  char kopia[DLUGOSC_NAPISU];
  std::memcpy(kopia, t, std::strlen(t) + 1);
  OczyszczenieNapisu(kopia);
  fuzz::NapisWBuforze(kopia);
  const std::size_t n = std::strlen(kopia);
  Zgoda(n <= std::strlen(t));
  Zgoda(!std::strchr(kopia, ';'));
  if (n) Zgoda(kopia[0] != ' ' && kopia[0] != '\t' && kopia[n - 1] != ' ' && kopia[n - 1] != '\t');
  for (std::size_t i = 0; i < n; ++i) Zgoda(kopia[i] < 'a' || kopia[i] > 'z');

  std::memcpy(kopia, t, std::strlen(t) + 1);
  UsuniecieSpacji(kopia);
  const std::size_t m = std::strlen(kopia);
  if (m) Zgoda(kopia[0] != ' ' && kopia[m - 1] != ' ');

  for (char separator : {'\t', ':', ';'}) {
    for (uint8_t numer = 0; numer <= 6; ++numer) {
      char pole[DLUGOSC_NAPISU];
      std::memset(pole, 'x', sizeof pole);
      const bool jest = PobranieDanej(t, numer, separator, pole);
      fuzz::NapisWBuforze(pole);
      if (!jest) {
        Zgoda(pole[0] == 0);
        continue;
      }
      Zgoda(numer > 0 && pole[0] != 0 && !std::strchr(pole, separator) && std::strstr(t, pole));
    }
  }
  for (uint8_t n8 = 0; n8 <= 5; ++n8) BajtLiczby(n8, static_cast<uint32_t>(std::strlen(t)) * 0x01020304u);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dane, std::size_t rozmiar) {
  if (rozmiar < 2) return 0;
  uint32_t minimum = dane[0], maksimum = dane[1];
  if (dane[0] & 0x80) maksimum = maksimum * 65793u;  // a wide range now and then
  // The text: at most 255 bytes, ended by a zero byte as in the driver.
  char tekst[DLUGOSC_NAPISU]{};
  for (std::size_t i = 2, n = 0; i < rozmiar && dane[i] != 0 && n < DLUGOSC_NAPISU - 1; ++i)
    tekst[n++] = static_cast<char>(dane[i]);
  LiczbyCalkowite(tekst, minimum, maksimum);
  InneLiczby(tekst);
  Napisy(tekst);
  return 0;
}
