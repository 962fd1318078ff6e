// Wide numbers of the register (6 and 8 bytes, least significant byte first)
// as decimal text, and the utilities of the 256-byte text buffers. Every text
// operation reads at most 255 bytes of its input and keeps its output within
// 255 bytes and the terminator, whatever it is given. ZerowanieNapisu, which
// clears a whole buffer, is exported and declared in karvo.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// ---- wide numbers ----------------------------------------------------------

// Outcomes of the text-to-number conversion, also kept in Konwersja.Blad.
enum WynikKonwersji : uint8_t { KonwersjaPoprawna = 0, ZnacznikZlegoZnaku = 1, ZnacznikPrzepelnienia = 2 };

struct StanKonwersji {
  uint8_t Blad = KonwersjaPoprawna;
  uint8_t Reszta = 0;  // remainder of the last division by 10
};
extern StanKonwersji Konwersja;

// Decimal text to an 8-byte number: spaces anywhere are skipped, an empty
// text is 0. On a character that is neither digit nor space the result is
// ZnacznikZlegoZnaku, on a value of 2^64 or more ZnacznikPrzepelnienia; the
// number is then 0.
uint8_t TekstNaLiczbeOsmiobajtowa(const char* tekst, uint8_t liczba[8]);
// The decimal text without leading zeros ("0" for zero), at most 20 digits,
// written to tekst (at least 21 bytes).
void LiczbaOsmiobajtowaNaTekst(const uint8_t liczba[8], char* tekst);
void LiczbaSzesciobajtowaNaTekst(const uint8_t liczba[6], char* tekst);
void ZerowanieLiczbyOsmiobajtowej(uint8_t liczba[8]);
void ZerowanieLiczbySzesciobajtowej(uint8_t liczba[6]);

// Little-endian byte runs of up to 8 bytes and their values.
uint64_t WartoscBajtow(const uint8_t* bajty, std::size_t ile);
void ZapisBajtow(uint64_t wartosc, uint8_t* bajty, std::size_t ile);

// ---- text buffers ------------------------------------------------------------

constexpr std::size_t NajdluzszyNapis = 255;

// The length of a text, counting at most 255 bytes.
std::size_t DlugoscNapisu(const char* tekst);
std::string_view WidokNapisu(const char* tekst);
// Copies the text (its first 255 bytes) into cel.
void KopiowanieNapisu(char* cel, std::string_view zrodlo);
void KopiowanieNapisu(char* cel, const char* zrodlo);
// Appends as much of the text as fits.
void DopisanieNapisu(char* tekst, std::string_view dopisek);
void DopisanieNapisu(char* tekst, const char* dopisek);
void DopisanieZnaku(char* tekst, char znak);
// Puts the character in front; a full text (255 bytes) stays as it is.
void WstawienieZnakuNaPoczatek(char znak, char* tekst);
// Keeps the characters od..do (1-based, inclusive; do cut to the length); the
// text becomes empty when od is 0, od lies beyond the end or do is below od.
void PodNapis(char* tekst, unsigned od, unsigned do_);
void DopisanieTrzech(char* tekst, const char* a, const char* b, const char* c);
// Cuts the text at the last occurrence of znak. With zeZnakiem the part is
// everything up to and including znak and the text keeps what follows; without
// it the part is everything before znak and the text keeps znak and the rest.
// When znak is absent (or, without zeZnakiem, stands first) the part is empty
// and the text unchanged.
void OdciecieDoZnaku(char* tekst, char znak, bool zeZnakiem, char* czesc);
bool ZawieraZnak(const char* tekst, char znak);
bool NapisyRowne(const char* a, const char* b);
// ASCII letters to upper case; other bytes stay.
char WielkaLitera(char znak);
void ZamianaNaWielkieLitery(char* tekst);

// Flags of RozbiorSciezki.
enum CzesciSciezki : uint8_t { JestDysk = 16, JestKatalog = 8, JestNazwa = 4, JestRozszerzenie = 2 };
// Splits a path into drive ("C:"), directory (with its trailing separator,
// "\" or "/"), name and extension (from the last "." on); every out buffer
// holds 256 bytes. Answers the flags of the parts present.
uint8_t RozbiorSciezki(const char* sciezka, char* dysk, char* katalog, char* nazwa, char* rozszerzenie);
