#include "session/configuration.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "datafiles/data_files.h"
#include "include/karvo.h"
#include "platform/files.h"
#include "protocol/line_modes.h"
#include "protocol/wire_capture.h"
#include "state/result_codes.h"
#include "state/session_state.h"
#include "text/codecs.h"

namespace {

const char* const NazwyPlikowSterownika[5] = {"KONFIG.TXT", "RAPORT.TXT", "KOMENT.TXT", "MODKONF.TXT", "ECRTBUF.TXT"};
constexpr uint32_t MaksymalnyOkres = 16777215;  // the Server's counters are 24-bit

void UstawienieSciezekSterownika(const std::string& katalog) {
  for (int i = 0; i < 5; ++i)
    KopiowanieNapisu(Sesja.PlikiSterownika[i], (katalog + NazwyPlikowSterownika[i]).c_str());
}

// Name n of the /F list (semicolon-separated) into slot n, when it is there.
void RozdzielenieListyNazw() {
  Napis lista{};
  KopiowanieNapisu(lista, Sesja.NazwyPlikowSesji[NazwaPlikuWejsciowego]);
  for (int n = Sesja.JestPlikWynikowy ? 3 : 2; n >= 1; --n) {
    Napis nazwa{};
    if (NapisZawieraDanaPoSredniku(lista, static_cast<uint8_t>(n), nazwa)) KopiowanieNapisu(Sesja.NazwyPlikowSesji[n], nazwa);
  }
}

// The directory of the driver's files when no Server file names them: the
// current directory when KONFIG.TXT is there, else the input file's directory.
std::string KatalogPlikowSterownika() {
  if (PlikDajeSieOtworzyc("KONFIG.TXT", 0)) return "";
  std::string katalog = Sesja.NazwyPlikowSesji[NazwaPlikuWejsciowego];
  for (auto& c : katalog) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  while (!katalog.empty() && katalog.back() != '\\' && katalog.back() != '/') katalog.pop_back();
  return katalog;
}

bool PoleLiniiSerwera(char* pole) {
  Napis linia{};
  uint8_t zla = 0;
  return OdczytanoZPlikuKonkretnaLinie(Sesja.UchwytSerwera, '$', linia, &zla) && NapisZawieraDana(linia, 1, pole);
}

// Line 1: the terminator bytes as colon-separated Bytes.
bool OdczytanieTerminatora(std::string& terminator) {
  Napis pole{};
  if (!PoleLiniiSerwera(pole)) return false;
  for (uint8_t n = 1;; ++n) {
    Napis czesc{};
    if (!NapisZawieraDanaPoDwukropku(pole, n, czesc)) break;
    uint8_t bajt = 0;
    // A zero byte cannot stand in a terminator kept as a text.
    if (!PoprawnaLiczbaTypuByte(czesc, &bajt) || bajt == 0 || terminator.size() >= DLUGOSC_NAPISU - 1) return false;
    terminator.push_back(static_cast<char>(bajt));
    if (n == 255) break;
  }
  return !terminator.empty();
}

bool OdczytanieLongaDo(const char* tekst, uint32_t maksimum, uint32_t* wartosc) {
  return PoprawnaLiczbaZPodanegoZakresu(tekst, 0, maksimum, wartosc);
}

// Line 7: the message number, optionally ":" and the driver's identifier.
bool OdczytanieNumeruKomunikatu(const char* pole) {
  Napis czesc{};
  uint32_t numer = 0, identyfikator = 0;
  if (!NapisZawieraDanaPoDwukropku(pole, 1, czesc) || !PoprawnaLiczbaTypuLong(czesc, &numer)) return false;
  if (NapisZawieraDanaPoDwukropku(pole, 2, czesc) && !PoprawnaLiczbaTypuLong(czesc, &identyfikator)) return false;
  Sesja.NumerKomunikatu = static_cast<int32_t>(numer);
  Sesja.IdentyfikatorSterownika = static_cast<int32_t>(identyfikator);
  return true;
}

// Lines 2 to 13 of the Server file.
bool OdczytanieUstawienSerwera() {
  Napis pole{};
  for (int i = 0; i < 5; ++i) {
    if (!PoleLiniiSerwera(pole)) return false;
    KopiowanieNapisu(Sesja.PlikiSterownika[i], pole);
  }
  if (!PoleLiniiSerwera(pole) || !OdczytanieNumeruKomunikatu(pole)) return false;
  uint8_t* flagi[3] = {&Sesja.ZapisKomunikatow, &Sesja.Wstrzymany, &Sesja.PokazPlikWRaporcie};
  for (uint8_t* flaga : flagi)
    if (!PoleLiniiSerwera(pole) || !PoprawnaLiczbaTypuBoolean(pole, flaga)) return false;
  uint32_t* okresy[3] = {&Sesja.OkresLicznika, &Sesja.OkresLinii, &Sesja.OkresLiniiWyjscia};
  for (uint32_t* okres : okresy)
    if (!PoleLiniiSerwera(pole) || !OdczytanieLongaDo(pole, MaksymalnyOkres, okres)) return false;
  return true;
}

// Line 14 (optional): the sharing of the output file.
bool OdczytanieUdostepniania() {
  Proces.UdostepnianieWyjscia = 0;
  Napis linia{}, pole{};
  uint8_t zla = 0;
  if (!OdczytanoZPlikuKonkretnaLinie(Sesja.UchwytSerwera, '$', linia, &zla)) return zla == 0;
  uint8_t wartosc = 0;
  if (!NapisZawieraDana(linia, 1, pole) || !PoprawnaLiczbaTypuByte(pole, &wartosc) || wartosc > 2) return false;
  Proces.UdostepnianieWyjscia = wartosc;
  return true;
}

// While only the paths are wanted, a Server file that does not open is not told.
bool BezKomunikatow = false;

void OdczytaniePlikuSerwera(const char* nazwa) {
  UstawBlad(BladSerwera);
  if (!OtwartoPlik(&Sesja.UchwytSerwera, nazwa, 0)) {
    if (!BezKomunikatow)
      std::fprintf(stderr, "karvo: the Server file %s cannot be opened (%s): ResultCode %u\n", nazwa,
                   platforma::PowodNieotwarcia().c_str(), static_cast<unsigned>(KodBledu(BladSerwera)));
    return;
  }
  std::string terminator;
  if (!OdczytanieTerminatora(terminator)) {
    ZamknieciePliku(&Sesja.UchwytSerwera);
    return;
  }
  if (!OdczytanieUstawienSerwera() || !OdczytanieUdostepniania()) return;
  UstawBlad(BezBledu);
  KopiowanieNapisu(Proces.ZnakiKoncaLinii, terminator.c_str());
}

// ---- the register's KONFIG.TXT line -------------------------------------

bool LiczbaBezZerWiodacych(const char* tekst, uint32_t minimum, uint32_t maksimum, uint32_t* wartosc) {
  if (!std::isdigit(static_cast<unsigned char>(tekst[0])) || tekst[0] == '0') return false;
  uint32_t v = 0;
  for (const char* p = tekst; *p; ++p) {
    if (!std::isdigit(static_cast<unsigned char>(*p)) || v > maksimum) return false;
    v = v * 10 + static_cast<uint32_t>(*p - '0');
  }
  if (v < minimum || v > maksimum) return false;
  *wartosc = v;
  return true;
}

bool CzescZPrefiksem(const char* czesc, const char* prefiks, const char** reszta) {
  const std::size_t n = std::strlen(prefiks);
  if (std::strncmp(czesc, prefiks, n) != 0) return false;
  *reszta = czesc + n;
  return true;
}

// Splits a colon-separated field into exactly `ile` non-empty parts.
bool PodzialNaCzesci(const char* pole, int ile, Napis* czesci) {
  std::string zlozone;
  for (int i = 0; i < ile; ++i) {
    if (!NapisZawieraDanaPoDwukropku(pole, static_cast<uint8_t>(i + 1), czesci[i])) return false;
    if (i) zlozone += ':';
    zlozone += czesci[i];
  }
  return zlozone == pole;  // a further or an empty part makes the field invalid
}

// Field 2: COMn:speed:MUXk:channel.
bool OdczytanieOpisuLacza(const char* linia) {
  Napis pole{};
  if (!NapisZawieraDana(linia, 2, pole)) return false;
  OczyszczenieNapisu(pole);
  Napis czesci[4]{};
  if (!PodzialNaCzesci(pole, 4, czesci)) return false;
  const char* reszta = nullptr;
  uint32_t port = 0, predkosc = 0, rodzaj = 0;
  if (!CzescZPrefiksem(czesci[0], "COM", &reszta) || !LiczbaBezZerWiodacych(reszta, 1, 255, &port)) return false;
  if (!PoprawnaLiczbaZPodanegoZakresu(czesci[1], 1, 115200, &predkosc)) return false;
  if (!CzescZPrefiksem(czesci[2], "MUX", &reszta) || std::strlen(reszta) != 1 || reszta[0] < '0' ||
      reszta[0] - '0' >= LiczbaRodzajowLacza())
    return false;
  rodzaj = static_cast<uint32_t>(reszta[0] - '0');
  const TrybLacza& tryb = TrybDlaRodzaju(static_cast<uint8_t>(rodzaj));
  uint8_t kanal = 0;
  if (!PoprawnaLiczbaTypuByte(czesci[3], &kanal) || kanal < 1 || kanal > tryb.NajwyzszyKanal) return false;
  UstawieniaLacza& l = Sesja.Lacze;
  l.NumerPortu = static_cast<uint8_t>(port);
  l.Predkosc = predkosc;
  l.RodzajLacza = static_cast<uint8_t>(rodzaj);
  l.Kanal = kanal;
  l.PredkoscZadana = predkosc;
  l.KanalZadany = kanal;
  if (tryb.Modul != UstawieniaModulu::Brak) {  // the module is reached at 19200 on channel 2
    l.Predkosc = 19200;
    l.Kanal = 2;
  }
  return true;
}

bool TekstOsmioznakowy(const char* tekst) { return std::strlen(tekst) == 8; }

bool AdresIPv4(const char* tekst) {
  int liczby = 0;
  const char* p = tekst;
  while (true) {
    uint32_t v = 0;
    int cyfry = 0;
    while (std::isdigit(static_cast<unsigned char>(*p)) && cyfry < 4) v = v * 10 + static_cast<uint32_t>(*p++ - '0'), ++cyfry;
    if (cyfry == 0 || cyfry > 3 || v > 255) return false;
    if (++liczby == 4) return *p == 0;
    if (*p++ != '.') return false;
  }
}

// Field 5 of the modem kind: dialling, password, connection time, time-out, repeat limit.
bool OdczytanieParametrowModemu(const char* pole) {
  Napis c[5]{};
  if (!PodzialNaCzesci(pole, 5, c)) return false;
  const char tryb = static_cast<char>(std::toupper(static_cast<unsigned char>(c[0][0])));
  uint32_t czasPolaczenia = 0, czas = 0;
  uint8_t limit = 0;
  if ((tryb != 'P' && tryb != 'T') || !TekstOsmioznakowy(c[1]) || !PoprawnaLiczbaTypuWord(c[2], &czasPolaczenia) ||
      !PoprawnaLiczbaTypuWord(c[3], &czas) || !PoprawnaLiczbaTypuByte(c[4], &limit))
    return false;
  UstawieniaLacza& l = Sesja.Lacze;
  l.TrybWybierania = tryb;
  KopiowanieNapisu(l.NumerTelefonu, c[0] + 1);
  KopiowanieNapisu(l.HasloModulu, c[1]);
  l.CzasPolaczenia = czasPolaczenia;
  l.CzasOczekiwaniaRamki = czas;
  l.LimitPowtorzen = limit;
  return true;
}

// Field 5 of the network kind: address, TCP port, two kept parts, password, time-out, repeat limit.
bool OdczytanieParametrowSieci(const char* pole) {
  Napis c[7]{};
  if (!PodzialNaCzesci(pole, 7, c)) return false;
  uint32_t port = 0, slowo = 0, czas = 0;
  uint8_t limit = 0;
  if (!AdresIPv4(c[0]) || !PoprawnaLiczbaTypuWord(c[1], &port) || !PoprawnaLiczbaTypuWord(c[3], &slowo) ||
      !TekstOsmioznakowy(c[4]) || !PoprawnaLiczbaTypuWord(c[5], &czas) || !PoprawnaLiczbaTypuByte(c[6], &limit))
    return false;
  UstawieniaLacza& l = Sesja.Lacze;
  KopiowanieNapisu(l.AdresModulu, c[0]);
  l.PortModulu = port;
  KopiowanieNapisu(l.TekstDodatkowy, c[2]);
  l.SlowoDodatkowe = slowo;
  KopiowanieNapisu(l.HasloModulu, c[4]);
  l.CzasOczekiwaniaRamki = czas;
  l.LimitPowtorzen = limit;
  return true;
}

UstawieniaModulu UstawieniaZPola5() { return TrybDlaRodzaju(Sesja.Lacze.RodzajLacza).Modul; }

}  // namespace

