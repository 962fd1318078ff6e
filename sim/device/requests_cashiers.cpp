// The requests on the cashier table and the cashiers' shifts: read, write and
// delete a cashier (0xB0, 0xB1, 0xF0), write its flag byte (0xB2), the
// logged-in cashier (0xB7), the two parts of the shift data (0xB5, 0xB6),
// zeroing them (0xB8) and booking a cash payout (0xD1).
//
// Families: the price checkers keep no cashiers and refuse these requests.
// The older second-generation Pelto registers (103 and 104 up to version 2)
// send the second part of the shift data three bytes longer.
#include "device/families.h"
#include "device/requests.h"

namespace sim {
namespace {

constexpr uint8_t Wykonano = 0x00;
constexpr uint8_t KoniecTablicy = 0x67;      // the number lies beyond the cashier table
constexpr uint8_t BrakKasjera = 0x68;        // no cashier has this number
constexpr uint8_t KasjerZalogowany = 0x6A;   // not while the cashier is logged in
constexpr uint8_t PrzepelnienieSumy = 0x0E;  // the total would not fit five bytes

StanKasjerow& Kasjerzy(Wymiana& w) { return w.stan.kasjerzy; }

bool MaKasjerow(const StanKasy& s) { return !Cenometr(s.typ) && !Ubo(s.typ); }

bool DluzszaZmiana(const StanKasy& s) { return (s.typ == 103 || s.typ == 104) && s.wersja <= 2; }

// The status of a cashier number the table cannot hold, or that has no
// cashier; 0 when cashier `numer` exists.
uint8_t Sprawdz(Wymiana& w, uint8_t numer) {
  if (numer > Kasjerzy(w).kasjerzy.size()) return KoniecTablicy;
  return Kasjerzy(w).Znajdz(numer) ? Wykonano : BrakKasjera;
}

// Runs `dzialanie` on the cashier of parameter byte 0, or answers why not.
template <typename F>
Bajty NaKasjerze(Wymiana& w, F dzialanie) {
  const uint8_t numer = w.parametry[0];
  if (const uint8_t status = Sprawdz(w, numer)) return {status};
  return dzialanie(*Kasjerzy(w).Znajdz(numer), numer);
}

Bajty Z(uint8_t status, const Bajty& dane) {
  Bajty b{status};
  b.insert(b.end(), dane.begin(), dane.end());
  return b;
}

const Rozkaz Rozkazy[] = {
    {.kod = 0xB0, .opis = "cashier", .parametry = 1,
     .wykonanie =
         [](Wymiana& w) {
           return NaKasjerze(w, [](Kasjer& k, uint8_t) {
             Bajty b = Z(Wykonano, k.nazwa);
             b.insert(b.end(), k.haslo.begin(), k.haslo.end());
             b.push_back(k.flagi);
             return b;
           });
         },
     .zna = MaKasjerow},
    // A new cashier starts with its flags clear; one written again keeps them.
    {.kod = 0xB1, .opis = "write a cashier", .parametry = 1 + SzerokoscNazwyKasjera + SzerokoscHasla,
     .wykonanie =
         [](Wymiana& w) {
           const uint8_t numer = w.parametry[0];
           if (numer == 0) return Bajty{BrakKasjera};
           if (numer > Kasjerzy(w).kasjerzy.size()) return Bajty{KoniecTablicy};
           auto& miejsce = Kasjerzy(w).kasjerzy[numer - 1];
           if (!miejsce) miejsce.emplace();
           const auto p = w.parametry.begin() + 1;
           miejsce->nazwa.assign(p, p + SzerokoscNazwyKasjera);
           miejsce->haslo.assign(p + SzerokoscNazwyKasjera, w.parametry.end());
           return Bajty{Wykonano};
         },
     .zna = MaKasjerow},
    {.kod = 0xB2, .opis = "write a cashier's flags", .parametry = 2,
     .wykonanie =
         [](Wymiana& w) {
           const uint8_t flagi = w.parametry[1];
           return NaKasjerze(w, [flagi](Kasjer& k, uint8_t) {
             k.flagi = flagi;
             return Bajty{Wykonano};
           });
         },
     .zna = MaKasjerow},
    {.kod = 0xF0, .opis = "delete a cashier", .parametry = 1,
     .wykonanie =
         [](Wymiana& w) {
           const uint8_t numer = w.parametry[0];
           if (const uint8_t status = Sprawdz(w, numer)) return Bajty{status};
           if (Kasjerzy(w).zalogowany == numer) return Bajty{KasjerZalogowany};
           Kasjerzy(w).kasjerzy[numer - 1].reset();
           return Bajty{Wykonano};
         },
     .zna = MaKasjerow},
    {.kod = 0xB7, .opis = "logged-in cashier", .pierwsza = [](Wymiana& w) { return Bajty{Kasjerzy(w).zalogowany}; },
     .zna = MaKasjerow},
    {.kod = 0xB5, .opis = "cashier's shift, first part", .parametry = 1,
     .wykonanie =
         [](Wymiana& w) {
           return NaKasjerze(w, [](Kasjer& k, uint8_t numer) {
             return Z(Wykonano, PierwszaCzescZmiany(numer, k.zmiana));
           });
         },
     .zna = MaKasjerow},
    {.kod = 0xB6, .opis = "cashier's shift, second part", .parametry = 1,
     .wykonanie =
         [](Wymiana& w) {
           const bool dluzsza = DluzszaZmiana(w.stan);
           return NaKasjerze(w, [dluzsza](Kasjer& k, uint8_t numer) {
             return Z(Wykonano, DalszaCzescZmiany(numer, k.zmiana, dluzsza));
           });
         },
     .zna = MaKasjerow},
    {.kod = 0xB8, .opis = "zero a cashier's shift", .parametry = 1,
     .wykonanie =
         [](Wymiana& w) {
           const uint8_t zalogowany = Kasjerzy(w).zalogowany;
           return NaKasjerze(w, [zalogowany](Kasjer& k, uint8_t numer) {
             if (numer == zalogowany) return Bajty{KasjerZalogowany};
             k.zmiana.Zeruj();
             return Bajty{Wykonano};
           });
         },
     .zna = MaKasjerow},
    // P[0] the cashier, P[1] to P[5] the amount, low byte first.
    {.kod = 0xD1, .opis = "cash payout", .parametry = 6,
     .wykonanie =
         [](Wymiana& w) {
           uint64_t kwota = 0;
           for (size_t i = 5; i >= 1; --i) kwota = kwota << 8 | w.parametry[i];
           return NaKasjerze(w, [kwota](Kasjer& k, uint8_t) {
             int64_t& suma = k.zmiana.sumy[SumaWyplat];
             if (static_cast<uint64_t>(suma) + kwota >= GranicaSumy) return Bajty{PrzepelnienieSumy};
             suma += static_cast<int64_t>(kwota);
             return Bajty{Wykonano};
           });
         },
     .zna = MaKasjerow},
};

}  // namespace

const std::span<const Rozkaz> RozkazyKasjerow = Rozkazy;

}  // namespace sim
