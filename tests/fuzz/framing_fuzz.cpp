// Feeds arbitrary bytes to the answer-frame receiver as if they came from the
// communication module over the serial line. The first input byte picks the
// repeat limit, the awaited-second-part flag and whether a single reception
// or a whole exchange with its recovery runs; the rest is the module's answer.
// Whatever comes, the run must end in a ResultCode inside the buffers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "protocol/framing.h"
#include "protocol/line.h"
#include "protocol/line_modes.h"
#include "state/session_state.h"

namespace {

const uint8_t* Dane = nullptr;
std::size_t Pozostalo = 0;

uint8_t Zapis(uint8_t) { return 1; }
uint8_t Odczyt(uint8_t* bajt) {
  if (Pozostalo == 0) return 0;
  *bajt = *Dane++;
  --Pozostalo;
  return 1;
}
uint8_t Status() { return 0x80; }
int32_t Czyszczenie() { return 0; }
uint8_t Wyslano() { return 1; }

const PortSzeregowyLacza PORT = {Zapis, Odczyt, Status, Czyszczenie, Wyslano, nullptr};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dane, std::size_t rozmiar) {
  if (rozmiar == 0) return 0;
  ZerowanieDanychSesji();
  PodstawieniePortuSzeregowego(&PORT);
  const uint8_t wybor = dane[0];
  Dane = dane + 1;
  Pozostalo = rozmiar - 1;
  WybranieTrybuLacza(2);
  Sesja.Lacze.KanalZadany = 1;
  Sesja.Lacze.LimitPowtorzen = wybor & 0x07;
  Sesja.Ramki.Kontynuacja = (wybor >> 3) & 1;
  if (wybor & 0x80) {
    OdebranieRamki();
  } else {
    Sesja.Wymiana.ObszarParametrow[0] = wybor;
    WymianaRamki({{KodRozkazu{0xA1}, 40, static_cast<uint8_t>(wybor & 0x30), 20}, 0, (wybor & 0x40) != 0});
  }
  if (Sesja.Ramki.DlugoscRamki > sizeof Sesja.Ramki.Bufor ||
      Sesja.Ramki.LiczbaBajtowOdpowiedzi > sizeof Sesja.Wymiana.ObszarOdpowiedzi)
    std::abort();
  // Hand out every answer byte and one more, which must be refused.
  if (Sesja.BiezacyWynik == 0 || Sesja.BiezacyWynik == 53) {
    Sesja.BiezacyWynik = 0;
    for (unsigned i = 0; i <= Sesja.Ramki.LiczbaBajtowOdpowiedzi; ++i) OdebranieBajtu();
    if (Sesja.BiezacyWynik != 45) std::abort();
  }
  return 0;
}
