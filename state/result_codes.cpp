#include "state/result_codes.h"

#include "state/session_state.h"

uint8_t KodBledu(uint8_t indeks) {
  // The codes above 65 are grouped as the register's own error statuses (100 + status).
  if (indeks >= 66 && indeks <= 70) return static_cast<uint8_t>(indeks + 35);
  if (indeks >= 71 && indeks <= 82) return static_cast<uint8_t>(indeks + 36);
  if (indeks >= 83 && indeks <= 95) return static_cast<uint8_t>(indeks + 117);
  if (indeks == 96) return 215;
  if (indeks == 97) return 217;
  if (indeks >= 98 && indeks <= 110) return static_cast<uint8_t>(indeks + 122);
  return indeks;
}

bool BrakBledu() { return Sesja.BiezacyWynik == KodBledu(BezBledu); }

void UstawBlad(IndeksBledu indeks) { Sesja.BiezacyWynik = KodBledu(indeks); }

void UstawWynik(uint8_t kod) { Sesja.BiezacyWynik = kod; }

bool JestBlad(IndeksBledu indeks) { return Sesja.BiezacyWynik == KodBledu(indeks); }
