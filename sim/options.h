// The command line of karvo-sim.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/faults.h"
#include "link/line.h"
#include "portserver/faults.h"
#include "module/module_faults.h"
#include "modem/modem.h"

namespace sim {

enum class RodzajPolaczenia { Brak, Pty, Rfc2217 };

struct Opcje {
  RodzajPolaczenia polaczenie = RodzajPolaczenia::Brak;
  std::string dowiazanie;  // --pty
  std::string host;        // --rfc2217
  uint16_t port = 0;
  std::vector<std::string> stany;
  RodzajLinii linia = RodzajLinii::Pojedyncza;
  int wybor = -1;
  std::vector<Usterka> usterki;
  uint32_t baud = 0;
  uint32_t opoznienieAdapteraMs = 0;  // --adapter-latency
  std::string dziennik;
  uint8_t stanModemu = 0x30;  // CTS and DSR on, no carrier, no ring
  uint32_t czasBajtuMs = 500;
  bool pomoc = false;
  bool wersja = false;  // --version: print the version and end
  // --write-back: the changes go back also into a ready-made register of
  // sim/devices (or its installed copy), which is otherwise left as it is.
  bool zapisZwrotny = false;
  // The UDP control of a network port server, alone or beside the line.
  std::string serwerPortow;  // --port-server HOST
  std::vector<UsterkaSerwera> usterkiSerwera;

  // --module: the communication module of the modem-frame mode, over TCP or
  // behind an RFC 2217 port (host and port above); its faults and the carrier
  // it shows on the serial line.
  enum class Modul { Brak, Tcp, Rfc2217 } modul = Modul::Brak;
  std::vector<UsterkaModulu> usterkiModulu;
  bool nosna = true;

  // --replay: the far end of a capture instead of registers; --fast answers at once.
  std::string nagranie;
  bool szybko = false;
  // --modem: a Hayes-style modem in front of the module behind RFC 2217; it
  // starts without carrier unless --carrier on is given.
  bool modem = false;
  bool nosnaPodana = false;
  UstawieniaModemu ustawieniaModemu;
};

// Nothing, with the reason, on a bad command line.
std::optional<Opcje> CzytajOpcje(int argc, const char* const* argv, std::string& blad);
extern const char* const Pomoc;

}  // namespace sim
