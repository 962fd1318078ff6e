#include "text/progress.h"

#include <chrono>
#include <cstdio>

#include "platform/console.h"

namespace {

using Zegar = std::chrono::steady_clock;
constexpr auto PierwszyPokaz = std::chrono::seconds(1);        // a short readout shows nothing
constexpr auto OdstepPokazu = std::chrono::milliseconds(250);  // the line is redrawn no oftener

struct Postep {
  bool Trwa = false, Widoczny = false;
  uint32_t Rekordy = 0, Wszystkie = 0;
  Zegar::time_point Poczatek, OstatniPokaz;
} Stan;

void Rozpoczecie() {
  Stan.Trwa = true;
  Stan.Rekordy = 0;
  Stan.Poczatek = Zegar::now();
}

std::string Czas(double sekundy) {
  const auto s = static_cast<unsigned long>(sekundy + 0.5);
  char tekst[32];
  if (s >= 3600)
    std::snprintf(tekst, sizeof tekst, "%lu:%02lu:%02lu", s / 3600, s / 60 % 60, s % 60);
  else
    std::snprintf(tekst, sizeof tekst, "%lu:%02lu", s / 60, s % 60);
  return tekst;
}

}  // namespace

std::string TekstPostepu(uint32_t rekordy, uint32_t wszystkie, double sekundy) {
  std::string tekst = "karvo: " + std::to_string(rekordy);
  if (wszystkie >= rekordy && wszystkie > 0) tekst += " of " + std::to_string(wszystkie);
  tekst += " records";
  if (sekundy <= 0 || rekordy == 0) return tekst;
  const double tempo = rekordy / sekundy;
  tekst += ", " + std::to_string(static_cast<unsigned long>(tempo + 0.5)) + " a second";
  if (wszystkie > rekordy) tekst += ", about " + Czas((wszystkie - rekordy) / tempo) + " left";
  return tekst;
}

void ZakresPostepu(uint32_t wszystkie) {
  if (!Stan.Trwa) Rozpoczecie();
  Stan.Wszystkie = wszystkie;
}

void PostepRekordu() {
  if (!Stan.Trwa) Rozpoczecie();
  ++Stan.Rekordy;
  const auto teraz = Zegar::now();
  if (teraz - Stan.Poczatek < PierwszyPokaz || teraz - Stan.OstatniPokaz < OdstepPokazu) return;
  // Asked once a display interval, not once a record, when nothing is shown.
  Stan.OstatniPokaz = teraz;
  if (!platforma::BledyNaTerminalu()) return;
  Stan.Widoczny = true;
  const double sekundy = std::chrono::duration<double>(teraz - Stan.Poczatek).count();
  // Carriage return and "erase to the end of the line": the line is redrawn in place.
  std::fprintf(stderr, "\r%s\033[K", TekstPostepu(Stan.Rekordy, Stan.Wszystkie, sekundy).c_str());
  std::fflush(stderr);
}

void KoniecPostepu() {
  if (Stan.Widoczny) {
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
  }
  Stan = {};
}
