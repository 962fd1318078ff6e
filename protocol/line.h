// The byte primitives of the register link. Direct mode moves single bytes over
// the serial port; the modem-frame modes (over the serial line, MUX2, and over
// TCP, MUX5) carry a whole exchange in one frame and hand the answer bytes out
// of it. The engine calls these and never asks which mode is in use.
#pragma once

#include <cstdint>

struct ZadanieRamki {
  uint8_t KodRozkazu;
  uint8_t DlugoscPierwszejOdpowiedzi;  // acknowledgement included
  uint8_t LiczbaParametrow;
  uint8_t DlugoscDrugiejOdpowiedzi;    // status byte included
  uint8_t DlugoscRekordu;              // end-marker record length, 0 when none
  bool StatusJestDana;
};

// Before a request: zero the received-byte counter and, on a serial line, ClearPort.
void CzyszczenieLacza();
// Direct mode: WriteByte, setting Sesja.Wymiana.BladBajtu; framed modes: nothing.
void WyslanieBajtu(uint8_t bajt);
// Direct mode: ReadByte (failure: BladBajtu and ResultCode 21); framed modes:
// the next answer byte of the answer frame (none left: ResultCode 45, 0).
uint8_t OdebranieBajtu();
// Framed modes: sends the request frame and receives the answer with the
// recovery procedure, re-sending the request as the recovery requires; the
// outcome is the current ResultCode. Direct mode: does nothing.
void WymianaRamki(const ZadanieRamki& zadanie);
// True in the modem-frame modes (MUX2 and MUX5).
bool TrybRamkowy();
// Carrier detect of the serial line; the TCP link always counts as connected.
bool JestNosna();
// Direct mode: waits until the port has sent every byte (CharSent); true in the framed modes.
bool WyslanoWszystko();

// The serial port functions the line modes go through. The real port is the
// default; a test or a fuzzer puts its own byte source and sink in its place.
struct PortSzeregowyLacza {
  uint8_t (*ZapisBajtu)(uint8_t bajt);     // 1 written
  uint8_t (*OdczytBajtu)(uint8_t* bajt);   // 1 read
  uint8_t (*StatusModemu)();               // 0x80 carrier detect
  int32_t (*Czyszczenie)();                // discard both queues
  uint8_t (*WyslanoZnaki)();               // every byte sent
};
// nullptr puts the real serial port back.
void PodstawieniePortuSzeregowego(const PortSzeregowyLacza* port);
