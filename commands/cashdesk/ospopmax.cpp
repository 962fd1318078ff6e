// _OSpOpMax: the end of the day. Its one input data line names the files:
//   1 the sales (_OSprzed appends to it)   2 the sorted and packed sales (_SortPak)
//   3 the packaging blocks (_OOpak)          4 the discount totals (_OObrRab), "*" none
//   5 a marker file, "?" none
// The sales, the packaging and the discounts are read, then the register is
// cleared (_KSprOp on this command's own input file, whose field 1 is a file
// name, so everything is cleared). A register that refuses the clearing with
// 201 holds sales that came after the readout, so everything is read again,
// appended to the same files, and cleared again. Every inner command runs as
// its own entry point with its own session and report, the line kept open
// between them, and the Server file passed on. A failure of any inner command
// ends the sequence with its code, and the clearing runs only after every
// readout of the loop has ended with 0: sales are never cleared unread.
//
// The marker file is deleted before each readout and created when the day has
// been read and cleared. Its presence tells the shop's program that field 1
// holds the whole day: the sorting is then left to that program, and field 2
// is not written. Without a marker ("?"), _SortPak turns field 1 into field 2.
// A marker that cannot be created gives 8 with a report of its own.
//
// Field 1 keeps every readout's block, also those of a loop repeated after
// 201 or of a run broken off and run again; each block is the register's whole
// count at that moment, so the sorting keeps the last line of each goods number.
// A field 1 that holds data lines before the day is read is said on standard
// error: yesterday's day left there would be packed again.
//
// Fields 3 and 4 are written anew by their readouts; one that holds data
// lines at the start may hold the only copy of a day the register no longer
// has (a run broken off after its clearing and run again), so it is kept as
// a numbered copy first. Fields 1, 3 and 4 are on the disk before the
// clearing is sent.
//
// The sequence's own report, written when its session has opened, would say
// 0 before anything was read: it is put aside and dropped, so RAPORT.TXT
// stays empty until the first inner command writes its report, and a report
// of _OSpOpMax is only ever one of its own failures. Each inner report goes
// to the log before the next command begins.
#include <cstdio>
#include <cstring>

#include "commands/command.h"
#include "datafiles/data_files.h"
#include "datafiles/kept_copies.h"
#include "platform/files.h"
#include "protocol/line.h"
#include "session/configuration.h"

namespace {

constexpr const char* BezRabatow = "*";
constexpr const char* BezZnacznika = "?";
constexpr uint8_t SprzedazNieodczytana = WynikStatusuKasy(0x65);  // the register refuses to clear
// A register that keeps refusing would make the day endless: after this many
// readouts the sequence ends with its 201, every sale read, nothing cleared.
constexpr int NajwiecejOdczytow = 16;

enum PoleNazwy : uint8_t { Sprzedaz, Posortowane, Opakowania, Rabaty, Znacznik, LiczbaPol };

// The names of the input's data line, read in the sequence's own session.
struct Nazwy {
  Napis Pola[LiczbaPol]{};
};

// Steps 3 and 4 of the body: the names, each one different from the others and from the input.
void OdczytNazw(Nazwy& nazwy) {
  auto& Pola = nazwy.Pola;
  Napis linia{};
  uint8_t zla = 0;
  if (!OdczytanoZPlikuLinieDanych(Sesja.UchwytWejscia, linia, &zla))
    return UstawBlad(zla ? BladLiniiWejscia : BrakLiniiWejscia);
  UstawBlad(BrakLiniiWejscia);
  for (uint8_t n = Sprzedaz; n <= Opakowania; ++n)
    if (!NapisZawieraDana(linia, n + 1, Pola[n])) return;
  if (!NapisZawieraDana(linia, Rabaty + 1, Pola[Rabaty])) KopiowanieNapisu(Pola[Rabaty], BezRabatow);
  if (!NapisZawieraDana(linia, Znacznik + 1, Pola[Znacznik])) KopiowanieNapisu(Pola[Znacznik], BezZnacznika);
  const char* wejscie = Sesja.NazwyPlikowSesji[NazwaPlikuWejsciowego];
  for (uint8_t i = 0; i < LiczbaPol; ++i) {
    if (std::strcmp(Pola[i], wejscie) == 0) return UstawBlad(WyjscieRowneWejsciu);
    for (uint8_t j = i + 1; j < LiczbaPol; ++j)
      if (std::strcmp(Pola[i], Pola[j]) == 0) return UstawBlad(WyjscieRowneWejsciu);
  }
  UstawBlad(BezBledu);
}

// The line stays open from this session on (the flag is set before its
// epilogue), and the inner sessions go on with the register it identified.
void PrzygotowanieLacza() {
  UstawieniePozostawiacOtwartyPortSzeregowy(1);
  Sesja.PelnaSesja = 0;
}

// The two flags the sequence changes, put back on every path.
class ZachowaneFlagi {
 public:
  ZachowaneFlagi() : otwarte_(PozostawianieOtwartegoLacza() ? 1 : 0), pelna_(Sesja.PelnaSesja) {}
  ~ZachowaneFlagi() {
    Sesja.PelnaSesja = pelna_;
    UstawieniePozostawiacOtwartyPortSzeregowy(otwarte_);  // closes the line unless it was kept open before
  }
  ZachowaneFlagi(const ZachowaneFlagi&) = delete;
  ZachowaneFlagi& operator=(const ZachowaneFlagi&) = delete;

