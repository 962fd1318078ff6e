// The byte operations of the line modes: the direct mode's single bytes on
// the serial port and the framed modes' bytes inside the frames.
#include "protocol/line.h"

#include "include/karvo.h"
#include "protocol/line_ops.h"
#include "state/result_codes.h"
#include "state/session_state.h"

namespace {

const PortSzeregowyLacza PORT_RZECZYWISTY = {WriteByte, ReadByte, ModemStatus, ClearPort, CharSent};
const PortSzeregowyLacza* Port = &PORT_RZECZYWISTY;

}  // namespace

namespace tryby {

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

void BezZadania(const ZadanieRamki&) {}
bool WyslanoWszystkoBezposrednio() { return Port->WyslanoZnaki() != 0; }
uint8_t AdresKanalu() { return Sesja.Lacze.Kanal; }

// ---- framed modes: the engine's bytes travel inside the frames ----

void CzyszczenieTcp() { Sesja.Wymiana.LicznikOdebranychBajtow = 0; }
void WyslanieBajtuRamkowe(uint8_t) {}
bool WyslanoWszystkoRamkowo() { return true; }
// The configuration keeps the register's own address for the frames.
uint8_t AdresZadany() { return Sesja.Lacze.KanalZadany; }

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

}  // namespace tryby

void PodstawieniePortuSzeregowego(const PortSzeregowyLacza* port) { Port = port ? port : &PORT_RZECZYWISTY; }