void OdczytanieKonfiguracji() {
  if (!JestNazwaPlikuWejsciowego()) {
    UstawienieSciezekSterownika("");
    return;
  }
  RozdzielenieListyNazw();
  if (const char* serwer = NazwaPlikuSerweraLubNic()) {
    OdczytaniePlikuSerwera(serwer);
    if (!BrakBledu()) return;
  } else {
    UstawienieSciezekSterownika(KatalogPlikowSterownika());
  }
  std::memcpy(Sesja.ZastrzezoneNazwy, Sesja.PlikiSterownika, sizeof Sesja.ZastrzezoneNazwy);
}

void SciezkiPlikowSterownika() {
  BezKomunikatow = true;
  OdczytanieKonfiguracji();
  BezKomunikatow = false;
  ZamknieciePliku(&Sesja.UchwytSerwera);
}

bool OdczytanieLiniiKonfiguracji(const char* linia) {
  PodsluchLiniiKonfiguracji(linia);
  UstawieniaLacza& l = Sesja.Lacze;
  for (uint8_t n = 1; n <= 3; ++n) {
    Napis* pola[3] = {&l.Pole1, &l.Pole2, &l.Pole3};
    NapisZawieraDana(linia, n, *pola[n - 1]);
  }
  if (!OdczytanieOpisuLacza(linia)) return false;
  Napis pole{};
  if (!NapisZawieraDana(linia, 3, pole) || !PoprawnaLiczbaTypuWord(pole, &l.CzasOczekiwania)) return false;
  if (NapisZawieraDana(linia, 4, pole)) {
    const std::string tekst =
        std::string(pole) + " (identyfikator z pliku " + Sesja.PlikiSterownika[PlikKonfig] + ")";
    KopiowanieNapisu(l.TekstIdentyfikacji, tekst.c_str());
  } else {
    KopiowanieNapisu(l.TekstIdentyfikacji, "Karvo (identyfikator domyslny)");
    if (UstawieniaZPola5() != UstawieniaModulu::Brak) return false;
  }
  switch (UstawieniaZPola5()) {
    case UstawieniaModulu::Brak: return true;
    case UstawieniaModulu::Modem: return NapisZawieraDana(linia, 5, l.Pole5) && OdczytanieParametrowModemu(l.Pole5);
    case UstawieniaModulu::Siec: return NapisZawieraDana(linia, 5, l.Pole5) && OdczytanieParametrowSieci(l.Pole5);
  }
  return false;
}

void DolaczenieNazwySerwera(char* listaNazw, char* dodatkowaNazwa) {
  const char* serwer = NazwaPlikuSerweraLubNic();
  if (!serwer) return;
  std::string lista = listaNazw;
  if (dodatkowaNazwa[0]) {
    lista += ';';
    lista += dodatkowaNazwa;
    ZerowanieNapisu(dodatkowaNazwa);
  }
  lista += ';';
  lista += serwer;
  KopiowanieNapisu(listaNazw, lista.c_str());
}
