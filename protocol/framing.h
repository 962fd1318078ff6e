// The frames of the modem-frame mode: request and control frames, reception
// of the answer frame with its control byte, and the recovery after a failed
// reception. Every operation leaves its outcome in the current ResultCode.
#pragma once

#include <cstdint>

#include "protocol/line.h"

// Control frame types.
enum TypRamkiSterujacej : uint8_t {
  RamkaWersjiModulu = 1,          // read the module's version text
  RamkaZmianyHasla = 2,           // data: Sesja.Ramki.NoweHaslo
  RamkaLogowania = 3,             // data: Sesja.Lacze.HasloModulu
  RamkaPierwszegoSlowaCzasu = 4,  // data: the time-out word, low byte first
  RamkaDrugiegoSlowaCzasu = 5,    // data: the time-out word, low byte first
  RamkaPowtorzeniaOdpowiedzi = 6,
  RamkaLiczbyDzwonkow = 7,        // data: Sesja.Ramki.LiczbaDzwonkow
  RamkaDalszejCzesci = 8,
};

// The whole exchange of one request in frames: sends the request frame and
// receives the answer with the recovery procedure, re-sending the request as
// the recovery requires; the outcome is the current ResultCode.
void WymianaRamki(const ZadanieRamki& zadanie);
// Builds the request frame of the exchange and sends it (no carrier: 30;
// serial write failure: 32; TCP: 63 or 65).
void WyslanieRamkiRozkazu(const ZadanieRamki& zadanie);
// Receives one answer frame and stores its payload in Sesja.Wymiana.ObszarOdpowiedzi.
void OdebranieRamki();
// Sends one control frame and, when that succeeded, receives its answer
// (types 0 and above 8: 36, nothing sent).
void WyslanieRamkiSterujacej(uint8_t typ);
// Recovery after a failed OdebranieRamki or WyslanieRamkiSterujacej: asks for
// the answer again, logs in, sends the time-out words, fetches a second part,
// as the ResultCode requires; returns with the ResultCode that made it stop.
void ObslugaBleduRamki();
// Zeroes the repeat counters and the once-only flags: at the start of every exchange.
void ZerowanieStanuOdtwarzania();
// The next byte of the answer frame(s) (none left: ResultCode 45, 0).
uint8_t OdebranieBajtuOdpowiedzi();
