// The requests of the session opening and identification, and of reading and
// setting the register's number. The goods capacity probe (0xE6, 0xAC) reads
// goods records and lives with the goods requests.
#include "device/families.h"
#include "device/requests.h"

namespace sim {
namespace {

const Rozkaz Rozkazy[] = {
    {.kod = 0xC0, .opis = "register number",
     .pierwsza = [](Wymiana& w) { return Bajty(w.stan.numer.begin(), w.stan.numer.end()); }},
    {.kod = 0xFE, .opis = "type code, version and letter",
     .pierwsza = [](Wymiana& w) { return Bajty{w.stan.typ, w.stan.wersja, w.stan.litera}; }},
    {.kod = 0xFF, .opis = "type code (older registers)", .pierwsza = [](Wymiana& w) { return Bajty{w.stan.typ}; }},
    {.kod = 0x5B, .opis = "status byte 0, version in its high nibble",
     .pierwsza =
         [](Wymiana& w) {
           return Bajty{static_cast<uint8_t>(w.stan.wersja << 4 | (w.stan.tabele.status[0] & 0x0F))};
         }},
    {.kod = 0x71, .opis = "identification text",
     .pierwsza =
         [](Wymiana& w) {
           Bajty tekst(w.stan.identyfikator.begin(), w.stan.identyfikator.end());
           tekst.resize(DlugoscIdentyfikatora(w.stan), ' ');
           return tekst;
         }},
    {.kod = 0x6F, .opis = "goods capacity",
     .pierwsza =
         [](Wymiana& w) {
           return Bajty{static_cast<uint8_t>(w.stan.pojemnosc & 0xFF), static_cast<uint8_t>(w.stan.pojemnosc >> 8)};
         },
     .zna = [](const StanKasy& s) { return Nowa(s.typ); }},
    {.kod = 0x43, .opis = "set register number", .parametry = 2,
     .wykonanie =
         [](Wymiana& w) {
           w.stan.numer.assign(w.parametry.begin(), w.parametry.end());
           return Bajty{};
         }},
};

}  // namespace

const std::span<const Rozkaz> RozkazySesji = Rozkazy;

}  // namespace sim
