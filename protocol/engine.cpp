// The request/response exchange with the register: attempts, Server polling,
// the byte sequence of one exchange and the meaning of the register's
// acknowledgement and status bytes. What differs from request to request
// comes from the answer rules of the request catalogue.
#include "protocol/engine.h"

#include "platform/process.h"
#include "protocol/identification.h"
#include "protocol/line.h"
#include "protocol/line_modes.h"
#include "protocol/server_commands.h"
#include "state/result_codes.h"
#include "state/server_channel.h"
#include "state/session_state.h"

namespace {

constexpr uint8_t ESC = 0x1B;
constexpr uint8_t ACK = 0x06;
constexpr uint8_t ZNACZNIK_KONCA = 0xFF;  // first byte of a record that is not there
constexpr uint8_t STATUS_Z_BAJTAMI = 0x7A;  // the register sends two more bytes after it
constexpr uint8_t WYNIK_Z_BAJTAMI = WynikStatusuKasy(STATUS_Z_BAJTAMI);

// Reads answer bytes 2..dlugosc into answer bytes 0.., stopping early at an
// end marker. A read fails when it changes the ResultCode in force before it.
// The first byte of the answer is in, so the rest is on its way and the line
// waits for it as a whole.
void OdczytanieDalszychBajtow(unsigned dlugosc, uint8_t rekord) {
  uint8_t* odpowiedz = Sesja.Wymiana.ObszarOdpowiedzi;
  const uint8_t przed = Sesja.BiezacyWynik;
  if (dlugosc >= 2) ResztaOdpowiedzi(dlugosc - 1u);
  for (unsigned k = 2; k <= dlugosc; ++k) {
    const uint8_t bajt = OdebranieBajtu();
    if (Sesja.BiezacyWynik != przed) break;
    const unsigned pozycja = k - 2;
    odpowiedz[pozycja] = bajt;
    if (rekord != 0 && pozycja % rekord == 0 && bajt == ZNACZNIK_KONCA) break;
  }
  ResztaOdpowiedzi(0);
}

// The first answer: the acknowledgement byte and, for reads, data.
void PierwszaOdpowiedz(uint8_t dlugosc, const ZasadyWymiany& zasady) {
  if (dlugosc == 0) return;
  const uint8_t bajt = OdebranieBajtu();
  if (!BrakBledu()) return;
  Sesja.Wymiana.ObszarOdpowiedzi[0] = bajt;
  if (!zasady.DanePierwszej && bajt != ACK) {
    UstawWynik(WynikPotwierdzenia(bajt));
    return;
  }
  OdczytanieDalszychBajtow(dlugosc, zasady.DlugoscRekordu);
}

// The status byte of the second answer, taken as the request's rules say;
// false when it ends the exchange. May change the length still to read.
bool StatusDrugiej(uint8_t status, const ZasadyWymiany& zasady, unsigned& dlugosc) {
  uint8_t* odpowiedz = Sesja.Wymiana.ObszarOdpowiedzi;
  switch (zasady.Status) {
    case StatusOdpowiedzi::ZglaszanyZDlugoscia: {
      uint8_t reszta = 0;
      if (!DlugoscResztyRekordu(status, reszta)) {
        UstawBlad(NieoczekiwanaOdpowiedz);
        return false;
      }
      dlugosc = reszta + 1u;
      [[fallthrough]];
    }
    case StatusOdpowiedzi::Zglaszany:
      Sesja.Wymiana.StatusRozkazu = status;
      odpowiedz[0] = 0;
      return true;
    case StatusOdpowiedzi::Dana: return true;
    case StatusOdpowiedzi::PotwierdzenieJakoSukces:
      if (status == ACK) return true;
      break;
    case StatusOdpowiedzi::Sprawdzany: break;
  }
  if (status == 0) return true;
  UstawWynik(WynikStatusu(status));
  if (Sesja.BiezacyWynik != WYNIK_Z_BAJTAMI || !BajtySpozaDlugosciDochodza()) {
    // A register may pad an error answer to its declared length.
    DopelnienieOdpowiedzi(dlugosc - 1u);
    return false;
  }
  // The register follows this status with two bytes that say more; the
  // status stays the outcome even when they do not come.
  OdczytanieDalszychBajtow(3, zasady.DlugoscRekordu);
  UstawWynik(WYNIK_Z_BAJTAMI);
  return false;
}

// The second answer: the status byte, then data.
void DrugaOdpowiedz(uint8_t dlugoscDrugiej, const ZasadyWymiany& zasady) {
  if (dlugoscDrugiej == 0) return;
  const uint8_t status = OdebranieBajtu();
  if (!BrakBledu()) return;
  Sesja.Wymiana.StatusOdebrany = 1;
  Sesja.Wymiana.ObszarOdpowiedzi[0] = status;
  unsigned dlugosc = dlugoscDrugiej;
  if (StatusDrugiej(status, zasady, dlugosc)) OdczytanieDalszychBajtow(dlugosc, zasady.DlugoscRekordu);
}

// Sends bytes that follow one another without an answer between them; false
// with ResultCode 20 when one could not be written.
bool WyslanieCiagu(const uint8_t* bajty, unsigned ile) {
  if (ile == 0) return true;
  WyslanieBajtow(bajty, ile);
  if (!Sesja.Wymiana.BladBajtu) return true;
  UstawBlad(BladWyslania);
  return false;
}

// The exchange ended without its whole answer: a byte could not be written,
// none came in time, or one came that no answer begins or ends with.
bool WymianaPrzerwana() {
  return JestBlad(BladWyslania) || JestBlad(BrakOdpowiedzi) || JestBlad(NieoczekiwanaOdpowiedz) ||
         JestBlad(BrakBajtuOdpowiedzi);
}

void WymianaZKasa(const Rozkaz& r) {
  const ZasadyWymiany zasady = ZasadyDla(r);
  Sesja.Wymiana.BladBajtu = 0;
  Sesja.Wymiana.ParametryWyslane = Sesja.Wymiana.StatusOdebrany = 0;
  PrzygotowanieLaczaDoRozkazu();
  if (!BrakBledu()) return;
  const uint8_t poczatek[] = {ESC, BajtKodu(r.Kod)};
  if (!WyslanieCiagu(poczatek, 2)) return;
  // A module carries the whole exchange once its frame has left.
  Sesja.Wymiana.ParametryWyslane = TrybRamkowy();
  WyslanieZadania({r, zasady.DlugoscRekordu, zasady.StatusJestDana});
  if (!BrakBledu()) return;
  PierwszaOdpowiedz(r.DlugoscPierwszej, zasady);
  if (!BrakBledu()) {
    // An acknowledgement that refused: the parameters never left.
    if (!WymianaPrzerwana()) Sesja.Wymiana.ParametryWyslane = 0;
    return;
  }
  Sesja.Wymiana.ParametryWyslane = 1;
  if (!WyslanieCiagu(Sesja.Wymiana.ObszarParametrow, r.LiczbaParametrow)) return;
  // A request without a second answer is done only when its bytes have left the port.
  if (r.LiczbaParametrow != 0 && r.DlugoscDrugiej == 0 && !WyslanoWszystko()) {
    UstawBlad(BladWyslania);
    return;
  }
  DrugaOdpowiedz(r.DlugoscDrugiej, zasady);
}

void ProbaWykonaniaRozkazu(const Rozkaz& rozkaz) {
  ObslugaSerweraPrzedRozkazem();
  if (!BrakBledu()) return;
  WymianaZKasa(rozkaz);
  if (WymianaPrzerwana()) NiedokonczonaWymiana();
  else Sesja.Wymiana.OdpowiedzPrzyjeta = 1;
  // A signal that asks the process to end cut the wait for the register (or
  // for the module's frame): the command ends as it would have before its
  // next request.
  if (!BrakBledu() && platforma::SygnalKonca()) UstawBlad(PrzerwaniePrzezSerwer);
  ZliczenieRozkazu();
}

}  // namespace

