// _OStatus: the register's 40 status bits, one line each: the bit number
// (01 to 40) and 1 or 0, or "?" for a status byte the register does not give.
#include "commands/command.h"

namespace {

constexpr uint8_t LICZBA_BAJTOW_STATUSU = 5;
constexpr KodRozkazu ODCZYT_BAJTU[LICZBA_BAJTOW_STATUSU] = {KodRozkazu::OdczytStatusu0, KodRozkazu::OdczytStatusu1,
                                                            KodRozkazu::OdczytStatusu2, KodRozkazu::OdczytStatusu3,
                                                            KodRozkazu::OdczytStatusu4};

// The fifth status byte exists on the registers of type 't' and above, the Norda registers excepted.
bool BajtIstnieje(uint8_t k) { return k < LICZBA_BAJTOW_STATUSU - 1 || KasaNowa(); }

bool LinieBajtu(uint8_t k, bool odczytany) {
  const uint8_t bajt = odczytany ? OdpowiedzByte(0) : 0;
  for (uint8_t b = 0; b < 8; ++b) {
    const char* bit = !odczytany ? "?" : ((bajt >> b) & 1) ? "1" : "0";
    if (!LiniaWyniku().Pole(Liczba(8 * k + b + 1, 2)).Pole(bit).Zapisanie()) return false;
  }
  return true;
}

void OdczytStatusu() {
  for (uint8_t k = 0; k < LICZBA_BAJTOW_STATUSU; ++k) {
    bool odczytany = false;
    if (BajtIstnieje(k)) {
      WykonanieRozkazu({ODCZYT_BAJTU[k], 2, 0, 0});
      // A refused status byte is only marked; any other failure ends the readout.
      if (!BrakBledu() && !JestBlad(OdmowaRozkazu)) return;
      odczytany = BrakBledu();
    }
    if (!LinieBajtu(k, odczytany)) return;
    UstawBlad(BezBledu);
  }
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(OStatus, .Kod = 119, .Cialo = OdczytStatusu);
