// Checks and conversions of the number, word, byte, boolean and parity fields.
#include "datafiles/validators.h"

#include <cstring>
#include <string_view>

#include "text/codecs.h"

namespace {

constexpr uint64_t GranicaSzesciuBajtow = uint64_t{1} << 48;

// Room for a text of 255 bytes with a marker put in front.
using BuforKopii = char[2 * 256];

// A copy of the text without surrounding spaces, upper-cased when asked.
std::string_view ObcietaKopia(std::string_view tekst, bool wielkie, BuforKopii& bufor) {
  const std::size_t poczatek = tekst.find_first_not_of(' ');
  if (poczatek == std::string_view::npos) return {};
  tekst = tekst.substr(poczatek, tekst.find_last_not_of(' ') - poczatek + 1);
  for (std::size_t i = 0; i < tekst.size(); ++i) bufor[i] = wielkie ? WielkaLitera(tekst[i]) : tekst[i];
  return {bufor, tekst.size()};
}

bool Dziesietna(std::string_view tekst, uint8_t liczba[6]) {
  ZerowanieLiczbySzesciobajtowej(liczba);
  BuforKopii bufor;
  const std::string_view cyfry = ObcietaKopia(tekst, true, bufor);
  if (cyfry.empty()) return false;
  uint64_t wartosc = 0;
  for (const char znak : cyfry) {
    uint8_t cyfra = 0;
    if (!ZnakJestCyfra(znak, &cyfra)) return false;
    wartosc = wartosc * 10 + cyfra;
    // A value that does not fit six bytes is refused rather than cut to them.
    if (wartosc >= GranicaSzesciuBajtow) return false;
  }
  ZapisBajtow(wartosc, liczba, 6);
  return true;
}

// The digits without the hexadecimal marker ("$" or "H" in front, "H" at the
// end, or "0X" in front); empty when the text has no marker.
std::string_view BezZnacznikaHex(std::string_view tekst) {
  if (tekst.front() == '$' || tekst.front() == 'H') return tekst.substr(1);
  if (tekst.back() == 'H') return tekst.substr(0, tekst.size() - 1);
  if (tekst.size() > 1 && tekst.substr(0, 2) == "0X") return tekst.substr(2);
  return {};
}

int WartoscCyfryHex(char znak) {
  if (znak >= '0' && znak <= '9') return znak - '0';
  if (znak >= 'A' && znak <= 'F') return znak - 'A' + 10;
  return -1;
}

bool Szesnastkowa(std::string_view tekst, uint8_t liczba[6]) {
  ZerowanieLiczbySzesciobajtowej(liczba);
  BuforKopii bufor;
  const std::string_view kopia = ObcietaKopia(tekst, true, bufor);
  if (kopia.empty()) return false;
  const std::string_view cyfry = BezZnacznikaHex(kopia);
  if (cyfry.empty() || cyfry.size() > 12) return false;
  for (std::size_t k = 0; k < cyfry.size(); ++k) {
    const int cyfra = WartoscCyfryHex(cyfry[cyfry.size() - 1 - k]);
    if (cyfra < 0) {
      ZerowanieLiczbySzesciobajtowej(liczba);
      return false;
    }
    liczba[k / 2] = static_cast<uint8_t>(liczba[k / 2] | (k % 2 ? cyfra << 4 : cyfra));
  }
  return true;
}

bool WCudzyslowie(std::string_view tekst, uint8_t liczba[6]) {
  ZerowanieLiczbySzesciobajtowej(liczba);
  BuforKopii bufor;
  const std::string_view kopia = ObcietaKopia(tekst, false, bufor);
  if (kopia.size() < 3 || kopia.front() != '\'' || kopia.back() != '\'') return false;
  const std::string_view znaki = kopia.substr(1, kopia.size() - 2);
  if (znaki.size() > 6) return false;
  std::memcpy(liczba, znaki.data(), znaki.size());
  return true;
}

bool Szesciobajtowa(std::string_view tekst, uint8_t liczba[6]) {
  return Dziesietna(tekst, liczba) || Szesnastkowa(tekst, liczba) || WCudzyslowie(tekst, liczba);
}

bool Dluga(std::string_view tekst, uint32_t& wartosc) {
  uint8_t liczba[6];
  wartosc = 0;
  if (!Szesciobajtowa(tekst, liczba) || liczba[4] || liczba[5]) return false;
  wartosc = static_cast<uint32_t>(WartoscBajtow(liczba, 4));
  return true;
}

bool ZZakresu(std::string_view tekst, uint32_t minimum, uint32_t maksimum, uint32_t& wartosc) {
  return Dluga(tekst, wartosc) && wartosc >= minimum && wartosc <= maksimum;
}

// The range check whose result is stored only on a yes.
template <typename T>
uint8_t WartoscZZakresu(std::string_view tekst, uint32_t maksimum, T* wartosc) {
  uint32_t w = 0;
  if (!ZZakresu(tekst, 0, maksimum, w)) return 0;
  if (wartosc) *wartosc = static_cast<T>(w);
  return 1;
}

// The six-byte forms with the result in a caller's array or, when none is given, nowhere.
template <bool (*Forma)(std::string_view, uint8_t*)>
uint8_t SzesciobajtowaDo(const char* tekst, uint8_t liczba[6]) {
  uint8_t wynik[6];
  const bool jest = Forma(WidokNapisu(tekst), wynik);
  if (liczba) std::memcpy(liczba, wynik, 6);
  return jest;
}

}  // namespace

uint8_t BajtLiczby(uint8_t n, uint32_t wartosc) {
  if (n == 0 || n > 4) return 0;
  return static_cast<uint8_t>(wartosc >> (8 * (n - 1)));
}

