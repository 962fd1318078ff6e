// The line to the register as the engine and the session see it: opening and
// closing it, and its byte primitives. Direct mode moves single bytes over the
// serial port; the modem-frame modes (over the serial line, MUX2, and over
// TCP, MUX5) carry a whole exchange in one frame and hand the answer bytes out
// of it. Which mode is in use is the line's own affair (protocol/line_modes.h):
// nothing here tells it.
#pragma once

#include <cstdint>

#include "protocol/requests.h"

// One request as the frame of the modem-frame modes carries it.
struct ZadanieRamki {
  Rozkaz rozkaz;
  uint8_t DlugoscRekordu;  // end-marker record length, 0 when none
  bool StatusJestDana;
};

// ---- opening and closing ----

// Opens the line in the mode of the configured link kind and keeps that mode
// with it; a line kept open (UstawieniePozostawiacOtwartyPortSzeregowy) stays
// as it is, in the mode it was opened in. The outcome is the current
// ResultCode; LaczeOtwarte() tells whether it opened.
void OtwarcieLacza();
// Closes the line unless it is kept open between commands.
void ZamkniecieLacza();
bool LaczeOtwarte();
// Whether the line is kept open between commands (UstawieniePozostawiacOtwartyPortSzeregowy).
bool PozostawianieOtwartegoLacza();

// ---- byte primitives ----

// Zero the received-byte counter and, on a serial line, ClearPort; in direct
// mode a line left unsettled (NiedokonczonaWymiana) is first let go quiet.
void CzyszczenieLacza();
// Before a request: CzyszczenieLacza, and in direct mode no byte may wait.
// Bytes that wait although this session has taken an answer came after it and
// make it suspect: the request is not sent and the ResultCode is 23. Bytes
// before the session's first answer were left by someone else: they are let
// go with whatever follows them until the line is quiet.
void PrzygotowanieLaczaDoRozkazu();
// After an exchange that ended without its whole answer: the register may
// still be sending, so in direct mode the line is let go quiet before it
// carries anything else (a retry, the next request, the next run after the close).
void NiedokonczonaWymiana();
// Whether nothing has come since the last answer was taken (direct mode: no
// byte waits once the bytes still on their way at the line's speed have had
// time to arrive); false with ResultCode 23 when something has.
bool CiszaPoOdpowiedzi();
// An error answer ended early: on a direct line the ile bytes that a register
// padding its error answers to their declared length sends after it belong to
// it and are let go at once. Whether it pads is seen at its first error answer.
void DopelnienieOdpowiedzi(uint32_t ile);
// Direct mode: WriteByte, setting Sesja.Wymiana.BladBajtu; framed modes: nothing.
void WyslanieBajtu(uint8_t bajt);
// WyslanieBajtu of bytes that follow one another with no answer between them:
// a direct line writes them in one go (the same bytes in the same order).
void WyslanieBajtow(const uint8_t* bajty, uint32_t ile);
// Direct mode: ReadByte (failure: BladBajtu and ResultCode 21); framed modes:
// the next answer byte of the answer frame (none left: ResultCode 45, 0).
uint8_t OdebranieBajtu();
// The next ile bytes OdebranieBajtu takes are the rest of one answer whose
// first byte is in: a direct line waits for them as a whole (one wake-up,
// not one a byte). 0 once the answer is over or has ended early. The bytes'
// time-outs keep their meaning.
void ResztaOdpowiedzi(uint32_t ile);
// Framed modes: the whole exchange as a request frame and its answer, with the
// recovery; the outcome is the current ResultCode. Direct mode: nothing (the
// bytes go one by one).
void WyslanieZadania(const ZadanieRamki& zadanie);
// Direct mode: waits until the port has sent every byte (CharSent); true in the framed modes.
bool WyslanoWszystko();
// Carrier detect of the serial line; the TCP link always counts as connected.
bool JestNosna();
// What the serial port has received and not yet handed out, taken without
// waiting (the modem's replies to its commands): at most ile bytes.
uint32_t OdczytCzekajacychBajtow(uint8_t* bajty, uint32_t ile);
// The serial port's far end has gone (a port server that closed the connection).
bool PortSzeregowyZerwany();
// Whether bytes the register adds beyond the request's lengths reach the
// engine: on a direct line they do; the module relays only what the frame asked for.
bool BajtySpozaDlugosciDochodza();

// The serial port functions the line modes go through. The real port is the
// default; a test or a fuzzer puts its own byte source and sink in its place.
struct PortSzeregowyLacza {
  uint8_t (*ZapisBajtu)(uint8_t bajt);     // 1 written
  uint8_t (*OdczytBajtu)(uint8_t* bajt);   // 1 read
  uint8_t (*StatusModemu)();               // 0x80 carrier detect
  int32_t (*Czyszczenie)();                // discard both queues
  uint8_t (*WyslanoZnaki)();               // every byte sent
  uint32_t (*BajtyWKolejce)();             // bytes waiting to be read; nullptr: the port cannot tell
  // OdczytBajtu with the bytes of the answer still due, this one included;
  // nullptr: OdczytBajtu.
  uint8_t (*OdczytBajtuOdpowiedzi)(uint8_t* bajt, uint32_t zapowiedziane) = nullptr;
  // 1 when the last read failed on damaged bytes, not for want of one; nullptr: never.
  uint8_t (*BladLinii)() = nullptr;
  // 1 when the port's far end has gone (a port server that closed); nullptr: never.
  uint8_t (*Zerwany)() = nullptr;
  // ZapisBajtu for several bytes in one write, answering how many went; nullptr: byte by byte.
  uint32_t (*ZapisBajtow)(const uint8_t* bajty, uint32_t ile) = nullptr;
};
// nullptr puts the real serial port back.
void PodstawieniePortuSzeregowego(const PortSzeregowyLacza* port);
// The port the primitives use now (the wire capture puts itself around it).
const PortSzeregowyLacza& PortSzeregowyWUzyciu();
