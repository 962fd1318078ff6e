// An arbitrary MODKONF.TXT, the modem's initialisation file: each command
// read from it as the dialling reads it, and the bytes that would go to the
// modem. A command is in upper case and fits the parameter area with its
// carriage return; the reading ends at the end of the file.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commands/modem/modem_line.h"
#include "fuzz_files.h"
#include "include/karvo.h"
#include "state/session_state.h"

namespace {

void Zgoda(bool warunek) {
  if (!warunek) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dane, std::size_t rozmiar) {
  fuzz::PrzygotowanieKatalogu();
  ZerowanieDanychSesji();
  const std::string sciezka = fuzz::PlikWPamieci("MODKONF.TXT", dane, rozmiar);
  int32_t plik = -1;
  Zgoda(OtwartoPlik(&plik, sciezka.c_str(), 0));
  for (std::size_t linie = 0; linie <= rozmiar; ++linie) {
    Napis komenda{};
    uint8_t zla = 0;
    if (!OdczytanieKomendyModemu(plik, komenda, zla)) {
      if (Moje_feof(plik)) break;
      continue;  // the dialling stops here; the reading could go on
    }
    fuzz::NapisWBuforze(komenda);
    const std::size_t dlugosc = std::strlen(komenda);
    for (std::size_t i = 0; i < dlugosc; ++i) Zgoda(!std::islower(static_cast<unsigned char>(komenda[i])));
    uint8_t bajty[sizeof Sesja.Wymiana.ObszarParametrow];
    const std::size_t ile = BajtyKomendyModemu(komenda, bajty);
    Zgoda(ile <= sizeof bajty);
    const bool bezKonca = dlugosc == 0 || std::strcmp(komenda, KOMENDA_ESKAPE) == 0;
    Zgoda(ile == dlugosc + (bezKonca ? 0 : 1));
    Zgoda(std::memcmp(bajty, komenda, dlugosc) == 0);
    if (!bezKonca) Zgoda(bajty[dlugosc] == 0x0D);
    (void)std::strstr(komenda, ZNACZNIK_PIN);
  }
  Zgoda(Moje_feof(plik));
  ZamknieciePliku(&plik);
  fuzz::BrakOtwartychPlikow();
  return 0;
}
