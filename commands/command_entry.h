// The shape every command entry point shares: its descriptor, the prologue
// that prepares the session, one body, and the epilogue that closes it; and
// the three kinds of body, so that a command file holds little more than its
// own data layout.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/engine.h"
#include "protocol/requests.h"
#include "state/result_codes.h"
#include "state/session_state.h"

class LiniaWyniku;

// A command: its CommandCode, names, prologue flags and body. The defaults
// of the flags are those of almost every command. Written once, in the
// command's own file, through KARVO_FUNKCJA or KARVO_FUNKCJA_Z_WYJSCIEM.
struct OpisFunkcji {
  int32_t Kod = 0;                     // the CommandCode
  const char* NazwaWydruku = nullptr;  // the name the result message prints, where it differs
  uint8_t NowyPlikWynikowy = 1;        // 0: the output file is appended to
  uint8_t OdczytacNumerKasy = 1;
  uint8_t SprawdzacNumerKasy = 1;
  uint8_t OdczytacTypKasy = 1;
  uint8_t PolaczenieZKasa = 1;         // 0: a command on files only
  // 1: a command that zeroes what it reads: an output file that holds data
  // lines is kept as a numbered copy before the session empties it.
  uint8_t ZachowanieWyniku = 0;
  void (*Cialo)() = nullptr;           // runs once the session has opened
  // Filled by the macros: the entry point's name with its underscore, and
  // whether it takes an output file (JestPlikWynikowy).
  const char* Nazwa = nullptr;
  uint8_t JestPlikWynikowy = 0;
};

// Prologue, the body when the session opened, epilogue; returns the ResultCode.
// wyjscie is nullptr for a command without an output file.
uint8_t WykonanieFunkcji(const OpisFunkcji& opis, const char* wejscie, const char* wyjscie);

// The prologue alone: the reset, the descriptor's names and flags, the
// configuration and the session open; false when the session did not open.
bool OtwarcieSesjiFunkcji(const OpisFunkcji& opis, const char* wejscie, const char* wyjscie);

// A command that runs others (_SortPak, _OSpOpMax): its own session opens
// first, the descriptor's body (when it has one) and then `Sprawdzenie` check
// what the sequence needs there (names from the input file into the caller's
// value), and the session closes. Its report
// would say 0 before anything ran: on success it is put aside and dropped, on
// a failure it is kept, and the ResultCode is returned either way. The
// session record still holds the sequence's names when this returns.
uint8_t ZamkniecieSesjiSekwencji();
template <typename... Stan>
uint8_t SesjaSekwencji(const OpisFunkcji& opis, const char* wejscie, const char* wyjscie,
                       void (*Sprawdzenie)(Stan&... stan), Stan&... stan) {
  if (OtwarcieSesjiFunkcji(opis, wejscie, wyjscie)) {
    if (opis.Cialo) opis.Cialo();
    if (BrakBledu() && Sprawdzenie) Sprawdzenie(stan...);
  }
  return ZamkniecieSesjiSekwencji();
}
// A sequence that checks nothing beyond what its session checks.
inline uint8_t SesjaSekwencji(const OpisFunkcji& opis, const char* wejscie, const char* wyjscie) {
  if (OtwarcieSesjiFunkcji(opis, wejscie, wyjscie) && opis.Cialo) opis.Cialo();
  return ZamkniecieSesjiSekwencji();
}
// A failure a sequence finds itself about a file: its code, in a report of the
// sequence's own that names the file, from a session on files only.
uint8_t RaportSekwencji(const OpisFunkcji& opis, const char* wejscie, const char* plik, IndeksBledu blad);

