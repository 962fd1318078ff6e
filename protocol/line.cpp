#include "protocol/line.h"

#include "include/karvo.h"
#include "protocol/framing.h"
#include "protocol/line_modes.h"
#include "session/result_codes.h"
#include "session/session_state.h"
#include "transport/tcp_transport.h"

namespace {

const PortSzeregowyLacza PORT_RZECZYWISTY = {WriteByte, ReadByte, ModemStatus, ClearPort, CharSent};
const PortSzeregowyLacza* Port = &PORT_RZECZYWISTY;

// ---- direct mode: the request is a plain byte stream on the serial port ----

void CzyszczenieSzeregowe() {
  Sesja.Wymiana.LicznikOdebranychBajtow = 0;
  Port->Czyszczenie();
}

void WyslanieBajtuBezposrednie(uint8_t bajt) { Sesja.Wymiana.BladBajtu = Port->ZapisBajtu(bajt) != 1; }

uint8_t OdebranieBajtuBezposrednie() {
  uint8_t bajt = 0;
  if (Port->OdczytBajtu(&bajt) != 1) {
    Sesja.Wymiana.BladBajtu = 1;
    UstawBlad(BrakOdpowiedzi);
    return bajt;
  }
  ++Sesja.Wymiana.LicznikOdebranychBajtow;
  return bajt;
}

bool WyslanoWszystkoBezposrednio() { return Port->WyslanoZnaki() != 0; }

// ---- framed modes: the engine's bytes travel inside the frames ----

void CzyszczenieTcp() { Sesja.Wymiana.LicznikOdebranychBajtow = 0; }
void WyslanieBajtuRamkowe(uint8_t) {}
bool WyslanoWszystkoRamkowo() { return true; }

bool NosnaSzeregowa() { return (Port->StatusModemu() & 0x80) != 0; }
bool NosnaTcp() { return true; }

bool WyslanieRamkiSzeregowo(const uint8_t* bufor, std::size_t dlugosc) {
  for (std::size_t i = 0; i < dlugosc; ++i) {
    if (Port->ZapisBajtu(bufor[i]) != 1) {
      UstawBlad(BladWyslaniaRamki);
      return false;
    }
  }
  return true;
}

bool OdbiorBajtuRamkiSzeregowo(uint8_t* bajt) {
  if (Port->OdczytBajtu(bajt) == 1) return true;
  UstawBlad(BrakOdpowiedziRamki);
  return false;
}

const TrybLacza BEZPOSREDNI = {false, CzyszczenieSzeregowe, WyslanieBajtuBezposrednie, OdebranieBajtuBezposrednie,
                               WyslanoWszystkoBezposrednio, NosnaSzeregowa, WyslanieRamkiSzeregowo,
                               OdbiorBajtuRamkiSzeregowo};
const TrybLacza RAMKI_SZEREGOWE = {true, CzyszczenieSzeregowe, WyslanieBajtuRamkowe, OdebranieBajtuOdpowiedzi,
                                   WyslanoWszystkoRamkowo, NosnaSzeregowa, WyslanieRamkiSzeregowo,
                                   OdbiorBajtuRamkiSzeregowo};
const TrybLacza RAMKI_TCP = {true, CzyszczenieTcp, WyslanieBajtuRamkowe, OdebranieBajtuOdpowiedzi,
                             WyslanoWszystkoRamkowo, NosnaTcp, WyslanieDanych, OdbiorBajtu};

}  // namespace

const TrybLacza& BiezacyTrybLacza() {
  if (Sesja.Ramki.BezRamek) return BEZPOSREDNI;
  switch (Sesja.Lacze.RodzajLacza) {
    case 2: return RAMKI_SZEREGOWE;
    case 5: return RAMKI_TCP;
    default: return BEZPOSREDNI;
  }
}

void PodstawieniePortuSzeregowego(const PortSzeregowyLacza* port) { Port = port ? port : &PORT_RZECZYWISTY; }

void CzyszczenieLacza() { BiezacyTrybLacza().Czyszczenie(); }
void WyslanieBajtu(uint8_t bajt) { BiezacyTrybLacza().WyslanieBajtu(bajt); }
uint8_t OdebranieBajtu() { return BiezacyTrybLacza().OdebranieBajtu(); }
bool TrybRamkowy() { return BiezacyTrybLacza().Ramkowy; }
bool JestNosna() { return BiezacyTrybLacza().JestNosna(); }
bool WyslanoWszystko() { return BiezacyTrybLacza().WyslanoWszystko(); }
