// _ModStart: initialises the modem from MODKONF.TXT and dials the communication module.
#include <cstring>

#include "commands/command.h"
#include "commands/modem/modem_line.h"

namespace {

// Each data line of the initialisation file, upper-cased, is one command;
// after a line that gives a PIN the modem gets time to take it.
void InicjalizacjaModemu() {
  int32_t plik = -1;
  if (!OtwartoPlik(&plik, Sesja.PlikiSterownika[PlikModkonf], 0)) return UstawBlad(BladOtwarciaModkonf);
  for (;;) {
    Napis linia{};
    uint8_t zla = 0;
    if (!OdczytanieKomendyModemu(plik, linia, zla)) {
      if (zla) UstawBlad(BladLiniiModkonf);
      break;
    }
    if (!WyslanieKomendyModemu(linia)) break;
    if (std::strstr(linia, ZNACZNIK_PIN)) PauzaModemu(PAUZA_PIN_MS);
  }
  ZamknieciePliku(&plik);
}

// "ATD" and the dialling text (its first letter chooses pulse or tone); a
// text of that letter alone dials with "ATD" alone.
void Wybieranie() {
  Napis komenda{};
  DopisanieNapisu(komenda, KOMENDA_WYBIERANIA);
  if (Sesja.Lacze.NumerTelefonu[0] != 0) {
    const char tryb[2] = {Sesja.Lacze.TrybWybierania, 0};
    DopisanieNapisu(komenda, tryb);
    DopisanieNapisu(komenda, Sesja.Lacze.NumerTelefonu);
  }
  PorzucenieOdpowiedziModemu();
  if (WyslanieKomendyModemu(komenda)) CzekanieNaNosna(true);
}

void Polaczenie() {
  if (JestNosnaModemu()) return UstawBlad(NosnaJuzJest);
  InicjalizacjaModemu();
  if (BrakBledu()) Wybieranie();
}

}  // namespace

KARVO_FUNKCJA(ModStart, .Kod = 61, .OdczytacNumerKasy = 0, .OdczytacTypKasy = 0, .Cialo = Polaczenie);
