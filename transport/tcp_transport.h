// The TCP link to a communication module and the UDP control of network port
// servers. These operations set the session's ResultCode themselves (63 an
// incomplete send, 64 a receive time-out, 65 any socket-level failure).
#pragma once

#include <cstddef>
#include <cstdint>

bool InicjalizacjaGniazd();
void ZwolnienieGniazd();
bool PolaczenieGniazda(uint8_t rodzaj, const char* adres, uint16_t port, int32_t czasOdbioru);  // 0 TCP, 1 UDP
bool ZamkniecieGniazda();
bool WyslanieDanych(const uint8_t* bufor, std::size_t dlugosc);
bool OdbiorBajtu(uint8_t* bajt);
bool WyslanieRozkazowSterujacych(const char* tekst1, const char* tekst2, const char* tekst3);
bool UstawienieZdalnegoPortu(const char* adres, uint8_t kanal, uint32_t predkosc, uint8_t ustawKanal);
bool UstawienieKanalu(uint8_t kanal);
bool UstawieniePredkosci(uint32_t predkosc);
