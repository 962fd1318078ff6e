// The byte operations of the line modes: the direct mode's single bytes on
// the serial port and the framed modes' bytes inside the frames.
#include "protocol/line.h"

#include <algorithm>

#include "include/karvo.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "protocol/line_modes.h"
#include "protocol/line_ops.h"
#include "serial/kolejka_wejscia.h"
#include "state/result_codes.h"
#include "state/session_state.h"

namespace {

const PortSzeregowyLacza PORT_RZECZYWISTY = {WriteByte, ReadByte,  ModemStatus,          ClearPort,
                                             CharSent,  BajtyWKolejceWejscia, OdczytBajtuOdpowiedzi, OdczytZBledemLinii,
                                             PortZerwany, ZapisBajtow};
const PortSzeregowyLacza* Port = &PORT_RZECZYWISTY;

// The register may still be sending after an exchange that ended early.
bool LiniaNiespokojna = false;

// The bytes of the answer being read that are still due (ResztaOdpowiedzi).
uint32_t ResztaBiezacejOdpowiedzi = 0;

// Whether the register pads its error answers to their declared length; seen
// at its first error answer and kept with the line.
enum class Dopelnianie : uint8_t { Nieznane, Tak, Nie };
Dopelnianie KasaDopelnia = Dopelnianie::Nieznane;

// An exchange ended early: the request after the next one that is answered
// may find the rest of a late answer still on its way.
bool PoNiedokonczonejWymianie = false;

// The line's last exchange ended early (no answer in time, a cut or an
// unexpected one). Its answer may come later than the quiet wait at the
// close lasts, so the port keeps its mark and the next run waits too.
bool OstatniaWymianaPrzerwana = false;

// Bytes already on their way arrive within a few byte times at the line's
// speed (11 bits a byte), plus what the port's reader, a USB adapter or a
// port server add on a loaded machine.
constexpr uint32_t BAJTY_W_DRODZE = 4;
constexpr uint32_t ZAPAS_MS = 10;
// Whether a register pads is seen once per line, so that wait may be longer.
constexpr uint32_t ZAPAS_DOPELNIENIA_MS = 50;

uint32_t CzasBajtowMs(uint32_t bajty) {
  const uint32_t predkosc = Sesja.Lacze.Predkosc ? Sesja.Lacze.Predkosc : 9600;
  return (bajty * 11 * 1000 + predkosc - 1) / predkosc;
}

uint32_t BajtyWKolejce() { return Port->BajtyWKolejce ? Port->BajtyWKolejce() : 0; }

// One byte of an answer, waited for with the rest of it when the rest is known.
uint8_t OdczytBajtuZReszta(uint8_t* bajt, uint32_t reszta) {
  return reszta > 1 && Port->OdczytBajtuOdpowiedzi ? Port->OdczytBajtuOdpowiedzi(bajt, reszta) : Port->OdczytBajtu(bajt);
}

// Bytes that go out back to back: in one write where the port can, else one
// by one; false at the first that was not written.
bool ZapisWszystkich(const uint8_t* bajty, uint32_t ile) {
  if (Port->ZapisBajtow) return ile == 0 || Port->ZapisBajtow(bajty, ile) == ile;
  for (uint32_t i = 0; i < ile; ++i)
    if (Port->ZapisBajtu(bajty[i]) != 1) return false;
  return true;
}

// A read that failed on bytes the line damaged: something came.
bool PrzyszloUszkodzone() { return Port->BladLinii && Port->BladLinii() != 0; }

// Gives the bytes still on their way time to arrive; whatever waits afterwards came unasked.
void CzekanieNaBajtyWDrodze() { platforma::Uspienie(CzasBajtowMs(BAJTY_W_DRODZE) + ZAPAS_MS); }

// Lets go whatever comes until nothing has come for the port's read time-out
// (a late answer then has had as long again as the request had), for at most
// three of those, so that a line that never falls silent cannot hold the run.
// A signal to end cuts the wait short: the line then stays unsettled, so the
// port keeps its mark and the next run waits for the register in its place.
void Uspokojenie() {
  const uint32_t limitMs = 3000 * (Sesja.Lacze.CzasOczekiwania ? Sesja.Lacze.CzasOczekiwania : 1);
  const uint32_t poczatek = platforma::LicznikMs();
  uint8_t bajt = 0;
  bool przyszedl = true;
  while (przyszedl && platforma::LicznikMs() - poczatek < limitMs)
    przyszedl = Port->OdczytBajtu(&bajt) == 1 || PrzyszloUszkodzone();
  LiniaNiespokojna = platforma::SygnalKonca() != 0;
}

// Stray bytes after a taken answer make it suspect; they are let go before
// the line carries anything more.
bool PodejrzanaOdpowiedz() {
  LiniaNiespokojna = true;
  Sesja.Wymiana.WymianaNiepewna = 1;
  UstawBlad(NieoczekiwanaOdpowiedz);
  return false;
}

}  // namespace

