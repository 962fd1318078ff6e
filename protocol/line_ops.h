// The operations the line-mode table is made of (protocol/line_modes.cpp);
// nothing but the table calls them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/line.h"

namespace tryby {

// ---- bytes (line.cpp) ----
void CzyszczenieSzeregowe();
void CzyszczenieBezposrednie();
uint32_t BajtyCzekajaceSzeregowo();
uint32_t BezBajtowCzekajacych();
// The line has just been opened or chosen: nothing is owed on it yet.
void NowaLinia();
// The run that held the port before ended in the middle of its session: the
// line is let go quiet before the first request, so that a register left
// waiting for the rest of a request gives up first.
void PrzerwanyPoprzedniPrzebieg();
// No exchange is left unsettled on the line and its last exchange was
// whole: the register owes nothing and waits for nothing, so the port's mark
// may go.
bool LiniaBezDlugu();
void CzyszczenieTcp();
void WyslanieBajtuBezposrednie(uint8_t bajt);
void WyslanieBajtuRamkowe(uint8_t bajt);
void WyslanieBajtowBezposrednie(const uint8_t* bajty, uint32_t ile);
void WyslanieBajtowRamkowe(const uint8_t* bajty, uint32_t ile);
uint8_t OdebranieBajtuBezposrednie();
void BezZadania(const ZadanieRamki& zadanie);
bool WyslanoWszystkoBezposrednio();
bool WyslanoWszystkoRamkowo();
bool NosnaSzeregowa();
bool NosnaTcp();
bool WyslanieRamkiSzeregowo(const uint8_t* bufor, std::size_t dlugosc);
bool OdbiorBajtuRamkiSzeregowo(uint8_t* bajt);
// The TCP link's frames (line_tcp.cpp).
bool WyslanieRamkiTcp(const uint8_t* bufor, std::size_t dlugosc);
bool OdbiorBajtuRamkiTcp(uint8_t* bajt);
uint8_t AdresKanalu();
uint8_t AdresZadany();

// ---- opening, channels and closing (line_open.cpp) ----
bool OtwarcieSzeregowe(uint8_t parzystosc);
bool OtwarcieModemowe(uint8_t parzystosc);
bool OtwarcieTcp(uint8_t parzystosc);
void ZamkniecieSzeregowe();
void ZamkniecieTcp();
void KanalZerowy();
void KanalAdresu();
void KanalModemu();
void KanalRozkazem();
void KanalBajtami();
void BezKanalu();

}  // namespace tryby
