#include "protocol/wire_capture.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "include/karvo.h"
#include "protocol/line.h"
#include "state/session_state.h"
#include "state/versions.h"

namespace podsluch {
bool Wlaczony = false;
}  // namespace podsluch

namespace {

using Zegar = std::chrono::steady_clock;

// Bytes of one direction that came close together are one line: an answer
// read byte by byte reads as the register sent it. A pause longer than this
// starts a new line, so a replay keeps the register's own pauses.
constexpr auto PRZERWA_W_LINII = std::chrono::milliseconds(20);
constexpr std::size_t SZEROKOSC_KOLUMNY = 20;  // "driver -> COM1" padded, as in the simulator's log
// Lines are written out together, so that a readout does not pay a write a
// line: with the next line once the oldest waits this long, at once with an
// event (a time-out, the line opened or closed) and at the run's end. A run
// killed outright loses at most the lines of its last moments.
constexpr auto NAJDLUZEJ_W_BUFORZE = std::chrono::milliseconds(200);
constexpr std::size_t NAJWIECEJ_W_BUFORZE = 64 * 1024;

struct Podsluch {
  std::FILE* plik = nullptr;
  std::string sciezka;
  Zegar::time_point poczatek;
  // The bytes gathered for the next line.
  StronaPodsluchu strona = StronaPodsluchu::Wyslane;
  std::string kto;
  std::vector<uint8_t> bajty;
  Zegar::time_point czasPierwszego, czasOstatniego;
  // Lines not yet written to the file, and since when.
  std::string bufor;
  Zegar::time_point buforOd;
};

Podsluch P;

std::string CzasOdPoczatku(Zegar::time_point chwila) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(chwila - P.poczatek).count();
  char bufor[32];
  std::snprintf(bufor, sizeof bufor, "%02lld:%02lld:%02lld.%03lld", static_cast<long long>(ms / 3600000),
                static_cast<long long>(ms / 60000 % 60), static_cast<long long>(ms / 1000 % 60),
                static_cast<long long>(ms % 1000));
  return bufor;
}

// A capture that cannot be written never breaks the run: it is said once and dropped.
void Wylaczenie(const char* powod) {
  std::fprintf(stderr, "karvo: the wire capture %s cannot be written (%s): the run goes on without it\n",
               P.sciezka.c_str(), powod);
  if (P.plik) std::fclose(P.plik);
  P.plik = nullptr;
  podsluch::Wlaczony = false;
}

void Wypchniecie() {
  if (!P.plik || P.bufor.empty()) return;
  if (std::fwrite(P.bufor.data(), 1, P.bufor.size(), P.plik) != P.bufor.size() || std::fflush(P.plik) != 0)
    Wylaczenie(std::strerror(errno));
  P.bufor.clear();
}

void ZapisLinii(const std::string& tekst, bool odRazu = true) {
  if (!P.plik) return;
  const Zegar::time_point teraz = Zegar::now();
  if (P.bufor.empty()) P.buforOd = teraz;
  P.bufor += tekst;
  P.bufor += '\n';
  if (odRazu || P.bufor.size() >= NAJWIECEJ_W_BUFORZE || teraz - P.buforOd >= NAJDLUZEJ_W_BUFORZE) Wypchniecie();
}

void LiniaZCzasem(Zegar::time_point chwila, const std::string& tekst, bool odRazu = true) {
  ZapisLinii(CzasOdPoczatku(chwila) + "  " + tekst, odRazu);
}

std::string Szesnastkowo(const std::vector<uint8_t>& bajty) {
  std::string wynik;
  char bufor[4];
  for (std::size_t i = 0; i < bajty.size(); ++i) {
    std::snprintf(bufor, sizeof bufor, "%02X", bajty[i]);
    if (i) wynik += ' ';
    wynik += bufor;
  }
  return wynik;
}

std::string Czytelnie(const std::vector<uint8_t>& bajty) {
  std::string wynik;
  for (uint8_t b : bajty) wynik += (b >= 0x20 && b < 0x7F) ? static_cast<char>(b) : '.';
  return wynik;
}

