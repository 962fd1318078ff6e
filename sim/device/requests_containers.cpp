// The requests on the container table and the goods-to-container links:
// read and write a container (0xFB, 0xFA), read and write the container of a
// goods number (0xFD, 0xFC). Only the registers with containers (type code
// '&') know them; the others refuse them.
//
// The register answers request 0xFC with a status byte that tells whether it
// took the link: 0 when it did, else the reason.
#include "device/requests.h"

namespace sim {
namespace {

constexpr uint8_t Wykonano = 0x00;
constexpr uint8_t PozaPojemnoscia = 0x05;  // the goods number lies beyond the capacity
constexpr uint8_t BrakPojemnika = 0x0A;    // no container has this number

bool ZPojemnikami(const StanKasy& s) { return s.typ == '&'; }

StanPojemnikow& Pojemniki(Wymiana& w) { return w.stan.pojemniki; }

bool JestPojemnik(size_t numer) { return numer >= 1 && numer <= LiczbaPojemnikow; }

// The status of a goods number outside 1 to the register's capacity, else 0.
uint8_t SprawdzTowar(const Wymiana& w, uint16_t towar) {
  return towar == 0 || towar > w.stan.pojemnosc ? PozaPojemnoscia : Wykonano;
}

const Rozkaz Rozkazy[] = {
    {.kod = 0xFB, .opis = "container", .parametry = 1,
     .wykonanie =
         [](Wymiana& w) {
           const uint8_t numer = w.parametry[0];
           if (!JestPojemnik(numer)) return Bajty{BrakPojemnika};
           const Pojemnik& p = Pojemniki(w).pojemniki[numer - 1];
           Bajty b{Wykonano};
           b.insert(b.end(), p.nazwa.begin(), p.nazwa.end());
           b.push_back(static_cast<uint8_t>(p.kaucja & 0xFF));
           b.push_back(static_cast<uint8_t>(p.kaucja >> 8));
           return b;
         },
     .zna = ZPojemnikami},
    {.kod = 0xFA, .opis = "write a container", .parametry = 1 + SzerokoscNazwyPojemnika + 2,
     .wykonanie =
         [](Wymiana& w) {
           const uint8_t numer = w.parametry[0];
           if (!JestPojemnik(numer)) return Bajty{BrakPojemnika};
           Pojemnik& p = Pojemniki(w).pojemniki[numer - 1];
           p.nazwa.assign(w.parametry.begin() + 1, w.parametry.begin() + 1 + SzerokoscNazwyPojemnika);
           p.kaucja = w.Slowo(1 + SzerokoscNazwyPojemnika);
           return Bajty{Wykonano};
         },
     .zna = ZPojemnikami},
    // A goods number linked to no container answers container 0.
    {.kod = 0xFD, .opis = "container of a goods number", .parametry = 2,
     .wykonanie =
         [](Wymiana& w) {
           const uint16_t towar = w.Slowo(0);
           if (const uint8_t status = SprawdzTowar(w, towar)) return Bajty{status};
           const auto& p = Pojemniki(w).powiazania;
           const auto it = p.find(towar);
           return Bajty{Wykonano, it == p.end() ? uint8_t{0} : it->second};
         },
     .zna = ZPojemnikami},
    // Container 0 takes the goods number's link away.
    {.kod = 0xFC, .opis = "link a goods number to a container", .parametry = 3,
     .wykonanie =
         [](Wymiana& w) {
           const uint16_t towar = w.Slowo(0);
           const uint8_t numer = w.parametry[2];
           if (const uint8_t status = SprawdzTowar(w, towar)) return Bajty{status};
           if (numer != 0 && !JestPojemnik(numer)) return Bajty{BrakPojemnika};
           if (numer == 0)
             Pojemniki(w).powiazania.erase(towar);
           else
             Pojemniki(w).powiazania[towar] = numer;
           return Bajty{Wykonano};
         },
     .zna = ZPojemnikami},
};

}  // namespace

const std::span<const Rozkaz> RozkazyPojemnikow = Rozkazy;

}  // namespace sim
