#include "commands/modem/modem_line.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>

#include "include/karvo.h"
#include "platform/clock.h"
#include "protocol/framing.h"
#include "protocol/line.h"
#include "protocol/server_commands.h"
#include "state/result_codes.h"
#include "state/session_state.h"
#include "text/codecs.h"

namespace {

constexpr uint8_t ZNAK_KONCA_KOMENDY = 0x0D;
// The carrier is looked at every 10 ms and must hold for 100 looks in a row.
constexpr uint32_t OKRES_PROBKI_MS = 10;
constexpr uint32_t PROBEK_NA_SEKUNDE = 1000 / OKRES_PROBKI_MS;
constexpr uint32_t PROBEK_STABILNYCH = 100;
// Control frames sent again after a recovery that asked for it: the module's
// own counters bound each reason, this bounds them all.
constexpr uint32_t NAJWIECEJ_PONOWIEN = 16;

// Pauses are slept in slices, so that a break is seen within one.
constexpr uint32_t KAWALEK_PAUZY_MS = 50;

// The Server (or a signal that asks the process to end) may break the
// command between any two steps, as it may between requests.
bool MoznaDalej() {
  ObslugaSerweraPrzedRozkazem();
  return BrakBledu();
}

}  // namespace

void PauzaModemu(uint32_t ms) {
  while (ms > 0 && MoznaDalej()) {
    const uint32_t kawalek = ms < KAWALEK_PAUZY_MS ? ms : KAWALEK_PAUZY_MS;
    platforma::Uspienie(kawalek);
    ms -= kawalek;
  }
}

bool JestNosnaModemu() { return JestNosna(); }

bool OdczytanieKomendyModemu(int32_t plik, char* komenda, uint8_t& zla) {
  zla = 0;
  if (!OdczytanoZPlikuLinieDanych(plik, komenda, &zla)) return false;
  ZamianaNaWielkieLitery(komenda);
  return true;
}

std::size_t BajtyKomendyModemu(const char* tekst, uint8_t* bajty) {
  std::size_t dlugosc = strnlen(tekst, sizeof Sesja.Wymiana.ObszarParametrow - 1);
  std::memcpy(bajty, tekst, dlugosc);
  if (dlugosc > 0 && std::strcmp(tekst, KOMENDA_ESKAPE) != 0) bajty[dlugosc++] = ZNAK_KONCA_KOMENDY;
  return dlugosc;
}

bool WyslanieKomendyModemu(const char* tekst) {
  uint8_t* bajty = Sesja.Wymiana.ObszarParametrow;
  const std::size_t dlugosc = BajtyKomendyModemu(tekst, bajty);
  PauzaModemu(PAUZA_KOMENDY_MS);
  if (!BrakBledu()) return false;
  // The modem is spoken to directly, also on a line that otherwise carries frames.
  const uint8_t bezRamek = Sesja.Ramki.BezRamek;
  Sesja.Ramki.BezRamek = 1;
  for (std::size_t i = 0; i < dlugosc; ++i) {
    WyslanieBajtu(bajty[i]);
    if (Sesja.Wymiana.BladBajtu) {
      UstawBlad(BladWyslaniaRamki);
      break;
    }
  }
  Sesja.Ramki.BezRamek = bezRamek;
  if (BrakBledu()) PauzaModemu(PAUZA_KOMENDY_MS);
  return BrakBledu();
}

void WymianaSterujaca(TypRamkiSterujacej typ) {
  ZerowanieStanuOdtwarzania();
  for (uint32_t ponowienia = 0;; ++ponowienia) {
    if (!MoznaDalej()) return;
    WyslanieRamkiSterujacej(typ);
    if (BrakBledu()) return;
    const uint8_t zapamietany = Sesja.BiezacyWynik;
    ObslugaBleduRamki();
    if (!BrakBledu()) return;
    // After a broken answer the recovery has fetched it again, and after the
    // first of two parts it has fetched the second: the answer is complete.
    // Sending the frame again would only start the same exchange over.
    if (zapamietany == KodBledu(BladCrcRamki) || zapamietany == KodBledu(PierwszaCzescOdpowiedzi)) return;
    if (ponowienia + 1 >= NAJWIECEJ_PONOWIEN) {
      UstawWynik(zapamietany);
      return;
    }
  }
}

