// karvo-server: a small Server on the message bus, for tests and for people
// who run drivers under their own spooler.
//
//   karvo-server listen N [-n COUNT] [-t SECONDS]
//       prints every message on bus N as it arrives: "ID LETTER VALUE" (and
//       a ready line on standard error once it listens); ends
//       after COUNT messages, after SECONDS (exit code 3), or on SIGINT/SIGTERM.
//   karvo-server send N ID LETTER [VALUE]
//       posts one command to every endpoint of bus N; exit code 3 when nobody took it.
//   karvo-server --help | --version
//       says what the arguments mean, or which version this is.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "karvo_version.h"
#include "platform/bus.h"
#include "platform/process.h"

namespace {

constexpr int KodDobry = 0, KodBledu = 1, KodUzycia = 2, KodNikogo = 3;
constexpr int PonawianieWyslaniaMs = 1000;  // a driver reads its queue only between requests
constexpr int NajdluzszeCzekanieMs = 250;

volatile std::sig_atomic_t Koniec = 0;
void Przerwanie(int) { Koniec = 1; }

const char* const Skladnia =
    "usage: karvo-server listen N [-n COUNT] [-t SECONDS]\n"
    "       karvo-server send N ID LETTER [VALUE]\n"
    "       karvo-server --help | --version\n";

const char* const Pomoc =
    "\n"
    "A small Server for drivers that run under one: it hears their messages and\n"
    "sends them commands over the message bus of the platform directory\n"
    "($KARVO_PLATFORM_DIR, else /tmp/karvo-UID).\n"
    "\n"
    "  N        the message number: line 7 of the Server file that the driver was\n"
    "           given (its part before a colon), 1 to 4294967295\n"
    "  listen   print every message of bus N as it arrives, one line each:\n"
    "           \"ID LETTER VALUE\" (for example \"4711 L 200\"); once it listens it\n"
    "           says \"karvo-server: ready, listening on bus N\" on standard error\n"
    "  -n COUNT end after COUNT messages (exit code 0)\n"
    "  -t SECONDS  end after SECONDS (exit code 3); SIGINT or SIGTERM end it with 0\n"
    "  send     post one command to every driver and Server on bus N\n"
    "  ID       the driver it is meant for: the identifier after the colon on line 7\n"
    "           of its Server file, or its process id when that is 0 (the ID of its\n"
    "           AVAILABLE message, letter A, tells it)\n"
    "  LETTER   the command: s suspend, r resume, b break (the command ends with\n"
    "           ResultCode 56), a, c, l, o ask for AVAILABLE, COUNTER, LINES and\n"
    "           OUTLINES; any other lower-case letter ends the command with 54\n"
    "  VALUE    the number sent with it, default 0 (a driver does not use it; above\n"
    "           16777215 it is sent as 16777215)\n"
    "\n"
    "Exit codes of send: 0 somebody took it, 3 nobody is on the bus, 1 the bus\n"
    "cannot be read; 2 for a bad command line.\n";

int Uzycie() {
  std::fputs(Skladnia, stderr);
  std::fputs("(karvo-server --help explains the arguments)\n", stderr);
  return KodUzycia;
}

template <typename T>
bool Liczba(const char* tekst, T& wartosc) {
  const char* koniec = tekst + std::strlen(tekst);
  const auto [p, blad] = std::from_chars(tekst, koniec, wartosc);
  return *tekst && blad == std::errc() && p == koniec;
}

void Wypisanie(const platforma::KomunikatOkna& k) {
  const auto litera = static_cast<unsigned char>(platforma::LiteraKomunikatu(k.LParam));
  char znak[8];
  if (litera > ' ' && litera < 0x7F)
    std::snprintf(znak, sizeof znak, "%c", litera);
  else
    std::snprintf(znak, sizeof znak, "\\x%02X", litera);
  std::printf("%d %s %u\n", static_cast<int32_t>(k.WParam), znak, platforma::WartoscKomunikatu(k.LParam));
  std::fflush(stdout);
}

int Sluchanie(uint32_t numer, long limit, long sekundy) {
  std::signal(SIGINT, Przerwanie);
  std::signal(SIGTERM, Przerwanie);
  platforma::PunktMagistrali punkt;
  const std::string nazwa = platforma::PrzedrostekSerwera + std::to_string(platforma::IdentyfikatorProcesu());
  if (!punkt.Otworz(numer, nazwa)) {
    std::fprintf(stderr, "karvo-server: cannot listen on %s/%s\n", platforma::KatalogMagistrali(numer).c_str(),
                 nazwa.c_str());
    return KodBledu;
  }
  // Standard output carries the messages; the ready line goes beside them,
  // so that a script that starts the listener can wait for it.
  std::fprintf(stderr, "karvo-server: ready, listening on bus %u\n", numer);
  std::fflush(stderr);
  using Zegar = std::chrono::steady_clock;
  const auto termin = Zegar::now() + std::chrono::seconds(sekundy);
  long odebrane = 0;
  while (!Koniec) {
    // Short waits, so that a signal that comes just before the wait is seen soon.
    int czas = NajdluzszeCzekanieMs;
    if (sekundy > 0) {
      const auto zostalo = std::chrono::duration_cast<std::chrono::milliseconds>(termin - Zegar::now()).count();
      if (zostalo <= 0) return KodNikogo;
      czas = static_cast<int>(std::min<long long>(zostalo, czas));
    }
    if (!punkt.Czekaj(czas)) continue;
    platforma::KomunikatOkna k;
    while (punkt.Odbierz(k)) {
      if (k.Numer != numer) continue;
      Wypisanie(k);
      if (limit > 0 && ++odebrane >= limit) return KodDobry;
    }
  }
  return KodDobry;
}

int Wyslanie(uint32_t numer, int32_t identyfikator, char litera, uint32_t wartosc) {
  const platforma::KomunikatOkna k{numer, static_cast<uint32_t>(identyfikator),
                                   platforma::ParametrKomunikatu(litera, wartosc)};
  const int przyjete = platforma::RozeslanieKomunikatu(numer, k, nullptr, PonawianieWyslaniaMs);
  if (przyjete < 0) {
    std::fprintf(stderr, "karvo-server: cannot read %s\n", platforma::KatalogMagistrali(numer).c_str());
    return KodBledu;
  }
  if (przyjete == 0) {
    std::fprintf(stderr, "karvo-server: nobody on bus %u\n", numer);
    return KodNikogo;
  }
  return KodDobry;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(Skladnia, stdout);
    std::fputs(Pomoc, stdout);
    return KodDobry;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("karvo-server %s\n", KARVO_VERSION);
    return KodDobry;
  }
  if (argc < 3) return Uzycie();
  const std::string polecenie = argv[1];
  uint32_t numer = 0;
  if (!Liczba(argv[2], numer) || numer == 0) return Uzycie();
  if (polecenie == "listen") {
    long limit = 0, sekundy = 0;
    for (int i = 3; i < argc; i += 2) {
      if (i + 1 >= argc) return Uzycie();
      const std::string opcja = argv[i];
      long* cel = opcja == "-n" ? &limit : opcja == "-t" ? &sekundy : nullptr;
      if (!cel || !Liczba(argv[i + 1], *cel) || *cel <= 0) return Uzycie();
    }
    return Sluchanie(numer, limit, sekundy);
  }
  if (polecenie == "send") {
    int32_t identyfikator = 0;
    uint32_t wartosc = 0;
    if (argc < 5 || argc > 6 || !Liczba(argv[3], identyfikator) || std::strlen(argv[4]) != 1) return Uzycie();
    if (argc == 6 && !Liczba(argv[5], wartosc)) return Uzycie();
    return Wyslanie(numer, identyfikator, argv[4][0], wartosc);
  }
  return Uzycie();
}