// The CommandCode table, built from the descriptors as the program loads.
using FunkcjaWejscia = uint8_t (*)(const char* wejscie);
using FunkcjaWejsciaIWyjscia = uint8_t (*)(const char* wejscie, const char* wyjscie);
struct PozycjaFunkcji {
  const OpisFunkcji* Opis;
  FunkcjaWejscia Wejscie;                  // set for entry points without an output file
  FunkcjaWejsciaIWyjscia WejscieIWyjscie;  // set for those with one
};
struct RejestracjaFunkcji {
  RejestracjaFunkcji(const OpisFunkcji& opis, FunkcjaWejscia wejscie);
  RejestracjaFunkcji(const OpisFunkcji& opis, FunkcjaWejsciaIWyjscia wejscieIWyjscie);
};
// The entry of a CommandCode, or nullptr when no built command has it.
const PozycjaFunkcji* ZnalezienieFunkcji(int32_t kod);
// Every registered command, in no particular order.
const PozycjaFunkcji* PozycjeFunkcji(std::size_t& liczba);

constexpr OpisFunkcji UzupelnienieOpisu(OpisFunkcji opis, const char* nazwa, uint8_t zWyjsciem) {
  opis.Nazwa = nazwa;
  opis.JestPlikWynikowy = zWyjsciem;
  return opis;
}

// Defines the exported entry point Karvo_<nazwa> (its symbol "_<nazwa>" is
// declared in karvo.h) from the descriptor given by designated initializers,
// and puts it in the CommandCode table:
//   KARVO_FUNKCJA_Z_WYJSCIEM(ONrKasy, .Kod = 113, .SprawdzacNumerKasy = 0, .Cialo = ZapisanieNumeru);
#define KARVO_FUNKCJA_Z_WYJSCIEM(nazwa, ...)                                                          \
  static constexpr OpisFunkcji Opis##nazwa = UzupelnienieOpisu(OpisFunkcji{__VA_ARGS__}, "_" #nazwa, 1); \
  uint8_t Karvo_##nazwa(const char* wejscie, const char* wyjscie) {                                   \
    return WykonanieFunkcji(Opis##nazwa, wejscie, wyjscie);                                           \
  }                                                                                                   \
  static const RejestracjaFunkcji Rejestracja##nazwa(Opis##nazwa, Karvo_##nazwa)
// The same for an entry point that takes the input file only.
#define KARVO_FUNKCJA(nazwa, ...)                                                                     \
  static constexpr OpisFunkcji Opis##nazwa = UzupelnienieOpisu(OpisFunkcji{__VA_ARGS__}, "_" #nazwa, 0); \
  uint8_t Karvo_##nazwa(const char* wejscie) { return WykonanieFunkcji(Opis##nazwa, wejscie, nullptr); } \
  static const RejestracjaFunkcji Rejestracja##nazwa(Opis##nazwa, Karvo_##nazwa)

// The descriptor of a sequence whose entry point Karvo_<nazwa> (declared in
// karvo.h) its file writes by hand around SesjaSekwencji, and its place in
// the CommandCode table; zWyjsciem 1 for an entry point with an output file.
#define KARVO_SEKWENCJA(nazwa, zWyjsciem, ...)                                                          \
  static constexpr OpisFunkcji Opis##nazwa = UzupelnienieOpisu(OpisFunkcji{__VA_ARGS__}, "_" #nazwa, zWyjsciem); \
  static const RejestracjaFunkcji Rejestracja##nazwa(Opis##nazwa, Karvo_##nazwa)

// Writes one data line to the output file; false and ResultCode 17 when it cannot.
bool ZapisanieLiniiWyniku(const char* linia);

// Body kind 1: one request (parameters filled by `Parametry` when given); on
// success `Wiersze` turns the answer into output lines (LiniaWyniku::Zapisanie).
struct PojedynczaOdpowiedz {
  Rozkaz rozkaz;
  void (*Wiersze)();
  void (*Parametry)() = nullptr;
};
void CialoPojedynczejOdpowiedzi(const PojedynczaOdpowiedz& odczyt);

