// Part of the session record: the register's type details and number, read when the session opens.
#pragma once

#include <cstdint>

struct DaneUrzadzenia {
  uint8_t NumerUrzadzenia = 0;  // the register's number as read from the device
  uint8_t KodTypuKasy = 0;      // the model family
  uint8_t PodwersjaTypu = 0;    // version number of the device's program
  char ZnakWersji = 0;          // the letter that completes the version
  uint8_t Generacja = 0;        // 1 or 2
  uint8_t Rezerwa[2]{};
  uint32_t PojemnoscPLU = 0;    // goods the register can hold; 0xFFFF when not determined

  char IdentyfikatorUrzadzenia[256]{};  // the identification text sent by the device
  char NumerKasyTekst[256]{};           // the number as the two characters the register sent
  char KodTypuTekst[256]{};             // type code in decimal
  char NazwaUrzadzenia[256]{};          // the composed name
  char ModelUrzadzenia[256]{};          // the model word
  char WersjaTekst[256]{};              // version number, two digits at least
  char ZnakWersjiTekst[256]{};          // the version letter as text
  char GeneracjaTekst[256]{};           // "I" or "II"
  char PojemnoscTekst[256]{};           // capacity in decimal, or "?????"
  char ZrodloIdentyfikatora[256]{};     // where the identification came from

  uint8_t ZnalezionoWBuforze = 0;  // the device was found in ECRTBUF.TXT in this session
  uint8_t TypOdczytany = 0;        // the type was read in this session without a failure
};
