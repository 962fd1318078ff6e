// _Sorter: in a data file that names goods numbers several times, only the
// last data line of each number stays a data line; the earlier ones become
// comment lines by a ";" over their first character, in place.
//
// The whole file is read and checked before anything is written, whatever the
// length of its lines, and each change is that one byte: a file with a bad
// line is left as it was (11), and a run killed in the middle leaves the last
// line of every number a data line. No temporary copy is made.
#include <string>
#include <string_view>
#include <vector>

#include "commands/command.h"
#include "datafiles/data_files.h"
#include "platform/files.h"

namespace {

constexpr std::size_t LiczbaNaglowkow = 3;

bool CzytanieCalosci(int32_t uchwyt, std::string& tresc) {
  char bufor[65536];
  for (;;) {
    const long n = platforma::CzytajPlik(uchwyt, bufor, sizeof bufor);
    if (n < 0) return false;
    if (n == 0) return true;
    tresc.append(bufor, static_cast<std::size_t>(n));
  }
}

// The lines of the file: where each begins and its text without the terminator.
struct Linia {
  std::size_t poczatek;
  std::string_view tekst;
};

std::vector<Linia> PodzialNaLinie(std::string_view tresc) {
  const std::string_view koniec = WidokNapisu(Proces.ZnakiKoncaLinii);
  std::vector<Linia> linie;
  for (std::size_t p = 0; p < tresc.size();) {
    const std::size_t k = tresc.find(koniec, p);
    const std::size_t dlugosc = (k == std::string_view::npos ? tresc.size() : k) - p;
    linie.push_back({p, tresc.substr(p, dlugosc)});
    p += dlugosc + (k == std::string_view::npos ? 0 : koniec.size());
  }
  return linie;
}

bool NumerTowaru(std::string_view tekst, uint16_t& numer) {
  if (tekst.size() > NajdluzszyNapis) return false;
  Napis linia{}, pole{};
  tekst.copy(linia, tekst.size());
  uint32_t wartosc = 0;
  if (!NapisZawieraDana(linia + 1, 1, pole) || !PoprawnaLiczbaTypuWord(pole, &wartosc)) return false;
  numer = static_cast<uint16_t>(wartosc);
  return true;
}

// The positions of the first characters to mark, or false when a line of the
// data part is bad: neither a data line with a goods number nor a comment or header line.
bool Oznaczenia(const std::vector<Linia>& linie, std::vector<std::size_t>& znaki) {
  std::size_t naglowki = 0, i = 0;
  for (; i < linie.size() && naglowki < LiczbaNaglowkow; ++i) {
    const std::string_view t = linie[i].tekst;
    if (t.empty() || (t[0] != ZnakNaglowka && t[0] != ZnakKomentarza)) return false;
    if (t[0] == ZnakNaglowka) ++naglowki;
  }
  if (naglowki < LiczbaNaglowkow) return false;
  std::vector<bool> widziany(65536);
  std::vector<uint16_t> numery(linie.size());
  for (std::size_t j = i; j < linie.size(); ++j) {
    const std::string_view t = linie[j].tekst;
    if (t.empty() || t.size() > NajdluzszyNapis) return false;
    if (t[0] == ZnakDanych && !NumerTowaru(t, numery[j])) return false;
    if (t[0] != ZnakDanych && t[0] != ZnakKomentarza && t[0] != ZnakNaglowka) return false;
  }
  // From the last line back: a number met again earlier is marked there; header lines become comments.
  for (std::size_t j = linie.size(); j-- > i;) {
    const char pierwszy = linie[j].tekst[0];
    if (pierwszy == ZnakNaglowka) znaki.push_back(linie[j].poczatek);
    if (pierwszy != ZnakDanych) continue;
    if (widziany[numery[j]]) znaki.push_back(linie[j].poczatek);
    widziany[numery[j]] = true;
  }
  return true;
}

bool Oznaczenie(int32_t uchwyt, std::size_t pozycja) {
  return platforma::UstawPozycjePliku(uchwyt, static_cast<int64_t>(pozycja), 0) >= 0 &&
         platforma::PiszPlik(uchwyt, &ZnakKomentarza, 1) == 1;
}

void Sortowanie() {
  ZamknieciePliku(&Sesja.UchwytWejscia);
  int32_t uchwyt = -1;
  if (!OtwartoPlik(&uchwyt, Sesja.NazwyPlikowSesji[NazwaPlikuWejsciowego], 3)) return UstawBlad(BladOtwarciaWejscia);
  std::string tresc;
  std::vector<std::size_t> znaki;
  if (!CzytanieCalosci(uchwyt, tresc)) {
    UstawBlad(BladOtwarciaWejscia);
  } else if (!Oznaczenia(PodzialNaLinie(tresc), znaki)) {
    UstawBlad(BladLiniiWejscia);
  } else {
    for (const std::size_t z : znaki)
      if (!Oznaczenie(uchwyt, z)) {
        UstawBlad(BladOtwarciaWejscia);
        break;
      }
    if (!znaki.empty() && !platforma::SynchronizujPlik(uchwyt) && BrakBledu()) UstawBlad(BladOtwarciaWejscia);
  }
  ZamknieciePliku(&uchwyt);
}

}  // namespace

KARVO_FUNKCJA(Sorter, .Kod = 32, .PolaczenieZKasa = 0, .Cialo = Sortowanie);