 private:
  uint8_t otwarte_, pelna_;
};

// The names of one inner command: the input path, and in Server mode the
// output name and the Server file after it in the first argument.
struct Argumenty {
  Napis Lista{}, Drugi{};
  Argumenty(const char* wejscie, const char* wyjscie) {
    KopiowanieNapisu(Lista, wejscie);
    KopiowanieNapisu(Drugi, wyjscie);
    DolaczenieNazwySerwera(Lista, Drugi);
  }
};

void UsuniecieZnacznika(const Nazwy& n) {
  const char* znacznik = n.Pola[Znacznik];
  if (std::strcmp(znacznik, BezZnacznika) != 0 && PlikDajeSieOtworzyc(znacznik, 0)) platforma::UsunPlik(znacznik);
}

bool UtworzenieZnacznika(const Nazwy& n) {
  int32_t uchwyt = -1;
  if (!OtwartoPlik(&uchwyt, n.Pola[Znacznik], 1)) return false;
  ZamknieciePliku(&uchwyt);
  return true;
}

// Field 1 already holds data lines before the day is read: an earlier day
// not moved away, or a run broken off and run again. Both are read on.
void OstrzezenieOSprzedazy(const char* sprzedaz) {
  const uint32_t linie = LiczbaLiniiDanych(sprzedaz);
  if (linie == 0) return;
  std::fprintf(stderr,
               "karvo: %s already holds %u data lines before this end of day; the sales are appended after "
               "them, and the sorting packs them again: move the file away once its day is booked\n",
               sprzedaz, static_cast<unsigned>(linie));
}

// The files whose data the clearing destroys are on the disk, their names too.
bool NaDysku(const char* sciezka) {
  int32_t uchwyt = -1;
  if (!OtwartoPlik(&uchwyt, sciezka, 0)) return false;
  const bool zsynchronizowany = platforma::SynchronizujPlik(uchwyt);
  ZamknieciePliku(&uchwyt);
  return zsynchronizowany && platforma::SynchronizujKatalogPliku(sciezka);
}

}  // namespace

KARVO_SEKWENCJA(OSpOpMax, 0, .Kod = 324, .Cialo = PrzygotowanieLacza);

uint8_t Karvo_OSpOpMax(const char* wejscie) {
  const ZachowaneFlagi flagi;
  Nazwy n;
  const uint8_t otwarcie = SesjaSekwencji(OpisOSpOpMax, wejscie, nullptr, OdczytNazw, n);
  if (otwarcie != KodBledu(BezBledu)) return otwarcie;
  const auto& Pola = n.Pola;
  // Built while the session record still holds this command's names.
  const char* nazwa = Sesja.NazwyPlikowSesji[NazwaPlikuWejsciowego];
  const Argumenty sprzedaz(nazwa, Pola[Sprzedaz]), opakowania(nazwa, Pola[Opakowania]),
      rabaty(nazwa, Pola[Rabaty]), kasowanie(nazwa, ""), sortowanie(Pola[Sprzedaz], Pola[Posortowane]);
  const bool zRabatami = std::strcmp(Pola[Rabaty], BezRabatow) != 0;
  OstrzezenieOSprzedazy(Pola[Sprzedaz]);
  // The files written anew are kept before their first readout replaces them.
  const char* const zapisywaneOdNowa[] = {Pola[Opakowania], zRabatami ? Pola[Rabaty] : nullptr};
  const char* const kasowane[] = {Pola[Sprzedaz], Pola[Opakowania], zRabatami ? Pola[Rabaty] : nullptr};
  for (const char* plik : zapisywaneOdNowa)
    if (plik && !ZachowanieKopiiNumerowanej(plik)) return RaportSekwencji(OpisOSpOpMax, wejscie, plik, BladOtwarciaWyjscia);
  uint8_t wynik = SprzedazNieodczytana;
  for (int odczyt = 0; odczyt < NajwiecejOdczytow && wynik == SprzedazNieodczytana; ++odczyt) {
    UsuniecieZnacznika(n);
    wynik = Karvo_OSprzed(sprzedaz.Lista, sprzedaz.Drugi);
    if (wynik == KodBledu(BezBledu)) wynik = Karvo_OOpak(opakowania.Lista, opakowania.Drugi);
    if (wynik == KodBledu(BezBledu) && zRabatami) wynik = Karvo_OObrRab(rabaty.Lista, rabaty.Drugi);
    if (wynik != KodBledu(BezBledu)) break;
    for (const char* plik : kasowane)
      if (plik && !NaDysku(plik)) return RaportSekwencji(OpisOSpOpMax, wejscie, plik, BladZapisuWyjscia);
    wynik = Karvo_KSprOp(kasowanie.Lista);
  }
  if (wynik != KodBledu(BezBledu)) return wynik;
  if (std::strcmp(Pola[Znacznik], BezZnacznika) == 0) return Karvo_SortPak(sortowanie.Lista, sortowanie.Drugi);
  if (UtworzenieZnacznika(n)) return wynik;
  return RaportSekwencji(OpisOSpOpMax, wejscie, Pola[Znacznik], BladOtwarciaWyjscia);
}
