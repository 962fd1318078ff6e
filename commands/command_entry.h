// The shape every command entry point shares: the prologue that prepares the
// session, one body, and the epilogue that closes it; and the three kinds of
// body, so that a command file holds little more than its own data layout.
#pragma once

#include <cstdint>

// The prologue flags of a command; the defaults are those of almost every command.
struct OpisFunkcji {
  const char* Nazwa;  // the entry point's name without the leading underscore
  uint8_t JestPlikWynikowy = 0;
  uint8_t NowyPlikWynikowy = 1;
  uint8_t OdczytacNumerKasy = 1;
  uint8_t SprawdzacNumerKasy = 1;
  uint8_t OdczytacTypKasy = 1;
  uint8_t PolaczenieZKasa = 1;
};

// Prologue, the body when the session opened, epilogue; returns the ResultCode.
// wyjscie is nullptr for a command without an output file.
uint8_t WykonanieFunkcji(const OpisFunkcji& opis, const char* wejscie, const char* wyjscie, void (*cialo)());

// The four arguments of one request (see WykonanieRozkazu).
struct Rozkaz {
  uint8_t Kod;
  uint8_t DlugoscPierwszej;
  uint8_t LiczbaParametrow;
  uint8_t DlugoscDrugiej;
};
void Wykonanie(const Rozkaz& rozkaz);

// Writes one data line to the output file; false and ResultCode 17 when it cannot.
bool ZapisanieLiniiWyniku(const char* linia);

// Body kind 1: one request (parameters filled by `parametry` when given); on
// success `wiersze` turns the answer into output lines with ZapisanieLiniiWyniku.
void CialoPojedynczejOdpowiedzi(const Rozkaz& rozkaz, void (*parametry)(), void (*wiersze)());

// Body kind 2: records 1, 2, ... requested one by one until the first request
// that fails; the command's end-of-records code then counts as success.
struct OdczytRekordow {
  Rozkaz rozkaz;
  uint8_t KodKoncaRekordow;           // the ResultCode of "no such record"
  void (*Parametry)(uint32_t numer);  // nullptr: the number in parameter byte 0
  // Builds the output line of record `numer` from the answer; false: nothing to write.
  bool (*Linia)(uint32_t numer, char* linia);
  uint32_t Ostatni = 255;  // the highest record number the request can address
};
void CialoOdczytuRekordow(const OdczytRekordow& odczyt);

// Body kind 3: each data line of the input file is checked and sent. `Pola`
// is called with ResultCode 11 in force; it takes and checks the fields and
// fills the parameters, answering true when the request is to be sent (it may
// set 19 itself for a value out of range). `Wyslanie`, when given, replaces
// the one request `rozkaz`.
struct ZapisLiniami {
  Rozkaz rozkaz;
  bool (*Pola)(const char* linia);
  void (*Wyslanie)() = nullptr;
  bool TylkoPierwszaLinia = false;  // further data lines are ignored
};
void CialoZapisuLiniami(const ZapisLiniami& zapis);
