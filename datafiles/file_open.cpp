// Opening and closing the data files with the sharing each file needs.
#include <cstring>

#include "datafiles/data_files.h"
#include "platform/files.h"
#include "state/session_state.h"
#include "text/codecs.h"

namespace {

// Others may read and write ECRTBUF.TXT while the driver holds it; the output
// data file is shared as the Server file says; every other file is exclusive.
platforma::Udostepnianie UdostepnianiePliku(const char* sciezka) {
  const char* bufor = Sesja.PlikiSterownika[PlikEcrtbuf];
  if (bufor[0] && NapisyRowne(sciezka, bufor)) return platforma::Udostepnianie::Zezwol;
  const char* wyjscie = Sesja.NazwyPlikowSesji[NazwaPlikuWyjsciowego];
  if (Sesja.JestPlikWynikowy && wyjscie[0] && NapisyRowne(sciezka, wyjscie))
    return static_cast<platforma::Udostepnianie>(Proces.UdostepnianieWyjscia <= 2 ? Proces.UdostepnianieWyjscia : 0);
  return platforma::Udostepnianie::ZabronWszystko;
}

}  // namespace

uint8_t OtwartoPlik(int32_t* uchwyt, const char* sciezka, uint8_t tryb) {
  if (!uchwyt) return 0;
  *uchwyt = -1;
  if (!sciezka || !sciezka[0]) return 0;
  *uchwyt = platforma::OtworzPlik(sciezka, tryb, UdostepnianiePliku(sciezka));
  return *uchwyt >= 0;
}

uint8_t ZamknieciePliku(int32_t* uchwyt) {
  if (!uchwyt || !platforma::ZamknijPlik(*uchwyt)) return 0;
  *uchwyt = -1;
  return 1;
}

uint8_t PlikDajeSieOtworzyc(const char* sciezka, uint8_t tryb) {
  int32_t uchwyt = -1;
  if (!OtwartoPlik(&uchwyt, sciezka, tryb)) return 0;
  ZamknieciePliku(&uchwyt);
  return 1;
}

// A position that cannot be learnt counts as the end, so that no reading
// loop can go on for ever on a handle that does not seek.
uint8_t Moje_feof(int32_t uchwyt) {
  const int64_t pozycja = platforma::UstawPozycjePliku(uchwyt, 0, 1);
  if (pozycja < 0) return 1;
  const int64_t koniec = platforma::UstawPozycjePliku(uchwyt, 0, 2);
  if (koniec < 0 || koniec == pozycja) return 1;
  platforma::UstawPozycjePliku(uchwyt, pozycja, 0);
  return 0;
}
