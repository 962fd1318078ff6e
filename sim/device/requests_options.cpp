// The requests on the register's option bits: up to four sets of three bytes,
// each read and written by a request of its own. The new registers (type 't'
// and above, the Norda registers excepted) have all four sets and also reach
// any set through one request that names it (0xDF, 0xDE); the others refuse
// those and have sets 0 and 1, and set 2 on the second generation. The
// request of a set the register does not have is refused like an unknown one.
#include <algorithm>

#include "device/families.h"
#include "device/requests.h"

namespace sim {
namespace {

constexpr uint8_t Wykonano = 0x00;
constexpr uint8_t BrakZestawu = 0x0A;  // the indexed request names a set the register does not have

bool Indeksowane(const StanKasy& s) { return Nowa(s.typ); }

template <size_t Zestaw>
bool MaZestaw(const StanKasy& s) {
  return Zestaw < s.tabele.zestawyOpcji;
}

template <size_t Zestaw>
Bajty Odczyt(Wymiana& w) {
  const auto& b = w.stan.tabele.opcje[Zestaw];
  return Bajty(b.begin(), b.end());
}

// The per-set write answers nothing after its three bytes.
template <size_t Zestaw>
Bajty Zapis(Wymiana& w) {
  std::copy(w.parametry.begin(), w.parametry.end(), w.stan.tabele.opcje[Zestaw].begin());
  return {};
}

const Rozkaz Rozkazy[] = {
    {.kod = 0xDF, .opis = "option set named by parameter 0", .parametry = 1,
     .wykonanie =
         [](Wymiana& w) {
           const size_t zestaw = w.parametry[0];
           if (zestaw >= w.stan.tabele.zestawyOpcji) return Bajty{BrakZestawu};
           const auto& b = w.stan.tabele.opcje[zestaw];
           return Bajty{Wykonano, b[0], b[1], b[2]};
         },
     .zna = Indeksowane},
    {.kod = 0xDE, .opis = "write the option set named by parameter 0", .parametry = 4,
     .wykonanie =
         [](Wymiana& w) {
           const size_t zestaw = w.parametry[0];
           if (zestaw >= w.stan.tabele.zestawyOpcji) return Bajty{BrakZestawu};
           std::copy(w.parametry.begin() + 1, w.parametry.end(), w.stan.tabele.opcje[zestaw].begin());
           return Bajty{Wykonano};
         },
     .zna = Indeksowane},
    {.kod = 0xC3, .opis = "option set 0", .pierwsza = Odczyt<0>, .zna = MaZestaw<0>},
    {.kod = 0xB4, .opis = "option set 1", .pierwsza = Odczyt<1>, .zna = MaZestaw<1>},
    {.kod = 0xDB, .opis = "option set 2", .pierwsza = Odczyt<2>, .zna = MaZestaw<2>},
    {.kod = 0xDD, .opis = "option set 3 (discount cards)", .pierwsza = Odczyt<3>, .zna = MaZestaw<3>},
    {.kod = 0xC2, .opis = "write option set 0", .parametry = 3, .wykonanie = Zapis<0>, .zna = MaZestaw<0>},
    {.kod = 0xB3, .opis = "write option set 1", .parametry = 3, .wykonanie = Zapis<1>, .zna = MaZestaw<1>},
    {.kod = 0xDA, .opis = "write option set 2", .parametry = 3, .wykonanie = Zapis<2>, .zna = MaZestaw<2>},
    {.kod = 0xDC, .opis = "write option set 3 (discount cards)", .parametry = 3, .wykonanie = Zapis<3>,
     .zna = MaZestaw<3>},
};

}  // namespace

const std::span<const Rozkaz> RozkazyOpcji = Rozkazy;

}  // namespace sim
