// Identifying the register when the session opens: its number, type code,
// identification text, model word, goods capacity and the composed name that
// the report's third header line carries.
#include "protocol/identification.h"

#include <cstdio>
#include <cstring>

#include "datafiles/data_files.h"
#include "include/karvo.h"
#include "protocol/engine.h"
#include "protocol/identification_text.h"
#include "protocol/requests.h"
#include "state/result_codes.h"
#include "state/session_state.h"
#include "text/codecs.h"

namespace {

constexpr uint32_t POJEMNOSC_NIEZNANA = 0xFFFF;
constexpr uint8_t WYNIK_POZA_ZAKRESEM = WynikStatusuKasy(0x05);  // goods number beyond the capacity
constexpr uint8_t WYNIK_BRAK_TOWARU = WynikStatusuKasy(0x66);    // goods number within the capacity, not programmed

// Lasts between commands: an exported setting changes it.
uint8_t WeryfikacjaNumeru = 1;

DaneUrzadzenia& U() { return Sesja.Urzadzenie; }
const uint8_t* Odpowiedz() { return Sesja.Wymiana.ObszarOdpowiedzi; }

// Type code and version: request 0xFE, or the older pair 0xFF and 0x5B on a register that refuses it.
bool OdczytanieKoduTypu() {
  WykonanieRozkazu({KodRozkazu::OdczytTypuKasy, 4, 0, 0});
  if (BrakBledu()) {
    U().KodTypuKasy = Odpowiedz()[0];
    U().PodwersjaTypu = Odpowiedz()[1];
    U().ZnakWersji = static_cast<char>(Odpowiedz()[2]);
    return true;
  }
  if (!JestBlad(OdmowaRozkazu)) return false;
  UstawBlad(BezBledu);
  WykonanieRozkazu({KodRozkazu::OdczytTypuKasyStary, 2, 0, 0});
  if (!BrakBledu()) return false;
  U().KodTypuKasy = Odpowiedz()[0];
  WykonanieRozkazu({KodRozkazu::OdczytStatusu0, 2, 0, 0});
  if (!BrakBledu()) return false;
  U().PodwersjaTypu = static_cast<uint8_t>(Odpowiedz()[0] >> 4);
  U().ZnakWersji = 0;
  return true;
}

// A control character would break the line of ECRTBUF.TXT that carries the text.
char ZnakTekstu(uint8_t bajt) { return bajt < 0x20 ? ' ' : static_cast<char>(bajt); }

bool OdczytanieIdentyfikatora() {
  uint8_t dlugosc = 11;
  bool spacja = false;
  if (KasaDrugiejGeneracji()) {
    const uint8_t kod = U().KodTypuKasy;
    if ((kod == 100 || kod == 101 || kod == 102) && U().PodwersjaTypu == 1 && U().ZnakWersji == 'A')
      dlugosc = 12;
    else
      spacja = kod != 'r';
  }
  WykonanieRozkazu({KodRozkazu::OdczytIdentyfikatora, static_cast<uint8_t>(dlugosc + 1), 0, 0});
  if (!BrakBledu()) return false;
  const uint8_t uzyte = KasaNorda() ? 9 : dlugosc;
  char* tekst = U().IdentyfikatorUrzadzenia;
  std::memset(tekst, 0, DLUGOSC_NAPISU);
  std::size_t n = 0;
  for (uint8_t i = 0; i < uzyte; ++i) {
    if (spacja && i == 3) tekst[n++] = ' ';
    tekst[n++] = ZnakTekstu(Odpowiedz()[i]);
  }
  return true;
}

void UstawienieTekstowTypu() {
  std::snprintf(U().KodTypuTekst, DLUGOSC_NAPISU, "%u", unsigned{U().KodTypuKasy});
  std::snprintf(U().WersjaTekst, DLUGOSC_NAPISU, "%02u", unsigned{U().PodwersjaTypu});
  U().ZnakWersjiTekst[0] = U().ZnakWersji;
  U().ZnakWersjiTekst[1] = 0;
  const bool druga = KasaDrugiejGeneracji();
  U().Generacja = druga ? 2 : 1;
  KopiowanieNapisu(U().GeneracjaTekst, druga ? "II" : "I");
  KopiowanieNapisu(U().ModelUrzadzenia, SlowoModelu());
}

// Whether goods number n lies within the capacity; false also when the probe failed.
bool TowarWZakresie(uint32_t n, bool& wZakresie) {
  Sesja.Wymiana.ObszarParametrow[0] = static_cast<uint8_t>(n & 0xFF);
  Sesja.Wymiana.ObszarParametrow[1] = static_cast<uint8_t>(n >> 8);
  if (KasaCenometr() || KasaUbo())
    WykonanieRozkazu({KodRozkazu::OdczytTowaru, 1, 2, 36});
  else
    WykonanieRozkazu({KodRozkazu::OdczytBajtuTowaru, 1, 2, 2});
  const uint8_t wynik = Sesja.BiezacyWynik;
  if (wynik != KodBledu(BezBledu) && wynik != WYNIK_BRAK_TOWARU && wynik != WYNIK_POZA_ZAKRESEM) return false;
  wZakresie = wynik != WYNIK_POZA_ZAKRESEM;
  UstawBlad(BezBledu);
  return true;
}

// Bisection over the goods numbers 1..65535; a register that has no room even
// for goods number 1 has capacity 0.
void WyszukiwaniePojemnosci() {
  uint32_t dol = 1, gora = 0xFFFF, proba = 0xFFFF;
  for (;;) {
    bool wZakresie = false;
    if (!TowarWZakresie(proba, wZakresie)) return;
    if (wZakresie) {
      dol = proba;
      if (gora == dol || gora == dol + 1) break;
      proba = dol + (gora - dol) / 2;
    } else {
      if (proba == dol) {
        dol = proba - 1;
        break;
      }
      gora = proba;
      proba = dol + (proba - dol) / 2;
    }
  }
  U().PojemnoscPLU = dol;
}

void OdczytaniePojemnosciPLU() {
  if (!Sesja.OdczytacPojemnoscPLU) {
    U().PojemnoscPLU = POJEMNOSC_NIEZNANA;
    return;
  }
  if (KasaNowa()) {
    WykonanieRozkazu({KodRozkazu::OdczytPojemnosciPLU, 3, 0, 0});
    if (BrakBledu()) {
      U().PojemnoscPLU = static_cast<uint32_t>(Odpowiedz()[0] | (Odpowiedz()[1] << 8));
      return;
    }
    if (!JestBlad(OdmowaRozkazu)) return;
    UstawBlad(BezBledu);
  }
  WyszukiwaniePojemnosci();
}

void UstawieniePojemnosciTekst() {
  if (Sesja.OdczytacPojemnoscPLU || U().ZnalezionoWBuforze)
    std::snprintf(U().PojemnoscTekst, DLUGOSC_NAPISU, "%u", unsigned{U().PojemnoscPLU});
  else
    KopiowanieNapisu(U().PojemnoscTekst, "?????");
}

// The third header line: the composed name, its source, then field 2 of the line it replaces.
void PrzebudowaNaglowkaUrzadzenia() {
  char* wiersz = Sesja.WierszeNaglowka[NaglowekUrzadzenia];
  Napis zachowane{};
  NapisZawieraDana(wiersz, 2, zachowane);
  KopiowanieNapisu(wiersz, U().NazwaUrzadzenia);
  if (U().ZrodloIdentyfikatora[0]) {
    DopisanieNapisu(wiersz, " (");
    DopisanieNapisu(wiersz, U().ZrodloIdentyfikatora);
    DopisanieNapisu(wiersz, ")");
  }
  if (zachowane[0]) {
    DopisanieNapisu(wiersz, "\t");
    DopisanieNapisu(wiersz, zachowane);
  }
}

}  // namespace

