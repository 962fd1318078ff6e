// The exported port functions: each works on the port table entry that
// ComSelector selects, and reports through its result and the last error.
#include <cerrno>
#include <cstring>

#include "include/karvo.h"
#include "platform/clock.h"
#include "platform/comm.h"
#include "platform/comm_latency.h"
#include "serial/kolejka_wejscia.h"
#include "serial/komunikaty.h"
#include "serial/ostatni_blad.h"
#include "serial/stan_winserii.h"
#include "serial/tcomm.h"
#include "serial/wirtualny_port.h"

StanWinserii& Winseria() {
  static StanWinserii stan;
  return stan;
}

namespace {

TComm* WybranyPort() { return Winseria().TablicaPortow[Winseria().ComSelector].get(); }

TComm* Port(uint8_t indeks) { return Winseria().TablicaPortow[indeks].get(); }

int32_t Inicjalizacja(uint8_t port, int32_t predkosc, uint16_t czasZapisu, uint16_t czasOdczytu) {
  StanWinserii& stan = Winseria();
  auto& wpis = stan.TablicaPortow[stan.ComSelector];
  if (stan.Zainicjowano && wpis && wpis->CzyOtwarty()) {
    ZapamietanieBledu(komunikaty::JUZ_ZAINICJOWANY, 5);
    return 5;
  }
  wpis.reset();
  wpis = std::make_unique<TComm>();
  int32_t wynik = wpis->Konfiguruj(port, predkosc, czasZapisu, czasOdczytu);
  if (wynik == 0) wynik = wpis->Otworz();
  stan.Zainicjowano = true;
  return wynik;
}

uint32_t PauzaPoNadaniu(int32_t predkosc) {
  switch (predkosc) {
    case 300: return 64;
    case 600: return 32;
    case 1200: return 16;
    case 2400: return 8;
    case 4800: return 4;
    case 9600:
    case 14400: return 2;
    default: return 1;
  }
}

bool UstawLinie(platforma::Sterowanie linia, bool wlaczona) {
  TComm* port = WybranyPort();
  return port != nullptr && port->UstawLinieSterujaca(linia, wlaczona);
}

}  // namespace

uint32_t BajtyWKolejceWejscia() {
  TComm* port = WybranyPort();
  return port != nullptr ? port->BajtyWKolejceWejscia() : 0;
}

uint8_t OdczytBajtuOdpowiedzi(uint8_t* bajt, uint32_t zapowiedziane) {
  TComm* port = WybranyPort();
  if (port == nullptr || bajt == nullptr) {
    ZapamietanieBledu(komunikaty::PORT_NIE_OTWARTY, -1);
    return 0;
  }
  return port->CzytajBajt(*bajt, zapowiedziane) ? 1 : 0;
}

uint32_t ZapisBajtow(const uint8_t* bajty, uint32_t ile) {
  TComm* port = WybranyPort();
  if (port == nullptr) {
    ZapamietanieBledu(komunikaty::PORT_NIE_OTWARTY, -1);
    return 0;
  }
  return port->ZapiszBajty(bajty, ile);
}

uint8_t OdczytZBledemLinii() {
  const TComm* port = WybranyPort();
  return port != nullptr && port->OdczytZBledemLinii() ? 1 : 0;
}

uint8_t PortZerwany() {
  const TComm* port = WybranyPort();
  return port != nullptr && port->Zerwany() ? 1 : 0;
}

const char* OpisOpoznieniaPortu(bool* szeregowe) {
  const TComm* port = WybranyPort();
  const auto stan = port != nullptr ? port->Opoznienie() : platforma::NiskieOpoznienie::Niedostepne;
  if (szeregowe != nullptr) *szeregowe = platforma::UrzadzenieSzeregowe(stan);
  return platforma::OpisOpoznienia(stan);
}

