// The request/response exchange with the register: attempts, Server polling,
// the byte sequence of one exchange and the meaning of the register's
// acknowledgement and status bytes.
#include "protocol/engine.h"

#include <initializer_list>

#include "protocol/engine_tables.h"
#include "protocol/line.h"
#include "session/result_codes.h"
#include "session/server_channel.h"
#include "session/session_state.h"

namespace {

constexpr uint8_t ESC = 0x1B;
constexpr uint8_t ACK = 0x06;
constexpr uint8_t ZNACZNIK_KONCA = 0xFF;  // first byte of a record that is not there
constexpr uint8_t WYNIK_Z_BAJTAMI = 222;  // status 0x7A: the register sends two more bytes

uint8_t KodTypu() { return Sesja.Urzadzenie.KodTypuKasy; }

// Request 0xA1 reads several record lists; parameter byte 0 selects the list.
uint8_t DlugoscRekorduA1(uint8_t lista) {
  switch (lista & 0x7F) {
    case 0x00: return 17;
    case 0x01: return 21;
    case 0x02: return (KodTypu() == 'u' || KodTypu() == 'v') ? 33 : 30;
    case 0x03: return 38;
    case 0x10: return 12;
    default: return 0;
  }
}

bool OdpowiadaDanymiOdPierwszegoBajtu(uint8_t kod) { return kod == 0x9B || kod == 0x94 || kod == 0x95 || kod == 0x96; }

// The length of the rest of the answer to 0xE5, chosen by its status; false for a status it never sends.
bool DlugoscResztyE5(uint8_t status, uint8_t& dlugosc) {
  switch (status) {
    case 0xFA: dlugosc = (KodTypu() == 0x18 || KodTypu() == 0x1B) ? 38 : 42; return true;
    case 0xFB: dlugosc = 17; return true;
    case 0xFC: dlugosc = 8; return true;
    case 0xFD:
    case 0xFE: dlugosc = 0; return true;
    default: return false;
  }
}

// Reads answer bytes 2..dlugosc into answer bytes 0.., stopping early at an
// end marker. A read fails when it changes the ResultCode in force before it.
void OdczytanieDalszychBajtow(uint8_t dlugosc, uint8_t rekord) {
  uint8_t* odpowiedz = Sesja.Wymiana.ObszarOdpowiedzi;
  const uint8_t przed = Sesja.BiezacyWynik;
  for (unsigned k = 2; k <= dlugosc; ++k) {
    const uint8_t bajt = OdebranieBajtu();
    if (Sesja.BiezacyWynik != przed) return;
    const unsigned pozycja = k - 2;
    odpowiedz[pozycja] = bajt;
    if (rekord != 0 && pozycja % rekord == 0 && bajt == ZNACZNIK_KONCA) return;
  }
}

// The first answer: the acknowledgement byte and, for reads, data.
void PierwszaOdpowiedz(uint8_t kod, uint8_t dlugosc, uint8_t rekord) {
  if (dlugosc == 0) return;
  const uint8_t bajt = OdebranieBajtu();
  if (!BrakBledu()) return;
  Sesja.Wymiana.ObszarOdpowiedzi[0] = bajt;
  if (!OdpowiadaDanymiOdPierwszegoBajtu(kod) && bajt != ACK) {
    UstawWynik(WynikPotwierdzenia(bajt));
    return;
  }
  OdczytanieDalszychBajtow(dlugosc, rekord);
}

// The second answer: the status byte, checked by request code, then data.
void DrugaOdpowiedz(uint8_t kod, uint8_t dlugosc, uint8_t rekord) {
  if (dlugosc == 0) return;
  uint8_t* odpowiedz = Sesja.Wymiana.ObszarOdpowiedzi;
  const uint8_t status = OdebranieBajtu();
  if (!BrakBledu()) return;
  odpowiedz[0] = status;
  if (kod == 0xE5) {
    uint8_t reszta = 0;
    if (!DlugoscResztyE5(status, reszta)) {
      UstawBlad(NieoczekiwanaOdpowiedz);
      return;
    }
    dlugosc = static_cast<uint8_t>(reszta + 1);
    Sesja.Wymiana.StatusRozkazu = status;
    odpowiedz[0] = 0;
  } else if (kod == 0x9A || kod == 0xFC || kod == 0x4D) {
    Sesja.Wymiana.StatusRozkazu = status;
    odpowiedz[0] = 0;
  } else if (kod == 0x72 || kod == 0x31 || kod == 0xF9 || kod == 0x11) {
    // the status byte is data
  } else if (!(status == 0 || (kod == 0xA0 && KodTypu() < 0x74 && status == ACK))) {
    UstawWynik(WynikStatusu(status));
    if (Sesja.BiezacyWynik != WYNIK_Z_BAJTAMI || TrybRamkowy()) return;
    // The register follows this status with two bytes that say more; the
    // status stays the outcome even when they do not come.
    OdczytanieDalszychBajtow(3, rekord);
    UstawWynik(WYNIK_Z_BAJTAMI);
    return;
  }
  OdczytanieDalszychBajtow(dlugosc, rekord);
}

void WymianaZKasa(uint8_t kod, uint8_t dlugoscPierwszej, uint8_t liczbaParametrow, uint8_t dlugoscDrugiej) {
  const uint8_t rekord = DlugoscRekorduZnacznika(kod, dlugoscPierwszej, liczbaParametrow, dlugoscDrugiej);
  Sesja.Wymiana.BladBajtu = 0;
  CzyszczenieLacza();
  for (uint8_t bajt : {ESC, kod}) {
    WyslanieBajtu(bajt);
    if (Sesja.Wymiana.BladBajtu) {
      UstawBlad(BladWyslania);
      return;
    }
  }
  if (TrybRamkowy()) {
    WymianaRamki(
        ZadanieRamki{kod, dlugoscPierwszej, liczbaParametrow, dlugoscDrugiej, rekord, StatusJestDana(kod)});
    if (!BrakBledu()) return;
  }
  PierwszaOdpowiedz(kod, dlugoscPierwszej, rekord);
  if (!BrakBledu()) return;
  for (unsigned i = 0; i < liczbaParametrow; ++i) {
    WyslanieBajtu(Sesja.Wymiana.ObszarParametrow[i]);
    if (Sesja.Wymiana.BladBajtu) {
      UstawBlad(BladWyslania);
      return;
    }
  }
  // A request without a second answer is done only when its bytes have left the port.
  if (liczbaParametrow != 0 && dlugoscDrugiej == 0 && !TrybRamkowy() && !WyslanoWszystko()) {
    UstawBlad(BladWyslania);
    return;
  }
  DrugaOdpowiedz(kod, dlugoscDrugiej, rekord);
}

void ProbaWykonaniaRozkazu(uint8_t kod, uint8_t dlugoscPierwszej, uint8_t liczbaParametrow, uint8_t dlugoscDrugiej) {
  ObslugaSerweraPrzedRozkazem();
  if (!BrakBledu()) return;
  WymianaZKasa(kod, dlugoscPierwszej, liczbaParametrow, dlugoscDrugiej);
  ZliczenieRozkazu();
}

}  // namespace

