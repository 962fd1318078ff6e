// The one request call to the register.
#pragma once

#include <cstdint>

#include "protocol/requests.h"

// Sends 0x1B and the request code, reads the first answer (acknowledgement
// included), sends the parameters from Sesja.Wymiana.ObszarParametrow and
// reads the second answer (status included); answer data land in
// Sesja.Wymiana.ObszarOdpowiedzi from byte 0. The outcome is the current ResultCode.
void WykonanieRozkazu(uint8_t kodRozkazu, uint8_t dlugoscPierwszej, uint8_t liczbaParametrow,
                      uint8_t dlugoscDrugiej);
void WykonanieRozkazu(const Rozkaz& rozkaz);