bool NieudaneWybieranie(OdpowiedzModemu& o, uint8_t bajt) {
  if (bajt != '\r' && bajt != '\n') {
    if (o.Dlugosc < sizeof o.Linia) o.Linia[o.Dlugosc] = static_cast<char>(bajt);
    ++o.Dlugosc;
    return false;
  }
  const std::string_view linia(o.Linia, o.Dlugosc <= sizeof o.Linia ? o.Dlugosc : 0);
  o.Dlugosc = 0;
  // The results a Hayes modem gives for a call that will not connect, verbose and numeric.
  static constexpr std::string_view NIEUDANE[] = {"NO CARRIER", "ERROR", "NO DIALTONE", "BUSY", "NO ANSWER",
                                                  "3",          "4",     "6",           "7",    "8"};
  return !linia.empty() && std::find(std::begin(NIEUDANE), std::end(NIEUDANE), linia) != std::end(NIEUDANE);
}

namespace {

// More than a modem line at 19200 bit/s brings in one look (10 ms), so that
// a line that never falls silent cannot hold a look.
constexpr uint32_t NAJWIECEJ_NA_RAZ = 256;

// What the modem has said since the dialling, and whether the port is still there.
bool PolaczenieOdrzucone(OdpowiedzModemu& odpowiedz) {
  if (PortSzeregowyZerwany()) return true;
  uint8_t bajty[NAJWIECEJ_NA_RAZ];
  const uint32_t n = OdczytCzekajacychBajtow(bajty, sizeof bajty);
  for (uint32_t i = 0; i < n; ++i)
    if (NieudaneWybieranie(odpowiedz, bajty[i])) return true;
  return false;
}

}  // namespace

void PorzucenieOdpowiedziModemu() {
  // What the port can hold (4 KiB), and no more: the line may not fall silent.
  uint8_t bajty[NAJWIECEJ_NA_RAZ];
  for (int i = 0; i < 16 && OdczytCzekajacychBajtow(bajty, sizeof bajty) > 0; ++i) {
  }
}

void CzekanieNaNosna(bool wlaczona) {
  uint32_t pozostalo = Sesja.Lacze.CzasPolaczenia * PROBEK_NA_SEKUNDE;
  uint32_t stabilnych = 0;
  OdpowiedzModemu odpowiedz;
  while (stabilnych < PROBEK_STABILNYCH && pozostalo > 0) {
    PauzaModemu(OKRES_PROBKI_MS);
    if (!BrakBledu()) return;
    // Nothing waits out the connection time once the modem has said the call failed.
    if (wlaczona && PolaczenieOdrzucone(odpowiedz)) break;
    --pozostalo;
    stabilnych = JestNosna() == wlaczona ? stabilnych + 1 : 0;
  }
  // A carrier that held on the last of the allowed looks has held long enough.
  if (stabilnych < PROBEK_STABILNYCH) UstawBlad(NosnaNieUstalona);
}

std::size_t WersjaModulu(char* tekst) {
  const std::size_t dostepne = Sesja.Ramki.LiczbaBajtowOdpowiedzi;
  std::size_t dlugosc = 0;
  for (std::size_t i = 0; i < DLUGOSC_WERSJI_MODULU && i < dostepne; ++i)
    if (const uint8_t bajt = Sesja.Wymiana.ObszarOdpowiedzi[i]; bajt != 0) tekst[dlugosc++] = static_cast<char>(bajt);
  tekst[dlugosc] = 0;
  return dlugosc;
}
