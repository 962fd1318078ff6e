// Placeholder until the Server channel lands: the channel is always closed.
#include "session/server_channel.h"

#include "session/session_state.h"

ObslugaLaczaSerwera LaczeSerwera;

void OtwarcieKanaluSerwera(int32_t numer) { Sesja.BiezacyNumerKomunikatu = numer; }
int32_t KanalSerweraOtwarty() { return 0; }
uint8_t WyslanieKomunikatu(char, uint32_t) { return 0; }
char OdebranieRozkazu(uint32_t*) { return 0; }
void ObslugaSerweraPrzedRozkazem() {}
void ZliczenieRozkazu() { ++Sesja.LicznikRozkazow; }
void PowitanieSerwera() {}
void PowiadomienieOkresowe(char, uint32_t, uint32_t) {}