void WypisanieZebranych() {
  if (P.bajty.empty()) return;
  std::string tekst = P.strona == StronaPodsluchu::Wyslane ? "driver -> " : "driver <- ";
  tekst += P.kto;
  tekst.resize(std::max(tekst.size() + 2, SZEROKOSC_KOLUMNY), ' ');
  tekst += Szesnastkowo(P.bajty) + "  |" + Czytelnie(P.bajty) + "|";
  LiniaZCzasem(P.czasPierwszego, tekst, false);
  P.bajty.clear();
}

void Naglowek(int argc, const char* const* argv) {
  const std::time_t teraz = std::time(nullptr);
  char data[32] = "";
  std::strftime(data, sizeof data, "%Y-%m-%d %H:%M:%S", std::localtime(&teraz));
  std::string polecenie = "karvo";
  for (int i = 1; i < argc; ++i) polecenie += std::string(" ") + argv[i];
  char wersja[64];
  std::snprintf(wersja, sizeof wersja, "%4.2f, library %s", WersjaSterownika, WersjaBiblioteki);
  ZapisLinii(std::string("# karvo wire capture, run of ") + data + "; times from the start of the run");
  ZapisLinii("# command line: " + polecenie);
  ZapisLinii(std::string("# version: ") + wersja);
}

}  // namespace

void RozpoczeciePodsluchuDoPliku(const char* sciezka, int argc, const char* const* argv) {
  ZakonczeniePodsluchu();
  if (!sciezka || !*sciezka) return;
  P = Podsluch{};
  P.sciezka = sciezka;
  P.poczatek = Zegar::now();
  P.plik = std::fopen(sciezka, "ab");
  if (!P.plik) {
    Wylaczenie(std::strerror(errno));
    return;
  }
  podsluch::Wlaczony = true;
  Naglowek(argc, argv);
}

void RozpoczeciePodsluchu(int argc, const char* const* argv) {
  RozpoczeciePodsluchuDoPliku(std::getenv("KARVO_WIRE"), argc, argv);
}

void ZakonczeniePodsluchu() {
  if (!P.plik) return;
  WypisanieZebranych();
  ZapisLinii("# end of the run at " + CzasOdPoczatku(Zegar::now()));
  if (P.plik) std::fclose(P.plik);
  P.plik = nullptr;
  podsluch::Wlaczony = false;
}

void PodsluchBajtow(StronaPodsluchu strona, const char* kto, const uint8_t* bajty, std::size_t ile) {
  if (!P.plik || ile == 0) return;
  const Zegar::time_point teraz = Zegar::now();
  if (!P.bajty.empty() && (strona != P.strona || P.kto.compare(kto) != 0 || teraz - P.czasOstatniego > PRZERWA_W_LINII))
    WypisanieZebranych();
  if (P.bajty.empty()) {
    P.strona = strona;
    P.kto = kto;
    P.czasPierwszego = teraz;
  }
  P.bajty.insert(P.bajty.end(), bajty, bajty + ile);
  P.czasOstatniego = teraz;
}

void PodsluchPrzedOczekiwaniem() {
  if (P.plik && P.strona == StronaPodsluchu::Wyslane) WypisanieZebranych();
}

void PodsluchWypchniecie() { Wypchniecie(); }

void PodsluchZdarzenia(const char* kto, const std::string& tekst) {
  if (!P.plik) return;
  WypisanieZebranych();
  std::string wiersz = "           ";
  wiersz += kto;
  wiersz.resize(std::max(wiersz.size() + 1, SZEROKOSC_KOLUMNY), ' ');
  LiniaZCzasem(Zegar::now(), wiersz + tekst);
}

void PodsluchLiniiKonfiguracji(const char* linia) {
  if (!P.plik) return;
  WypisanieZebranych();
  ZapisLinii(std::string("# KONFIG.TXT: ") + linia);
}

const char* NazwaPortuPodsluchu() {
  static uint8_t numer = 0;
  static char nazwa[8] = "";
  if (numer != Sesja.Lacze.NumerPortu || !nazwa[0]) {
    numer = Sesja.Lacze.NumerPortu;
    std::snprintf(nazwa, sizeof nazwa, "COM%u", numer);
  }
  return nazwa;
}