uint8_t DlugoscRekorduZnacznika(uint8_t kod, uint8_t dlugoscPierwszej, uint8_t liczbaParametrow,
                                uint8_t dlugoscDrugiej) {
  switch (kod) {
    case 0x0A:
    case 0x0B: return (dlugoscPierwszej == 110 && liczbaParametrow == 0 && dlugoscDrugiej == 0) ? 27 : 0;
    case 0x47:
    case 0x48: return 13;
    case 0x61: return 38;
    case 0xA1: return DlugoscRekorduA1(Sesja.Wymiana.ObszarParametrow[0]);
    case 0xA2:
    case 0xA3:
    case 0xA5: return 11;
    case 0xAD:
    case 0xAE: return 16;
    case 0xD5:
    case 0xD6: return 29;
    case 0xE7: return 4;
    case 0xE9:
    case 0xEE: return 20;
    case 0xEA: return 8;
    default: return 0;
  }
}

bool StatusJestDana(uint8_t kod) {
  switch (kod) {
    case 0xE5:
    case 0x9A:
    case 0x72:
    case 0x31:
    case 0xF9:
    case 0x11:
    case 0xFC: return true;
    case 0xA0: return KodTypu() < 0x74;
    default: return false;
  }
}

uint8_t WynikStatusu(uint8_t status) {
  const bool wlasnyKod = (status >= 0x02 && status <= 0x05) || (status >= 0x07 && status <= 0x12) ||
                         (status >= 0x64 && status <= 0x6D) || status == 0x6F || status == 0x70 || status == 0x73 ||
                         status == 0x75 || (status >= 0x78 && status <= 0x84);
  if (wlasnyKod) return static_cast<uint8_t>(100 + status);
  if (status == 0x13) return KodBledu(NiezgodnoscDanych);
  return KodBledu(NieoczekiwanaOdpowiedz);
}

uint8_t WynikPotwierdzenia(uint8_t bajt) {
  switch (bajt) {
    case 0x01: return 101;
    case 0x15: return KodBledu(OdmowaRozkazu);  // the register refused the request
    case 0x65: return 201;
    case 0xC8: return KodBledu(PotwierdzenieC8);
    default: return KodBledu(NieoczekiwanaOdpowiedz);
  }
}

void WykonanieRozkazu(uint8_t kodRozkazu, uint8_t dlugoscPierwszej, uint8_t liczbaParametrow,
                      uint8_t dlugoscDrugiej) {
  // While the session opens a register may still be waking up: the first
  // request gets two tries, the further ones four; afterwards one.
  const int proby = !Sesja.OtwieranieSesji ? 1 : (Sesja.PierwszyRozkaz ? 2 : 4);
  for (int i = 0; i < proby; ++i) {
    UstawBlad(BezBledu);
    ProbaWykonaniaRozkazu(kodRozkazu, dlugoscPierwszej, liczbaParametrow, dlugoscDrugiej);
    if (Sesja.BiezacyWynik != KodBledu(BrakOdpowiedzi)) break;
  }
  Sesja.PierwszyRozkaz = 0;
}

void WykonanieRozkazu(const Rozkaz& r) {
  WykonanieRozkazu(r.Kod, r.DlugoscPierwszej, r.LiczbaParametrow, r.DlugoscDrugiej);
}
