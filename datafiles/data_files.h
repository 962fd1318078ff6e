// Lines and fields of the data files: the operations that are not exported
// (the exported ones are declared in karvo.h). Lines end with the process-wide
// terminator Proces.ZnakiKoncaLinii and hold at most 255 bytes; fields are
// separated by tabs, sub-fields by colons, the names of a name list by
// semicolons.
#pragma once

#include <cstdint>

#include "karvo.h"

constexpr char ZnakKomentarza = ';';
constexpr char ZnakNaglowka = '#';
constexpr char ZnakDanych = '$';
constexpr char SeparatorPol = '\t';
constexpr char SeparatorPodpol = ':';
constexpr char SeparatorNazw = ';';

// One raw line of any kind, without its terminator. No at the end of the
// file, at an empty line and at a line longer than 255 bytes.
uint8_t OdczytanieLinii(int32_t uchwyt, char* linia);
// Says on standard error where the reading of a data file stopped before its
// end (an empty line, a line over 255 bytes, LF line ends) when the reading
// never went on past that point; the session's close calls it.
void ZgloszenieNieprzeczytanychLinii();
uint8_t OdczytanoZPlikuLinieNaglowka(int32_t uchwyt, char* linia, uint8_t* zlaLinia);
// Writes one header line: "#", the text (at most 255 bytes) and the terminator.
uint8_t ZapisanoDoPlikuLinieNaglowka(int32_t uchwyt, const char* tekst);

// Field numer (from 1) of the text split at the separator; an empty field is missing.
uint8_t PobranieDanej(const char* tekst, uint8_t numer, char separator, char* pole);
uint8_t NapisZawieraDanaPoDwukropku(const char* tekst, uint8_t numer, char* pole);
uint8_t NapisZawieraDanaPoSredniku(const char* tekst, uint8_t numer, char* pole);
// Clean-up of a configuration value: the ";" comment goes, blanks (space, tab)
// are trimmed at both ends, letters become upper case.
void OczyszczenieNapisu(char* tekst);

// Opens a data file for appending lines (mode 2). A last line without its
// terminator (a run killed while writing it) gets the terminator's missing
// bytes first, said on standard error, so that the next line stands on its own.
uint8_t OtwartoPlikDoDopisania(int32_t* uchwyt, const char* sciezka);
// Opens and closes at once: whether the file exists (mode 0) or can be created.
uint8_t PlikDajeSieOtworzyc(const char* sciezka, uint8_t tryb);
