// Internal error indices and the ResultCodes they become.
#pragma once

#include <cstdint>

#include "state/session_state.h"

// The internal error indices. Up to 65 the index and its ResultCode are the
// same number; the register's own error statuses have ResultCode 100 +
// status (see WynikStatusuKasy) and are set with UstawWynik.
enum IndeksBledu : uint8_t {
  BezBledu = 0,
  // ---- files and names ----
  BrakNazwyWejscia = 1,
  ZastrzezonaNazwaWejscia = 2,   // the input name is one of the driver's own files
  BrakNazwyWyjscia = 3,
  ZastrzezonaNazwaWyjscia = 4,
  WyjscieRowneWejsciu = 5,
  BladOtwarciaWejscia = 6,
  BladOtwarciaKonfiguracji = 7,
  BladOtwarciaWyjscia = 8,
  BladUtworzeniaRaportu = 9,
  BrakLiniiWejscia = 10,         // the input ends where a header or data line is required
  BladLiniiWejscia = 11,         // a line of the wrong kind, or a field missing or invalid
  BladLiczbyDzwonkow = 12,       // the modem's ring count outside 1..9
  PustaKonfiguracja = 13,        // KONFIG.TXT has no data line
  BrakKasyWKonfiguracji = 14,
  BladLiniiKonfiguracji = 16,
  BladZapisuWyjscia = 17,
  BladZapisuRaportu = 18,
  WartoscPozaZakresem = 19,
  // ---- the exchange with the register ----
  BladWyslania = 20,             // a byte could not be written or did not leave the port
  BrakOdpowiedzi = 21,           // no byte came back; the only code tried again
  InnyNumerKasy = 22,
  NieoczekiwanaOdpowiedz = 23,
  OdmowaRozkazu = 24,            // the register answered 0x15: it does not know the request
  RozkazNieobslugiwany = 25,     // the register offers neither form of a readout
  PotwierdzenieC8 = 26,          // the register answered 0xC8
  // ---- modem and link layer ----
  BladOtwarciaModkonf = 27,
  BladLiniiModkonf = 28,
  NosnaJuzJest = 29,
  BrakNosnej = 30,
  NosnaNieUstalona = 31,
  BladWyslaniaRamki = 32,
  BrakOdpowiedziRamki = 33,
  BladCrcRamki = 34,
  RamkaOdrzucona = 35,           // the module asks for the whole request again
  OdmowaTypuRamki = 36,
  BladModulu37 = 37,
  BladModulu38 = 38,
  WymaganeLogowanie = 39,
  WymaganyPierwszyCzas = 40,
  WymaganyDrugiCzas = 41,
  BladModulu42 = 42,
  NieznanaOdpowiedzRamki = 43,
  BrakBajtuOdpowiedzi = 45,      // the answer frame holds fewer bytes than the request expects
  NiezgodnoscDanych = 46,        // the register's status 0x13, or a check byte that does not match
  BladUstawieniaLacza = 52,      // the multiplexer channel could not be selected
  PierwszaCzescOdpowiedzi = 53,  // the module's answer has a second part
  BladSerwera = 54,              // the Server file is bad or the Server sent an unknown command
  PrzerwaniePrzezSerwer = 56,
  // ---- the identification cache and the link ----
  BladOtwarciaEcrtbuf = 59,
  BladLiniiEcrtbuf = 60,
  BladZapisuEcrtbuf = 61,
  BladOtwarciaLacza = 62,
  BladWyslaniaGniazda = 63,      // not every byte went out on the socket
  BrakOdpowiedziGniazda = 64,    // no byte within the socket's time-out
  BladGniazda = 65,              // any failure of the socket itself
};

// KodBledu turns an internal error index into the ResultCode byte.
constexpr uint8_t KodBledu(uint8_t indeks) {
  // The codes above 65 are grouped as the register's own error statuses (100 + status).
  if (indeks >= 66 && indeks <= 70) return static_cast<uint8_t>(indeks + 35);
  if (indeks >= 71 && indeks <= 82) return static_cast<uint8_t>(indeks + 36);
  if (indeks >= 83 && indeks <= 95) return static_cast<uint8_t>(indeks + 117);
  if (indeks == 96) return 215;
  if (indeks == 97) return 217;
  if (indeks >= 98 && indeks <= 110) return static_cast<uint8_t>(indeks + 122);
  return indeks;
}
// The ResultCode of the register's own error status.
constexpr uint8_t WynikStatusuKasy(uint8_t status) { return static_cast<uint8_t>(100 + status); }

// Every step tests and sets the current ResultCode, so these are inline: the
// engine does so several times for every byte of an answer.

// True while no step of the command has failed.
inline bool BrakBledu() { return Sesja.BiezacyWynik == KodBledu(BezBledu); }
// Sets the current ResultCode from an error index (every failing step uses it).
inline void UstawBlad(IndeksBledu indeks) { Sesja.BiezacyWynik = KodBledu(indeks); }
// Sets the ResultCode itself, for the register's statuses (100 + status) that
// have no error index of their own, and for a ResultCode kept from before.
inline void UstawWynik(uint8_t kod) { Sesja.BiezacyWynik = kod; }
// Whether the current ResultCode is the one of this index.
inline bool JestBlad(IndeksBledu indeks) { return Sesja.BiezacyWynik == KodBledu(indeks); }