uint8_t OdczytanieNumeruUrzadzenia() {
  WykonanieRozkazu({KodRozkazu::OdczytNumeruKasy, 3, 0, 0});
  if (!BrakBledu()) return 0;
  char* tekst = U().NumerKasyTekst;
  std::memset(tekst, 0, DLUGOSC_NAPISU);
  tekst[0] = static_cast<char>(Odpowiedz()[0]);
  tekst[1] = static_cast<char>(Odpowiedz()[1]);
  return PoprawnaLiczbaTypuByte(tekst, &U().NumerUrzadzenia);
}

uint8_t OdczytanieTypuUrzadzenia() {
  if (!OdczytanieKoduTypu() || !OdczytanieIdentyfikatora()) return 0;
  UstawienieTekstowTypu();
  U().ZnalezionoWBuforze = WyszukanieWBuforze();
  if (!BrakBledu()) return 0;
  if (U().ZnalezionoWBuforze) {
    KopiowanieNapisu(U().ZrodloIdentyfikatora, "identyfikator odczytany z urzadzenia i pliku ");
    DopisanieNapisu(U().ZrodloIdentyfikatora, Sesja.PlikiSterownika[PlikEcrtbuf]);
  } else {
    KopiowanieNapisu(U().ZrodloIdentyfikatora, "identyfikator odczytany z urzadzenia");
    OdczytaniePojemnosciPLU();
    if (!BrakBledu()) return 0;
  }
  UstawieniePojemnosciTekst();
  SkladanieNazwyUrzadzenia(U().NazwaUrzadzenia, U().ModelUrzadzenia, U().PojemnoscTekst, U().GeneracjaTekst,
                           U().WersjaTekst);
  U().TypOdczytany = 1;
  if (!Sesja.OdczytacNumerKasy && UrzadzenieDoDopisania() && !DopisanieDoPlikuIdentyfikatorow()) return 0;
  PrzebudowaNaglowkaUrzadzenia();
  return 1;
}

bool UrzadzenieZnalezioneWBuforze() { return U().ZnalezionoWBuforze != 0; }

bool UrzadzenieDoDopisania() {
  // A capacity that was not read would make the appended line unreadable.
  return U().TypOdczytany && !U().ZnalezionoWBuforze && !KasaCenometr() && !KasaUbo() &&
         U().PojemnoscTekst[0] != '?';
}

bool WeryfikacjaNumeruUrzadzenia() { return WeryfikacjaNumeru != 0; }

void SygnalizowanieBleduWeryfikacjiNumeruUrzadzenia(uint8_t flaga) { WeryfikacjaNumeru = flaga; }
