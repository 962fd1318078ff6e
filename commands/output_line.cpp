#include "commands/output_line.h"

#include <cstdio>
#include <cstring>

#include "commands/command_entry.h"
#include "state/result_codes.h"
#include "state/session_state.h"
#include "text/codecs.h"

namespace {

constexpr std::size_t NAJWIECEJ_ZNAKOW = sizeof(Fragment{}.Tekst) - 1;

// The digits of a decimal text, left-padded with zeros to the width.
Fragment ZCyframi(const char* cyfry, std::size_t szerokosc) {
  Fragment f;
  const std::size_t dlugosc = std::strlen(cyfry);
  if (szerokosc > NAJWIECEJ_ZNAKOW) szerokosc = NAJWIECEJ_ZNAKOW;
  const std::size_t zera = szerokosc > dlugosc ? szerokosc - dlugosc : 0;
  std::memset(f.Tekst, '0', zera);
  std::memcpy(f.Tekst + zera, cyfry, dlugosc);
  f.Dlugosc = static_cast<uint8_t>(zera + dlugosc);
  return f;
}

Fragment WideNumber(const uint8_t* bajty, std::size_t ile, uint8_t szerokosc) {
  uint8_t liczba[8] = {};
  std::memcpy(liczba, bajty, ile);
  char cyfry[21];
  LiczbaOsmiobajtowaNaTekst(liczba, cyfry);
  return ZCyframi(cyfry, szerokosc);
}

}  // namespace

Fragment Liczba(uint64_t wartosc, uint8_t szerokosc) {
  uint8_t bajty[8];
  ZapisBajtow(wartosc, bajty, 8);
  return WideNumber(bajty, 8, szerokosc);
}

Fragment Szesciobajtowa(const uint8_t* bajty, uint8_t szerokosc) { return WideNumber(bajty, 6, szerokosc); }
Fragment Osmiobajtowa(const uint8_t* bajty, uint8_t szerokosc) { return WideNumber(bajty, 8, szerokosc); }

Fragment LiczbaBajtowNaTekst(const uint8_t* bajty, uint8_t od, uint8_t do_, uint8_t miejsca, bool zeZnakiem) {
  const std::size_t ile = do_ < od ? 0 : (do_ - od + 1u > 8 ? 8 : do_ - od + 1u);
  uint64_t wartosc = WartoscBajtow(bajty + od, ile);
  bool ujemna = false;
  if (zeZnakiem && ile > 0 && (bajty[od + ile - 1] & 0x80)) {
    const uint64_t maska = ile == 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * ile)) - 1;
    wartosc = (~wartosc + 1) & maska;
    ujemna = wartosc != 0;
  }
  Fragment cyfry = Liczba(wartosc, miejsca > 0 ? static_cast<uint8_t>(miejsca + 1) : 0);
  Fragment f;
  std::size_t n = 0;
  if (ujemna) f.Tekst[n++] = '-';
  const std::size_t calosci = cyfry.Dlugosc > miejsca ? cyfry.Dlugosc - miejsca : 0;
  for (std::size_t i = 0; i < cyfry.Dlugosc && n < NAJWIECEJ_ZNAKOW; ++i) {
    if (miejsca > 0 && i == calosci) f.Tekst[n++] = '.';
    f.Tekst[n++] = cyfry.Tekst[i];
  }
  f.Dlugosc = static_cast<uint8_t>(n);
  return f;
}

Fragment Hex(uint8_t bajt) {
  static constexpr char Cyfry[] = "0123456789ABCDEF";
  Fragment f;
  f.Tekst[0] = Cyfry[bajt >> 4];
  f.Tekst[1] = Cyfry[bajt & 0x0F];
  f.Dlugosc = 2;
  return f;
}

std::string_view Znaki(const uint8_t* bajty, std::size_t n) {
  const char* znaki = reinterpret_cast<const char*>(bajty);
  return {znaki, strnlen(znaki, n)};
}

void LiniaWyniku::NowePole() {
  if (pole_) Dopisanie("\t");
  pole_ = true;
}

void LiniaWyniku::Dopisanie(std::string_view tekst) {
  for (const char znak : tekst) {
    if (dlugosc_ >= sizeof tekst_ - 1) {
      zaDluga_ = true;
      break;
    }
    tekst_[dlugosc_++] = znak;
  }
  tekst_[dlugosc_] = 0;
}

LiniaWyniku& LiniaWyniku::PoleBezZer(const uint8_t* bajty, std::size_t n) {
  NowePole();
  for (std::size_t i = 0; i < n; ++i)
    if (bajty[i] != 0) Dopisanie(std::string_view(reinterpret_cast<const char*>(bajty + i), 1));
  return *this;
}

LiniaWyniku& LiniaWyniku::PoleHexH(const uint8_t* bajty, std::size_t n) {
  static constexpr char Cyfry[] = "0123456789abcdef";
  NowePole();
  for (std::size_t i = 0; i < n; ++i) {
    const char bajt[] = {Cyfry[bajty[i] >> 4], Cyfry[bajty[i] & 0x0F], 'H'};
    if (i > 0) Dopisanie(":");
    Dopisanie(std::string_view(bajt, 3));
  }
  return *this;
}

bool LiniaWyniku::Zapisanie() const {
  if (!zaDluga_) return ZapisanieLiniiWyniku(tekst_);
  UstawBlad(BladZapisuWyjscia);
  std::fprintf(stderr, "karvo: an output line needs more than %zu characters: it was not written (ResultCode %u)\n",
               sizeof tekst_ - 1, static_cast<unsigned>(Sesja.BiezacyWynik));
  return false;
}
