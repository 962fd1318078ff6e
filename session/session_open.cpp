#include "session/session_open.h"

#include <cctype>
#include <cstdio>
#include <ctime>
#include <algorithm>
#include <string>
#include <vector>

#include "datafiles/data_files.h"
#include "datafiles/field_readers.h"
#include "datafiles/kept_copies.h"
#include "datafiles/line_errors.h"
#include "include/karvo.h"
#include "platform/files.h"
#include "platform/portmap.h"
#include "protocol/identification.h"
#include "protocol/line.h"
#include "protocol/line_modes.h"
#include "session/configuration.h"
#include "state/result_codes.h"
#include "state/server_channel.h"
#include "state/session_state.h"
#include "state/versions.h"
#include "text/codecs.h"
#include "text/progress.h"

namespace {

// The date and time of the run, as header line 0 and the archive show them.
struct ChwilaSesji {
  std::string Data, Czas;
};

ChwilaSesji BiezacaChwila() {
  const std::time_t teraz = std::time(nullptr);
  std::tm t{};
  if (const std::tm* lokalny = std::localtime(&teraz)) t = *lokalny;
  char data[32], czas[16];
  std::snprintf(data, sizeof data, "%04d.%02d.%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
  std::snprintf(czas, sizeof czas, "%02d:%02d", t.tm_hour, t.tm_min);
  return {data, czas};
}

std::string WielkieLitery(const char* tekst) {
  std::string wynik = tekst;
  for (auto& c : wynik) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return wynik;
}

bool ZastrzezonaNazwa(const char* nazwa) {
  const std::string duze = WielkieLitery(nazwa);
  for (const auto& zastrzezona : Sesja.ZastrzezoneNazwy)
    if (duze == zastrzezona) return true;
  return false;
}

// The log is the driver's own file too: written as the output it would lose
// its history, and it may be named in any case or by any path.
bool NazwaWlasnegoPliku(const char* nazwa) {
  return ZastrzezonaNazwa(nazwa) || platforma::TenSamPlik(nazwa, NAZWA_LOGU);
}

// The command line's values over its limit, and whether this run refused one.
struct DlugieNazwy {
  bool Wejscie = false, Wyjscie = false;
  bool Odrzucona = false;
} NazwyZaDlugie;
constexpr int NajdluzszaOpcja = 80;

void OdrzucenieDlugiejNazwy(IndeksBledu blad, const char* opcja) {
  std::fprintf(stderr, "karvo: the %s value is longer than %d characters: no file was opened (ResultCode %u)\n", opcja,
               NajdluzszaOpcja, static_cast<unsigned>(KodBledu(blad)));
  NazwyZaDlugie.Odrzucona = true;
  UstawBlad(blad);
}

void SprawdzenieNazwPlikow() {
  NazwyZaDlugie.Odrzucona = false;
  const char* wejscie = NazwaPlikuWejsciowegoLubNic();
  if (!wejscie) return UstawBlad(BrakNazwyWejscia);
  if (NazwyZaDlugie.Wejscie) return OdrzucenieDlugiejNazwy(BladOtwarciaWejscia, "/F");
  if (NazwaWlasnegoPliku(wejscie)) return UstawBlad(ZastrzezonaNazwaWejscia);
  if (!Sesja.JestPlikWynikowy) return;
  const char* wyjscie = NazwaPlikuWyjsciowegoLubNic();
  if (!wyjscie) return UstawBlad(BrakNazwyWyjscia);
  if (NazwyZaDlugie.Wyjscie) return OdrzucenieDlugiejNazwy(BladOtwarciaWyjscia, "/W");
  if (NazwaWlasnegoPliku(wyjscie)) return UstawBlad(ZastrzezonaNazwaWyjscia);
  if (NapisyRowne(wyjscie, wejscie)) return UstawBlad(WyjscieRowneWejsciu);
}

// A file of the session that did not open: the ResultCode, and on standard
// error the file and the system's reason (the report names only the file).
void NieotwartyPlik(IndeksBledu blad, const char* rodzaj, const char* sciezka) {
  std::fprintf(stderr, "karvo: %s %s cannot be opened (%s): ResultCode %u\n", rodzaj, sciezka,
               platforma::PowodNieotwarcia().c_str(), static_cast<unsigned>(KodBledu(blad)));
  UstawBlad(blad);
}

void OtwarciePlikowSesji() {
  const char* wejscie = Sesja.NazwyPlikowSesji[NazwaPlikuWejsciowego];
  if (!OtwartoPlik(&Sesja.UchwytWejscia, wejscie, 0)) return NieotwartyPlik(BladOtwarciaWejscia, "the input file", wejscie);
  const char* konfig = Sesja.PlikiSterownika[PlikKonfig];
  if (!OtwartoPlik(&Sesja.UchwytKonfig, konfig, 0)) return NieotwartyPlik(BladOtwarciaKonfiguracji, "the configuration", konfig);
  if (Sesja.JestPlikWynikowy) {
    const uint8_t tryb = Sesja.NowyPlikWynikowy ? 1 : 2;
    const char* wyjscie = Sesja.NazwyPlikowSesji[NazwaPlikuWyjsciowego];
    // A command that zeroes what it reads never empties data an earlier run read.
    if (tryb == 1 && Sesja.ZachowanieWyniku && !ZachowanieKopiiNumerowanej(wyjscie)) return UstawBlad(BladOtwarciaWyjscia);
    // An output file appended to has a torn last line ended first.
    if (!PlikDajeSieOtworzyc(wyjscie, tryb) ||
        !(tryb == 2 ? OtwartoPlikDoDopisania(&Sesja.UchwytWyjscia, wyjscie)
                    : OtwartoPlik(&Sesja.UchwytWyjscia, wyjscie, tryb)))
      return NieotwartyPlik(BladOtwarciaWyjscia, "the output file", wyjscie);
  }
  const char* raport = Sesja.PlikiSterownika[PlikRaport];
  if (!OtwartoPlik(&Sesja.UchwytRaportu, raport, 1)) return NieotwartyPlik(BladUtworzeniaRaportu, "the report", raport);
}

void CzyszczenieWierszyNaglowka() {
  const int wiersze = Sesja.PelnaSesja ? 3 : 2;
  for (int i = 0; i < wiersze; ++i) ZerowanieNapisu(Sesja.WierszeNaglowka[i]);
}

// Header line 0: the KONFIG.TXT fields, date, time, command, library version, file names.
void BudowaNaglowkaKonfiguracji() {
  const ChwilaSesji chwila = BiezacaChwila();
  const UstawieniaLacza& l = Sesja.Lacze;
  std::string wiersz = std::string(l.Pole1) + '\t' + l.Pole2 + '\t' + l.Pole3 + '\t' + chwila.Data + '\t' +
                       chwila.Czas + '\t' + Sesja.NazwyPlikowSesji[NazwaFunkcji] + '\t' + WersjaBiblioteki + '\t' +
                       Sesja.NazwyPlikowSesji[NazwaPlikuWejsciowego];
  if (Sesja.JestPlikWynikowy) wiersz += std::string("\t") + Sesja.NazwyPlikowSesji[NazwaPlikuWyjsciowego];
  KopiowanieNapisu(Sesja.WierszeNaglowka[NaglowekKonfiguracji], wiersz.c_str());
}

// Header line 2: the identification text, and field 5 for the modem and network kinds.
void BudowaNaglowkaUrzadzenia() {
  std::string wiersz = Sesja.Lacze.TekstIdentyfikacji;
  if (TrybDlaRodzaju(Sesja.Lacze.RodzajLacza).Modul != UstawieniaModulu::Brak)
    wiersz += std::string("\t") + Sesja.Lacze.Pole5;
  KopiowanieNapisu(Sesja.WierszeNaglowka[NaglowekUrzadzenia], wiersz.c_str());
}

void ZastosowanieLiniiKasy(const char* linia) {
  if (!OdczytanieLiniiKonfiguracji(linia)) return UstawBlad(BladLiniiKonfiguracji);
  CzyszczenieWierszyNaglowka();
  BudowaNaglowkaKonfiguracji();
  if (Sesja.PelnaSesja) BudowaNaglowkaUrzadzenia();
  const bool typBedzieCzytany = Sesja.OdczytacTypKasy && Sesja.PolaczenieZKasa;
  if (Sesja.JestPlikWynikowy && !typBedzieCzytany && !ZapisanieNaglowka(Sesja.UchwytWyjscia)) UstawBlad(BladZapisuWyjscia);
}

void WyszukanieKasyWKonfiguracji() {
  bool bylaLinia = false;
  while (true) {
    Napis linia{}, pole{};
    uint8_t zla = 0;
    if (!OdczytanoZPlikuKonkretnaLinie(Sesja.UchwytKonfig, '$', linia, &zla))
      return UstawBlad(zla ? BladLiniiKonfiguracji : bylaLinia ? BrakKasyWKonfiguracji : PustaKonfiguracja);
    bylaLinia = true;
    uint8_t numer = 0;
    if (!NapisZawieraDana(linia, 1, pole) || !PoprawnaLiczbaTypuByte(pole, &numer)) return UstawBlad(BladLiniiKonfiguracji);
    if (numer == Sesja.NumerKasyZadany) return ZastosowanieLiniiKasy(linia);
  }
}

// Header lines 2 and 3 of the input file: present, not checked.
void PominiecieLiniiNaglowka() {
  Napis linia{};
  uint8_t zla = 0;
  if (!OdczytanoZPlikuLinieNaglowka(Sesja.UchwytWejscia, linia, &zla)) UstawBlad(zla ? BladLiniiWejscia : BrakLiniiWejscia);
}

void OdczytanieNaglowkaWejscia() {
  Napis linia{};
  uint8_t zla = 0;
  if (!OdczytanoZPlikuLinieNaglowka(Sesja.UchwytWejscia, linia, &zla)) return UstawBlad(zla ? BladLiniiWejscia : BrakLiniiWejscia);
  OczyszczenieNapisu(linia);
  uint8_t numer = 0;
  if (!PoleByte(linia, 1, numer) || !WZakresie(numer, 1, 99)) return;
  Sesja.NumerKasyZadany = numer;
  WyszukanieKasyWKonfiguracji();
  if (BrakBledu()) PominiecieLiniiNaglowka();
  if (BrakBledu()) PominiecieLiniiNaglowka();
  if (BrakBledu() && Sesja.PolaczenieZKasa) {
    OtwarcieLacza();
    if (BrakBledu() && !LaczeOtwarte()) UstawBlad(BladOtwarciaLacza);
  }
}

std::string OpisLacza();

void OdczytanieNumeruIWeryfikacja() {
  if (!OdczytanieNumeruUrzadzenia()) return;
  if (!BrakBledu()) return;
  // A device not found in ECRTBUF.TXT is appended now, so the line carries its number.
  if (UrzadzenieDoDopisania() && !DopisanieDoPlikuIdentyfikatorow()) return;
  if (Sesja.SprawdzacNumerKasy && KasaPodajeNumer() && Sesja.Urzadzenie.NumerUrzadzenia != Sesja.NumerKasyZadany) {
    std::fprintf(stderr, "karvo: the register on %s has the number %u, the input file asks for %u: ResultCode %u\n",
                 OpisLacza().c_str(), static_cast<unsigned>(Sesja.Urzadzenie.NumerUrzadzenia),
                 static_cast<unsigned>(Sesja.NumerKasyZadany), static_cast<unsigned>(KodBledu(InnyNumerKasy)));
    UstawBlad(InnyNumerKasy);
  }
}

// ---- the report ------------------------------------------------------------

// Field 2 of raw line `kod` of KOMENT.TXT; every line counts, the scan stops at an empty line.
std::string OpisKodu(uint8_t kod) {
  if (kod == 0) return "program zakonczony bezblednie";
  int32_t uchwyt = -1;
  if (!OtwartoPlik(&uchwyt, Sesja.PlikiSterownika[PlikKoment], 0)) return "";
  std::string opis;
  Napis linia{};
  for (int n = 1; OdczytanieLinii(uchwyt, linia); ++n) {
    if (n < kod) continue;
    Napis pole{};
    if (NapisZawieraDana(linia, 2, pole)) opis = pole;
    break;
  }
  ZamknieciePliku(&uchwyt);
  return opis;
}

const char* PlikDotyczacyKodu(uint8_t kod) {
  switch (kod) {
    case 2: case 5: case 6: case 10: case 11: case 12: return Sesja.NazwyPlikowSesji[NazwaPlikuWejsciowego];
    case 4: case 8: case 17: return Sesja.NazwyPlikowSesji[NazwaPlikuWyjsciowego];
    case 7: case 13: case 14: case 16: return Sesja.PlikiSterownika[PlikKonfig];
    case 9: case 18: return Sesja.PlikiSterownika[PlikRaport];
    case 27: case 28: return Sesja.PlikiSterownika[PlikModkonf];
    case 59: case 60: case 61: return Sesja.PlikiSterownika[PlikEcrtbuf];
    default: return "";
  }
}

// What the line to the register was: the port and what stands behind it, or
// the module's network address.
std::string OpisLacza() {
  const UstawieniaLacza& l = Sesja.Lacze;
  if (TrybDlaRodzaju(l.RodzajLacza).Modul == UstawieniaModulu::Siec)
    return std::string(l.AdresModulu) + ":" + std::to_string(l.PortModulu);
  std::string opis = "COM" + std::to_string(l.NumerPortu) + ": " + platforma::CelPortu(l.NumerPortu);
  if (!platforma::WpisPortu(l.NumerPortu)) opis += ", not in " + platforma::KatalogMapyPortow() + "/ports.conf";
  return opis;
}

// The line to the register, on standard error, where the ResultCode says only
// that it failed: no answer came (21), or it did not open (62).
void ZgloszenieLacza() {
  const bool brakOdpowiedzi = JestBlad(BrakOdpowiedzi), nieOtwarto = JestBlad(BladOtwarciaLacza);
  if (!brakOdpowiedzi && !nieOtwarto) return;
  const bool siec = TrybDlaRodzaju(Sesja.Lacze.RodzajLacza).Modul == UstawieniaModulu::Siec;
  const std::string predkosc = siec ? "" : "; " + std::to_string(Sesja.Lacze.Predkosc) + " bit/s";
  std::fprintf(stderr, "karvo: %s register %u (%s%s): ResultCode %u\n",
               brakOdpowiedzi ? "no answer from" : "cannot open the line to", static_cast<unsigned>(Sesja.NumerKasyZadany),
               OpisLacza().c_str(), predkosc.c_str(), static_cast<unsigned>(Sesja.BiezacyWynik));
}

// The detail in brackets after the description: the file concerned, with
// why its name was refused when it was too long; the line that did not open.
std::string SzczegolWyniku(uint8_t kod) {
  const std::string plik = PlikDotyczacyKodu(kod);
  if (NazwyZaDlugie.Odrzucona && !plik.empty())
    return plik + ": nazwa dluzsza niz " + std::to_string(NajdluzszaOpcja) + " znakow";
  if (kod == KodBledu(BladOtwarciaLacza)) return OpisLacza();
  return plik;
}

void BudowaWierszaWyniku() {
  const uint8_t kod = Sesja.BiezacyWynik;
  const std::string opis = OpisKodu(kod);
  const std::string szczegol = SzczegolWyniku(kod);
  const std::string plik = Sesja.PokazPlikWRaporcie ? szczegol : "";
  std::string wiersz = std::to_string(kod);
  if (!opis.empty() || !szczegol.empty()) wiersz += "\t;";
  if (!opis.empty()) wiersz += " " + opis;
  if (!plik.empty()) wiersz += " (" + plik + ")";
  KopiowanieNapisu(Sesja.WierszeNaglowka[WierszWyniku], wiersz.c_str());
}

void ZapisanieRaportu() {
  const char* sciezka = Sesja.PlikiSterownika[PlikRaport];
  if (Sesja.UchwytRaportu != -1) {
    if (!ZapisanieNaglowka(Sesja.UchwytRaportu) && BrakBledu()) UstawBlad(BladZapisuRaportu);
    ZamknieciePliku(&Sesja.UchwytRaportu);
    if (Sesja.BiezacyWynik == KodBledu(BladZapisuRaportu)) platforma::UsunPlik(sciezka);
    else KopiowanieNapisu(Sesja.ZapisanyRaport, sciezka);
    return;
  }
  if (Sesja.BiezacyWynik == KodBledu(BladUtworzeniaRaportu)) return;
  int32_t uchwyt = -1;
  if (!(sciezka[0] && OtwartoPlik(&uchwyt, sciezka, 1))) {
    sciezka = "RAPORT.TXT";
    if (!OtwartoPlik(&uchwyt, sciezka, 1)) return;
  }
  const bool zapisano = ZapisanieNaglowka(uchwyt);
  ZamknieciePliku(&uchwyt);
  // Only the file written here goes: the configured one may be another run's report.
  if (!zapisano) platforma::UsunPlik(sciezka);
  else KopiowanieNapisu(Sesja.ZapisanyRaport, sciezka);
}

// ---- the "$$$" archive -------------------------------------------------------

std::string NazwaBazowaArchiwum() {
  const char* wejscie = NazwaPlikuWejsciowegoLubNic();
  if (!wejscie) return "$$$";
  Napis sciezka{}, dysk{}, katalog{}, nazwa{}, rozszerzenie{};
  KopiowanieNapisu(sciezka, wejscie);
  RozbiorSciezki(sciezka, dysk, katalog, nazwa, rozszerzenie);
  return nazwa;
}

void ArchiwizacjaPliku(const char* zrodlo, const char* rodzaj, const std::string& baza, const std::string& naglowek) {
  if (!zrodlo || !zrodlo[0]) return;
  int32_t wejscie = -1, archiwum = -1;
  if (!OtwartoPlik(&wejscie, zrodlo, 0)) return;
  const std::string cel = "$$$/" + baza + "." + rodzaj;
  if (OtwartoPlikDoDopisania(&archiwum, cel.c_str())) {
    ZapisanoDoPlikuLinie(archiwum, naglowek.c_str());
    Napis linia{};
    while (OdczytanieLinii(wejscie, linia)) ZapisanoDoPlikuLinie(archiwum, linia);
    ZamknieciePliku(&archiwum);
  }
  ZamknieciePliku(&wejscie);
}

void Archiwizacja() {
  if (!platforma::KatalogIstnieje("$$$")) return;
  const ChwilaSesji chwila = BiezacaChwila();
  const std::string naglowek =
      ";*** " + chwila.Data + " " + chwila.Czas + " " + Sesja.NazwyPlikowSesji[NazwaFunkcji] + " *** ";
  const std::string baza = NazwaBazowaArchiwum();
  ArchiwizacjaPliku(NazwaPlikuWejsciowegoLubNic(), "IN", baza, naglowek);
  if (Sesja.JestPlikWynikowy) ArchiwizacjaPliku(NazwaPlikuWyjsciowegoLubNic(), "OUT", baza, naglowek);
  const char* raport = Sesja.PlikiSterownika[PlikRaport];
  ArchiwizacjaPliku(raport[0] ? raport : "RAPORT.TXT", "RAP", baza, naglowek);
  ArchiwizacjaPliku(Sesja.PlikiSterownika[PlikKonfig], "KON", baza, naglowek);
  ArchiwizacjaPliku(NazwaPlikuSerweraLubNic(), "SER", baza, naglowek);
}

}  // namespace

void NazwyDluzszeNizOpcja(bool wejscie, bool wyjscie) { NazwyZaDlugie = {wejscie, wyjscie}; }

namespace {

// Where a command run with these names would write RAPORT.TXT: read as a
// command without an output file (a second name is the Server file), and as
// one with it (input;output;Server file); a Server file that does not read
// names no report. The session record is cleared again afterwards.
std::vector<std::string> SciezkiRaportu(const char* wejscie, const char* wyjscie) {
  std::vector<std::string> sciezki;
  for (const uint8_t zWyjsciem : {0, 1}) {
    ZerowanieDanychSesji();
    Sesja.JestPlikWynikowy = zWyjsciem;
    KopiowanieNapisu(Sesja.NazwyPlikowSesji[NazwaPlikuWejsciowego], wejscie);
    KopiowanieNapisu(Sesja.NazwyPlikowSesji[NazwaPlikuWyjsciowego], wyjscie);
    SciezkiPlikowSterownika();
    const char* raport = Sesja.PlikiSterownika[PlikRaport];
    if (BrakBledu() && raport[0] && std::find(sciezki.begin(), sciezki.end(), raport) == sciezki.end())
      sciezki.emplace_back(raport);
  }
  ZerowanieDanychSesji();
  return sciezki;
}

}  // namespace

std::vector<std::string> UsuniecieRaportuBezRozkazu(const char* wejscie, const char* wyjscie) {
  std::vector<std::string> usuniete;
  for (const std::string& sciezka : SciezkiRaportu(wejscie, wyjscie))
    if (PlikDajeSieOtworzyc(sciezka.c_str(), 0) && platforma::UsunPlik(sciezka.c_str())) usuniete.push_back(sciezka);
  return usuniete;
}

uint8_t ZapisanieNaglowka(int32_t uchwyt) {
  for (const char* wiersz : Sesja.WierszeNaglowka)
    if (!ZapisanoDoPlikuLinieNaglowka(uchwyt, wiersz)) return 0;
  return 1;
}

void RozpoczecieSesji() {
  SprawdzenieNazwPlikow();
  if (BrakBledu()) OtwarciePlikowSesji();
  if (!BrakBledu()) return;
  PowitanieSerwera();
  OdczytanieNaglowkaWejscia();
  if (!BrakBledu() || !Sesja.PolaczenieZKasa) return;
  if (Sesja.OdczytacTypKasy && Sesja.PelnaSesja) OdczytanieTypuUrzadzenia();
  // The lookup in KONFIG.TXT left the output file's header to this point, so
  // that it carries the device the identification found (or failed to find).
  const bool naglowekCzeka = Sesja.OdczytacTypKasy && Sesja.JestPlikWynikowy && !JestBlad(BladZapisuWyjscia);
  if (naglowekCzeka && !ZapisanieNaglowka(Sesja.UchwytWyjscia) && BrakBledu()) UstawBlad(BladZapisuWyjscia);
  if (BrakBledu() && Sesja.OdczytacNumerKasy && Sesja.PelnaSesja) OdczytanieNumeruIWeryfikacja();
}

void ZakonczenieSesji() {
  // Bytes that wait after the command's last answer make that answer suspect:
  // the command does not end as a success, and the line falls quiet before it closes.
  if (BrakBledu() && LaczeOtwarte()) CiszaPoOdpowiedzi();
  KoniecPostepu();
  ZgloszenieNieprzeczytanychLinii();
  ZgloszenieBleduLinii();
  ZgloszenieLacza();
  ZamknieciePliku(&Sesja.UchwytWejscia);
  ZamknieciePliku(&Sesja.UchwytWyjscia);
  ZamknieciePliku(&Sesja.UchwytKonfig);
  ZamknieciePliku(&Sesja.UchwytBufora);
  ZamknieciePliku(&Sesja.UchwytSerwera);
  BudowaWierszaWyniku();
  ZapisanieRaportu();
  Archiwizacja();
  ZamkniecieLacza();
}
