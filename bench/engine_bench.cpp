// How much the driver adds to the line: (a) the engine's own cost per request
// against karvo-sim over a pseudo-terminal without pacing, and (b) whole
// _ONrKasy runs with the simulator paced at 9600 and 115200 bit/s, against
// the physical line time of the bytes exchanged plus the fixed pauses.
#include <algorithm>
#include <initializer_list>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "harness.h"
#include "protocol/engine.h"
#include "protocol/identification.h"
#include "protocol/line.h"
#include "state/result_codes.h"
#include "state/session_state.h"

namespace {

using Zegar = std::chrono::steady_clock;

double Sekundy(Zegar::duration d) { return std::chrono::duration<double>(d).count(); }

struct Pomiar {
  double scianaUs, procesorUs;
};

// n requests of one kind; wall and processor time per request in microseconds.
Pomiar Seria(uint8_t kod, uint8_t dlugosc, int n) {
  const std::clock_t c0 = std::clock();
  const auto t0 = Zegar::now();
  for (int i = 0; i < n; ++i) {
    WykonanieRozkazu({KodRozkazu{kod}, dlugosc, 0, 0});
    if (!BrakBledu()) {
      std::fprintf(stderr, "request 0x%02X failed with %u\n", kod, unsigned{Sesja.BiezacyWynik});
      std::exit(1);
    }
  }
  const double sciana = Sekundy(Zegar::now() - t0);
  const double procesor = double(std::clock() - c0) / CLOCKS_PER_SEC;
  return {sciana * 1e6 / n, procesor * 1e6 / n};
}

void KosztSilnika(int n) {
  e2e::KatalogTymczasowy katalog;
  e2e::Symulator sim(katalog, {.urzadzenia = {"typ-0x24.txt"}});
  if (!sim.Gotowy()) std::exit(1);
  e2e::ZapiszPlik(katalog / "ports.conf", "COM1\t" + sim.Cel() + "\n");
  setenv("KARVO_PLATFORM_DIR", katalog.Sciezka().c_str(), 1);
  ZerowanieDanychSesji();
  Sesja.Lacze.NumerPortu = 1;
  Sesja.Lacze.Predkosc = 115200;
  Sesja.Lacze.RodzajLacza = 0;
  Sesja.Lacze.CzasOczekiwania = 1;
  OtwarcieLacza();
  if (!LaczeOtwarte()) {
    std::fprintf(stderr, "the port did not open\n");
    std::exit(1);
  }
  Seria(0xC0, 3, 50);  // warm up
  const Pomiar krotki = Seria(0xC0, 3, n);    // 2 bytes out, 3 in
  const Pomiar dlugi = Seria(0x71, 12, n);    // 2 bytes out, 12 in
  ZamkniecieLacza();
  const double naBajtSciana = (dlugi.scianaUs - krotki.scianaUs) / 9;
  const double naBajtProcesor = (dlugi.procesorUs - krotki.procesorUs) / 9;
  std::printf("(a) engine over a pty, no pacing, %d requests each\n", n);
  std::printf("    request 0xC0 (5 bytes):  %8.1f us wall  %8.1f us cpu per request\n", krotki.scianaUs,
              krotki.procesorUs);
  std::printf("    request 0x71 (14 bytes): %8.1f us wall  %8.1f us cpu per request\n", dlugi.scianaUs,
              dlugi.procesorUs);
  std::printf("    per answer byte:         %8.2f us wall  %8.2f us cpu\n", naBajtSciana, naBajtProcesor);
}

// ---- (c) the engine alone: the serial port replaced by a byte source in memory ----

// The answer bytes of the request under measurement, handed out in a ring.
const uint8_t* OdpowiedzWPamieci = nullptr;
std::size_t DlugoscWPamieci = 0, PozycjaWPamieci = 0;

uint8_t ZapisWPamieci(uint8_t) { return 1; }
uint8_t OdczytWPamieci(uint8_t* bajt) {
  *bajt = OdpowiedzWPamieci[PozycjaWPamieci];
  PozycjaWPamieci = (PozycjaWPamieci + 1) % DlugoscWPamieci;
  return 1;
}
uint8_t StatusWPamieci() { return 0x80; }
int32_t CzyszczenieWPamieci() { return 1; }
uint8_t WyslanoWPamieci() { return 1; }
// Every answer is read whole, so nothing ever waits before a request.
uint32_t CzekaWPamieci() { return 0; }

// Nanoseconds of processor time per request, the best of `serie` series of n.
double SeriaWPamieci(uint8_t kod, uint8_t d1, uint8_t lp, uint8_t d2, std::initializer_list<uint8_t> odpowiedz, int n,
                     int serie) {
  const std::vector<uint8_t> bajty(odpowiedz);
  OdpowiedzWPamieci = bajty.data();
  DlugoscWPamieci = bajty.size();
  PozycjaWPamieci = 0;
  double najlepsza = 1e30;
  for (int s = 0; s < serie; ++s) {
    const std::clock_t c0 = std::clock();
    for (int i = 0; i < n; ++i) {
      WykonanieRozkazu({KodRozkazu{kod}, d1, lp, d2});
      if (!BrakBledu()) {
        std::fprintf(stderr, "request 0x%02X failed with %u\n", kod, unsigned{Sesja.BiezacyWynik});
        std::exit(1);
      }
    }
    najlepsza = std::min(najlepsza, double(std::clock() - c0) / CLOCKS_PER_SEC * 1e9 / n);
  }
  return najlepsza;
}

void KosztSilnikaWPamieci(int n, int serie) {
  static const PortSzeregowyLacza PORT = {ZapisWPamieci,   OdczytWPamieci, StatusWPamieci, CzyszczenieWPamieci,
                                          WyslanoWPamieci, CzekaWPamieci};
  ZerowanieDanychSesji();
  PodstawieniePortuSzeregowego(&PORT);
  const double odczyt = SeriaWPamieci(0xC0, 3, 0, 0, {0x06, '0', '7'}, n, serie);
  const double dlugi = SeriaWPamieci(0x71, 12, 0, 0, {0x06, 'K', 'A', 'R', 'V', 'O', '3', '6', ' ', 'V', '0', '5'},
                                     n, serie);
  const double zapis = SeriaWPamieci(0xC4, 1, 5, 1, {0x06, 0x00}, n, serie);
  const double lista = SeriaWPamieci(0xE7, 1, 1, 9, {0x06, 0x00, 1, 2, 3, 4, 0xFF}, n, serie);
  PodstawieniePortuSzeregowego(nullptr);
  std::printf("(c) engine alone, port in memory, best of %d x %d requests, processor time per request\n", serie, n);
  std::printf("    read 0xC0 (3 back):            %7.1f ns\n", odczyt);
  std::printf("    read 0x71 (12 back):           %7.1f ns\n", dlugi);
  std::printf("    write 0xC4 (5 out, status):    %7.1f ns\n", zapis);
  std::printf("    list 0xE7 (end marker, 6 back): %6.1f ns\n", lista);
}

void CalySeans(uint32_t baud, int przebiegi) {
  e2e::Srodowisko env;
  e2e::Symulator sim(env.Katalog(), {.urzadzenia = {"typ-0x24.txt"}, .baud = baud});
  if (!sim.Gotowy()) std::exit(1);
  env.PolaczZSymulatorem(sim, 3, "COM1:" + std::to_string(baud) + ":MUX0:1", 1);
  env.Plik("WE.TXT", e2e::Srodowisko::Wejscie(3));
  env.Karvo(113, "WE.TXT", "WY.TXT");  // the first run identifies the register into ECRTBUF.TXT
  const SeriaPrzebiegow s = Przebiegi(env, sim, 113, baud, przebiegi, std::chrono::seconds(20));
  std::printf("(b) _ONrKasy at %6u bit/s: %ld bytes, line %.1f ms + pauses %.0f ms; wall median %.1f ms;"
              " ratio median %.3f (min %.3f, max %.3f)\n",
              baud, s.bajty, s.linia * 1e3, PAUZY_S * 1e3, SeriaPrzebiegow::Mediana(s.sciana) * 1e3,
              SeriaPrzebiegow::Mediana(s.stosunki), s.stosunki.front(), s.stosunki.back());
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 2000;
  const int przebiegi = argc > 2 ? std::atoi(argv[2]) : 7;
  KosztSilnikaWPamieci(200000, 9);
  if (argc > 3 && std::string(argv[3]) == "pamiec") return 0;
  KosztSilnika(n);
  CalySeans(9600, przebiegi);
  CalySeans(115200, przebiegi);
  return 0;
}