bool DlugoscResztyRekordu(uint8_t status, uint8_t& dlugosc) {
  switch (status) {
    case 0xFA: dlugosc = KasaTypu24Lub27() ? 38 : 42; return true;
    case 0xFB: dlugosc = 17; return true;
    case 0xFC: dlugosc = 8; return true;
    case 0xFD:
    case 0xFE: dlugosc = 0; return true;
    default: return false;
  }
}

uint8_t WynikStatusu(uint8_t status) {
  const bool wlasnyKod = (status >= 0x02 && status <= 0x05) || (status >= 0x07 && status <= 0x12) ||
                         (status >= 0x64 && status <= 0x6D) || status == 0x6F || status == 0x70 || status == 0x73 ||
                         status == 0x75 || (status >= 0x78 && status <= 0x84);
  if (wlasnyKod) return WynikStatusuKasy(status);
  if (status == 0x13) return KodBledu(NiezgodnoscDanych);
  return KodBledu(NieoczekiwanaOdpowiedz);
}

uint8_t WynikPotwierdzenia(uint8_t bajt) {
  switch (bajt) {
    case 0x01: return WynikStatusuKasy(0x01);
    case 0x15: return KodBledu(OdmowaRozkazu);
    case 0x65: return WynikStatusuKasy(0x65);
    case 0xC8: return KodBledu(PotwierdzenieC8);
    default: return KodBledu(NieoczekiwanaOdpowiedz);
  }
}

void WykonanieRozkazu(const Rozkaz& rozkaz) {
  // While the session opens a register may still be waking up: the first
  // request gets two tries, the further ones four; afterwards one.
  const int proby = !Sesja.OtwieranieSesji ? 1 : (Sesja.PierwszyRozkaz ? 2 : 4);
  for (int i = 0; i < proby; ++i) {
    UstawBlad(BezBledu);
    ProbaWykonaniaRozkazu(rozkaz);
    if (!JestBlad(BrakOdpowiedzi)) break;
  }
  Sesja.PierwszyRozkaz = 0;
}
