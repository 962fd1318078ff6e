#include "common/data_file.h"

#include <fstream>
#include <sstream>

#include "common/bytes.h"

namespace sim {

std::string WierszDanych(const PlikDanych::Rekord& pola) {
  std::string tekst = "$";
  for (size_t i = 0; i < pola.size(); ++i) {
    if (i) tekst += '\t';
    tekst += pola[i];
  }
  return tekst;
}

std::optional<PlikDanych> PlikDanych::ZTekstu(std::string_view tekst, std::string& blad) {
  PlikDanych plik;
  const size_t pierwszyKoniec = tekst.find('\n');
  plik.koniecLinii_ = (pierwszyKoniec != std::string_view::npos && pierwszyKoniec > 0 &&
                       tekst[pierwszyKoniec - 1] == '\r') || pierwszyKoniec == std::string_view::npos
                          ? "\r\n"
                          : "\n";
  size_t numer = 0;
  while (!tekst.empty()) {
    ++numer;
    size_t koniec = tekst.find('\n');
    std::string_view linia = tekst.substr(0, koniec);
    tekst.remove_prefix(koniec == std::string_view::npos ? tekst.size() : koniec + 1);
    if (!linia.empty() && linia.back() == '\r') linia.remove_suffix(1);
    Wiersz w;
    w.tekst = std::string(linia);
    if (linia.empty() || linia[0] == ';' || linia[0] == '#') {
      plik.wiersze_.push_back(std::move(w));
      continue;
    }
    if (linia[0] != '$') {
      blad = "line " + std::to_string(numer) + " is neither a \"$\" data line nor a \";\" comment";
      return std::nullopt;
    }
    w.dane = true;
    w.pola = Podziel(linia.substr(1), '\t');
    plik.wiersze_.push_back(std::move(w));
  }
  return plik;
}

std::optional<PlikDanych> PlikDanych::Wczytaj(const std::string& sciezka, std::string& blad) {
  std::ifstream wejscie(sciezka, std::ios::binary);
  if (!wejscie) {
    blad = "cannot open " + sciezka;
    return std::nullopt;
  }
  std::ostringstream tresc;
  tresc << wejscie.rdbuf();
  auto plik = ZTekstu(tresc.str(), blad);
  if (!plik) blad = sciezka + ": " + blad;
  return plik;
}

std::string PlikDanych::Tekst() const {
  std::string tekst;
  for (const Wiersz& w : wiersze_) tekst += w.tekst + koniecLinii_;
  return tekst;
}

bool PlikDanych::Zapisz(const std::string& sciezka, std::string& blad) const {
  // Written beside the file and renamed over it, so a reader never sees half a state.
  const std::string tymczasowy = sciezka + ".tmp";
  {
    std::ofstream wyjscie(tymczasowy, std::ios::binary | std::ios::trunc);
    wyjscie << Tekst();
    if (!wyjscie.flush()) {
      blad = "cannot write " + tymczasowy;
      return false;
    }
  }
  if (std::rename(tymczasowy.c_str(), sciezka.c_str()) != 0) {
    blad = "cannot replace " + sciezka;
    return false;
  }
  return true;
}

std::optional<PlikDanych::Rekord> PlikDanych::Pierwszy(std::string_view klucz) const {
  for (const Wiersz& w : wiersze_)
    if (w.dane && !w.pola.empty() && w.pola[0] == klucz) return Rekord(w.pola.begin() + 1, w.pola.end());
  return std::nullopt;
}

std::vector<PlikDanych::Rekord> PlikDanych::Wszystkie(std::string_view klucz) const {
  std::vector<Rekord> wynik;
  for (const Wiersz& w : wiersze_)
    if (w.dane && !w.pola.empty() && w.pola[0] == klucz) wynik.emplace_back(w.pola.begin() + 1, w.pola.end());
  return wynik;
}

std::vector<PlikDanych::Rekord> PlikDanych::Rekordy() const {
  std::vector<Rekord> wynik;
  for (const Wiersz& w : wiersze_)
    if (w.dane) wynik.push_back(w.pola);
  return wynik;
}

void PlikDanych::Ustaw(std::string_view klucz, const Rekord& pola) { UstawWszystkie(klucz, {pola}); }

void PlikDanych::UstawWszystkie(std::string_view klucz, const std::vector<Rekord>& rekordy) {
  std::vector<Wiersz> nowe;
  for (const Rekord& r : rekordy) {
    Wiersz w;
    w.dane = true;
    w.pola.push_back(std::string(klucz));
    w.pola.insert(w.pola.end(), r.begin(), r.end());
    w.tekst = WierszDanych(w.pola);
    nowe.push_back(std::move(w));
  }
  std::vector<Wiersz> wynik;
  bool wstawione = false;
  for (Wiersz& w : wiersze_) {
    if (w.dane && !w.pola.empty() && w.pola[0] == klucz) {
      if (!wstawione) wynik.insert(wynik.end(), nowe.begin(), nowe.end());
      wstawione = true;
      continue;
    }
    wynik.push_back(std::move(w));
  }
  if (!wstawione) wynik.insert(wynik.end(), nowe.begin(), nowe.end());
  wiersze_ = std::move(wynik);
  zmieniony_ = true;
}

}  // namespace sim
