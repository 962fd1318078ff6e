// The driver's side of the Server channel. Its hidden top-level window is an
// endpoint on the message bus of the Server's message number.
#include "state/server_channel.h"

#include <cstring>

#include "platform/bus.h"
#include "platform/process.h"
#include "state/result_codes.h"
#include "state/session_state.h"
#include "text/debug_trace.h"

ObslugaLaczaSerwera LaczeSerwera;

namespace {

// A static object: its destructor removes the endpoint at process exit (and
// when the library is unloaded), whatever path the command took.
platforma::PunktMagistrali Punkt;
// Set when a SUSPEND closed the link, so that RESUME reopens only that.
bool LaczeZamknieteNaRozkaz = false;
// Set while a Server command is carried out. Reopening the link at RESUME may
// itself send a request (a multiplexer's channel selection); that request
// belongs to the RESUME and does not look at the queue again, so that no
// further command is carried out in the middle of the reopening.
bool WRozkazieSerwera = false;

constexpr int CzuwanieWstrzymanego = 200;  // ms a suspended driver sleeps between looks at the signals

uint32_t IdentyfikatorWKomunikatach() {
  return Sesja.IdentyfikatorSterownika ? static_cast<uint32_t>(Sesja.IdentyfikatorSterownika)
                                       : platforma::IdentyfikatorProcesu();
}

void Powiadomienie(const char* zakonczenie) {
  if (!Sesja.ZapisKomunikatow) return;
  Printf(0, "%s%s%s%d%s", "###DRIVER: ", Sesja.NazwaWKomunikatach, ", PID=",
         static_cast<int32_t>(platforma::IdentyfikatorProcesu()), zakonczenie);
}

const char* ZakonczenieOkresowe(char litera) {
  switch (litera) {
    case 'L': return " poslal komunikat LINES do Serwera ###\n";
    case 'O': return " poslal komunikat OUTLINES do Serwera ###\n";
    case 'C': return " poslal komunikat COUNTER do Serwera ###\n";
    default: return nullptr;
  }
}

// Carries out one Server command; false when the pending request must not be sent.
bool WykonanieRozkazuSerwera(char litera) {
  switch (litera) {
    case 'a':
      WyslanieKomunikatu('A', 0);
      Powiadomienie(" wykonal rozkaz AVAILABLE Serwera ###\n");
      return true;
    case 'b':
      UstawBlad(PrzerwaniePrzezSerwer);
      WyslanieKomunikatu('B', 0);
      Powiadomienie(" wykonal rozkaz BREAK Serwera ###\n");
      return false;
    case 'c':
      WyslanieKomunikatu('C', Sesja.LicznikRozkazow);
      Powiadomienie(" wykonal rozkaz COUNTER Serwera ###\n");
      return true;
    case 'l':
      WyslanieKomunikatu('L', Sesja.LicznikLiniiWejscia);
      Powiadomienie(" wykonal rozkaz LINES Serwera ###\n");
      return true;
    case 'o':
      WyslanieKomunikatu('O', Sesja.LicznikLiniiWyjscia);
      Powiadomienie(" wykonal rozkaz OUTLINES Serwera ###\n");
      return true;
    case 'r':
      if (Sesja.Wstrzymany) {
        Sesja.Wstrzymany = 0;
        if (LaczeZamknieteNaRozkaz) {
          LaczeZamknieteNaRozkaz = false;
          if (LaczeSerwera.Otwarcie && !LaczeSerwera.Otwarcie()) {
            if (BrakBledu()) UstawBlad(BladOtwarciaLacza);
            return false;
          }
        }
      }
      WyslanieKomunikatu('R', 0);
      Powiadomienie(" wykonal rozkaz RESUME Serwera ###\n");
      return true;
    case 's':
      if (!Sesja.Wstrzymany) {
        if (LaczeSerwera.Zamkniecie) LaczeSerwera.Zamkniecie();
        LaczeZamknieteNaRozkaz = true;
        Sesja.Wstrzymany = 1;
      }
      WyslanieKomunikatu('S', 0);
      Powiadomienie(" wykonal rozkaz SUSPEND Serwera ###\n");
      return true;
    default:
      UstawBlad(BladSerwera);
      Powiadomienie(" odebral nieznany rozkaz Serwera ###\n");
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

void OtwarcieKanaluSerwera(int32_t numer) {
  const uint32_t magistrala = static_cast<uint32_t>(numer);
  if (numer != 0 && Punkt.Otwarty() && Punkt.Numer() == magistrala) {
    Sesja.BiezacyNumerKomunikatu = numer;
    return;
  }
  Punkt.Zamknij();
  LaczeZamknieteNaRozkaz = false;
  Sesja.BiezacyNumerKomunikatu = 0;
  if (numer == 0) return;
  const std::string nazwa = platforma::PrzedrostekSterownika + std::to_string(platforma::IdentyfikatorProcesu());
  if (Punkt.Otworz(magistrala, nazwa)) Sesja.BiezacyNumerKomunikatu = numer;
}

void ZamkniecieKanaluSerwera() { OtwarcieKanaluSerwera(0); }

int32_t KanalSerweraOtwarty() { return Punkt.Otwarty() ? Sesja.BiezacyNumerKomunikatu : 0; }

uint8_t WyslanieKomunikatu(char litera, uint32_t wartosc) {
  const int32_t numer = KanalSerweraOtwarty();
  if (!numer) return 0;
  const platforma::KomunikatOkna komunikat{static_cast<uint32_t>(numer), IdentyfikatorWKomunikatach(),
                                           platforma::ParametrKomunikatu(litera, wartosc)};
  return platforma::RozeslanieKomunikatu(Punkt.Numer(), komunikat, &Punkt, 0) >= 0;
}

char OdebranieRozkazu(uint32_t* wartosc) {
  const int32_t numer = KanalSerweraOtwarty();
  if (!numer) return 0;
  const uint32_t identyfikator = IdentyfikatorWKomunikatach();
  platforma::KomunikatOkna k;
  // Messages of other numbers would go to the hidden window, which ignores
  // them; every message of our number that is not a command for us is dropped.
  while (Punkt.Odbierz(k)) {
    if (k.Numer != static_cast<uint32_t>(numer) || k.WParam != identyfikator) continue;
    const char litera = platforma::LiteraKomunikatu(k.LParam);
    if (litera < 'a' || litera > 'z') continue;
    if (wartosc) *wartosc = platforma::WartoscKomunikatu(k.LParam);
    return litera;
  }
  return 0;
}

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
    Punkt.Czekaj(CzuwanieWstrzymanego);
    if (PrzerwanieSygnalem()) return;
  }
}

void ZliczenieRozkazu() {
  ++Sesja.LicznikRozkazow;
  PowiadomienieOkresowe('C', Sesja.LicznikRozkazow, Sesja.OkresLicznika);
}

void PowitanieSerwera() {
  if (Sesja.ZapisKomunikatow) {
    char* cel = Sesja.NazwaWKomunikatach;
    const std::size_t zajete = strnlen(cel, DLUGOSC_NAPISU - 1);
    const char* nazwa = Sesja.NazwyPlikowSesji[NazwaFunkcji];
    const std::size_t ile = strnlen(nazwa, DLUGOSC_NAPISU - 1 - zajete);
    std::memcpy(cel + zajete, nazwa, ile);
    cel[zajete + ile] = 0;
  }
  OtwarcieKanaluSerwera(Sesja.NumerKomunikatu);
  WyslanieKomunikatu('A', 0);
  Powiadomienie(" poslal komunikat AVAILABLE do Serwera ###\n");
}

void PowiadomienieOkresowe(char litera, uint32_t licznik, uint32_t okres) {
  if (!KanalSerweraOtwarty() || okres == 0 || licznik % okres != 0) return;
  WyslanieKomunikatu(litera, licznik);
  if (const char* zakonczenie = ZakonczenieOkresowe(litera)) Powiadomienie(zakonczenie);
}
