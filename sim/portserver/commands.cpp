#include "portserver/commands.h"

#include <array>
#include <string_view>

#include "common/bytes.h"

namespace sim {
namespace {

// PBR0 to PBR11.
constexpr std::array<uint32_t, 12> Predkosci = {1200, 2400, 4800, 9600, 19200, 38400,
                                                57600, 115200, 150, 300, 600, 28800};

// The outputs the driver drives: 0 and 1 select the channel, 3 is set once when the port is prepared.
bool ZnaneWyjscie(char wyjscie, char poziom) {
  if (wyjscie == '3') return poziom == '1';
  return (wyjscie == '0' || wyjscie == '1') && (poziom == '0' || poziom == '1');
}

}  // namespace

uint32_t PredkoscPolecenia(uint32_t numer) { return numer < Predkosci.size() ? Predkosci[numer] : 0; }

PolecenieSerwera RozpoznajPolecenie(std::span<const uint8_t> datagram) {
  PolecenieSerwera p;
  p.tekst = Czytelnie(datagram);
  const std::string_view t(reinterpret_cast<const char*>(datagram.data()), datagram.size());
  if (t == "R") {
    p.znane = true;
    p.opis = "reset";
  } else if (t.size() == 4 && t.starts_with("PS") && ZnaneWyjscie(t[2], t[3])) {
    p.znane = true;
    p.opis = std::string("output ") + t[2] + " level " + t[3];
  } else if (t.starts_with("PBR") && t.size() <= 5) {
    // Only the table's own spelling: no leading zeros.
    const std::string_view n = t.substr(3);
    const auto numer = Liczba(n, 11);
    if (numer && std::to_string(*numer) == n) {
      p.znane = true;
      p.opis = "speed " + std::to_string(PredkoscPolecenia(*numer)) + " bit/s";
    }
  }
  if (!p.znane) p.opis = "unknown command";
  return p;
}

}  // namespace sim