void UsuniecieSpacji(char* tekst) {
  if (!tekst) return;
  BuforKopii bufor;
  KopiowanieNapisu(tekst, ObcietaKopia(WidokNapisu(tekst), false, bufor));
}

uint8_t ZnakJestCyfra(char znak, uint8_t* cyfra) {
  const bool jest = znak >= '0' && znak <= '9';
  if (cyfra) *cyfra = jest ? static_cast<uint8_t>(znak - '0') : 0;
  return jest;
}

uint8_t ZnakJestKropkaLubPrzecinkiem(char znak) { return znak == '.' || znak == ','; }

uint8_t PoprawnaLiczbaZmiennoprzecinkowa(const char* tekst, uint32_t* wartosc, uint8_t* miejsca) {
  if (wartosc) *wartosc = 0;
  if (miejsca) *miejsca = 0;
  const std::string_view widok = WidokNapisu(tekst);
  if (widok.empty() || !ZnakJestCyfra(widok.back(), nullptr)) return 0;
  char cyfry[256];
  std::size_t ile = 0;
  uint8_t poPrzecinku = 0;
  bool przecinek = false;
  for (std::size_t i = 0; i < widok.size(); ++i) {
    if (ZnakJestCyfra(widok[i], nullptr)) {
      cyfry[ile++] = widok[i];
      poPrzecinku = static_cast<uint8_t>(poPrzecinku + przecinek);
    } else if (!ZnakJestKropkaLubPrzecinkiem(widok[i]) || przecinek || i == 0) {
      return 0;
    } else {
      przecinek = true;
    }
  }
  for (; poPrzecinku > 0 && cyfry[ile - 1] == '0'; --poPrzecinku) --ile;
  uint32_t w = 0;
  if (!Dluga(std::string_view(cyfry, ile), w)) return 0;
  if (wartosc) *wartosc = w;
  if (miejsca) *miejsca = poPrzecinku;
  return 1;
}

uint8_t PoprawnaLiczbaOsmiobajtowa(const char* tekst, uint8_t liczba[8]) {
  uint8_t wynik[8];
  // A text without any digit is no number, though the conversion reads it as 0.
  const bool cyfra = WidokNapisu(tekst).find_first_of("0123456789") != std::string_view::npos;
  const bool jest = TekstNaLiczbeOsmiobajtowa(tekst, wynik) == KonwersjaPoprawna && cyfra;
  if (!jest) ZerowanieLiczbyOsmiobajtowej(wynik);
  if (liczba) std::memcpy(liczba, wynik, 8);
  return jest;
}

uint8_t PoprawnaLiczbaSzesciobajtowaDec(const char* tekst, uint8_t liczba[6]) {
  return SzesciobajtowaDo<Dziesietna>(tekst, liczba);
}

uint8_t PoprawnaLiczbaSzesciobajtowaHex(const char* tekst, uint8_t liczba[6]) {
  return SzesciobajtowaDo<Szesnastkowa>(tekst, liczba);
}

uint8_t PoprawnaLiczbaSzesciobajtowaWCudzyslowie(const char* tekst, uint8_t liczba[6]) {
  return SzesciobajtowaDo<WCudzyslowie>(tekst, liczba);
}

uint8_t PoprawnaLiczbaSzesciobajtowa(const char* tekst, uint8_t liczba[6]) {
  return SzesciobajtowaDo<Szesciobajtowa>(tekst, liczba);
}

uint8_t PoprawnaLiczbaTypuLong(const char* tekst, uint32_t* wartosc) {
  uint32_t w = 0;
  const bool jest = Dluga(WidokNapisu(tekst), w);
  if (wartosc) *wartosc = w;
  return jest;
}

uint8_t PoprawnaLiczbaZPodanegoZakresu(const char* tekst, uint32_t minimum, uint32_t maksimum, uint32_t* wartosc) {
  uint32_t w = 0;
  const bool jest = ZZakresu(WidokNapisu(tekst), minimum, maksimum, w);
  if (wartosc) *wartosc = w;
  return jest;
}

uint8_t PoprawnaLiczbaTypuWord(const char* tekst, uint32_t* wartosc) {
  return WartoscZZakresu(WidokNapisu(tekst), 65535, wartosc);
}

uint8_t PoprawnaLiczbaTypuByte(const char* tekst, uint8_t* wartosc) {
  return WartoscZZakresu(WidokNapisu(tekst), 255, wartosc);
}

uint8_t PoprawnaLiczbaTypuBoolean(const char* tekst, uint8_t* wartosc) {
  return WartoscZZakresu(WidokNapisu(tekst), 1, wartosc);
}

uint8_t PoprawnaLiczbaHEXTypuByte(const char* tekst, uint8_t* wartosc) {
  BuforKopii bufor = {'0', 'x'};
  const std::string_view cyfry = WidokNapisu(tekst);
  std::memcpy(bufor + 2, cyfry.data(), cyfry.size());
  return WartoscZZakresu(std::string_view(bufor, cyfry.size() + 2), 255, wartosc);
}

uint8_t PoprawnyNapisOpisujacyParzystosc(const char* tekst, uint8_t* parzystosc) {
  static constexpr struct {
    std::string_view Slowo;
    uint8_t Kod;
  } Parzystosci[] = {{"NONE", 0}, {"N", 0}, {"ODD", 1}, {"O", 1}, {"EVEN", 2}, {"E", 2}};
  char kopia[256];
  KopiowanieNapisu(kopia, WidokNapisu(tekst));
  ZamianaNaWielkieLitery(kopia);
  for (const auto& p : Parzystosci) {
    if (WidokNapisu(kopia) != p.Slowo) continue;
    if (parzystosc) *parzystosc = p.Kod;
    return 1;
  }
  return 0;
}
