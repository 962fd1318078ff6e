// The keys of a part of the state file read record by record: each key says
// how one of its records is read into the part's state and how the state
// gives all its records back, so that only the keys whose records changed
// are written back.
#pragma once

#include <string>
#include <vector>

#include "common/data_file.h"

namespace sim {

template <typename Stan>
struct KluczStanu {
  const char* klucz;
  const char* oczekiwane;  // what a valid record looks like, for the error message
  bool (*czytaj)(const PlikDanych::Rekord&, Stan&);
  std::vector<PlikDanych::Rekord> (*pisz)(const Stan&);
};

// Every record of every key, in the order of the keys; false (with the reason) on a bad one.
template <typename Stan, size_t N>
bool CzytajKlucze(const KluczStanu<Stan> (&klucze)[N], const PlikDanych& plik, Stan& stan, std::string& blad) {
  for (const KluczStanu<Stan>& k : klucze) {
    for (const PlikDanych::Rekord& r : plik.Wszystkie(k.klucz)) {
      if (k.czytaj(r, stan)) continue;
      blad = std::string("\"$") + k.klucz + "\" must hold " + k.oczekiwane;
      return false;
    }
  }
  return true;
}

template <typename Stan, size_t N>
void PiszKlucze(const KluczStanu<Stan> (&klucze)[N], const Stan& stan, const Stan& wczytany, PlikDanych& plik) {
  for (const KluczStanu<Stan>& k : klucze) {
    const auto nowe = k.pisz(stan);
    if (nowe != k.pisz(wczytany)) plik.UstawWszystkie(k.klucz, nowe);
  }
}

}  // namespace sim
