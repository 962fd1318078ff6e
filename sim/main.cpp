// karvo-sim: simulated KARVO registers on a pseudo-terminal or an RFC 2217 port,
// or behind a simulated communication module.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>

#include "common/data_file.h"
#include "common/wire_log.h"
#include "device/register.h"
#include "link/line.h"
#include "link/loop.h"
#include "link/pty_link.h"
#include "link/rfc2217_link.h"
#include "module/module.h"
#include "module/module_tcp.h"
#include "modem/modem.h"
#include "karvo_version.h"
#include "options.h"
#include "portserver/port_server.h"
#include "replay/replay.h"

namespace {

// A register with the file it came from, for the write-back.
struct ZrodloStanu {
  std::string sciezka;
  sim::PlikDanych plik;
  sim::StanKasy wczytany;
};

int Blad(const std::string& tekst, int kod) {
  std::fprintf(stderr, "karvo-sim: %s\n", tekst.c_str());
  return kod;
}

void Gotowy(const std::string& tekst) {
  std::printf("karvo-sim: ready %s\n", tekst.c_str());
  std::fflush(stdout);
}

// A ready-made register: a state file in sim/devices of the source tree or in
// share/karvo/devices where the programs are installed. Runs change copies of
// them, so that the next run starts from the same register.
bool GotowaKasa(const std::string& sciezka) {
  std::error_code e;
  const auto katalog = std::filesystem::weakly_canonical(sciezka, e).parent_path();
  if (e || katalog.filename() != "devices") return false;
  const auto rodzic = katalog.parent_path();
  return rodzic.filename() == "sim" || (rodzic.filename() == "karvo" && rodzic.parent_path().filename() == "share");
}

// Writes back every state file that a request changed.
int ZapiszStany(std::vector<ZrodloStanu>& zrodla, const std::vector<std::unique_ptr<sim::Kasa>>& kasy,
                const sim::Opcje& opcje, sim::Dziennik& dziennik) {
  int wynik = 0;
  for (size_t i = 0; i < zrodla.size(); ++i) {
    ZrodloStanu& z = zrodla[i];
    sim::StanDoPliku(kasy[i]->Stan(), z.wczytany, z.plik);
    if (!z.plik.Zmieniony()) continue;
    if (!opcje.zapisZwrotny && GotowaKasa(z.sciezka)) {
      const std::string tekst = "not written back to the ready-made register " + z.sciezka + " (--write-back writes it)";
      dziennik.Zdarzenie("state", tekst);
      std::fprintf(stderr, "karvo-sim: %s\n", tekst.c_str());
      continue;
    }
    std::string blad;
    if (z.plik.Zapisz(z.sciezka, blad)) dziennik.Zdarzenie("state", "written back to " + z.sciezka);
    else wynik = Blad(blad, 1);
  }
  return wynik;
}

// The communication module with the registers behind it; its own state lives
// in the first register's file.
int UruchomModul(const sim::Opcje& opcje, std::vector<std::unique_ptr<sim::Kasa>> kasy,
                 std::vector<ZrodloStanu>& zrodla, sim::Dziennik& dziennik) {
  std::string blad;
  const auto stan = sim::StanModuluZPliku(zrodla.front().plik, blad);
  if (!stan) return Blad(zrodla.front().sciezka + ": " + blad, 1);
  sim::Modul modul(std::move(kasy), *stan, opcje.usterkiModulu, dziennik);
  if (opcje.modul == sim::Opcje::Modul::Tcp) {
    sim::LaczeModuluTcp tcp;
    if (!tcp.Otworz(opcje.host, opcje.port, blad)) return Blad(blad, 1);
    Gotowy("module tcp " + opcje.host + ":" + std::to_string(tcp.Port()));
    tcp.Dzialaj(modul, dziennik);
  } else if (opcje.modem) {
    // The modem drives the carrier; the port shows CTS and DSR as given.
    sim::Modem modem(modul, dziennik, opcje.ustawieniaModemu);
    sim::LaczeRfc2217 rfc;
    if (!rfc.Otworz(opcje.host, opcje.port, blad)) return Blad(blad, 1);
    rfc.UstawStanModemu(opcje.stanModemu);
    Gotowy("modem rfc2217 " + opcje.host + ":" + std::to_string(rfc.Port()));
    rfc.Dzialaj(modem, dziennik, opcje.baud);
  } else {
    sim::LaczeRfc2217 rfc;
    if (!rfc.Otworz(opcje.host, opcje.port, blad)) return Blad(blad, 1);
    const uint8_t nosna = 0x80;
    rfc.UstawStanModemu(opcje.nosna ? static_cast<uint8_t>(opcje.stanModemu | nosna)
                                    : static_cast<uint8_t>(opcje.stanModemu & ~nosna));
    Gotowy("module rfc2217 " + opcje.host + ":" + std::to_string(rfc.Port()));
    rfc.Dzialaj(modul, dziennik, opcje.baud);
  }
  sim::StanModuluDoPliku(modul.Stan(), *stan, zrodla.front().plik);
  return ZapiszStany(zrodla, modul.Kasy(), opcje, dziennik);
}

// The far end of a capture on the line the options name.
int UruchomOdtwarzanie(const sim::Opcje& opcje, sim::Dziennik& dziennik) {
  std::string blad;
  auto wpisy = sim::WczytajNagranie(opcje.nagranie, blad);
  if (!wpisy) return Blad(blad, 2);
  sim::Odtwarzanie odtwarzanie(std::move(*wpisy), dziennik, {.szybko = opcje.szybko});
  if (opcje.modul == sim::Opcje::Modul::Tcp) {
    sim::LaczeModuluTcp tcp;
    if (!tcp.Otworz(opcje.host, opcje.port, blad)) return Blad(blad, 1);
    Gotowy("replay tcp " + opcje.host + ":" + std::to_string(tcp.Port()));
    tcp.Dzialaj(odtwarzanie, dziennik);
  } else if (opcje.polaczenie == sim::RodzajPolaczenia::Pty) {
    sim::LaczePty pty;
    if (!pty.Otworz(opcje.dowiazanie, blad)) return Blad(blad, 1);
    Gotowy("replay pty " + opcje.dowiazanie + " " + pty.Slave());
    pty.Dzialaj(odtwarzanie, dziennik, opcje.baud);
  } else {
    // Behind an RFC 2217 port the module shows carrier detect, as a connected modem does.
    sim::LaczeRfc2217 rfc;
    if (!rfc.Otworz(opcje.host, opcje.port, blad)) return Blad(blad, 1);
    const uint8_t nosna = 0x80;
    const bool modul = opcje.modul == sim::Opcje::Modul::Rfc2217;
    rfc.UstawStanModemu(modul && opcje.nosna ? static_cast<uint8_t>(opcje.stanModemu | nosna) : opcje.stanModemu);
    Gotowy(std::string(modul ? "replay module rfc2217 " : "replay rfc2217 ") + opcje.host + ":" +
           std::to_string(rfc.Port()));
    rfc.Dzialaj(odtwarzanie, dziennik, opcje.baud);
  }
  if (!odtwarzanie.Skonczone()) return Blad("replay: stopped before the capture was played", 1);
  if (odtwarzanie.Wynik() != 0) return Blad("replay: " + odtwarzanie.Raport(), odtwarzanie.Wynik());
  std::fprintf(stderr, "karvo-sim: replay: %s\n", odtwarzanie.Raport().c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string blad;
  const auto opcje = sim::CzytajOpcje(argc, argv, blad);
  if (!opcje) return Blad(blad + " (--help tells more)", 2);
  if (opcje->pomoc) {
    std::fputs(sim::Pomoc, stdout);
    return 0;
  }
  if (opcje->wersja) {
    std::printf("karvo-sim %s\n", KARVO_VERSION);
    return 0;
  }
  sim::UstawObslugeSygnalow();
  sim::UstawOpoznienieAdaptera(std::chrono::milliseconds(opcje->opoznienieAdapteraMs));
  sim::Dziennik dziennik;
  if (!opcje->dziennik.empty() && !dziennik.Otworz(opcje->dziennik))
    return Blad("cannot open the log " + opcje->dziennik, 1);

  if (!opcje->nagranie.empty()) return UruchomOdtwarzanie(*opcje, dziennik);

  // The port server's control is taken before the ready line, so no command is lost.
  sim::SerwerPortow serwer(opcje->usterkiSerwera, dziennik);
  if (!opcje->serwerPortow.empty()) {
    if (!serwer.Otworz(opcje->serwerPortow, sim::PortSterowania, blad)) return Blad(blad, 1);
    if (opcje->polaczenie == sim::RodzajPolaczenia::Brak && opcje->modul == sim::Opcje::Modul::Brak) {
      Gotowy("port-server " + opcje->serwerPortow + ":" + std::to_string(sim::PortSterowania));
      serwer.Dzialaj();
      return 0;
    }
    serwer.UruchomWTle();
  }

  std::vector<ZrodloStanu> zrodla;
  std::vector<std::unique_ptr<sim::Kasa>> kasy;
  std::set<int> adresy;
  for (const std::string& sciezka : opcje->stany) {
    auto plik = sim::PlikDanych::Wczytaj(sciezka, blad);
    if (!plik) return Blad(blad, 1);
    auto stan = sim::StanZPliku(*plik, blad);
    if (!stan) return Blad(sciezka + ": " + blad, 1);
    if (!adresy.insert(stan->adres).second)
      return Blad(sciezka + ": a second register at address " + std::to_string(stan->adres), 1);
    kasy.push_back(std::make_unique<sim::Kasa>(*stan, opcje->usterki, dziennik,
                                               sim::UstawieniaKasy{std::chrono::milliseconds(opcje->czasBajtuMs)}));
    zrodla.push_back({sciezka, std::move(*plik), *stan});
  }
  if (opcje->modul != sim::Opcje::Modul::Brak) return UruchomModul(*opcje, std::move(kasy), zrodla, dziennik);
  sim::Linia linia(opcje->linia, std::move(kasy), dziennik, opcje->usterki);
  if (opcje->wybor >= 0) linia.Wybierz(opcje->wybor);

  if (opcje->polaczenie == sim::RodzajPolaczenia::Pty) {
    sim::LaczePty pty;
    if (!pty.Otworz(opcje->dowiazanie, blad)) return Blad(blad, 1);
    Gotowy("pty " + opcje->dowiazanie + " " + pty.Slave());
    pty.Dzialaj(linia, dziennik, opcje->baud);
  } else {
    sim::LaczeRfc2217 rfc;
    if (!rfc.Otworz(opcje->host, opcje->port, blad)) return Blad(blad, 1);
    rfc.UstawStanModemu(opcje->stanModemu);
    Gotowy("rfc2217 " + opcje->host + ":" + std::to_string(rfc.Port()));
    rfc.Dzialaj(linia, dziennik, opcje->baud);
  }

  return ZapiszStany(zrodla, linia.Kasy(), *opcje, dziennik);
}
