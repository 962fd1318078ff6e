// Opening and closing the line to the register: the serial port, the TCP link
// to a communication module, and the channel of a line switch or multiplexer.
#include <cstdint>

#include "include/karvo.h"
#include "protocol/engine.h"
#include "protocol/identification.h"
#include "protocol/line.h"
#include "session/result_codes.h"
#include "session/server_channel.h"
#include "session/session_state.h"
#include "transport/tcp_transport.h"

namespace {

// Line state that outlives one command: an exported setting may keep the line open.
uint8_t PortOtwarty = 0;
uint8_t PozostawiacOtwartyPort = 0;
uint8_t WeryfikacjaNumeru = 1;
uint8_t RodzajOtwartegoLacza = 0;  // the mode the open line was opened in

enum : uint8_t { MUX0 = 0, MUX1 = 1, MUX2 = 2, MUX3 = 3, MUX4 = 4, MUX5 = 5 };
constexpr uint32_t PREDKOSC_MODULU = 19200;    // the local port to a modem line always runs at this speed
constexpr uint32_t PREDKOSC_MULTIPLEKSERA = 9600;  // the multiplexer of MUX3 listens at this speed
constexpr uint8_t WYBOR_KANALU = 0x01;         // request that selects the multiplexer channel
constexpr uint8_t ADRES_MULTIPLEKSERA = 0xFE;  // first of the two raw bytes of MUX4

uint8_t SelektorParzystosci() {
  if (Sesja.Lacze.Predkosc == 9600) return 0;
  if (Sesja.Lacze.Predkosc == 19200) return 2;
  return Sesja.Lacze.RodzajLacza == MUX2 ? 0 : 2;
}

// MUX3: the multiplexer takes the channel as a request at 9600 with RTS raised.
bool WyborKanaluRozkazem() {
  if (!CharSent() || !UstawieniePredkosci(PREDKOSC_MULTIPLEKSERA) || !SetRTSLine()) return false;
  Sesja.Wymiana.ObszarParametrow[0] = Sesja.Lacze.Kanal;
  WykonanieRozkazu(WYBOR_KANALU, 0, 1, 0);
  if (!BrakBledu()) return false;
  return CharSent() && ClearRTSLine() && UstawieniePredkosci(Sesja.Lacze.Predkosc);
}

// MUX4: the multiplexer takes 0xFE and the channel as two raw bytes with RTS raised.
bool WyborKanaluBajtami() {
  return CharSent() && SetRTSLine() && WriteByte(ADRES_MULTIPLEKSERA) == 1 && WriteByte(Sesja.Lacze.Kanal) == 1 &&
         CharSent() && ClearRTSLine();
}

void WyborKanalu() {
  switch (Sesja.Lacze.RodzajLacza) {
    case MUX0: UstawienieKanalu(0); break;
    case MUX1: UstawienieKanalu(Sesja.Lacze.Kanal); break;
    case MUX2: UstawienieKanalu(2); break;
    case MUX3:
      if (!WyborKanaluRozkazem()) UstawBlad(BladUstawieniaLacza);
      break;
    case MUX4:
      if (!WyborKanaluBajtami()) UstawBlad(BladUstawieniaLacza);
      break;
    default: break;
  }
}

// The Server's RESUME reopens the line; a line that stays closed is a failure.
bool OtwarcieLaczaNaRozkazSerwera() {
  OtwarcieLacza();
  if (BrakBledu() && !PortOtwarty) UstawBlad(BladOtwarciaLacza);
  return BrakBledu();
}

}  // namespace

void OtwarcieLacza() {
  LaczeSerwera.Zamkniecie = ZamkniecieLacza;
  LaczeSerwera.Otwarcie = OtwarcieLaczaNaRozkazSerwera;
  const uint8_t parzystosc = SelektorParzystosci();
  if (PortOtwarty && PozostawiacOtwartyPort) return;
  ZamkniecieLacza();
  UstawCTS(0);
  const UstawieniaLacza& l = Sesja.Lacze;
  RodzajOtwartegoLacza = l.RodzajLacza;
  if (l.RodzajLacza == MUX5) {
    PortOtwarty = PolaczenieGniazda(0, l.AdresModulu, static_cast<uint16_t>(l.PortModulu),
                                    static_cast<int32_t>(l.CzasOczekiwaniaRamki));
    return;
  }
  const bool modem = l.RodzajLacza == MUX2;
  const auto czas = static_cast<uint16_t>(modem ? l.CzasOczekiwaniaRamki : l.CzasOczekiwania);
  const auto predkosc = static_cast<int32_t>(modem ? PREDKOSC_MODULU : l.Predkosc);
  PortOtwarty = InitializePort(l.NumerPortu, predkosc, czas, czas) == 0;
  if (!PortOtwarty) return;
  ChangeParity(parzystosc);
  WyborKanalu();
}

void ZamkniecieLacza() {
  if (!PortOtwarty || PozostawiacOtwartyPort) return;
  CzyszczenieLacza();
  if (RodzajOtwartegoLacza == MUX5)
    ZamkniecieGniazda();
  else
    UnInitializePort();
  PortOtwarty = 0;
}

bool LaczeOtwarte() { return PortOtwarty != 0; }

bool WeryfikacjaNumeruUrzadzenia() { return WeryfikacjaNumeru != 0; }

void UstawieniePozostawiacOtwartyPortSzeregowy(uint8_t flaga) {
  PozostawiacOtwartyPort = flaga;
  ZamkniecieLacza();
}

void SygnalizowanieBleduWeryfikacjiNumeruUrzadzenia(uint8_t flaga) { WeryfikacjaNumeru = flaga; }
