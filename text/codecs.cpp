#include "text/codecs.h"

#include <cstring>

#include "karvo.h"

StanKonwersji Konwersja;

// ---- wide numbers ----------------------------------------------------------

uint64_t WartoscBajtow(const uint8_t* bajty, std::size_t ile) {
  uint64_t wartosc = 0;
  for (std::size_t i = ile; i-- > 0;) wartosc = (wartosc << 8) | bajty[i];
  return wartosc;
}

void ZapisBajtow(uint64_t wartosc, uint8_t* bajty, std::size_t ile) {
  for (std::size_t i = 0; i < ile; ++i, wartosc >>= 8) bajty[i] = static_cast<uint8_t>(wartosc & 0xFF);
}

void ZerowanieLiczbyOsmiobajtowej(uint8_t liczba[8]) { std::memset(liczba, 0, 8); }
void ZerowanieLiczbySzesciobajtowej(uint8_t liczba[6]) { std::memset(liczba, 0, 6); }

namespace {

uint8_t BladKonwersji(uint8_t blad, uint8_t liczba[8]) {
  ZerowanieLiczbyOsmiobajtowej(liczba);
  Konwersja.Blad = blad;
  return blad;
}

}  // namespace

uint8_t TekstNaLiczbeOsmiobajtowa(const char* tekst, uint8_t liczba[8]) {
  ZerowanieLiczbyOsmiobajtowej(liczba);
  Konwersja.Blad = KonwersjaPoprawna;
  uint64_t wartosc = 0;
  for (const char znak : WidokNapisu(tekst)) {
    if (znak == ' ') continue;
    if (znak < '0' || znak > '9') return BladKonwersji(ZnacznikZlegoZnaku, liczba);
    if (__builtin_mul_overflow(wartosc, 10u, &wartosc) ||
        __builtin_add_overflow(wartosc, static_cast<unsigned>(znak - '0'), &wartosc))
      return BladKonwersji(ZnacznikPrzepelnienia, liczba);
  }
  ZapisBajtow(wartosc, liczba, 8);
  return KonwersjaPoprawna;
}

void LiczbaOsmiobajtowaNaTekst(const uint8_t liczba[8], char* tekst) {
  // 2^64 - 1 has 20 digits; the buffer holds all of them and the terminator.
  char cyfry[21];
  std::size_t pozycja = sizeof cyfry - 1;
  cyfry[pozycja] = 0;
  uint64_t wartosc = WartoscBajtow(liczba, 8);
  Konwersja.Reszta = 0;
  do {
    Konwersja.Reszta = static_cast<uint8_t>(wartosc % 10);
    cyfry[--pozycja] = static_cast<char>('0' + Konwersja.Reszta);
    wartosc /= 10;
  } while (wartosc != 0);
  std::memcpy(tekst, cyfry + pozycja, sizeof cyfry - pozycja);
}

void LiczbaSzesciobajtowaNaTekst(const uint8_t liczba[6], char* tekst) {
  uint8_t szeroka[8] = {};
  std::memcpy(szeroka, liczba, 6);
  LiczbaOsmiobajtowaNaTekst(szeroka, tekst);
}

// ---- text buffers ------------------------------------------------------------

std::size_t DlugoscNapisu(const char* tekst) { return tekst ? strnlen(tekst, NajdluzszyNapis) : 0; }

std::string_view WidokNapisu(const char* tekst) { return {tekst ? tekst : "", DlugoscNapisu(tekst)}; }

void ZerowanieNapisu(char* tekst) {
  if (tekst) std::memset(tekst, 0, 256);
}

void KopiowanieNapisu(char* cel, std::string_view zrodlo) {
  const std::size_t ile = zrodlo.size() < NajdluzszyNapis ? zrodlo.size() : NajdluzszyNapis;
  if (ile) std::memmove(cel, zrodlo.data(), ile);  // an empty view may carry no pointer
  cel[ile] = 0;
}

void DopisanieNapisu(char* tekst, std::string_view dopisek) {
  const std::size_t dlugosc = DlugoscNapisu(tekst);
  const std::size_t miejsce = NajdluzszyNapis - dlugosc;
  const std::size_t ile = dopisek.size() < miejsce ? dopisek.size() : miejsce;
  if (ile) std::memmove(tekst + dlugosc, dopisek.data(), ile);
  tekst[dlugosc + ile] = 0;
}

