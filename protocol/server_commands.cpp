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

// A command that is only answered: its answer, then its notice; the request goes on.
bool Odpowiedz(char litera, uint32_t wartosc, const char* zakonczenie) {
  WyslanieKomunikatu(litera, wartosc);
  PowiadomienieSerwera(zakonczenie);
  return true;
}

// Carries out one Server command; false when the pending request must not be sent.
bool WykonanieRozkazuSerwera(char litera) {
  switch (litera) {
    case 'a': return Odpowiedz('A', 0, " wykonal rozkaz AVAILABLE Serwera ###\n");
    case 'b':
      UstawBlad(PrzerwaniePrzezSerwer);
      WyslanieKomunikatu('B', 0);
      PowiadomienieSerwera(" wykonal rozkaz BREAK Serwera ###\n");
      return false;
    case 'c': return Odpowiedz('C', Sesja.LicznikRozkazow, " wykonal rozkaz COUNTER Serwera ###\n");
    case 'l': return Odpowiedz('L', Sesja.LicznikLiniiWejscia, " wykonal rozkaz LINES Serwera ###\n");
    case 'o': return Odpowiedz('O', Sesja.LicznikLiniiWyjscia, " wykonal rozkaz OUTLINES Serwera ###\n");
    case 'r':
      if (Sesja.Wstrzymany) {
        Sesja.Wstrzymany = 0;
        if (LaczeZamknieteNaRozkaz()) {
          UstawienieLaczaZamknietegoNaRozkaz(false);
          if (!OtwarcieLaczaNaRozkazSerwera()) return false;
        }
      }
      return Odpowiedz('R', 0, " wykonal rozkaz RESUME Serwera ###\n");
    case 's':
      if (!Sesja.Wstrzymany) {
        ZamkniecieLacza();
        UstawienieLaczaZamknietegoNaRozkaz(true);
        Sesja.Wstrzymany = 1;
      }
      return Odpowiedz('S', 0, " wykonal rozkaz SUSPEND Serwera ###\n");
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
