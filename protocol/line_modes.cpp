// The table of the line modes, one entry per link kind, the mode kept with
// the open line, and the byte primitives that go through it (here, so that
// the choice of the entry costs no call of its own on every byte).
#include "protocol/line_modes.h"

#include <iterator>

#include "protocol/framing.h"
#include "protocol/line_ops.h"
#include "state/session_state.h"

namespace {

using namespace tryby;
using enum UstawieniaModulu;

// A direct line: the register on the serial port (or a virtual port), with its channel chosen by the kind.
constexpr TrybLacza Bezposredni(uint8_t najwyzszyKanal, void (*wyborKanalu)()) {
  return {.NajwyzszyKanal = najwyzszyKanal,
          .Modul = Brak,
          .ParzystoscDomyslna = 2,
          .OtwarciePortu = OtwarcieSzeregowe,
          .WyborKanalu = wyborKanalu,
          .ZamknieciePortu = ZamkniecieSzeregowe,
          .Ramkowy = false,
          .Czyszczenie = CzyszczenieBezposrednie,
          .BajtyCzekajace = BajtyCzekajaceSzeregowo,
          .WyslanieBajtu = WyslanieBajtuBezposrednie,
          .WyslanieBajtow = WyslanieBajtowBezposrednie,
          .OdebranieBajtu = OdebranieBajtuBezposrednie,
          .WyslanieZadania = BezZadania,
          .WyslanoWszystko = WyslanoWszystkoBezposrednio,
          .BajtySpozaDlugosci = true,
          .JestNosna = NosnaSzeregowa,
          .WyslanieBajtowRamki = WyslanieRamkiSzeregowo,
          .OdbiorBajtuRamki = OdbiorBajtuRamkiSzeregowo,
          .AdresWRamce = AdresKanalu};
}

// What a line to the communication module has of its own: its port, channel,
// carrier and the way its frame bytes travel.
struct LaczeModulu {
  UstawieniaModulu Modul;
  uint8_t ParzystoscDomyslna;
  bool (*OtwarciePortu)(uint8_t parzystosc);
  void (*WyborKanalu)();
  void (*ZamknieciePortu)();
  void (*Czyszczenie)();
  bool (*JestNosna)();
  bool (*WyslanieBajtowRamki)(const uint8_t* bufor, std::size_t dlugosc);
  bool (*OdbiorBajtuRamki)(uint8_t* bajt);
};

// A line to the communication module: the frames, as every framed line sends them.
constexpr TrybLacza ZModulem(const LaczeModulu& l) {
  return {.NajwyzszyKanal = 8,
          .Modul = l.Modul,
          .ParzystoscDomyslna = l.ParzystoscDomyslna,
          .OtwarciePortu = l.OtwarciePortu,
          .WyborKanalu = l.WyborKanalu,
          .ZamknieciePortu = l.ZamknieciePortu,
          .Ramkowy = true,
          .Czyszczenie = l.Czyszczenie,
          .BajtyCzekajace = BezBajtowCzekajacych,
          .WyslanieBajtu = WyslanieBajtuRamkowe,
          .WyslanieBajtow = WyslanieBajtowRamkowe,
          .OdebranieBajtu = OdebranieBajtuOdpowiedzi,
          .WyslanieZadania = WymianaRamki,
          .WyslanoWszystko = WyslanoWszystkoRamkowo,
          .BajtySpozaDlugosci = false,
          .JestNosna = l.JestNosna,
          .WyslanieBajtowRamki = l.WyslanieBajtowRamki,
          .OdbiorBajtuRamki = l.OdbiorBajtuRamki,
          .AdresWRamce = AdresZadany};
}

// Indexed by the link kind: MUX0 to MUX5.
const TrybLacza TRYBY[] = {
    Bezposredni(1, KanalZerowy),  // MUX0: one register on the port
    Bezposredni(4, KanalAdresu),  // MUX1: a line switch, the channel is the register's address
    // MUX2: the module behind a dialled modem, the frames over the serial port
    ZModulem({.Modul = Modem,
              .ParzystoscDomyslna = 0,
              .OtwarciePortu = OtwarcieModemowe,
              .WyborKanalu = KanalModemu,
              .ZamknieciePortu = ZamkniecieSzeregowe,
              .Czyszczenie = CzyszczenieSzeregowe,
              .JestNosna = NosnaSzeregowa,
              .WyslanieBajtowRamki = WyslanieRamkiSzeregowo,
              .OdbiorBajtuRamki = OdbiorBajtuRamkiSzeregowo}),
    Bezposredni(8, KanalRozkazem),  // MUX3: a multiplexer addressed by a request
    Bezposredni(8, KanalBajtami),   // MUX4: a multiplexer addressed by two raw bytes
    // MUX5: the module over TCP
    ZModulem({.Modul = Siec,
              .ParzystoscDomyslna = 2,
              .OtwarciePortu = OtwarcieTcp,
              .WyborKanalu = BezKanalu,
              .ZamknieciePortu = ZamkniecieTcp,
              .Czyszczenie = CzyszczenieTcp,
              .JestNosna = NosnaTcp,
              .WyslanieBajtowRamki = WyslanieRamkiTcp,
              .OdbiorBajtuRamki = OdbiorBajtuRamkiTcp}),
};

// The modem commands talk to the modem itself, byte by byte on the serial port.
const TrybLacza& BEZ_RAMEK = TRYBY[0];

const TrybLacza* Wybrany = &TRYBY[0];

}  // namespace

const TrybLacza& TrybDlaRodzaju(uint8_t rodzaj) { return rodzaj < std::size(TRYBY) ? TRYBY[rodzaj] : TRYBY[0]; }

uint8_t LiczbaRodzajowLacza() { return static_cast<uint8_t>(std::size(TRYBY)); }

void WybranieTrybuLacza(uint8_t rodzaj) {
  Wybrany = &TrybDlaRodzaju(rodzaj);
  NowaLinia();
}

const TrybLacza& BiezacyTrybLacza() { return Sesja.Ramki.BezRamek ? BEZ_RAMEK : *Wybrany; }

bool TrybRamkowy() { return BiezacyTrybLacza().Ramkowy; }

void CzyszczenieLacza() { BiezacyTrybLacza().Czyszczenie(); }
void WyslanieBajtu(uint8_t bajt) { BiezacyTrybLacza().WyslanieBajtu(bajt); }
void WyslanieBajtow(const uint8_t* bajty, uint32_t ile) { BiezacyTrybLacza().WyslanieBajtow(bajty, ile); }
uint8_t OdebranieBajtu() { return BiezacyTrybLacza().OdebranieBajtu(); }
void WyslanieZadania(const ZadanieRamki& zadanie) { BiezacyTrybLacza().WyslanieZadania(zadanie); }
bool WyslanoWszystko() { return BiezacyTrybLacza().WyslanoWszystko(); }
bool JestNosna() { return BiezacyTrybLacza().JestNosna(); }
bool BajtySpozaDlugosciDochodza() { return BiezacyTrybLacza().BajtySpozaDlugosci; }
