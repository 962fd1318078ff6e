// Line settings of a tty through termios2, which carries any speed (BOTHER).
// Its kernel header clashes with <termios.h>, so it lives in a file of its own.
#pragma once

#include <cstdint>

#include "platform/comm.h"

namespace platforma {

// Raw mode with the given speed, parity, stop bits, byte size and CTS flow
// control; the other settings of the tty stay. 0 or the errno code.
int UstawTermios2(int uchwyt, const UstawieniaLinii& ustawienia);

// The output speed the tty holds, in bit/s; 0 when it cannot be read.
uint32_t PredkoscTermios2(int uchwyt);

}  // namespace platforma
