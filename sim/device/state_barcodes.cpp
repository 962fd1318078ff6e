#include "device/state_barcodes.h"

#include "common/bytes.h"
#include "device/families.h"

namespace sim {
namespace {

using Rekord = PlikDanych::Rekord;
using Rekordy = std::vector<Rekord>;

constexpr uint64_t Najwiekszy48 = (uint64_t{1} << 48) - 1;

bool Dwa(const Rekord& r) { return r.size() == 2; }

bool CzytajDodatkowe(const Rekordy& rekordy, StanKodow& s) {
  for (const Rekord& r : rekordy) {
    const auto towar = Dwa(r) ? Liczba(r[0], 0xFFFF) : std::nullopt;
    const auto kod = Dwa(r) ? DuzaLiczba(r[1], Najwiekszy48) : std::nullopt;
    if (!towar || !kod) return false;
    s.dodatkowe.push_back({static_cast<uint16_t>(*towar), *kod});
  }
  return s.dodatkowe.size() <= PojemnoscDodatkowychKodow;
}

Rekordy PiszDodatkowe(const StanKodow& s) {
  Rekordy wynik;
  for (const DodatkowyKod& k : s.dodatkowe) wynik.push_back({std::to_string(k.towar), std::to_string(k.kod)});
  return wynik;
}

bool CzytajKody(const Rekordy& rekordy, StanKodow& s) {
  const Rekord& r = rekordy.front();
  if (r.size() != LiczbaKodowKreskowych) return false;
  for (size_t i = 0; i < r.size(); ++i) {
    if (r[i].size() != 2) return false;
    s.kody[i] = r[i];
  }
  return true;
}

Rekordy PiszKody(const StanKodow& s) { return {Rekord(s.kody.begin(), s.kody.end())}; }

bool CzytajKlawisze(const Rekordy& rekordy, StanKodow& s) {
  for (const Rekord& r : rekordy) {
    const auto klawisz = Dwa(r) ? Liczba(r[0], 0xFF) : std::nullopt;
    const auto towar = Dwa(r) ? Liczba(r[1], 0xFFFF) : std::nullopt;
    if (!klawisz || *klawisz < PierwszyKlawisz || !towar) return false;
    s.klawisze[*klawisz] = static_cast<uint16_t>(*towar);
  }
  return true;
}

Rekordy PiszKlawisze(const StanKodow& s) {
  Rekordy wynik;
  for (unsigned k = PierwszyKlawisz; k < s.klawisze.size(); ++k)
    if (s.klawisze[k] != 0) wynik.push_back({std::to_string(k), std::to_string(s.klawisze[k])});
  return wynik;
}

bool CzytajWiazania(const Rekordy& rekordy, StanKodow& s) {
  for (const Rekord& r : rekordy) {
    const auto towar = Dwa(r) ? Liczba(r[0], 0xFFFF) : std::nullopt;
    const auto powiazany = Dwa(r) ? Liczba(r[1], 0xFFFF) : std::nullopt;
    if (!towar || !powiazany) return false;
    s.wiazania.push_back({static_cast<uint16_t>(*towar), static_cast<uint16_t>(*powiazany)});
  }
  return true;
}

Rekordy PiszWiazania(const StanKodow& s) {
  Rekordy wynik;
  for (const Wiazanie& w : s.wiazania) wynik.push_back({std::to_string(w.towar), std::to_string(w.powiazany)});
  return wynik;
}

bool CzytajBloki(const Rekordy& r, StanKodow& s) {
  const auto bloki = r.front().empty() ? std::nullopt : Liczba(r.front()[0], 16);
  if (!bloki || (*bloki != 8 && *bloki != 16)) return false;
  s.blokiWiazan = static_cast<uint8_t>(*bloki);
  return true;
}

Rekordy PiszBloki(const StanKodow& s) { return {{std::to_string(s.blokiWiazan)}}; }

// One key: how its records are read and written; wielokrotny: every record counts, else the first.
struct PoleKodow {
  const char* klucz;
  bool wielokrotny;
  const char* oczekiwane;  // what a valid value looks like, for the error message
  bool (*czytaj)(const Rekordy&, StanKodow&);
  Rekordy (*pisz)(const StanKodow&);
};

// The block count comes before the links it holds.
const PoleKodow Pola[] = {
    {"kod_dodatkowy", true, "a goods number 0 to 65535 and a barcode below 2^48 (at most 2000 records)",
     CzytajDodatkowe, PiszDodatkowe},
    {"kody_kreskowe", false, "six codes of two characters", CzytajKody, PiszKody},
    {"klawisz", true, "a key code 33 to 255 and a goods number 0 to 65535", CzytajKlawisze, PiszKlawisze},
    {"bloki_wiazan", false, "8 or 16", CzytajBloki, PiszBloki},
    {"wiazanie", true, "two goods numbers 0 to 65535, no more than the blocks hold", CzytajWiazania, PiszWiazania},
};

}  // namespace

bool KodyZPliku(const PlikDanych& plik, uint8_t typ, StanKodow& stan, std::string& blad) {
  stan = StanKodow{};
  stan.blokiWiazan = Nowa(typ) ? 16 : 8;
  for (const PoleKodow& pole : Pola) {
    const Rekordy rekordy = plik.Wszystkie(pole.klucz);
    if (rekordy.empty()) continue;
    const bool dobre = pole.wielokrotny ? pole.czytaj(rekordy, stan) : pole.czytaj({rekordy.front()}, stan);
    if (!dobre || stan.wiazania.size() > stan.blokiWiazan * RekordowWBlokuWiazan) {
      blad = std::string("\"$") + pole.klucz + "\" must hold " + pole.oczekiwane;
      return false;
    }
  }
  return true;
}

void KodyDoPliku(const StanKodow& stan, const StanKodow& wczytany, PlikDanych& plik) {
  for (const PoleKodow& pole : Pola) {
    const Rekordy nowe = pole.pisz(stan);
    if (nowe != pole.pisz(wczytany)) plik.UstawWszystkie(pole.klucz, nowe);
  }
}

}  // namespace sim
