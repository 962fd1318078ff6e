// Opening and closing the line to the register: the serial port, the TCP link
// to a communication module, and the channel of a line switch or multiplexer.
// The mode of the configured link kind is chosen here, once, and kept with
// the open line.
#include <cstdint>
#include <cstring>
#include <string>

#include "include/karvo.h"
#include "platform/port_marker.h"
#include "protocol/engine.h"
#include "protocol/line.h"
#include "protocol/line_modes.h"
#include "protocol/line_ops.h"
#include "protocol/wire_capture.h"
#include "serial/kolejka_wejscia.h"
#include "state/result_codes.h"
#include "state/session_state.h"
#include "text/debug_trace.h"
#include "transport/tcp_transport.h"

namespace {

// Line state that outlives one command: an exported setting may keep the line open.
uint8_t PortOtwarty = 0;
uint8_t PozostawiacOtwartyPort = 0;

constexpr uint32_t PREDKOSC_MODULU = 19200;    // the local port to a modem line always runs at this speed
constexpr uint32_t PREDKOSC_MULTIPLEKSERA = 9600;  // the multiplexer of MUX3 listens at this speed
constexpr uint8_t ADRES_MULTIPLEKSERA = 0xFE;  // first of the two raw bytes of MUX4
constexpr uint8_t KANAL_MODEMU = 2;            // the channel of the port a modem line uses

uint8_t SelektorParzystosci(const TrybLacza& tryb) {
  if (Sesja.Lacze.Predkosc == 9600) return 0;
  if (Sesja.Lacze.Predkosc == 19200) return 2;
  return tryb.ParzystoscDomyslna;
}

// The debug trace says what the open did about a serial device's latency
// timer (a USB adapter's); a pseudo-terminal or a port server has none.
void SladOpoznienia() {
  if (!Sesja.ZapisKomunikatow) return;
  bool szeregowe = false;
  const std::string tekst = std::string("###DRIVER: ") + OpisOpoznieniaPortu(&szeregowe) + " ###\n";
  if (szeregowe) Printf(0, tekst.c_str());
}

bool OtwarciePortu(uint32_t predkosc, uint32_t czas, uint8_t parzystosc) {
  const auto czasy = static_cast<uint16_t>(czas);
  if (InitializePort(Sesja.Lacze.NumerPortu, static_cast<int32_t>(predkosc), czasy, czasy) != 0) return false;
  ChangeParity(parzystosc);
  if (PodsluchWlaczony()) {
    PodsluchZdarzenia(NazwaPortuPodsluchu(), "open at " + std::to_string(predkosc) + " bit/s, parity " +
                                                         std::to_string(parzystosc) + ", time-out " +
                                                         std::to_string(czas));
    PodsluchZdarzenia(NazwaPortuPodsluchu(), OpisOpoznieniaPortu());
  }
  SladOpoznienia();
  return true;
}

// The channel of a line switch is set by DTR and RTS.
void UstawienieKanaluZPodsluchem(uint8_t kanal) {
  UstawienieKanalu(kanal);
  if (PodsluchWlaczony())
    PodsluchZdarzenia(NazwaPortuPodsluchu(), "channel " + std::to_string(kanal) + " (DTR and RTS)");
}

// The raw bytes of a multiplexer's selection, written past the line primitives.
uint8_t ZapisBajtuWyboru(uint8_t bajt) {
  const uint8_t wynik = WriteByte(bajt);
  if (wynik == 1 && PodsluchWlaczony()) PodsluchBajtow(StronaPodsluchu::Wyslane, NazwaPortuPodsluchu(), &bajt, 1);
  return wynik;
}

// A speed change of the open port (the multiplexer of MUX3 listens at its own).
bool PredkoscZPodsluchem(uint32_t predkosc) {
  const bool zmieniono = UstawieniePredkosci(predkosc);
  if (zmieniono && PodsluchWlaczony())
    PodsluchZdarzenia(NazwaPortuPodsluchu(), "speed " + std::to_string(predkosc) + " bit/s");
  return zmieniono;
}

bool RtsZPodsluchem(bool wlaczony) {
  const bool zmieniono = wlaczony ? SetRTSLine() : ClearRTSLine();
  if (zmieniono && PodsluchWlaczony())
    PodsluchZdarzenia(NazwaPortuPodsluchu(), wlaczony ? "RTS on" : "RTS off");
  return zmieniono;
}

}  // namespace