// Body kind 2: records requested one by one, from `Pierwszy` to `Ostatni`,
// until the first request that fails. The record number goes into parameter
// byte 0 unless `Parametry` fills them; `Linia` builds the one output line of
// a record (false: nothing to write), or `Linie` writes the lines of an answer
// that holds several (false ends the readout). A failed request ends the
// readout with its ResultCode, except for the few codes a readout gives a
// meaning: the end of the records (success), a number without a record
// (skipped, from `PominiecieOd` on), the register having no such table (25).
struct OdczytRekordow {
  Rozkaz rozkaz;
  uint8_t KodKoncaRekordow = 0;  // the ResultCode of "no such record"; 0: none
  bool (*Linia)(uint32_t numer, LiniaWyniku& linia) = nullptr;
  void (*Parametry)(uint32_t numer) = nullptr;  // nullptr: the number in parameter byte 0
  uint32_t Ostatni = 255;                       // the highest record number the request can address
  uint32_t Pierwszy = 1;
  uint8_t KodPominiecia = 0;  // the ResultCode of "no record under this number"; 0: none
  uint32_t PominiecieOd = 0;  // the lowest number that may be skipped so
  uint8_t KodBrakuTablicy = 0;  // the ResultCode of a register without the table; 0: none
  bool (*Linie)(uint32_t numer) = nullptr;
};
void CialoOdczytuRekordow(const OdczytRekordow& odczyt);

// Body kind 3: each data line of the input file is checked and sent. `Pola`
// is called with ResultCode 11 in force; it takes and checks the fields (the
// field readers of datafiles/field_readers.h) and fills the parameters, answering
// true when the request is to be sent (it may set 19 itself for a value out
// of range). `Wyslanie`, when given, replaces the one request `rozkaz`.
// What `Pola` reads from a line and `Wyslanie` needs travels in a value of
// the command's own type, kept on the body's stack and handed to both:
//   struct Linia { uint16_t Numer = 0; };
//   bool NumerZLinii(const char* linia, Linia& l) { return PoleWord(linia, 1, l.Numer); }
//   void Odczyt(Linia& l) { ... l.Numer ... }
//   Linia l;
//   CialoZapisuLiniami({.rozkaz = {}, .Pola = NumerZLinii, .Wyslanie = Odczyt}, l);
// A command whose lines need nothing kept gives no value.
template <typename... Stan>  // none, or the command's per-line value
struct ZapisLiniami {
  Rozkaz rozkaz;
  bool (*Pola)(const char* linia, Stan&... stan);
  void (*Wyslanie)(Stan&... stan) = nullptr;
  bool TylkoPierwszaLinia = false;  // further data lines are ignored
};

// The `Pola` of the lines whose fields are the request's parameters as they
// stand: field 1 a byte; field 1 a word (low byte first); field 1 a word and
// field 2 a byte. The last keeps the number for the line's send as well.
bool BajtJakoParametr(const char* linia);
bool WordJakoParametr(const char* linia);
bool WordIBajtJakoParametry(const char* linia);
bool NumerJakoParametr(const char* linia, uint16_t& numer);

// The steps of kind 3 that do not depend on the command's value: the next
// data line with ResultCode 11 in force (false at the end of the input, with
// 11 for a bad line and 10 when there was no data line at all), and whether
// the loop goes on after a line.
bool PobranieLiniiDanych(Napis& linia, bool& przeczytano);
bool DalszaLiniaDanych(bool tylkoPierwszaLinia);

template <typename... Stan>
void CialoZapisuLiniami(const ZapisLiniami<Stan...>& zapis, Stan&... stan) {
  bool przeczytano = false;
  do {
    Napis linia{};
    if (!PobranieLiniiDanych(linia, przeczytano)) return;
    if (!zapis.Pola(linia, stan...)) continue;
    UstawBlad(BezBledu);
    if (zapis.Wyslanie)
      zapis.Wyslanie(stan...);
    else
      WykonanieRozkazu(zapis.rozkaz);
  } while (DalszaLiniaDanych(zapis.TylkoPierwszaLinia));
}
