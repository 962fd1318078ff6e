// Internal error indices and the ResultCodes they become.
#pragma once

#include <cstdint>

// KodBledu turns an internal error index into the ResultCode byte.
uint8_t KodBledu(uint8_t indeks);

// True while no step of the command has failed.
bool BrakBledu();
// Sets the current ResultCode from an error index (every failing step uses it).
void UstawBlad(uint8_t indeks);
// Sets the ResultCode itself, for the register's statuses (100 + status) that
// have no error index of their own.
void UstawWynik(uint8_t kod);