// ---- the serial port as the line primitives see it, with the capture around it ----

namespace {

const PortSzeregowyLacza* Podsluchiwany = nullptr;
uint8_t OstatniStatusModemu = 0;
bool StatusZnany = false;

uint8_t ZapisBajtuZPodsluchem(uint8_t bajt) {
  const uint8_t wynik = Podsluchiwany->ZapisBajtu(bajt);
  if (wynik == 1) PodsluchBajtow(StronaPodsluchu::Wyslane, NazwaPortuPodsluchu(), &bajt, 1);
  return wynik;
}

uint8_t PodsluchOdczytu(uint8_t wynik, const uint8_t* bajt) {
  if (wynik == 1) PodsluchBajtow(StronaPodsluchu::Odebrane, NazwaPortuPodsluchu(), bajt, 1);
  else if (Podsluchiwany->BladLinii && Podsluchiwany->BladLinii())
    PodsluchZdarzenia(NazwaPortuPodsluchu(), "line error: the bytes read were damaged");
  else PodsluchZdarzenia(NazwaPortuPodsluchu(), "no byte within the time-out");
  return wynik;
}

uint8_t OdczytBajtuZPodsluchem(uint8_t* bajt) {
  PodsluchPrzedOczekiwaniem();
  return PodsluchOdczytu(Podsluchiwany->OdczytBajtu(bajt), bajt);
}

uint8_t OdczytBajtuOdpowiedziZPodsluchem(uint8_t* bajt, uint32_t zapowiedziane) {
  PodsluchPrzedOczekiwaniem();
  return PodsluchOdczytu(Podsluchiwany->OdczytBajtuOdpowiedzi(bajt, zapowiedziane), bajt);
}

std::string OpisStatusuModemu(uint8_t s) {
  auto linia = [](const char* nazwa, bool stan) { return std::string(nazwa) + (stan ? " on" : " off"); };
  return "modem lines: " + linia("CD", s & 0x80) + ", " + linia("RI", s & 0x40) + ", " + linia("DSR", s & 0x20) +
         ", " + linia("CTS", s & 0x10);
}

uint8_t StatusModemuZPodsluchem() {
  const uint8_t s = Podsluchiwany->StatusModemu();
  if (!StatusZnany || s != OstatniStatusModemu) PodsluchZdarzenia(NazwaPortuPodsluchu(), OpisStatusuModemu(s));
  StatusZnany = true;
  OstatniStatusModemu = s;
  return s;
}

int32_t CzyszczenieZPodsluchem() { return Podsluchiwany->Czyszczenie(); }
uint8_t WyslanoZnakiZPodsluchem() { return Podsluchiwany->WyslanoZnaki(); }
uint32_t BajtyWKolejceZPodsluchem() { return Podsluchiwany->BajtyWKolejce ? Podsluchiwany->BajtyWKolejce() : 0; }

PortSzeregowyLacza PortZPodsluchem{ZapisBajtuZPodsluchem, OdczytBajtuZPodsluchem, StatusModemuZPodsluchem,
                                   CzyszczenieZPodsluchem, WyslanoZnakiZPodsluchem, nullptr};

}  // namespace

void PodsluchPortuSzeregowego() {
  if (!PodsluchWlaczony()) return;
  const PortSzeregowyLacza& biezacy = PortSzeregowyWUzyciu();
  if (&biezacy == &PortZPodsluchem) return;
  static PortSzeregowyLacza kopia;
  kopia = biezacy;
  Podsluchiwany = &kopia;
  PortZPodsluchem.BajtyWKolejce = kopia.BajtyWKolejce ? BajtyWKolejceZPodsluchem : nullptr;
  PortZPodsluchem.OdczytBajtuOdpowiedzi = kopia.OdczytBajtuOdpowiedzi ? OdczytBajtuOdpowiedziZPodsluchem : nullptr;
  PortZPodsluchem.BladLinii = kopia.BladLinii;
  PortZPodsluchem.Zerwany = kopia.Zerwany;
  StatusZnany = false;
  PodstawieniePortuSzeregowego(&PortZPodsluchem);
}
