// The requests of the cash desk counters and the tax rates: the number of the
// last daily report (0xCA), of the last receipt (0x66) and the tax rate table
// (0xD0). The price checkers issue no receipts and refuse all three.
#include "device/families.h"
#include "device/requests.h"

namespace sim {
namespace {

bool Fiskalna(const StanKasy& s) { return !Cenometr(s.typ) && !Ubo(s.typ); }

Bajty Slowo(uint16_t w) { return {static_cast<uint8_t>(w & 0xFF), static_cast<uint8_t>(w >> 8)}; }

const Rozkaz Rozkazy[] = {
    {.kod = 0xCA, .opis = "number of the last daily report",
     .pierwsza = [](Wymiana& w) { return Slowo(w.stan.kasowy.numerRaportu); }, .zna = Fiskalna},
    {.kod = 0x66, .opis = "number of the last receipt",
     .pierwsza = [](Wymiana& w) { return Slowo(w.stan.kasowy.numerParagonu); }, .zna = Fiskalna},
    {.kod = 0xD0, .opis = "tax rates",
     .pierwsza = [](Wymiana& w) { return TablicaPodatkow(w.stan.kasowy, w.stan.typ); }, .zna = Fiskalna},
};

}  // namespace

const std::span<const Rozkaz> RozkazyKasowe = Rozkazy;

}  // namespace sim
