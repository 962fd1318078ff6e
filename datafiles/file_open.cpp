// Opening and closing the data files with the sharing each file needs.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

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

// How many bytes of the terminator a file appended to still lacks: 0 when it
// is empty or ends with the whole terminator; the rest of the terminator when
// it ends with a part of it; the whole terminator after any other byte.
std::size_t BrakujacyKoniecLinii(const char* sciezka, platforma::Udostepnianie udostepnianie) {
  const std::string_view koniec = WidokNapisu(Proces.ZnakiKoncaLinii);
  const int32_t uchwyt = platforma::OtworzPlik(sciezka, 0, udostepnianie);
  if (uchwyt < 0) return 0;
  char ogon[DLUGOSC_NAPISU]{};
  long ile = 0;
  const int64_t dlugosc = platforma::UstawPozycjePliku(uchwyt, 0, 2);
  if (dlugosc > 0) {
    const int64_t od = dlugosc > static_cast<int64_t>(koniec.size()) ? dlugosc - static_cast<int64_t>(koniec.size()) : 0;
    if (platforma::UstawPozycjePliku(uchwyt, od, 0) == od) ile = platforma::CzytajPlik(uchwyt, ogon, koniec.size());
  }
  platforma::ZamknijPlik(uchwyt);
  if (ile <= 0 || koniec.empty()) return 0;
  const std::string_view koncowka(ogon, static_cast<std::size_t>(ile));
  if (koncowka.ends_with(koniec)) return 0;
  // The longest end of the file that begins the terminator.
  for (std::size_t czesc = std::min(koncowka.size(), koniec.size() - 1); czesc > 0; --czesc)
    if (koncowka.ends_with(koniec.substr(0, czesc))) return koniec.size() - czesc;
  return koniec.size();
}

// A file appended to that ends in a line without its terminator (a run
// killed while it wrote the line) gets the missing bytes first, so that the
// next line does not run into it: a reader then takes the torn line as a
// line of its own (a bad one, when its fields are cut), never as part of the next.
void ZakonczenieUrwanejLinii(int32_t uchwyt, const char* sciezka, std::size_t brakuje) {
  const std::string_view koniec = WidokNapisu(Proces.ZnakiKoncaLinii);
  const std::string_view reszta = koniec.substr(koniec.size() - brakuje);
  if (platforma::PiszPlik(uchwyt, reszta.data(), reszta.size()) != static_cast<long>(reszta.size())) return;
  platforma::SynchronizujPlik(uchwyt);
  std::fprintf(stderr, "karvo: the last line of %s had no line end (a run broken off while writing it): "
               "it was ended before anything was appended\n", sciezka);
}

}  // namespace

uint8_t OtwartoPlik(int32_t* uchwyt, const char* sciezka, uint8_t tryb) {
  if (!uchwyt) return 0;
  *uchwyt = -1;
  if (!sciezka || !sciezka[0]) return 0;
  *uchwyt = platforma::OtworzPlik(sciezka, tryb, UdostepnianiePliku(sciezka));
  return *uchwyt >= 0;
}

uint8_t OtwartoPlikDoDopisania(int32_t* uchwyt, const char* sciezka) {
  const std::size_t brakuje = sciezka && sciezka[0] ? BrakujacyKoniecLinii(sciezka, UdostepnianiePliku(sciezka)) : 0;
  if (!OtwartoPlik(uchwyt, sciezka, 2)) return 0;
  if (brakuje) ZakonczenieUrwanejLinii(*uchwyt, sciezka, brakuje);
  return 1;
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
