// _SortPak: _Sorter on the input file, then _Paker from it to the output file;
// each runs as its own command with its own report. Its own report, written
// before either has run, is put aside and dropped: it would say 0 before
// anything was sorted.
#include "commands/command.h"
#include "session/configuration.h"

KARVO_SEKWENCJA(SortPak, 1, .Kod = 34, .PolaczenieZKasa = 0);

// Its own session opens and closes first (the file checks and its report);
// in Server mode the Server file travels on with the names to the inner commands.
uint8_t Karvo_SortPak(const char* wejscie, const char* wyjscie) {
  const uint8_t wynik = SesjaSekwencji(OpisSortPak, wejscie, wyjscie);
  if (wynik != KodBledu(BezBledu)) return wynik;
  // The names as the session split them: in Server mode the /F list holds
  // the output name and the Server file after the input name.
  Napis nazwa{}, wynikowa{};
  KopiowanieNapisu(nazwa, Sesja.NazwyPlikowSesji[NazwaPlikuWejsciowego]);
  KopiowanieNapisu(wynikowa, Sesja.NazwyPlikowSesji[NazwaPlikuWyjsciowego]);
  Napis sorter{}, pusta{};
  KopiowanieNapisu(sorter, nazwa);
  DolaczenieNazwySerwera(sorter, pusta);
  Napis paker{}, drugi{};
  KopiowanieNapisu(paker, nazwa);
  KopiowanieNapisu(drugi, wynikowa);
  DolaczenieNazwySerwera(paker, drugi);
  const uint8_t posortowano = Karvo_Sorter(sorter);
  if (posortowano != KodBledu(BezBledu)) return posortowano;
  return Karvo_Paker(paker, drugi);
}
