// The driver's side of the Server channel. Its hidden top-level window is an
// endpoint on the message bus of the Server's message number.
#include "state/server_channel.h"

#include <cstring>

#include "platform/bus.h"
#include "platform/process.h"
#include "state/session_state.h"
#include "text/debug_trace.h"

namespace {

// A static object: its destructor removes the endpoint at process exit (and
// when the library is unloaded), whatever path the command took.
platforma::PunktMagistrali Punkt;
// Set when a SUSPEND closed the line, so that RESUME reopens only that.
bool ZamknieteNaRozkaz = false;

uint32_t IdentyfikatorWKomunikatach() {
  return Sesja.IdentyfikatorSterownika ? static_cast<uint32_t>(Sesja.IdentyfikatorSterownika)
                                       : platforma::IdentyfikatorProcesu();
}

const char* ZakonczenieOkresowe(char litera) {
  switch (litera) {
    case 'L': return " poslal komunikat LINES do Serwera ###\n";
    case 'O': return " poslal komunikat OUTLINES do Serwera ###\n";
    case 'C': return " poslal komunikat COUNTER do Serwera ###\n";
    default: return nullptr;
  }
}

}  // namespace

void OtwarcieKanaluSerwera(int32_t numer) {
  const uint32_t magistrala = static_cast<uint32_t>(numer);
  if (numer != 0 && Punkt.Otwarty() && Punkt.Numer() == magistrala) {
    Sesja.BiezacyNumerKomunikatu = numer;
    return;
  }
  Punkt.Zamknij();
  ZamknieteNaRozkaz = false;
  Sesja.BiezacyNumerKomunikatu = 0;
  if (numer == 0) return;
  const std::string nazwa = platforma::PrzedrostekSterownika + std::to_string(platforma::IdentyfikatorProcesu());
  if (Punkt.Otworz(magistrala, nazwa)) Sesja.BiezacyNumerKomunikatu = numer;
}

void ZamkniecieKanaluSerwera() { OtwarcieKanaluSerwera(0); }

bool LaczeZamknieteNaRozkaz() { return ZamknieteNaRozkaz; }

void UstawienieLaczaZamknietegoNaRozkaz(bool zamkniete) { ZamknieteNaRozkaz = zamkniete; }

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

bool CzekanieNaKomunikat(int ms) { return KanalSerweraOtwarty() && Punkt.Czekaj(ms); }

void PowiadomienieSerwera(const char* zakonczenie) {
  if (!Sesja.ZapisKomunikatow) return;
  Printf(0, "%s%s%s%d%s", "###DRIVER: ", Sesja.NazwaWKomunikatach, ", PID=",
         static_cast<int32_t>(platforma::IdentyfikatorProcesu()), zakonczenie);
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
  PowiadomienieSerwera(" poslal komunikat AVAILABLE do Serwera ###\n");
}

void PowiadomienieOkresowe(char litera, uint32_t licznik, uint32_t okres) {
  if (!KanalSerweraOtwarty() || okres == 0 || licznik % okres != 0) return;
  WyslanieKomunikatu(litera, licznik);
  if (const char* zakonczenie = ZakonczenieOkresowe(litera)) PowiadomienieSerwera(zakonczenie);
}
