#include "protocol/option_bytes.h"

#include <cstring>

#include "protocol/engine.h"
#include "state/result_codes.h"
#include "state/session_state.h"

namespace {

using enum KodRozkazu;

// The per-set requests of sets 0 to 3.
constexpr KodRozkazu ODCZYT_ZESTAWU[LICZBA_ZESTAWOW_OPCJI] = {OdczytOpcji0, OdczytOpcji1, OdczytOpcji2, OdczytOpcji3};
constexpr KodRozkazu ZAPIS_ZESTAWU[LICZBA_ZESTAWOW_OPCJI] = {ZapisOpcji0, ZapisOpcji1, ZapisOpcji2, ZapisOpcji3};
// There is no per-set request for a set above 3.
constexpr uint8_t WYNIK_ZLEGO_ZESTAWU = 91;

uint8_t* Zestaw(uint8_t zestaw) { return Sesja.Opcje.ZestawyOpcji + BAJTY_ZESTAWU * zestaw; }

bool ZestawIstnieje(uint8_t zestaw) {
  if (zestaw < LICZBA_ZESTAWOW_OPCJI) return true;
  UstawWynik(WYNIK_ZLEGO_ZESTAWU);
  return false;
}

}  // namespace

void OdczytanieZestawuOpcji(uint8_t zestaw) {
  if (!ZestawIstnieje(zestaw)) return;
  uint8_t* const odpowiedz = Sesja.Wymiana.ObszarOdpowiedzi;
  if (Sesja.Opcje.IndeksowaneZestawy) {
    Sesja.Wymiana.ObszarParametrow[0] = zestaw;
    WykonanieRozkazu({OdczytZestawuOpcji, 1, 1, 1 + BAJTY_ZESTAWU});
    if (BrakBledu()) {
      std::memcpy(Zestaw(zestaw), odpowiedz, BAJTY_ZESTAWU);
      return;
    }
    if (!JestBlad(OdmowaRozkazu)) return;
    // A register that refuses the indexed form has only the per-set requests.
    UstawBlad(BezBledu);
    Sesja.Opcje.IndeksowaneZestawy = 0;
  }
  WykonanieRozkazu({ODCZYT_ZESTAWU[zestaw], 1 + BAJTY_ZESTAWU, 0, 0});
  if (BrakBledu()) std::memcpy(Zestaw(zestaw), odpowiedz, BAJTY_ZESTAWU);
}

void ZapisanieZestawuOpcji(uint8_t zestaw) {
  if (!ZestawIstnieje(zestaw)) return;
  uint8_t* const parametry = Sesja.Wymiana.ObszarParametrow;
  if (Sesja.Opcje.IndeksowaneZestawy) {
    parametry[0] = zestaw;
    std::memcpy(parametry + 1, Zestaw(zestaw), BAJTY_ZESTAWU);
    WykonanieRozkazu({ZapisZestawuOpcji, 1, 1 + BAJTY_ZESTAWU, 1});
    return;
  }
  std::memcpy(parametry, Zestaw(zestaw), BAJTY_ZESTAWU);
  WykonanieRozkazu({ZAPIS_ZESTAWU[zestaw], 1, BAJTY_ZESTAWU, 0});
}

bool BitOpcji(uint8_t zestaw, uint8_t numer) {
  return (Zestaw(zestaw)[(numer - 1) / 8] >> ((numer - 1) % 8)) & 1;
}

void UstawienieBituOpcji(uint8_t zestaw, uint8_t numer, bool wartosc) {
  uint8_t& bajt = Zestaw(zestaw)[(numer - 1) / 8];
  const uint8_t maska = static_cast<uint8_t>(1u << ((numer - 1) % 8));
  bajt = static_cast<uint8_t>(wartosc ? bajt | maska : bajt & ~maska);
}
