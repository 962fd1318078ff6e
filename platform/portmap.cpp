#include "platform/portmap.h"

#include <cctype>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <vector>

namespace platforma {
namespace {

std::string Przyciety(const std::string& tekst) {
  const auto poczatek = tekst.find_first_not_of(" \r");
  if (poczatek == std::string::npos) return {};
  const auto koniec = tekst.find_last_not_of(" \r");
  return tekst.substr(poczatek, koniec - poczatek + 1);
}

// A decimal number of 1..maxCyfr digits not above maksimum.
std::optional<unsigned> Liczba(const std::string& tekst, std::size_t maxCyfr, unsigned maksimum) {
  if (tekst.empty() || tekst.size() > maxCyfr) return std::nullopt;
  unsigned wartosc = 0;
  for (char znak : tekst) {
    if (!std::isdigit(static_cast<unsigned char>(znak))) return std::nullopt;
    wartosc = wartosc * 10 + static_cast<unsigned>(znak - '0');
  }
  if (wartosc > maksimum) return std::nullopt;
  return wartosc;
}

// Four decimal octets; the canonical dotted form.
std::optional<std::string> AdresIPv4(const std::string& tekst) {
  std::vector<std::string> czesci;
  std::stringstream strumien(tekst);
  std::string czesc;
  while (std::getline(strumien, czesc, '.')) czesci.push_back(czesc);
  if (tekst.empty() || tekst.back() == '.' || czesci.size() != 4) return std::nullopt;
  std::string wynik;
  for (const auto& c : czesci) {
    const auto oktet = Liczba(c, 3, 255);
    if (!oktet) return std::nullopt;
    if (!wynik.empty()) wynik += '.';
    wynik += std::to_string(*oktet);
  }
  return wynik;
}

std::optional<uint8_t> NumerZPolaCOM(const std::string& pole) {
  if (pole.size() < 4) return std::nullopt;
  for (std::size_t i = 0; i < 3; ++i)
    if (std::toupper(static_cast<unsigned char>(pole[i])) != "COM"[i]) return std::nullopt;
  const auto numer = Liczba(pole.substr(3), 3, 255);
  if (!numer) return std::nullopt;
  return static_cast<uint8_t>(*numer);
}

// One line of the map: the port and its entry, or nothing with why the line
// is not usable (an empty why: a blank or comment line).
std::optional<std::pair<uint8_t, WpisMapyPortow>> PrzeczytanaLinia(std::string linia, std::string& dlaczego) {
  dlaczego.clear();
  if (const auto hash = linia.find('#'); hash != std::string::npos) linia.erase(hash);
  std::vector<std::string> pola;
  std::stringstream strumien(linia);
  std::string pole;
  while (std::getline(strumien, pole, '\t')) pola.push_back(Przyciety(pole));
  while (!pola.empty() && pola.back().empty()) pola.pop_back();
  if (pola.empty()) return std::nullopt;
  if (pola.size() < 2 || pola.size() > 3) {
    dlaczego = pola.size() < 2 ? "no target after the port (the fields are separated by a tab)"
                               : "more than three fields";
    return std::nullopt;
  }
  const auto numer = NumerZPolaCOM(pola[0]);
  if (!numer) {
    dlaczego = "\"" + pola[0] + "\" is not COM0 to COM255";
    return std::nullopt;
  }
  if (pola[1].empty()) {
    dlaczego = "the target is empty";
    return std::nullopt;
  }
  WpisMapyPortow wpis{pola[1], {}};
  if (pola.size() == 3) {
    const auto adres = AdresIPv4(pola[2]);
    if (!adres) {
      dlaczego = "\"" + pola[2] + "\" is not a dotted IPv4 address";
      return std::nullopt;
    }
    wpis.adresSerwera = *adres;
  }
  return std::make_pair(*numer, wpis);
}

// A malformed line is said once a run, however often the map is read.
void ZgloszenieZlejLinii(const std::string& plik, unsigned numer, const std::string& dlaczego) {
  static std::mutex straz;
  static std::set<std::pair<std::string, unsigned>> zgloszone;
  std::lock_guard<std::mutex> blokada(straz);
  if (!zgloszone.insert({plik, numer}).second) return;
  std::fprintf(stderr, "karvo: %s line %u: %s: the line is passed over\n", plik.c_str(), numer, dlaczego.c_str());
  std::fflush(stderr);
}

}  // namespace

std::string KatalogMapyPortow() {
  const char* katalog = std::getenv("KARVO_PLATFORM_DIR");
  if (katalog != nullptr && *katalog != '\0') return katalog;
  return "/etc/karvo";
}

std::optional<WpisMapyPortow> WpisPortu(uint8_t numer) {
  const std::string sciezka = KatalogMapyPortow() + "/ports.conf";
  std::ifstream plik(sciezka, std::ios::binary);
  std::optional<WpisMapyPortow> znaleziony;
  std::string linia, dlaczego;
  for (unsigned n = 1; std::getline(plik, linia); ++n) {
    const auto wpis = PrzeczytanaLinia(linia, dlaczego);
    if (!dlaczego.empty()) ZgloszenieZlejLinii(sciezka, n, dlaczego);
    if (wpis && wpis->first == numer) znaleziony = wpis->second;
  }
  return znaleziony;
}

std::string CelPortu(uint8_t numer) {
  if (const auto wpis = WpisPortu(numer)) return wpis->cel;
  if (numer == 0) return {};
  return "/dev/ttyS" + std::to_string(numer - 1);
}

std::string AdresSerweraPortu(uint8_t numer) {
  const auto wpis = WpisPortu(numer);
  return wpis ? wpis->adresSerwera : std::string();
}

std::optional<uint8_t> NumerPortuZNazwy(const std::string& nazwa) {
  const std::string przedrostek = "\\\\.\\";
  if (nazwa.compare(0, przedrostek.size(), przedrostek) == 0) return NumerZPolaCOM(nazwa.substr(przedrostek.size()));
  return NumerZPolaCOM(nazwa);
}

}  // namespace platforma
