#include "options.h"

#include <algorithm>
#include <string_view>

#include "common/bytes.h"
#include "link/loop.h"

namespace sim {

const char* const Pomoc =
    "usage: karvo-sim LINK --state FILE [--state FILE...] [options]\n"
    "       karvo-sim --port-server HOST [options]\n"
    "\n"
    "A simulated KARVO register (or several on one line) for the driver to talk to.\n"
    "\n"
    "LINK, exactly one of:\n"
    "  --pty PATH            a pseudo-terminal; PATH becomes a symbolic link to its slave side\n"
    "  --rfc2217 HOST:PORT   an RFC 2217 server (PORT 0: any free port)\n"
    "  --module tcp:HOST:PORT | rfc2217:HOST:PORT\n"
    "                        the communication module of the modem-frame mode, over TCP\n"
    "                        or behind an RFC 2217 port; the registers behind it are told\n"
    "                        apart by \"$adres\" (1 to 8)\n"
    "  --replay FILE         play the far end of a capture (the driver's KARVO_WIRE file or\n"
    "                        this program's --log) on the LINK instead of registers: the\n"
    "                        driver's bytes must be those captured; the first that differs\n"
    "                        ends the replay with a report and exit code 1 (0: all played)\n"
    "  --fast                with --replay: answer at once, not after the captured pauses\n"
    "\n"
    "Options:\n"
    "  --state FILE          a register's state file (\"$key<TAB>value\" lines); written back\n"
    "                        on exit when a request changed it. Repeat for several registers\n"
    "                        on one line, each with its own \"$adres\". The ready-made\n"
    "                        registers (a folder sim/devices or share/karvo/devices) are\n"
    "                        never written back: copy one first, or give --write-back\n"
    "  --write-back          write the changes back into a ready-made register too\n"
    "  --mux K               how the line selects a register, as MUXk of the driver's\n"
    "                        configuration: 0 one register (default), 1 line switch by DTR and\n"
    "                        RTS, 3 multiplexer selected by 1B 01 address, 4 by FE address\n"
    "  --select ADDR         the register selected at start\n"
    "  --fault FAULT         inject a fault: CODE[,n=N|N-M|N+][,pK=V][,reg=A][,towar=N|N-M|N+]:KIND[=ARG]\n"
    "                        KIND: silent refuse ack=B garbage[=N] raw=B,.. late=MS cut=N\n"
    "                        linerror=N break=N (after N bytes, reported over RFC 2217)\n"
    "                        eor=R status=S[,B..] silent2 garbage2[=N] raw2=B,.. late2=MS\n"
    "                        check=K (the K-th record of a readout with a wrong check byte)\n"
    "                        badcheck stored=FIELD,V (goods records read)\n"
    "                        pad=N (an error answer padded with zeros to N bytes)\n"
    "                        hold=MS (the parameters held MS ms)\n"
    "                        (beyond the byte time-out the request is dropped unanswered)\n"
    "  --faults FILE         faults from a script file, one a line, \";\" comments\n"
    "  --baud N              send no faster than N bit/s (11 bits a byte)\n"
    "  --adapter-latency MS  play a USB serial adapter's receive side: the bytes sent reach\n"
    "                        the driver only when 62 wait or MS ms have passed since the\n"
    "                        first of them (its latency timer; 0, the default: at once)\n"
    "  --log FILE            the wire log: every exchange in readable form\n"
    "  --modem-status BITS   modem lines for RFC 2217 (0x10 CTS, 0x20 DSR, 0x40 ring,\n"
    "                        0x80 carrier); default 0x30\n"
    "  --byte-timeout MS     how long a register waits for the next byte of a request (500)\n"
    "  --module-fault FAULT  inject a module fault: FRAME[,n=N|N-M|N+][,reg=A]:KIND[=ARG]\n"
    "                        FRAME: * (request frames), a request code, ctlT or ctl*\n"
    "                        KIND: silent crc garbage[=N] cut=N late=MS control=B split=K\n"
    "  --carrier on|off      carrier detect of the module behind RFC 2217 (default on;\n"
    "                        with --modem: off, on means already connected)\n"
    "  --modem               a Hayes-style modem in front of the module behind RFC 2217:\n"
    "                        AT commands (E0/E1 echo, OK/ERROR), AT+CPIN, ATD, +++ and ATH\n"
    "  --modem-dial connect|busy|no-carrier|never|close  what dialling gives (connect);\n"
    "                        close: the port server drops the connection instead\n"
    "  --modem-delay MS      from ATD to the carrier, BUSY, NO CARRIER or the close (1000)\n"
    "  --modem-drop N        the carrier falls in the middle of the module's Nth answer\n"
    "                        frame (half of it goes out, then NO CARRIER)\n"
    "  --modem-guard MS      the escape's guard time around \"+++\" (1000)\n"
    "  --modem-pin PIN       the SIM card asks for this PIN before it dials\n"
    "\n"
    "The module keeps in the first state file: $modul_haslo (8 characters, default\n"
    "00000000), $modul_dzwonki (rings), $modul_wersja (12 characters), $modul_czas1 and\n"
    "$modul_czas2 (the time-out words last given).\n"
    "\n"
    "Network port server (alone, or beside LINK as the port server that carries it):\n"
    "  --port-server HOST    the server's UDP control on HOST:65535 (any 127.x.y.z, so that\n"
    "                        parallel runs do not meet). It answers \"A\" to R, PS00, PS01,\n"
    "                        PS10, PS11, PS31 and PBR0 to PBR11, \"N\" to anything else, and\n"
    "                        logs each command as \"driver -> portsrv ... |TEXT|\"\n"
    "  --port-server-fault FAULT  COMMAND[,n=N]:KIND, COMMAND a text or * (n=N: only its\n"
    "                        N-th time); KIND silent (no answer) or answer=TEXT (TEXT\n"
    "                        instead of \"A\", empty for an empty datagram). Repeatable\n"
    "\n"
    "When it is ready it prints one line \"karvo-sim: ready ...\" to standard output\n"
    "(\"karvo-sim: ready port-server HOST:65535\" when the port server runs alone).\n"
    "SIGTERM or SIGINT end it; the state files are written back then.\n"
    "\n"
    "  --help                this text;  --version  the version\n";

namespace {

// Every option that takes a value, so that one given last without it is told
// apart from an option that does not exist.
constexpr std::string_view OpcjeZWartoscia[] = {
    "--pty",   "--rfc2217", "--module", "--module-fault", "--carrier",      "--state",       "--mux",
    "--select", "--fault",  "--faults", "--baud",  "--adapter-latency", "--log",          "--modem-status", "--byte-timeout",
    "--port-server", "--port-server-fault", "--replay",
    "--modem-dial", "--modem-delay", "--modem-guard", "--modem-pin", "--modem-drop"};

bool OpcjaZWartoscia(std::string_view nazwa) {
  return std::find(std::begin(OpcjeZWartoscia), std::end(OpcjeZWartoscia), nazwa) != std::end(OpcjeZWartoscia);
}

// The options of the communication module; false when nazwa is none of them.
bool OpcjaModulu(std::string_view nazwa, const std::string& wartosc, Opcje& o, std::string& blad) {
  if (nazwa == "--module") {
    const size_t dwukropek = wartosc.find(':');
    const std::string rodzaj = wartosc.substr(0, dwukropek);
    if (dwukropek == std::string::npos || (rodzaj != "tcp" && rodzaj != "rfc2217") ||
        !RozdzielAdres(wartosc.substr(dwukropek + 1), o.host, o.port)) {
      blad = "--module takes tcp:HOST:PORT or rfc2217:HOST:PORT";
    } else {
      o.modul = rodzaj == "tcp" ? Opcje::Modul::Tcp : Opcje::Modul::Rfc2217;
    }
  } else if (nazwa == "--module-fault") {
    auto u = CzytajUsterkeModulu(wartosc, blad);
    if (u) o.usterkiModulu.push_back(std::move(*u));
    else blad = "--module-fault " + wartosc + ": " + blad;
  } else if (nazwa == "--carrier") {
    if (wartosc == "on" || wartosc == "off") o.nosna = wartosc == "on";
    else blad = "--carrier takes on or off";
    o.nosnaPodana = true;
  } else {
    return false;
  }
  return true;
}

// The options of the modem in front of the module; false when nazwa is none of them.
bool OpcjaModemu(std::string_view nazwa, const std::string& wartosc, UstawieniaModemu& m, std::string& blad) {
  using W = UstawieniaModemu::Wybieranie;
  const auto czas = [&](std::chrono::milliseconds& cel) {
    const auto w = Liczba(wartosc, 600'000);
    if (w) cel = std::chrono::milliseconds(*w);
    else blad = std::string(nazwa) + ": bad number " + wartosc;
  };
  if (nazwa == "--modem-dial") {
    if (wartosc == "connect") m.wybieranie = W::Polaczenie;
    else if (wartosc == "busy") m.wybieranie = W::Zajete;
    else if (wartosc == "no-carrier") m.wybieranie = W::BrakNosnej;
    else if (wartosc == "never") m.wybieranie = W::Nigdy;
    else if (wartosc == "close") m.wybieranie = W::Zerwanie;
    else blad = "--modem-dial takes connect, busy, no-carrier, never or close";
  } else if (nazwa == "--modem-delay") {
    czas(m.czasWybierania);
  } else if (nazwa == "--modem-guard") {
    czas(m.czasOchronny);
  } else if (nazwa == "--modem-drop") {
    const auto w = Liczba(wartosc, 1'000'000);
    if (w && *w > 0) m.utrataNosnej = static_cast<uint32_t>(*w);
    else blad = "--modem-drop: bad frame number " + wartosc;
  } else if (nazwa == "--modem-pin") {
    m.pin = wartosc;
  } else {
    return false;
  }
  return true;
}

}  // namespace

std::optional<Opcje> CzytajOpcje(int argc, const char* const* argv, std::string& blad) {
  Opcje o;
  std::vector<std::string> plikiUsterek;
  for (int i = 1; i < argc; ++i) {
    const std::string_view nazwa = argv[i];
    if (nazwa == "--help" || nazwa == "-h") {
      o.pomoc = true;
      return o;
    }
    if (nazwa == "--version") {
      o.wersja = true;
      return o;
    }
    if (nazwa == "--write-back") {
      o.zapisZwrotny = true;
      continue;
    }
    if (nazwa == "--fast") {
      o.szybko = true;
      continue;
    }
    if (nazwa == "--modem") {
      o.modem = true;
      continue;
    }
    if (!OpcjaZWartoscia(nazwa)) {
      blad = "unknown option " + std::string(nazwa);
      return std::nullopt;
    }
    if (i + 1 >= argc) {
      blad = std::string(nazwa) + " needs a value";
      return std::nullopt;
    }
    const std::string wartosc = argv[++i];
    auto liczba = [&](uint32_t maksimum, uint32_t& cel) {
      const auto w = Liczba(wartosc, maksimum);
      if (!w) blad = std::string(nazwa) + ": bad number " + wartosc;
      else cel = *w;
      return w.has_value();
    };
    uint32_t n = 0;
    if (OpcjaModulu(nazwa, wartosc, o, blad)) {
      if (!blad.empty()) return std::nullopt;
    } else if (nazwa == "--pty" || nazwa == "--rfc2217") {
      if (o.polaczenie != RodzajPolaczenia::Brak) {
        blad = "give exactly one of --pty and --rfc2217";
        return std::nullopt;
      }
      if (nazwa == "--pty") {
        o.polaczenie = RodzajPolaczenia::Pty;
        o.dowiazanie = wartosc;
      } else {
        o.polaczenie = RodzajPolaczenia::Rfc2217;
        if (!RozdzielAdres(wartosc, o.host, o.port)) {
          blad = "--rfc2217 takes HOST:PORT";
          return std::nullopt;
        }
      }
    } else if (nazwa == "--state") {
      o.stany.push_back(wartosc);
    } else if (nazwa == "--mux") {
      if (!liczba(4, n) || n == 2) {
        blad = "--mux takes 0, 1, 3 or 4";
        return std::nullopt;
      }
      o.linia = static_cast<RodzajLinii>(n);
    } else if (nazwa == "--select") {
      if (!liczba(8, n)) return std::nullopt;
      o.wybor = static_cast<int>(n);
    } else if (nazwa == "--fault") {
      auto u = CzytajUsterke(wartosc, blad);
      if (!u) {
        blad = "--fault " + wartosc + ": " + blad;
        return std::nullopt;
      }
      o.usterki.push_back(std::move(*u));
    } else if (nazwa == "--faults") {
      if (!WczytajUsterki(wartosc, o.usterki, blad)) return std::nullopt;
    } else if (nazwa == "--baud") {
      if (!liczba(4'000'000, o.baud)) return std::nullopt;
    } else if (nazwa == "--adapter-latency") {
      if (!liczba(255, o.opoznienieAdapteraMs)) return std::nullopt;
    } else if (nazwa == "--replay") {
      o.nagranie = wartosc;
    } else if (nazwa == "--log") {
      o.dziennik = wartosc;
    } else if (nazwa == "--modem-status") {
      if (!liczba(0xFF, n)) return std::nullopt;
      o.stanModemu = static_cast<uint8_t>(n);
    } else if (nazwa == "--byte-timeout") {
      if (!liczba(600'000, o.czasBajtuMs)) return std::nullopt;
    } else if (OpcjaModemu(nazwa, wartosc, o.ustawieniaModemu, blad)) {
      if (!blad.empty()) return std::nullopt;
    } else if (nazwa == "--port-server") {
      o.serwerPortow = wartosc;
    } else if (nazwa == "--port-server-fault") {
      auto u = CzytajUsterkeSerwera(wartosc, blad);
      if (!u) {
        blad = "--port-server-fault " + wartosc + ": " + blad;
        return std::nullopt;
      }
      o.usterkiSerwera.push_back(std::move(*u));
    } else {
      blad = "unknown option " + std::string(nazwa);
      return std::nullopt;
    }
  }
  if (!o.usterkiSerwera.empty() && o.serwerPortow.empty()) {
    blad = "--port-server-fault needs --port-server";
    return std::nullopt;
  }
  // A port server may run without a line of its own (and then without registers).
  const bool bezLinii = o.polaczenie == RodzajPolaczenia::Brak && o.modul == Opcje::Modul::Brak;
  if (bezLinii && !o.serwerPortow.empty() && o.stany.empty()) return o;
  if ((o.polaczenie == RodzajPolaczenia::Brak) == (o.modul == Opcje::Modul::Brak)) {
    blad = "give one of --pty, --rfc2217 and --module";
    return std::nullopt;
  }
  if (!o.nagranie.empty()) {
    if (!o.stany.empty()) blad = "--replay plays the capture, not a register: give no --state";
    if (!blad.empty()) return std::nullopt;
    return o;
  }
  if (o.szybko) {
    blad = "--fast goes with --replay";
    return std::nullopt;
  }
  if (o.modem && o.modul != Opcje::Modul::Rfc2217) {
    blad = "--modem needs --module rfc2217:HOST:PORT";
    return std::nullopt;
  }
  o.ustawieniaModemu.nosna = o.nosnaPodana && o.nosna;
  if (o.stany.empty()) {
    blad = "give at least one --state FILE";
    return std::nullopt;
  }
  if (o.stany.size() > 1 && o.linia == RodzajLinii::Pojedyncza && o.modul == Opcje::Modul::Brak) {
    blad = "several registers on one line need --mux 1, 3 or 4";
    return std::nullopt;
  }
  return o;
}

}  // namespace sim
