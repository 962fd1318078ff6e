#include "device/state_containers.h"

#include "device/state_keys.h"
#include "device/state_tables.h"

namespace sim {
namespace {

using Rekord = PlikDanych::Rekord;
using Rekordy = std::vector<Rekord>;

bool CzytajPojemnik(const Rekord& r, StanPojemnikow& s) {
  const auto numer = r.size() == 3 ? Liczba(r[0], LiczbaPojemnikow) : std::nullopt;
  const auto kaucja = numer ? Liczba(r[2], 0xFFFF) : std::nullopt;
  auto nazwa = kaucja ? TekstPola(r[1]) : std::nullopt;
  if (!nazwa || *numer == 0 || nazwa->size() > SzerokoscNazwyPojemnika) return false;
  nazwa->resize(SzerokoscNazwyPojemnika, ' ');
  s.pojemniki[*numer - 1] = {std::move(*nazwa), static_cast<uint16_t>(*kaucja)};
  return true;
}

Rekordy PiszPojemniki(const StanPojemnikow& s) {
  Rekordy w;
  for (size_t i = 0; i < s.pojemniki.size(); ++i) {
    if (s.pojemniki[i] == Pojemnik{}) continue;
    Bajty nazwa = s.pojemniki[i].nazwa;
    while (!nazwa.empty() && nazwa.back() == ' ') nazwa.pop_back();
    w.push_back({std::to_string(i + 1), PoleTekstu(nazwa), std::to_string(s.pojemniki[i].kaucja)});
  }
  return w;
}

bool CzytajPowiazanie(const Rekord& r, StanPojemnikow& s) {
  const auto towar = r.size() == 2 ? Liczba(r[0], 0xFFFF) : std::nullopt;
  const auto numer = towar ? Liczba(r[1], LiczbaPojemnikow) : std::nullopt;
  if (!numer || *towar == 0 || *numer == 0) return false;
  s.powiazania[static_cast<uint16_t>(*towar)] = static_cast<uint8_t>(*numer);
  return true;
}

Rekordy PiszPowiazania(const StanPojemnikow& s) {
  Rekordy w;
  for (const auto& [towar, numer] : s.powiazania) w.push_back({std::to_string(towar), std::to_string(numer)});
  return w;
}

const KluczStanu<StanPojemnikow> Klucze[] = {
    {"pojemnik", "a container number 1 to 64, a name of at most 19 characters and a value 0 to 65535", CzytajPojemnik,
     PiszPojemniki},
    {"pojemnik_towaru", "a goods number 1 to 65535 and a container number 1 to 64", CzytajPowiazanie, PiszPowiazania},
};

}  // namespace

bool PojemnikiZPliku(const PlikDanych& plik, StanPojemnikow& stan, std::string& blad) {
  return CzytajKlucze(Klucze, plik, stan, blad);
}

void PojemnikiDoPliku(const StanPojemnikow& stan, const StanPojemnikow& wczytany, PlikDanych& plik) {
  PiszKlucze(Klucze, stan, wczytany, plik);
}

}  // namespace sim
