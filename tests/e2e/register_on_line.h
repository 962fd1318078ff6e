// A ready-made register with further state lines and faults, behind a
// pseudo-terminal or the network module, and the driver configured for it:
// what the cash desk tests share.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "harness.h"

namespace e2e {

struct KasaNaLinii {
  // The module's link opens without the serial port's settling pauses: the
  // cases that run many registers use it.
  KasaNaLinii(const Rodzina& rodzina, const std::string& dodatki, std::vector<std::string> usterki,
              Lacze rodzaj = Lacze::ModulTcp)
      : r(rodzina) {
    const std::string stan = env.Sciezka(r.plik);
    ZapiszPlik(stan, CzytajPlik(Urzadzenie(r.plik)) + dodatki);
    sim = std::make_unique<Symulator>(env.Katalog(),
                                      OpcjeSymulatora{.urzadzenia = {stan}, .lacze = rodzaj, .usterki = usterki});
    if (rodzaj == Lacze::ModulTcp) {
      lacze = env.PolaczZModulem(*sim, r.numer);
      ogon = "\t" + env.Pole5();
    } else {
      env.PolaczZSymulatorem(*sim, r.numer);
    }
  }
  // Header line 2 as a session that identified the register writes it.
  std::string Identyfikacja(const std::string& zrodlo = ZRODLO) const { return std::string(r.nazwa) + zrodlo + ogon; }

  Stanowisko env;
  Rodzina r;
  std::unique_ptr<Symulator> sim;
  std::string lacze = "COM1:9600:MUX0:1";
  std::string ogon;  // the module's field 5 after the device name
};

inline const Rodzina& RodzinaZPliku(const std::string& plik) {
  for (const Rodzina& r : RODZINY)
    if (plik == r.plik) return r;
  ADD_FAILURE() << plik;
  return RODZINY.front();
}

}  // namespace e2e
