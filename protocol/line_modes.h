// The line modes as one table of operations: how the line opens, closes and
// selects its channel, how the engine's bytes travel and how frames do. The
// mode is chosen once, when the line opens, from the configured link kind
// (the digit after "MUX") and kept with the open line; everything else calls
// through the kept entry. This header and line_modes.cpp are the only places
// that know the link kinds.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/line.h"

// What field 5 of a KONFIG.TXT line holds for a link kind.
enum class UstawieniaModulu : uint8_t { Brak, Modem, Siec };

struct TrybLacza {
  // ---- what the configuration line of this kind holds ----
  uint8_t NajwyzszyKanal;     // the highest channel (register address) allowed
  UstawieniaModulu Modul;     // field 5; with a module the port runs at 19200 on channel 2
  // ---- opening and closing ----
  uint8_t ParzystoscDomyslna;  // parity selector when the speed is neither 9600 nor 19200
  bool (*OtwarciePortu)(uint8_t parzystosc);  // the port or the socket; true when open
  void (*WyborKanalu)();      // after the open; ResultCode 52 when a multiplexer fails
  void (*ZamknieciePortu)();
  // ---- what the engine sees ----
  bool Ramkowy;
  void (*Czyszczenie)();
  uint32_t (*BajtyCzekajace)();  // bytes on the line no request has asked for yet; 0 where none can reach the engine
  void (*WyslanieBajtu)(uint8_t bajt);
  void (*WyslanieBajtow)(const uint8_t* bajty, uint32_t ile);
  uint8_t (*OdebranieBajtu)();
  void (*WyslanieZadania)(const ZadanieRamki& zadanie);
  bool (*WyslanoWszystko)();
  bool BajtySpozaDlugosci;    // bytes beyond the request's lengths reach the engine
  // ---- how frames travel; each sets its own ResultCode on failure ----
  bool (*JestNosna)();
  bool (*WyslanieBajtowRamki)(const uint8_t* bufor, std::size_t dlugosc);
  bool (*OdbiorBajtuRamki)(uint8_t* bajt);
  uint8_t (*AdresWRamce)();   // the register's address on the module
};

// The entry of a link kind (0 to 5), and how many kinds there are.
const TrybLacza& TrybDlaRodzaju(uint8_t rodzaj);
uint8_t LiczbaRodzajowLacza();
// Keeps the mode of a link kind with the line. The line's open does it; a
// test or a fuzzer that drives the line without opening a port does it itself.
void WybranieTrybuLacza(uint8_t rodzaj);
// The entry every primitive goes through: the kept mode, or the byte-wise
// serial mode while the modem commands talk to the modem itself.
const TrybLacza& BiezacyTrybLacza();
// True in the modem-frame modes (for the tests and the trace).
bool TrybRamkowy();
