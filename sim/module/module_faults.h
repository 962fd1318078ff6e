// Faults of the communication module itself, so that every answer of the
// module the driver handles can be reached on purpose.
//
// A module fault is written  FRAME[,OPTION...]:KIND[=ARGUMENT]
//   FRAME    * every request frame, a request code (0xC0) for request frames
//            with that code, ctlT for control frames of type T (ctl6), ctl* for all
//   OPTION   n=N, n=N-M, n=N+   only the N-th (N-th to M-th, N-th and later)
//                               such frame the module receives
//            reg=A              only frames for the register at address A
//   KIND     silent             no answer at all; a request is not carried out
//            crc                the answer's CRC is wrong
//            garbage[=N]        N bytes of garbage (default 8) before the answer
//            cut=N              only the first N wire bytes of the answer
//            late=MS            the answer starts MS milliseconds late
//            control=B          an answer with control byte B and no contents
//                               instead; the request is not carried out. With bit
//                               0x10, 0x20 or 0x40 the module then waits for the
//                               control frame 3 (password), 4 or 5 (time-out words)
//            split=K            the answer in two parts: K bytes, then the rest
//                               after a control frame 8
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class RodzajUsterkiModulu : uint8_t { Cisza, Crc, Smieci, Ciecie, Opoznienie, Sterujacy, Podzial };

struct UsterkaModulu {
  std::string zapis;
  bool sterujaca = false;  // acts on control frames (else on request frames)
  int kod = -1;            // request code or control type; -1: every one
  int adres = -1;
  uint32_t od = 1, doWystapienia = UINT32_MAX;
  RodzajUsterkiModulu rodzaj = RodzajUsterkiModulu::Cisza;
  uint32_t liczba = 0;  // bytes, milliseconds, or the control byte

  // Whether the answer to this frame is left out or replaced (not carried out).
  bool Zastepuje() const { return rodzaj == RodzajUsterkiModulu::Cisza || rodzaj == RodzajUsterkiModulu::Sterujacy; }
  bool Pasuje(bool sterujacaRamka, uint8_t kodLubTyp, uint8_t adresKasy, uint32_t wystapienie) const;
};

std::optional<UsterkaModulu> CzytajUsterkeModulu(std::string_view zapis, std::string& blad);

}  // namespace sim
