// The dial-up line to a communication module: the modem's own commands, the
// control exchanges with the module, and the wait for the carrier. The modem
// commands (_ModStart, _ModStop, _ModHaslo, _ModNrWer, _ModIlDzw) share them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/framing.h"

// The pauses the modem needs around its commands, in milliseconds.
constexpr uint32_t PAUZA_KOMENDY_MS = 100;     // before and after every command
constexpr uint32_t PAUZA_PIN_MS = 4000;        // after a line that gives the SIM card's PIN
constexpr uint32_t PAUZA_ESKAPE_MS = 2000;     // the silence on either side of "+++"

constexpr std::size_t DLUGOSC_HASLA_MODULU = 8;
constexpr std::size_t DLUGOSC_WERSJI_MODULU = 12;

// The modem's command texts.
inline constexpr const char* KOMENDA_ESKAPE = "+++";   // sent without a carriage return
inline constexpr const char* KOMENDA_ROZLACZENIA = "ATH0";
inline constexpr const char* KOMENDA_WYBIERANIA = "ATD";
inline constexpr const char* ZNACZNIK_PIN = "PIN";

// The next command of the modem's initialisation file (MODKONF.TXT): its
// next data line, in upper case. False at the end of its lines; zla is then
// set when a line of another kind ended them.
bool OdczytanieKomendyModemu(int32_t plik, char* komenda, uint8_t& zla);
// The bytes of a modem command as they go to the modem: the text and a
// carriage return, unless the text is empty or the escape "+++". bajty has
// room for 256; answers the count.
std::size_t BajtyKomendyModemu(const char* tekst, uint8_t* bajty);

// Every step below first lets the Server (or a signal) break the command,
// which then ends with 56.
//
// Sends one command to the modem itself, byte by byte on the serial port,
// whatever the line's mode; a carriage return follows unless the text is
// empty or the escape "+++". Replies are not read. False and ResultCode 32
// when a byte could not be written.
bool WyslanieKomendyModemu(const char* tekst);
// One control frame of the given type and its answer, with the recovery; the
// outcome is the current ResultCode.
void WymianaSterujaca(TypRamkiSterujacej typ);
// Waits, within the configured connection time, until the carrier detect
// line has been in the wanted state for one second; ResultCode 31 otherwise.
// While the carrier is awaited, the modem saying that the call failed (BUSY,
// NO CARRIER, NO DIALTONE, NO ANSWER, ERROR, in words or as their numbers) or
// a port server that closes ends the wait at once with 31.
void CzekanieNaNosna(bool wlaczona);
// Lets go what the modem has answered so far, so that only the answer to the
// command sent next counts.
void PorzucenieOdpowiedziModemu();

// The modem's answer lines as they come, byte by byte.
struct OdpowiedzModemu {
  char Linia[24] = {};
  std::size_t Dlugosc = 0;  // more than fits: the line is none of the results
};
// Takes one byte; true when it ends a line that says the call has failed.
bool NieudaneWybieranie(OdpowiedzModemu& odpowiedz, uint8_t bajt);
// Carrier detect now (a TCP link always counts as connected).
bool JestNosnaModemu();
// The module's version text from the last answer into tekst (room for
// DLUGOSC_WERSJI_MODULU + 1): at most 12 characters, only bytes the answer
// brought, zero bytes left out. Answers its length.
std::size_t WersjaModulu(char* tekst);
// Sleeps for the modem's pauses; a break by the Server or a signal ends the
// pause early with ResultCode 56.
void PauzaModemu(uint32_t ms);
