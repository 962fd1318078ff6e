// Opening and closing the line to the register, and identifying the device.
#pragma once

#include <cstdint>

void OtwarcieLacza();     // outcome in the current ResultCode; LaczeOtwarte() tells whether it opened
void ZamkniecieLacza();   // unless the line is kept open between commands
bool LaczeOtwarte();
bool OdczytanieNumeruUrzadzeniaWewn();  // reads the register's number (request 0xC0)
bool OdczytanieTypuUrzadzeniaWewn();    // type, identification text, ECRTBUF.TXT, third header line
bool DopisanieDoPlikuIdentyfikatorow();
// Whether the register reports a number that the session can check against the input file.
bool KasaPodajeNumer();
// Whether the device was found in ECRTBUF.TXT in this session.
bool UrzadzenieZnalezioneWBuforze();

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
bool KasaT();