extern "C" {

int32_t InitializePort(uint8_t port, int32_t predkosc, uint16_t czasZapisu, uint16_t czasOdczytu) {
  PrzygotowanieWirtualnegoPortu(port);
  return Inicjalizacja(port, predkosc, czasZapisu, czasOdczytu);
}

int32_t pInitializePort(uint8_t port, int32_t predkosc, uint16_t czasZapisu, uint16_t czasOdczytu,
                        uint8_t parzystosc) {
  Winseria().WyborParzystosci = parzystosc;
  return Inicjalizacja(port, predkosc, czasZapisu, czasOdczytu);
}

int32_t UnInitializePort(void) {
  TComm* port = WybranyPort();
  return port != nullptr ? port->Zamknij() : 0;
}

uint8_t SerialPortPresent(uint8_t port) {
  std::unique_ptr<platforma::Linia> linia;
  platforma::RodzajBleduOtwarcia rodzaj;
  return platforma::OtworzLinie("Com" + std::to_string(port), linia, rodzaj) == 0 ? 1 : 0;
}

int32_t ClearPort(void) {
  TComm* port = WybranyPort();
  if (port == nullptr) return 0;
  int32_t wynik = port->CzyscBuforNadawczy();
  if (wynik == 0) wynik = port->CzyscBuforOdbiorczy();
  return wynik;
}

uint8_t WriteByte(uint8_t bajt) {
  TComm* port = WybranyPort();
  if (port == nullptr) {
    ZapamietanieBledu(komunikaty::PORT_NIE_OTWARTY, -1);
    return 0;
  }
  return port->ZapiszBajt(bajt) ? 1 : 0;
}

uint8_t ReadByte(uint8_t* bajt) { return OdczytBajtuOdpowiedzi(bajt, 0); }

uint8_t TimeOut(void) { return Winseria().FlagaTimeout ? 1 : 0; }

uint8_t UstawCTS(uint8_t flaga) {
  Winseria().FlagaCTS = flaga != 0;
  return flaga;
}

uint8_t ModemStatus(void) {
  TComm* port = WybranyPort();
  return port != nullptr ? port->StanLiniiModemu() : 0;
}

uint8_t CharSent(void) {
  TComm* port = WybranyPort();
  if (port == nullptr || !port->OproznijWyjscie()) return 0;
  platforma::Uspienie(PauzaPoNadaniu(port->Predkosc));
  return 1;
}

int32_t SetDTRLine(void) { return UstawLinie(platforma::Sterowanie::DTR, true) ? 1 : 0; }
int32_t ClearDTRLine(void) { return UstawLinie(platforma::Sterowanie::DTR, false) ? 1 : 0; }
int32_t SetRTSLine(void) { return UstawLinie(platforma::Sterowanie::RTS, true) ? 1 : 0; }
int32_t ClearRTSLine(void) { return UstawLinie(platforma::Sterowanie::RTS, false) ? 1 : 0; }

uint8_t ChangeParity(uint8_t parzystosc) {
  TComm* port = WybranyPort();
  if (port == nullptr) return 0;
  ClearPort();
  platforma::Uspienie(50);
  port->Parzystosc = parzystosc;
  const int32_t wynik = port->UstawBlokKontroli();
  platforma::Uspienie(50);
  return wynik == 0 ? 1 : 0;
}

uint8_t MsSetTimeouts(uint32_t czasZapisuMs, uint32_t czasOdczytuMs) {
  TComm* port = WybranyPort();
  return port != nullptr && port->UstawCzasyMs(czasZapisuMs, czasOdczytuMs) == 0 ? 1 : 0;
}

uint8_t ChangeSpeedWinseria(uint32_t predkosc) {
  TComm* port = WybranyPort();
  if (port == nullptr) return 0;
  port->Predkosc = static_cast<int32_t>(predkosc);
  const int32_t wynik = port->UstawBlokKontroli();
  platforma::Uspienie(10);
  return wynik == 0 ? 1 : 0;
}

uint8_t SetComSelector(uint8_t indeks) {
  Winseria().ComSelector = indeks;
  return indeks;
}

void GetComSelector(uint8_t* indeks) {
  if (indeks != nullptr) *indeks = Winseria().ComSelector;
}

void GetCOMNumber(uint8_t indeks, uint8_t* port) {
  if (port == nullptr) return;
  const TComm* p = Port(indeks);
  *port = p != nullptr ? p->NumerPortu : 0;
}

intptr_t GetCOMHandle(uint8_t indeks) {
  const TComm* p = Port(indeks);
  return p != nullptr ? p->Uchwyt() : 0;
}

int32_t GetSpeed(uint8_t indeks) {
  const TComm* p = Port(indeks);
  return p != nullptr ? p->Predkosc : 0;
}

uint8_t UstawKanalWinseria(uint8_t kanal) {
  struct Kanal {
    bool dtr, rts;
  };
  static constexpr Kanal KANALY[] = {{false, true}, {true, true}, {false, false}, {true, false}};
  bool udany = false;
  if (kanal >= 1 && kanal <= 4) {
    const Kanal& k = KANALY[kanal - 1];
    udany = UstawLinie(platforma::Sterowanie::DTR, k.dtr) && UstawLinie(platforma::Sterowanie::RTS, k.rts);
  }
  platforma::Uspienie(1);
  return udany ? 1 : 0;
}

const char* PIPAdress(uint8_t port) {
  static std::string adres;
  adres = OdczytAdresuIP(port);
  return adres.c_str();
}

uint8_t IsError(char* komunikat, int32_t* kod) {
  if (komunikat == nullptr || kod == nullptr) {
    if (kod != nullptr) *kod = -1;
    return 0;
  }
  // The line errors the device has reported since the last look are what
  // the record is asked for now.
  if (TComm* port = WybranyPort()) port->ZebranieBledowLinii();
  const OstatniBlad blad = PobranieBledu();
  const std::size_t dlugosc = std::min<std::size_t>(blad.komunikat.size(), komunikaty::NAJDLUZSZY_KOMUNIKAT);
  std::memcpy(komunikat, blad.komunikat.data(), dlugosc);
  komunikat[dlugosc] = '\0';
  *kod = blad.kod;
  return blad.kod != 0 ? 1 : 0;
}

void Dzwiek(void) { platforma::Sygnal(1000, 20); }

}  // extern "C"
