// An arbitrary ports.conf, the map of the serial ports: the entry of the
// port the first byte names, and of COM1. An entry always has a target, and
// its port server's address, when it has one, is a dotted IPv4 address.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_files.h"
#include "platform/portmap.h"

namespace {

void Zgoda(bool warunek) {
  if (!warunek) std::abort();
}

bool AdresKropkowy(const std::string& adres) {
  int kropki = 0, cyfry = 0;
  unsigned oktet = 0;
  for (char c : adres) {
    if (c == '.') {
      if (cyfry == 0) return false;
      ++kropki, cyfry = 0, oktet = 0;
    } else if (c >= '0' && c <= '9' && cyfry < 3) {
      oktet = oktet * 10 + static_cast<unsigned>(c - '0');
      if (oktet > 255 || (cyfry > 0 && oktet == static_cast<unsigned>(c - '0'))) return false;
      ++cyfry;
    } else {
      return false;
    }
  }
  return kropki == 3 && cyfry > 0;
}

void Wpis(uint8_t numer) {
  const auto wpis = platforma::WpisPortu(numer);
  if (!wpis) return;
  Zgoda(!wpis->cel.empty());
  Zgoda(wpis->adresSerwera.empty() || AdresKropkowy(wpis->adresSerwera));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dane, std::size_t rozmiar) {
  if (rozmiar < 1) return 0;
  fuzz::PrzygotowanieKatalogu();
  fuzz::ZapisPliku("ports.conf", dane + 1, rozmiar - 1);
  Wpis(dane[0]);
  if (dane[0] != 1) Wpis(1);
  // The port names of the reference platform, as the input's first line writes one.
  const std::string tekst(reinterpret_cast<const char*>(dane + 1), rozmiar - 1);
  if (const auto numer = platforma::NumerPortuZNazwy(tekst.substr(0, tekst.find('\n')))) Zgoda(*numer <= 255);
  fuzz::BrakOtwartychPlikow();
  return 0;
}
