// The Server's commands as the engine obeys them before each attempt.
#include "protocol/server_commands.h"

#include <cstdint>

#include "platform/process.h"
#include "protocol/line.h"
#include "state/result_codes.h"
#include "state/server_channel.h"
#include "state/session_state.h"

namespace {

// Set while a Server command is carried out. Reopening the line at RESUME may
// itself send a request (a multiplexer's channel selection); that request
// belongs to the RESUME and does not look at the queue again, so that no
// further command is carried out in the middle of the reopening.
bool WRozkazieSerwera = false;

constexpr int CzuwanieWstrzymanego = 200;  // ms a suspended driver sleeps between looks at the signals

// RESUME reopens the line; a line that stays closed is a failure.
bool OtwarcieLaczaNaRozkazSerwera() {
  OtwarcieLacza();
  if (BrakBledu() && !LaczeOtwarte()) UstawBlad(BladOtwarciaLacza);
  return BrakBledu();
}

// Carries out one Server command; false when the pending request must not be sent.
bool WykonanieRozkazuSerwera(char litera) {
  switch (litera) {
    case 'a':
      WyslanieKomunikatu('A', 0);
      PowiadomienieSerwera(" wykonal rozkaz AVAILABLE Serwera ###\n");
      return true;
    case 'b':
      UstawBlad(PrzerwaniePrzezSerwer);
      WyslanieKomunikatu('B', 0);
      PowiadomienieSerwera(" wykonal rozkaz BREAK Serwera ###\n");
      return false;
    case 'c':
      WyslanieKomunikatu('C', Sesja.LicznikRozkazow);
      PowiadomienieSerwera(" wykonal rozkaz COUNTER Serwera ###\n");
      return true;
    case 'l':
      WyslanieKomunikatu('L', Sesja.LicznikLiniiWejscia);
      PowiadomienieSerwera(" wykonal rozkaz LINES Serwera ###\n");
      return true;
    case 'o':
      WyslanieKomunikatu('O', Sesja.LicznikLiniiWyjscia);
      PowiadomienieSerwera(" wykonal rozkaz OUTLINES Serwera ###\n");
      return true;
    case 'r':
      if (Sesja.Wstrzymany) {
        Sesja.Wstrzymany = 0;
        if (LaczeZamknieteNaRozkaz()) {
          UstawienieLaczaZamknietegoNaRozkaz(false);
          if (!OtwarcieLaczaNaRozkazSerwera()) return false;
        }
      }
      WyslanieKomunikatu('R', 0);
      PowiadomienieSerwera(" wykonal rozkaz RESUME Serwera ###\n");
      return true;
    case 's':
      if (!Sesja.Wstrzymany) {
        ZamkniecieLacza();
        UstawienieLaczaZamknietegoNaRozkaz(true);
        Sesja.Wstrzymany = 1;
      }
      WyslanieKomunikatu('S', 0);
      PowiadomienieSerwera(" wykonal rozkaz SUSPEND Serwera ###\n");
      return true;
    default:
      UstawBlad(BladSerwera);
      PowiadomienieSerwera(" odebral nieznany rozkaz Serwera ###\n");
      return false;
  }
}

// A signal that asks the process to end breaks the command as the Server does.
bool PrzerwanieSygnalem() {
  if (!platforma::SygnalKonca()) return false;
  UstawBlad(PrzerwaniePrzezSerwer);
  return true;
}

}  // namespace

void ObslugaSerweraPrzedRozkazem() {
  if (PrzerwanieSygnalem() || WRozkazieSerwera || !KanalSerweraOtwarty()) return;
  for (;;) {
    uint32_t wartosc = 0;
    const char litera = OdebranieRozkazu(&wartosc);
    if (litera) {
      WRozkazieSerwera = true;
      const bool dalej = WykonanieRozkazuSerwera(litera);
      WRozkazieSerwera = false;
      if (!dalej) return;
    }
    if (!Sesja.Wstrzymany) return;
    // Suspended: sleep until the next message arrives. A channel that broke
    // meanwhile cannot resume us, so stop waiting for it. The sleep is cut
    // short now and then, so that a signal that came just before it is seen.
    if (!KanalSerweraOtwarty()) return;
    CzekanieNaKomunikat(CzuwanieWstrzymanego);
    if (PrzerwanieSygnalem()) return;
  }
}
