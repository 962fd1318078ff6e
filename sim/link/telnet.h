// The server side of RFC 2217 (a serial port over telnet): option
// negotiation, the COM-PORT-OPTION commands with their answers, data with the
// byte 0xFF doubled, and the modem-state notifications. No sockets here: bytes
// in, events and bytes out, so it can be tested on its own.
#pragma once

#include <bitset>
#include <cstdint>
#include <span>
#include <string>

#include "common/bytes.h"

namespace sim::telnet {

constexpr uint8_t IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;
constexpr uint8_t BINARY = 0, SGA = 3, COM_PORT = 44;
// COM-PORT-OPTION commands from the client; the server answers with the command plus 100.
constexpr uint8_t SIGNATURE = 0, SET_BAUDRATE = 1, SET_DATASIZE = 2, SET_PARITY = 3, SET_STOPSIZE = 4,
                  SET_CONTROL = 5, NOTIFY_LINESTATE = 6, NOTIFY_MODEMSTATE = 7, FLOWCONTROL_SUSPEND = 8,
                  FLOWCONTROL_RESUME = 9, SET_LINESTATE_MASK = 10, SET_MODEMSTATE_MASK = 11, PURGE_DATA = 12;
constexpr uint8_t ODPOWIEDZ = 100;
// Modem-state bits (the same as the driver's ModemStatus): CTS 0x10, DSR 0x20, ring 0x40, carrier 0x80.
constexpr uint8_t CTS = 0x10, DSR = 0x20, RI = 0x40, CD = 0x80;

struct UstawieniaPortu {
  uint32_t predkosc = 9600;
  uint8_t bity = 8;
  uint8_t parzystosc = 1;  // 1 none, 2 odd, 3 even, 4 mark, 5 space
  uint8_t stop = 1;        // 1 one, 2 two, 3 one and a half
  uint8_t przeplyw = 1;    // 1 none, 2 XON/XOFF, 3 hardware
  bool dtr = false, rts = false;
  uint8_t maskaModemu = 0xFF, maskaLinii = 0;
};

// What one batch of received bytes did.
struct Zdarzenia {
  Bajty dane;       // data bytes for the device
  Bajty doKlienta;  // negotiation replies and COM-PORT answers to send back
  bool zmianaPredkosci = false, zmianaLinii = false, zmianaRamki = false, czyszczenie = false;
};

class Serwer {
 public:
  // The server's opening offers: binary both ways, no go-ahead, COM-PORT-OPTION.
  Bajty Powitanie();
  void Odebrano(std::span<const uint8_t> wejscie, Zdarzenia& z);
  // Data bytes to the client, 0xFF doubled (and CR followed by NUL when the
  // client refused binary mode).
  Bajty Dane(std::span<const uint8_t> dane) const;
  // A NOTIFY-MODEMSTATE when the masked state changed (or was never sent),
  // once the client speaks COM-PORT-OPTION; empty otherwise.
  Bajty StanModemu(uint8_t stan);
  // A NOTIFY-LINESTATE of these line-error bits (break 0x10, framing 0x08,
  // parity 0x04, overrun 0x02) as the client's mask lets them through, once
  // the client speaks COM-PORT-OPTION; empty otherwise.
  Bajty StanLinii(uint8_t bledy) const;
  // The modem lines as they are now: a client that asks for them (its own
  // NOTIFY-MODEMSTATE, or a new mask) gets them at once, in order with the
  // answers to its other commands.
  void Linie(uint8_t stan) { linie_ = stan; }

  const UstawieniaPortu& Port() const { return port_; }
  bool ComPort() const { return jego_.test(COM_PORT); }

 private:
  enum class Tryb { Dane, Iac, Opcja, Sb, SbIac };
  void Opcja(uint8_t polecenie, uint8_t opcja, Bajty& wyjscie);
  void Podnegocjacja(Zdarzenia& z);
  void Odpowiedz(uint8_t polecenie, std::span<const uint8_t> dane, Bajty& wyjscie) const;
  // A NOTIFY-MODEMSTATE of these lines, with the deltas since the last one.
  Bajty Zawiadomienie(uint8_t stan);

  Tryb tryb_ = Tryb::Dane;
  uint8_t polecenie_ = 0;
  Bajty sb_;
  bool poCr_ = false;
  std::bitset<256> jego_, moje_, zadaneJego_, zadaneMoje_;
  UstawieniaPortu port_;
  int modem_ = -1;  // last state sent, -1: none yet
  uint8_t linie_ = 0;
};

}  // namespace sim::telnet
