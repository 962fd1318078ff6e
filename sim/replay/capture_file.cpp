#include "replay/capture_file.h"

#include <cctype>
#include <fstream>
#include <regex>

namespace sim {
namespace {

constexpr std::string_view DO_URZADZENIA = "driver -> ";
constexpr std::string_view OD_URZADZENIA = "driver <- ";
constexpr int64_t DOBA_MS = 24LL * 3600 * 1000;

// "HH:MM:SS.mmm  " at the start of a line.
std::optional<int64_t> Czas(const std::string& linia) {
  constexpr std::string_view WZOR = "00:00:00.000  ";
  if (linia.size() < WZOR.size()) return std::nullopt;
  int64_t liczby[4] = {0, 0, 0, 0};
  int k = 0;
  for (size_t i = 0; i < WZOR.size(); ++i) {
    const char c = linia[i];
    if (WZOR[i] == '0') {
      if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
      liczby[k] = liczby[k] * 10 + (c - '0');
    } else if (c != WZOR[i]) {
      return std::nullopt;
    } else if (c != ' ') {
      ++k;
    }
  }
  return ((liczby[0] * 60 + liczby[1]) * 60 + liczby[2]) * 1000 + liczby[3];
}

bool BajtSzesnastkowy(std::string_view t) {
  return t.size() == 2 && std::isxdigit(static_cast<unsigned char>(t[0])) &&
         std::isxdigit(static_cast<unsigned char>(t[1]));
}

constexpr size_t KOLUMNA_BAJTOW = 20;  // "driver -> NAME" is padded to it

// The hexadecimal bytes between the name of the far end and "  |": from the
// column where they start when the name is short, else the longest run of
// two-digit tokens that ends where the text part begins.
std::optional<Bajty> BajtyLinii(std::string_view tresc) {
  const size_t tekst = tresc.find("  |");
  if (tekst == std::string_view::npos) return std::nullopt;
  std::vector<std::string_view> slowa;
  const bool wKolumnie = tekst > KOLUMNA_BAJTOW && tresc[KOLUMNA_BAJTOW - 1] == ' ' && tresc[KOLUMNA_BAJTOW] != ' ';
  size_t i = 0;
  std::string_view przed = tresc.substr(0, tekst);
  if (wKolumnie) {
    przed = przed.substr(KOLUMNA_BAJTOW);
    slowa.push_back("");  // the far end's name
  }
  while (i < przed.size()) {
    while (i < przed.size() && przed[i] == ' ') ++i;
    const size_t start = i;
    while (i < przed.size() && przed[i] != ' ') ++i;
    if (i > start) slowa.push_back(przed.substr(start, i - start));
  }
  // The first word names the far end; hex bytes are the tail after it.
  size_t od = slowa.size();
  while (od > 1 && BajtSzesnastkowy(slowa[od - 1])) --od;
  if (od == slowa.size()) return std::nullopt;
  Bajty bajty;
  for (size_t k = od; k < slowa.size(); ++k) bajty.push_back(static_cast<uint8_t>(std::stoi(std::string(slowa[k]), nullptr, 16)));
  return bajty;
}

// The simulator notes a late answer before the answer's line ("late=2500",
// "answers 2500 ms late"); the pause belongs to that answer.
int64_t SpoznienieZdarzenia(const std::string& tekst) {
  static const std::regex wzor(R"((?:late2?=|answers )(\d+)(?: ms late)?)");
  std::smatch m;
  if (tekst.find("late") == std::string::npos || !std::regex_search(tekst, m, wzor)) return 0;
  return std::stoll(m[1].str());
}

}  // namespace

std::optional<std::vector<WpisNagrania>> RozbiorNagrania(std::istream& wejscie, std::string& blad) {
  std::vector<WpisNagrania> wpisy;
  std::string linia;
  int numer = 0;
  bool nowyPrzebieg = true;
  int64_t poprzedni = -1, spoznienie = 0;
  while (std::getline(wejscie, linia)) {
    ++numer;
    if (!linia.empty() && linia.back() == '\r') linia.pop_back();
    if (linia.empty()) continue;
    if (linia[0] == '#') {
      if (linia.rfind("# karvo wire capture", 0) == 0) nowyPrzebieg = true, poprzedni = -1;
      continue;
    }
    const auto czas = Czas(linia);
    if (!czas) {
      blad = "line " + std::to_string(numer) + " is not a capture line: " + linia;
      return std::nullopt;
    }
    const std::string tresc = linia.substr(14);
    const bool wyslane = tresc.rfind(DO_URZADZENIA, 0) == 0;
    if (!wyslane && tresc.rfind(OD_URZADZENIA, 0) != 0) {
      spoznienie += SpoznienieZdarzenia(tresc);
      continue;
    }
    // The port server's datagrams travel beside the line, not on it.
    if (tresc.find("portsrv") == DO_URZADZENIA.size()) continue;
    auto bajty = BajtyLinii(tresc);
    if (!bajty) {
      blad = "line " + std::to_string(numer) + " holds no bytes: " + linia;
      return std::nullopt;
    }
    WpisNagrania w;
    w.odKierowcy = wyslane;
    w.bajty = std::move(*bajty);
    w.czasMs = *czas;
    if (poprzedni >= 0) w.opoznienieMs = (*czas - poprzedni + DOBA_MS) % DOBA_MS;  // a log may pass midnight
    if (!wyslane) w.opoznienieMs += spoznienie, spoznienie = 0;
    w.poczatekPrzebiegu = nowyPrzebieg;
    w.wiersz = numer;
    w.tekst = linia;
    nowyPrzebieg = false;
    poprzedni = *czas;
    wpisy.push_back(std::move(w));
  }
  return wpisy;
}

std::optional<std::vector<WpisNagrania>> WczytajNagranie(const std::string& sciezka, std::string& blad) {
  std::ifstream plik(sciezka, std::ios::binary);
  if (!plik) {
    blad = "cannot read the capture " + sciezka;
    return std::nullopt;
  }
  auto wpisy = RozbiorNagrania(plik, blad);
  if (wpisy && wpisy->empty()) {
    blad = "the capture " + sciezka + " holds no bytes";
    return std::nullopt;
  }
  if (!wpisy) blad = sciezka + ": " + blad;
  return wpisy;
}

}  // namespace sim
