// The one request call to the register.
#pragma once

#include <cstdint>

#include "protocol/requests.h"

// Sends 0x1B and the request code, reads the first answer (acknowledgement
// included), sends the parameters from Sesja.Wymiana.ObszarParametrow and
// reads the second answer (status included); answer data land in
// Sesja.Wymiana.ObszarOdpowiedzi from byte 0. The outcome is the current ResultCode.
void WykonanieRozkazu(const Rozkaz& rozkaz);

// The ResultCode of a status byte of the second answer that is not success.
uint8_t WynikStatusu(uint8_t status);
// The ResultCode of a refused acknowledgement byte of the first answer.
uint8_t WynikPotwierdzenia(uint8_t bajt);
// The length of the rest of a fiscal record of the first generation (request
// 0xE5), chosen by its status; false for a status it never sends.
bool DlugoscResztyRekordu(uint8_t status, uint8_t& dlugosc);