namespace tryby {

// ---- direct mode: the request is a plain byte stream on the serial port ----

void CzyszczenieSzeregowe() {
  Sesja.Wymiana.LicznikOdebranychBajtow = 0;
  ResztaBiezacejOdpowiedzi = 0;
  Port->Czyszczenie();
}

void CzyszczenieBezposrednie() {
  if (LiniaNiespokojna) Uspokojenie();
  CzyszczenieSzeregowe();
}

uint32_t BajtyCzekajaceSzeregowo() { return BajtyWKolejce(); }
uint32_t BezBajtowCzekajacych() { return 0; }
void PrzerwanyPoprzedniPrzebieg() { LiniaNiespokojna = true; }
bool LiniaBezDlugu() { return !LiniaNiespokojna && !OstatniaWymianaPrzerwana; }
void NowaLinia() {
  LiniaNiespokojna = false;
  PoNiedokonczonejWymianie = false;
  OstatniaWymianaPrzerwana = false;
  KasaDopelnia = Dopelnianie::Nieznane;
}

void WyslanieBajtuBezposrednie(uint8_t bajt) { Sesja.Wymiana.BladBajtu = Port->ZapisBajtu(bajt) != 1; }

void WyslanieBajtowBezposrednie(const uint8_t* bajty, uint32_t ile) {
  Sesja.Wymiana.BladBajtu = !ZapisWszystkich(bajty, ile);
}

uint8_t OdebranieBajtuBezposrednie() {
  uint8_t bajt = 0;
  const uint32_t reszta = ResztaBiezacejOdpowiedzi;
  if (reszta > 0) --ResztaBiezacejOdpowiedzi;
  if (OdczytBajtuZReszta(&bajt, reszta) != 1) {
    // A byte the line damaged ends the answer as a cut one does.
    ResztaBiezacejOdpowiedzi = 0;
    Sesja.Wymiana.BladBajtu = 1;
    UstawBlad(BrakOdpowiedzi);
    return bajt;
  }
  ++Sesja.Wymiana.LicznikOdebranychBajtow;
  return bajt;
}

void BezZadania(const ZadanieRamki&) {}
bool WyslanoWszystkoBezposrednio() { return Port->WyslanoZnaki() != 0; }
uint8_t AdresKanalu() { return Sesja.Lacze.Kanal; }

// ---- framed modes: the engine's bytes travel inside the frames ----

void CzyszczenieTcp() { Sesja.Wymiana.LicznikOdebranychBajtow = 0; }
void WyslanieBajtuRamkowe(uint8_t) {}
void WyslanieBajtowRamkowe(const uint8_t*, uint32_t) {}
bool WyslanoWszystkoRamkowo() { return true; }
// The configuration keeps the register's own address for the frames.
uint8_t AdresZadany() { return Sesja.Lacze.KanalZadany; }

bool NosnaSzeregowa() { return (Port->StatusModemu() & 0x80) != 0; }
bool NosnaTcp() { return true; }

bool WyslanieRamkiSzeregowo(const uint8_t* bufor, std::size_t dlugosc) {
  if (ZapisWszystkich(bufor, static_cast<uint32_t>(dlugosc))) return true;
  UstawBlad(BladWyslaniaRamki);
  return false;
}

bool OdbiorBajtuRamkiSzeregowo(uint8_t* bajt) {
  const uint32_t reszta = ResztaBiezacejOdpowiedzi;
  if (reszta > 0) --ResztaBiezacejOdpowiedzi;
  if (OdczytBajtuZReszta(bajt, reszta) == 1) return true;
  ResztaBiezacejOdpowiedzi = 0;
  // The port ends a read at once when the carrier falls: that is the call
  // lost, not a module that did not answer.
  UstawBlad(NosnaSzeregowa() ? BrakOdpowiedziRamki : BrakNosnej);
  return false;
}

}  // namespace tryby

