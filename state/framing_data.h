// Part of the session record: the frame state of the modem-frame link layer.
#pragma once

#include <cstddef>
#include <cstdint>

// A frame is the 5-byte header and at most 255 encoded bytes (its length byte
// is one byte), so the buffer holds 260 bytes.
constexpr std::size_t DLUGOSC_NAGLOWKA_RAMKI = 5;
constexpr std::size_t NAJWIEKSZA_DLUGOSC_RAMKI = 255;
constexpr std::size_t ROZMIAR_BUFORA_RAMKI = DLUGOSC_NAGLOWKA_RAMKI + NAJWIEKSZA_DLUGOSC_RAMKI;

struct DaneRamek {
  uint8_t Bufor[ROZMIAR_BUFORA_RAMKI]{};  // the frame being sent or received, header included
  uint16_t DlugoscRamki = 0;              // bytes in Bufor
  // An answer's first part has arrived and its second part is awaited; only
  // the second part clears it.
  uint8_t Kontynuacja = 0;
  uint8_t OdebranoCos = 0;  // at least one byte arrived during the last reception
  // Recovery state, zeroed at the start of every exchange: the repeat counters
  // and the once-only control frames (login, first and second time-out word).
  uint8_t PierwszyLicznikPowtorzen = 0, DrugiLicznikPowtorzen = 0;
  uint8_t WyslanoLogowanie = 0, WyslanoPierwszyCzas = 0, WyslanoDrugiCzas = 0;
  // The answer bytes in Sesja.Wymiana.ObszarOdpowiedzi: two parts may hold more than 255.
  uint16_t PozycjaOdpowiedzi = 0;       // answer bytes handed out so far
  uint16_t LiczbaBajtowOdpowiedzi = 0;  // answer bytes the last answer frame(s) delivered
  char NoweHaslo[9]{};         // control type 2: the module's new password, 8 characters
  uint8_t LiczbaDzwonkow = 0;  // control type 7
  // Set by the modem commands while they talk to the modem itself: the line
  // then works byte by byte whatever the configured kind.
  uint8_t BezRamek = 0;
};
