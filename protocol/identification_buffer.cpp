// ECRTBUF.TXT, the local cache of identified devices: one data line per
// device with its identification text, number, type, model, goods capacity,
// generation, version and composed name.
#include <cstring>
#include <string>

#include "datafiles/data_files.h"
#include "include/karvo.h"
#include "platform/files.h"
#include "protocol/identification.h"
#include "protocol/identification_text.h"
#include "protocol/line.h"
#include "state/result_codes.h"
#include "state/session_state.h"
#include "text/codecs.h"

namespace {

constexpr const char* BRAK_NUMERU = "xx";  // a device without a number of its own

struct LiniaBufora {
  Napis Identyfikator, Numer, Kod, Model, Pojemnosc, Generacja, Wersja, Nazwa;
};

bool RozbiorLinii(const char* linia, LiniaBufora& l) {
  char* pola[] = {l.Identyfikator, l.Numer, l.Kod, l.Model, l.Pojemnosc, l.Generacja, l.Wersja, l.Nazwa};
  for (uint8_t i = 0; i < 8; ++i)
    if (!NapisZawieraDana(linia, static_cast<uint8_t>(i + 1), pola[i])) return false;
  uint8_t bajt = 0;
  uint32_t slowo = 0;
  return (std::strcmp(l.Numer, BRAK_NUMERU) == 0 || PoprawnaLiczbaTypuByte(l.Numer, &bajt)) &&
         PoprawnaLiczbaTypuByte(l.Kod, &bajt) && PoprawnaLiczbaTypuWord(l.Pojemnosc, &slowo) &&
         PoprawnaLiczbaTypuByte(l.Wersja, &bajt);
}

// Whether the file is not empty and its last line lacks the line terminator.
bool OstatniaLiniaBezZakonczenia(const char* sciezka) {
  int32_t uchwyt = -1;
  if (!OtwartoPlik(&uchwyt, sciezka, 0)) return false;
  const std::size_t dlugoscZakonczenia = std::strlen(Proces.ZnakiKoncaLinii);
  const int64_t rozmiar = platforma::UstawPozycjePliku(uchwyt, 0, 2);
  bool bez = false;
  if (rozmiar > 0) {
    char koniec[DLUGOSC_NAPISU]{};
    const auto ile = static_cast<int64_t>(dlugoscZakonczenia) < rozmiar ? static_cast<int64_t>(dlugoscZakonczenia)
                                                                        : rozmiar;
    bez = platforma::UstawPozycjePliku(uchwyt, -ile, 2) < 0 ||
          platforma::CzytajPlik(uchwyt, koniec, static_cast<std::size_t>(ile)) != ile ||
          static_cast<std::size_t>(ile) != dlugoscZakonczenia ||
          std::memcmp(koniec, Proces.ZnakiKoncaLinii, dlugoscZakonczenia) != 0;
  }
  ZamknieciePliku(&uchwyt);
  return bez;
}

}  // namespace

void SkladanieNazwyUrzadzenia(char* nazwa, const char* model, const char* pojemnosc, const char* generacja,
                              const char* wersja) {
  Napis wynik{};
  auto czesc = [&wynik](const char* przed, const char* tekst, const char* po) {
    if (!tekst[0]) return;
    if (wynik[0]) DopisanieNapisu(wynik, " ");
    DopisanieNapisu(wynik, przed);
    DopisanieNapisu(wynik, tekst);
    DopisanieNapisu(wynik, po);
  };
  czesc("", model, "");
  if (Sesja.OdczytacPojemnoscPLU) czesc("", pojemnosc, " PLU");
  if (!KasaCenometr() && !KasaUbo() && !KasaNorda()) czesc("", generacja, " gen.");
  czesc("ver. ", wersja, "");
  KopiowanieNapisu(nazwa, wynik);
}

