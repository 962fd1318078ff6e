// A register that answers from a script, put in place of the serial port:
// it sees every byte the driver writes and hands back the bytes its script
// gives for each request code.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "protocol/line.h"
#include "protocol/line_modes.h"
#include "state/session_state.h"

using Bajty = std::vector<uint8_t>;

struct OdpowiedzKasy {
  Bajty Pierwsza;  // sent when the request code arrives
  // Sent when the driver reads after its parameters; gets those parameters.
  std::function<Bajty(const Bajty& parametry)> Druga;
};

// Common answers.
inline OdpowiedzKasy Cisza() { return {}; }
inline OdpowiedzKasy Potwierdzenie(Bajty dane = {}) {
  Bajty b{0x06};
  b.insert(b.end(), dane.begin(), dane.end());
  return {b, nullptr};
}
inline OdpowiedzKasy Odmowa() { return {{0x15}, nullptr}; }
inline OdpowiedzKasy PoWykonaniu(Bajty druga) {
  return {{0x06}, [druga](const Bajty&) { return druga; }};
}

class SkryptowanaKasa {
 public:
  std::function<OdpowiedzKasy(uint8_t kod)> NaRozkaz = [](uint8_t) { return Cisza(); };
  // Bytes served when nothing else is queued (the framed modes: the answer frame).
  std::function<Bajty()> NaOdczyt;
  Bajty Wyslane;                      // every byte the driver wrote, in order
  std::vector<std::size_t> Zapisy;    // the bytes of each write call
  std::vector<Bajty> Parametry;       // the parameters of each request, in order
  std::vector<uint8_t> Rozkazy;       // request codes in order
  Bajty DoOdczytu;                    // what the driver may read still
  int Odczytane = 0;                  // bytes the driver read
  int WyslanoZnakiWywolan = 0;
  bool ZapisZawodzi = false, WyslanoZnakiZawodzi = false;
  bool MowiIleCzeka = false;  // the port tells the bytes not read (BajtyWKolejce)
  uint8_t StatusModemu = 0x80;

  SkryptowanaKasa() {
    Biezaca = this;
    PodstawieniePortuSzeregowego(&Port);
  }
  ~SkryptowanaKasa() {
    PodstawieniePortuSzeregowego(nullptr);
    Biezaca = nullptr;
  }
  int IleRazy(uint8_t kod) const {
    int n = 0;
    for (uint8_t k : Rozkazy) n += k == kod;
    return n;
  }

 private:
  enum { Czeka, PoEsc, Parametry_ } Stan = Czeka;
  std::deque<uint8_t> Kolejka;
  std::function<Bajty(const Bajty&)> Druga;

  static inline SkryptowanaKasa* Biezaca = nullptr;

  static uint8_t Zapis(uint8_t b) {
    auto& k = *Biezaca;
    if (k.ZapisZawodzi) return 0;
    k.Wyslane.push_back(b);
    if (k.Stan == Czeka && b == 0x1B) {
      k.Stan = PoEsc;
    } else if (k.Stan == PoEsc) {
      k.Rozkazy.push_back(b);
      k.Parametry.emplace_back();
      OdpowiedzKasy o = k.NaRozkaz(b);
      k.Kolejka.assign(o.Pierwsza.begin(), o.Pierwsza.end());
      k.Druga = o.Druga;
      k.Stan = Parametry_;
    } else if (k.Stan == Parametry_) {
      k.Parametry.back().push_back(b);
    }
    return 1;
  }
  static uint32_t ZapisBajtow(const uint8_t* b, uint32_t ile) {
    Biezaca->Zapisy.push_back(ile);
    for (uint32_t i = 0; i < ile; ++i)
      if (Zapis(b[i]) != 1) return i;
    return ile;
  }
  static uint8_t Odczyt(uint8_t* b) {
    auto& k = *Biezaca;
    if (k.Kolejka.empty() && k.Druga) {
      const Bajty d = k.Druga(k.Parametry.empty() ? Bajty{} : k.Parametry.back());
      k.Druga = nullptr;
      k.Kolejka.assign(d.begin(), d.end());
    }
    if (k.Kolejka.empty() && k.NaOdczyt) {
      const Bajty d = k.NaOdczyt();
      k.Kolejka.assign(d.begin(), d.end());
    }
    if (k.Kolejka.empty()) return 0;
    *b = k.Kolejka.front();
    k.Kolejka.pop_front();
    ++k.Odczytane;
    return 1;
  }
  static uint8_t Modem() { return Biezaca->StatusModemu; }
  // ClearPort before every request: what was not read is gone.
  static int32_t Czyszczenie() {
    auto& k = *Biezaca;
    k.Kolejka.clear();
    k.Druga = nullptr;
    k.Stan = Czeka;
    return 0;
  }
  static uint8_t WyslanoZnaki() {
    ++Biezaca->WyslanoZnakiWywolan;
    return Biezaca->WyslanoZnakiZawodzi ? 0 : 1;
  }
  // Bytes of the current answer that the driver has not read, when the test
  // asks the port to tell them (many scripts answer more than is read).
  static uint32_t WKolejce() { return Biezaca->MowiIleCzeka ? static_cast<uint32_t>(Biezaca->Kolejka.size()) : 0; }
  static inline const PortSzeregowyLacza Port = {.ZapisBajtu = Zapis,
                                                 .OdczytBajtu = Odczyt,
                                                 .StatusModemu = Modem,
                                                 .Czyszczenie = Czyszczenie,
                                                 .WyslanoZnaki = WyslanoZnaki,
                                                 .BajtyWKolejce = WKolejce,
                                                 .ZapisBajtow = ZapisBajtow};
};

// A clean session in direct mode.
inline void CzystaSesja() {
  ZerowanieDanychSesji();
  WybranieTrybuLacza(0);
}