void PrzygotowanieLaczaDoRozkazu() {
  OstatniaWymianaPrzerwana = false;
  // Once the line has been let go quiet after an exchange that ended early,
  // bytes may still be on their way (a late answer may have been taken for
  // the retry's); a line about to be let go quiet needs no such wait.
  if (PoNiedokonczonejWymianie && !LiniaNiespokojna && BajtySpozaDlugosciDochodza()) {
    CzekanieNaBajtyWDrodze();
    PoNiedokonczonejWymianie = false;
  }
  if (BiezacyTrybLacza().BajtyCzekajace() != 0) {
    if (Sesja.Wymiana.OdpowiedzPrzyjeta) {
      PodejrzanaOdpowiedz();
      return;
    }
    LiniaNiespokojna = true;
  }
  CzyszczenieLacza();
}

void NiedokonczonaWymiana() {
  // Only where stray bytes reach the engine can a late answer be taken for another.
  if (BiezacyTrybLacza().BajtySpozaDlugosci) LiniaNiespokojna = PoNiedokonczonejWymianie = OstatniaWymianaPrzerwana = true;
  Sesja.Wymiana.WymianaNiepewna = 1;
}

bool CiszaPoOdpowiedzi() {
  if (!Sesja.Wymiana.OdpowiedzPrzyjeta) return true;
  if (BajtySpozaDlugosciDochodza()) CzekanieNaBajtyWDrodze();
  if (BiezacyTrybLacza().BajtyCzekajace() == 0) return true;
  return PodejrzanaOdpowiedz();
}

void DopelnienieOdpowiedzi(uint32_t ile) {
  if (ile == 0 || KasaDopelnia == Dopelnianie::Nie || !BajtySpozaDlugosciDochodza()) return;
  if (KasaDopelnia == Dopelnianie::Nieznane) {
    platforma::Uspienie(CzasBajtowMs(BAJTY_W_DRODZE) + ZAPAS_DOPELNIENIA_MS);
    KasaDopelnia = BajtyWKolejce() != 0 ? Dopelnianie::Tak : Dopelnianie::Nie;
    if (KasaDopelnia == Dopelnianie::Nie) return;
  }
  // A register that pads sends the whole padding at once.
  uint8_t bajt = 0;
  for (uint32_t i = 0; i < ile; ++i)
    if (OdczytBajtuZReszta(&bajt, ile - i) != 1) return;
}

void ResztaOdpowiedzi(uint32_t ile) { ResztaBiezacejOdpowiedzi = ile; }

uint32_t OdczytCzekajacychBajtow(uint8_t* bajty, uint32_t ile) {
  uint32_t n = std::min(ile, BajtyWKolejce());
  for (uint32_t i = 0; i < n; ++i)
    if (Port->OdczytBajtu(bajty + i) != 1) return i;
  return n;
}

bool PortSzeregowyZerwany() { return Port->Zerwany && Port->Zerwany() != 0; }

void PodstawieniePortuSzeregowego(const PortSzeregowyLacza* port) { Port = port ? port : &PORT_RZECZYWISTY; }
const PortSzeregowyLacza& PortSzeregowyWUzyciu() { return *Port; }