bool WyszukanieWBuforze() {
  DaneUrzadzenia& u = Sesja.Urzadzenie;
  // No file yet: the device is simply not known.
  if (!OtwartoPlik(&Sesja.UchwytBufora, Sesja.PlikiSterownika[PlikEcrtbuf], 0)) return false;
  // The file is a cache: a line that is no valid entry of this device (torn by
  // a full disk, edited by hand) is passed over, and the device is identified
  // again as if it were not there.
  bool znaleziono = false;
  Napis linia{};
  uint8_t zlaLinia = 0;
  while (!znaleziono) {
    const int64_t przed = platforma::UstawPozycjePliku(Sesja.UchwytBufora, 0, 1);
    if (!OdczytanoZPlikuLinieDanych(Sesja.UchwytBufora, linia, &zlaLinia)) {
      // The reading stops at an empty or overlong line too: the lines after it count.
      if (Moje_feof(Sesja.UchwytBufora)) break;
      if (platforma::UstawPozycjePliku(Sesja.UchwytBufora, 0, 1) != przed) continue;
      UstawBlad(BladLiniiEcrtbuf);  // the file cannot be read
      break;
    }
    LiniaBufora l{};
    if (!RozbiorLinii(linia, l) || std::strcmp(l.Identyfikator, u.IdentyfikatorUrzadzenia) != 0) continue;
    Napis nazwa{};
    SkladanieNazwyUrzadzenia(nazwa, l.Model, l.Pojemnosc, l.Generacja, l.Wersja);
    if (std::strcmp(nazwa, l.Nazwa) != 0) continue;
    uint32_t pojemnosc = 0;
    PoprawnaLiczbaTypuWord(l.Pojemnosc, &pojemnosc);
    u.PojemnoscPLU = pojemnosc;
    znaleziono = true;
  }
  ZamknieciePliku(&Sesja.UchwytBufora);
  return znaleziono;
}

bool DopisanieDoPlikuIdentyfikatorow() {
  // Only an identification read in clean exchanges is kept: with stray bytes
  // about, an answer may have been another request's.
  if (!CiszaPoOdpowiedzi()) return false;
  if (Sesja.Wymiana.WymianaNiepewna) return true;
  const DaneUrzadzenia& u = Sesja.Urzadzenie;
  const char* sciezka = Sesja.PlikiSterownika[PlikEcrtbuf];
  const bool dokonczyc = OstatniaLiniaBezZakonczenia(sciezka);
  uint8_t numer = 0;
  const char* numerTekst = PoprawnaLiczbaTypuByte(u.NumerKasyTekst, &numer) ? u.NumerKasyTekst : BRAK_NUMERU;
  const char* pola[] = {u.IdentyfikatorUrzadzenia, numerTekst,       u.KodTypuTekst, u.ModelUrzadzenia,
                        u.PojemnoscTekst,          u.GeneracjaTekst, u.WersjaTekst,  u.NazwaUrzadzenia};
  // A last line without its terminator is ended first, so the new line stands on its own.
  std::string tekst = dokonczyc ? Proces.ZnakiKoncaLinii : "";
  tekst += ZnakDanych;
  for (const char* pole : pola) {
    if (pole != pola[0]) tekst += '\t';
    tekst += pole;
  }
  tekst += Proces.ZnakiKoncaLinii;
  if (!OtwartoPlik(&Sesja.UchwytBufora, sciezka, 2)) {
    UstawBlad(BladOtwarciaEcrtbuf);
    return false;
  }
  // One write; one that fails half way (a full disk) is cut back, so that no
  // torn line is left for the next run.
  const int64_t dlugosc = platforma::UstawPozycjePliku(Sesja.UchwytBufora, 0, 2);
  const bool zapisano =
      platforma::PiszPlik(Sesja.UchwytBufora, tekst.data(), tekst.size()) == static_cast<long>(tekst.size());
  if (!zapisano && dlugosc >= 0) platforma::ObetnijPlik(Sesja.UchwytBufora, dlugosc);
  ZamknieciePliku(&Sesja.UchwytBufora);
  if (!zapisano) UstawBlad(BladZapisuEcrtbuf);
  return zapisano;
}
