// The per-request-code rules of the exchange engine, as tables.
#pragma once

#include <cstdint>

// The end-marker record length of a request, 0 when its answer has none.
uint8_t DlugoscRekorduZnacznika(uint8_t kodRozkazu, uint8_t dlugoscPierwszej, uint8_t liczbaParametrow,
                                uint8_t dlugoscDrugiej);
// Whether the register's status byte of this request is data (the frame's flag).
bool StatusJestDana(uint8_t kodRozkazu);
// The ResultCode of a status byte of the second answer that is not success.
uint8_t WynikStatusu(uint8_t status);
// The ResultCode of a refused acknowledgement byte of the first answer.
uint8_t WynikPotwierdzenia(uint8_t bajt);