namespace tryby {

bool OtwarcieSzeregowe(uint8_t parzystosc) {
  if (!OtwarciePortu(Sesja.Lacze.Predkosc, Sesja.Lacze.CzasOczekiwania, parzystosc)) return false;
  // The run that held the port before was killed or crashed: the register may
  // still wait for the rest of its request.
  if (platforma::PrzejecieZnacznikaPortu(Sesja.Lacze.NumerPortu)) PrzerwanyPoprzedniPrzebieg();
  return true;
}

bool OtwarcieModemowe(uint8_t parzystosc) {
  return OtwarciePortu(PREDKOSC_MODULU, Sesja.Lacze.CzasOczekiwaniaRamki, parzystosc);
}

bool OtwarcieTcp(uint8_t) {
  const UstawieniaLacza& l = Sesja.Lacze;
  const bool polaczono = PolaczenieGniazda(0, l.AdresModulu, static_cast<uint16_t>(l.PortModulu),
                                          static_cast<int32_t>(l.CzasOczekiwaniaRamki));
  if (polaczono && PodsluchWlaczony())
    PodsluchZdarzenia("tcp", std::string("connected to ") + l.AdresModulu + ":" + std::to_string(l.PortModulu));
  return polaczono;
}

void ZamkniecieSzeregowe() {
  // Once the line has been let go quiet after whole exchanges nothing is owed
  // on it any more. A line closed unsettled, or after an exchange that ended
  // early (its answer may still come, later than the quiet wait), keeps its
  // mark, so the next run lets the line fall quiet before its first request.
  if (LiniaBezDlugu()) platforma::ZdjecieZnacznikaPortu();
  UnInitializePort();
  if (PodsluchWlaczony()) PodsluchZdarzenia(NazwaPortuPodsluchu(), "closed");
}

void ZamkniecieTcp() {
  ZamkniecieGniazda();
  if (PodsluchWlaczony()) PodsluchZdarzenia("tcp", "closed");
}

void KanalZerowy() { UstawienieKanaluZPodsluchem(0); }
void KanalAdresu() { UstawienieKanaluZPodsluchem(Sesja.Lacze.Kanal); }
void KanalModemu() { UstawienieKanaluZPodsluchem(KANAL_MODEMU); }
void BezKanalu() {}

// MUX3: the multiplexer takes the channel as a request at 9600 with RTS raised.
// The line also reopens in the middle of a command (the Server's RESUME,
// just before the request the command was about to send), so the selection
// keeps that request's parameter bytes aside while it uses the area.
void KanalRozkazem() {
  uint8_t parametry[sizeof Sesja.Wymiana.ObszarParametrow];
  std::memcpy(parametry, Sesja.Wymiana.ObszarParametrow, sizeof parametry);
  const bool wybrany = [] {
    if (!CharSent() || !PredkoscZPodsluchem(PREDKOSC_MULTIPLEKSERA) || !RtsZPodsluchem(true)) return false;
    Sesja.Wymiana.ObszarParametrow[0] = Sesja.Lacze.Kanal;
    WykonanieRozkazu({KodRozkazu::WyborKanaluMultipleksera, 0, 1, 0});
    if (!BrakBledu()) return false;
    return CharSent() && RtsZPodsluchem(false) && PredkoscZPodsluchem(Sesja.Lacze.Predkosc);
  }();
  std::memcpy(Sesja.Wymiana.ObszarParametrow, parametry, sizeof parametry);
  if (!wybrany) UstawBlad(BladUstawieniaLacza);
}

// MUX4: the multiplexer takes 0xFE and the channel as two raw bytes with RTS raised.
void KanalBajtami() {
  const bool wybrany = CharSent() && RtsZPodsluchem(true) && ZapisBajtuWyboru(ADRES_MULTIPLEKSERA) == 1 &&
                       ZapisBajtuWyboru(Sesja.Lacze.Kanal) == 1 && CharSent() && RtsZPodsluchem(false);
  if (!wybrany) UstawBlad(BladUstawieniaLacza);
}

}  // namespace tryby

void OtwarcieLacza() {
  if (PortOtwarty && PozostawiacOtwartyPort) return;
  ZamkniecieLacza();
  UstawCTS(0);
  WybranieTrybuLacza(Sesja.Lacze.RodzajLacza);
  PodsluchPortuSzeregowego();
  const TrybLacza& tryb = BiezacyTrybLacza();
  PortOtwarty = tryb.OtwarciePortu(SelektorParzystosci(tryb));
  if (PortOtwarty) tryb.WyborKanalu();
}

void ZamkniecieLacza() {
  if (!PortOtwarty || PozostawiacOtwartyPort) return;
  CzyszczenieLacza();
  BiezacyTrybLacza().ZamknieciePortu();
  PortOtwarty = 0;
}

bool LaczeOtwarte() { return PortOtwarty != 0; }

bool PozostawianieOtwartegoLacza() { return PozostawiacOtwartyPort != 0; }

void UstawieniePozostawiacOtwartyPortSzeregowy(uint8_t flaga) {
  PozostawiacOtwartyPort = flaga;
  ZamkniecieLacza();
}
