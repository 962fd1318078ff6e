// Identifying the device, and the register families: every test on the type
// code lives here, so the commands ask a test and never compare type codes.
#pragma once

#include <cstdint>

#include "include/karvo.h"

// The exported OdczytanieNumeruUrzadzenia (request 0xC0) and OdczytanieTypuUrzadzenia
// (type, identification text, ECRTBUF.TXT, third header line) are declared in karvo.h.
bool DopisanieDoPlikuIdentyfikatorow();
// Whether the register reports a number that the session can check against the input file.
bool KasaPodajeNumer();
// Whether the device was found in ECRTBUF.TXT in this session.
bool UrzadzenieZnalezioneWBuforze();
// Whether the session should append the device to ECRTBUF.TXT once the number
// is read: the type was read, the device was not found there and it is not a price checker.
bool UrzadzenieDoDopisania();
// Whether a mismatch of the register's number is an error (the exported
// SygnalizowanieBleduWeryfikacjiNumeruUrzadzenia sets it; 1 until then).
bool WeryfikacjaNumeruUrzadzenia();
// The model word of the register's type code.
const char* SlowoModelu();

// Type tests on the register's type code.
bool KasaPelto();
bool KasaVeko();
bool KasaTamo();
bool KasaLapo();
bool KasaVin();
bool KasaCenometr();
bool KasaUbo();
bool KasaNorda();
bool KasaDrugiejGeneracji();
bool KasaOP();
bool KasaDrugiejGeneracjiBezVeko();
bool KasaWX();
bool KasaMN();
bool KasaZPojemnikami();
bool KasaNowa();
bool KasaRozszerzona();
// The second-generation Pelto registers of subversions up to 2 (their shift
// data carry three bytes more than the others').
bool KasaPeltoPierwszychPodwersji();
bool KasaT();
// 'm' or 'n' (the price checkers of the M goods layout; KasaMN also holds the apostrophe and '9').
bool KasaMLubN();
// Type code below 0x74 ('t'): the older registers that acknowledge request 0xA0 with 0x06.
bool KasaStarszaNizT();
// Type codes 24 and 27.
bool KasaTypu24Lub27();
