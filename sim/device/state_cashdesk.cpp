#include "device/state_cashdesk.h"

#include "device/families.h"

namespace sim {
namespace {

using Rekord = PlikDanych::Rekord;

constexpr uint8_t ZnacznikRezerwyDrugiej = 0x80;
constexpr uint8_t ZnacznikRezerwyPierwszej = 0xFF;
constexpr uint8_t ZnacznikZwolnionej = 0x40;
constexpr uint16_t NajwyzszaStawka = 9999;  // 99.99 %

StawkaPodatku Procent(uint16_t setne) { return {StawkaPodatku::Rodzaj::Procent, setne, {}}; }

std::vector<StawkaPodatku> DomyslnePodatki(uint8_t typ) {
  std::vector<StawkaPodatku> p = {Procent(2300), Procent(800), Procent(500), Procent(0)};
  if (DrugaGeneracja(typ) && !Norda(typ)) p.push_back({StawkaPodatku::Rodzaj::Zwolniona, 0, {}});
  p.resize(LiczbaStawek(typ));
  if (Norda(typ)) {
    const char* znaki[] = {"A23", "B08", "C05", "D00", "E--"};
    for (size_t i = 0; i < p.size(); ++i) p[i].znaki = znaki[i];
  }
  return p;
}

// "23.00", "8", "0.5": at most two decimals, at most 99.99.
std::optional<uint16_t> Setne(const std::string& tekst) {
  const size_t kropka = tekst.find('.');
  const std::string calosc = tekst.substr(0, kropka);
  std::string ulamek = kropka == std::string::npos ? "" : tekst.substr(kropka + 1);
  if (ulamek.size() > 2 || (kropka != std::string::npos && ulamek.empty())) return std::nullopt;
  ulamek.resize(2, '0');
  const auto c = Liczba(calosc, 99);
  const auto u = Liczba(ulamek, 99);
  if (!c || !u) return std::nullopt;
  return static_cast<uint16_t>(*c * 100 + *u);
}

bool CzytajPodatki(const Rekord& r, uint8_t typ, std::vector<StawkaPodatku>& p) {
  if (r.size() > p.size()) return false;
  for (size_t i = 0; i < p.size(); ++i) {
    const std::string pole = i < r.size() ? r[i] : "-";
    if (pole == "-" || pole.empty()) {
      p[i].rodzaj = StawkaPodatku::Rodzaj::Rezerwa;
    } else if (pole == "zw") {
      if (!DrugaGeneracja(typ) || Norda(typ)) return false;
      p[i].rodzaj = StawkaPodatku::Rodzaj::Zwolniona;
    } else {
      const auto s = Setne(pole);
      if (!s || *s > NajwyzszaStawka) return false;
      p[i].rodzaj = StawkaPodatku::Rodzaj::Procent;
      p[i].setne = *s;
    }
  }
  return true;
}

bool Licznik(const PlikDanych& plik, const char* klucz, uint16_t& cel, std::string& blad) {
  const auto r = plik.Pierwszy(klucz);
  if (!r) return true;
  const auto w = r->empty() ? std::nullopt : Liczba((*r)[0], 0xFFFF);
  if (!w) {
    blad = std::string("\"$") + klucz + "\" must hold a number 0 to 65535";
    return false;
  }
  cel = static_cast<uint16_t>(*w);
  return true;
}

}  // namespace

size_t LiczbaStawek(uint8_t typ) {
  if (Norda(typ)) return 5;
  return DrugaGeneracja(typ) ? 7 : 6;
}

bool KasowyZPliku(const PlikDanych& plik, uint8_t typ, StanKasowy& stan, std::string& blad) {
  if (!Licznik(plik, "nr_raportu", stan.numerRaportu, blad) || !Licznik(plik, "nr_paragonu", stan.numerParagonu, blad))
    return false;
  stan.podatki = DomyslnePodatki(typ);
  if (const auto r = plik.Pierwszy("podatki"); r && !CzytajPodatki(*r, typ, stan.podatki)) {
    blad = "\"$podatki\" must hold up to " + std::to_string(stan.podatki.size()) +
           " rates: percentages 0 to 99.99, \"-\" (reserve) or \"zw\" (exempt, second generation)";
    return false;
  }
  if (const auto r = plik.Pierwszy("podatki_znaki")) {
    if (!Norda(typ) || r->size() > stan.podatki.size()) {
      blad = "\"$podatki_znaki\": only the Norda registers, one text a rate";
      return false;
    }
    for (size_t i = 0; i < r->size(); ++i) stan.podatki[i].znaki = (*r)[i].substr(0, 3);
  }
  return true;
}

Bajty TablicaPodatkow(const StanKasowy& stan, uint8_t typ) {
  const uint8_t rezerwa = DrugaGeneracja(typ) ? ZnacznikRezerwyDrugiej : ZnacznikRezerwyPierwszej;
  Bajty wynik;
  for (const StawkaPodatku& s : stan.podatki) {
    switch (s.rodzaj) {
      case StawkaPodatku::Rodzaj::Procent:
        wynik.push_back(static_cast<uint8_t>(s.setne >> 8));
        wynik.push_back(static_cast<uint8_t>(s.setne & 0xFF));
        break;
      case StawkaPodatku::Rodzaj::Rezerwa: wynik.insert(wynik.end(), {rezerwa, 0}); break;
      case StawkaPodatku::Rodzaj::Zwolniona: wynik.insert(wynik.end(), {ZnacznikZwolnionej, 0}); break;
    }
  }
  if (Norda(typ))
    for (const StawkaPodatku& s : stan.podatki) {
      std::string z = s.znaki;
      z.resize(3, '\0');
      wynik.insert(wynik.end(), z.begin(), z.end());
    }
  return wynik;
}

}  // namespace sim