void KopiowanieNapisu(char* cel, const char* zrodlo) { KopiowanieNapisu(cel, WidokNapisu(zrodlo)); }
void DopisanieNapisu(char* tekst, const char* dopisek) { DopisanieNapisu(tekst, WidokNapisu(dopisek)); }

void DopisanieZnaku(char* tekst, char znak) {
  if (znak) DopisanieNapisu(tekst, std::string_view(&znak, 1));
}

void WstawienieZnakuNaPoczatek(char znak, char* tekst) {
  const std::size_t dlugosc = DlugoscNapisu(tekst);
  if (!znak || dlugosc == NajdluzszyNapis) return;
  std::memmove(tekst + 1, tekst, dlugosc);
  tekst[0] = znak;
  tekst[dlugosc + 1] = 0;
}

void PodNapis(char* tekst, unsigned od, unsigned do_) {
  const std::size_t dlugosc = DlugoscNapisu(tekst);
  if (od == 0 || od > dlugosc || do_ < od) {
    tekst[0] = 0;
    return;
  }
  const std::size_t koniec = do_ < dlugosc ? do_ : dlugosc;
  KopiowanieNapisu(tekst, std::string_view(tekst + od - 1, koniec - od + 1));
}

void DopisanieTrzech(char* tekst, const char* a, const char* b, const char* c) {
  for (const char* dopisek : {a, b, c}) DopisanieNapisu(tekst, WidokNapisu(dopisek));
}

namespace {

// OdciecieDoZnaku for a set of characters: the last occurrence of any of them.
void OdciecieDoZnakow(char* tekst, std::string_view znaki, bool zeZnakiem, char* czesc) {
  czesc[0] = 0;
  const std::string_view widok = WidokNapisu(tekst);
  const std::size_t pozycja = widok.find_last_of(znaki);
  if (pozycja == std::string_view::npos || (!zeZnakiem && pozycja == 0)) return;
  const std::size_t granica = zeZnakiem ? pozycja + 1 : pozycja;
  KopiowanieNapisu(czesc, widok.substr(0, granica));
  KopiowanieNapisu(tekst, widok.substr(granica));
}

}  // namespace

void OdciecieDoZnaku(char* tekst, char znak, bool zeZnakiem, char* czesc) {
  if (!znak) {
    czesc[0] = 0;
    return;
  }
  OdciecieDoZnakow(tekst, std::string_view(&znak, 1), zeZnakiem, czesc);
}

bool ZawieraZnak(const char* tekst, char znak) {
  return znak && WidokNapisu(tekst).find(znak) != std::string_view::npos;
}

bool NapisyRowne(const char* a, const char* b) { return WidokNapisu(a) == WidokNapisu(b); }

char WielkaLitera(char znak) { return (znak >= 'a' && znak <= 'z') ? static_cast<char>(znak - 'a' + 'A') : znak; }

void ZamianaNaWielkieLitery(char* tekst) {
  const std::size_t dlugosc = DlugoscNapisu(tekst);
  for (std::size_t i = 0; i < dlugosc; ++i) tekst[i] = WielkaLitera(tekst[i]);
}

uint8_t RozbiorSciezki(const char* sciezka, char* dysk, char* katalog, char* nazwa, char* rozszerzenie) {
  char reszta[256];
  KopiowanieNapisu(reszta, WidokNapisu(sciezka));
  OdciecieDoZnakow(reszta, ":", true, dysk);
  OdciecieDoZnakow(reszta, "\\/", true, katalog);
  rozszerzenie[0] = 0;
  if (ZawieraZnak(reszta, '.')) {
    OdciecieDoZnakow(reszta, ".", false, nazwa);
    KopiowanieNapisu(rozszerzenie, WidokNapisu(reszta));
  } else {
    KopiowanieNapisu(nazwa, WidokNapisu(reszta));
  }
  uint8_t flagi = 0;
  if (dysk[0]) flagi |= JestDysk;
  if (katalog[0]) flagi |= JestKatalog;
  if (nazwa[0]) flagi |= JestNazwa;
  if (rozszerzenie[0]) flagi |= JestRozszerzenie;
  return flagi;
}
