#include "device/faults.h"

#include <fstream>

#include "device/requests.h"

namespace sim {
namespace {

struct OpisRodzaju {
  const char* nazwa;
  RodzajUsterki rodzaj;
  enum { Brak, Liczba_, LiczbaOpcjonalna, Bajt_, ListaBajtow_, PoleIBajt } argument;
};

const OpisRodzaju Rodzaje[] = {
    {"silent", RodzajUsterki::Cisza, OpisRodzaju::Brak},
    {"refuse", RodzajUsterki::Odmowa, OpisRodzaju::Brak},
    {"ack", RodzajUsterki::Potwierdzenie, OpisRodzaju::Bajt_},
    {"garbage", RodzajUsterki::Smieci, OpisRodzaju::LiczbaOpcjonalna},
    {"raw", RodzajUsterki::Surowe, OpisRodzaju::ListaBajtow_},
    {"late", RodzajUsterki::Opoznienie, OpisRodzaju::Liczba_},
    {"cut", RodzajUsterki::Ciecie, OpisRodzaju::Liczba_},
    {"hold", RodzajUsterki::Wstrzymanie, OpisRodzaju::Liczba_},
    {"linerror", RodzajUsterki::BladRamki, OpisRodzaju::Liczba_},
    {"break", RodzajUsterki::Przerwa, OpisRodzaju::Liczba_},
    {"eor", RodzajUsterki::KoniecRekordow, OpisRodzaju::Liczba_},
    {"silent2", RodzajUsterki::Cisza2, OpisRodzaju::Brak},
    {"garbage2", RodzajUsterki::Smieci2, OpisRodzaju::LiczbaOpcjonalna},
    {"raw2", RodzajUsterki::Surowe2, OpisRodzaju::ListaBajtow_},
    {"late2", RodzajUsterki::Opoznienie2, OpisRodzaju::Liczba_},
    {"status", RodzajUsterki::Status, OpisRodzaju::ListaBajtow_},
    {"pad", RodzajUsterki::Dopelnienie, OpisRodzaju::Liczba_},
    {"check", RodzajUsterki::ZlaSumaStrumienia, OpisRodzaju::Liczba_},
    {"badcheck", RodzajUsterki::ZlaSuma, OpisRodzaju::Brak},
    {"stored", RodzajUsterki::Zapisane, OpisRodzaju::PoleIBajt},
};

// In the order of PoleTowaru.
const char* const PolaTowaru[] = {"stawka", "grupa", "atrybut", "jednostka", "znacznik1", "znacznik2"};

// "FIELD,V": the field's index into liczba, the value into bajty.
bool CzytajPoleIBajt(std::string_view argument, Usterka& u) {
  const size_t przecinek = argument.find(',');
  if (przecinek == std::string_view::npos) return false;
  const auto wartosc = Liczba(argument.substr(przecinek + 1), 0xFF);
  for (uint32_t i = 0; i < std::size(PolaTowaru); ++i) {
    if (argument.substr(0, przecinek) != PolaTowaru[i] || !wartosc) continue;
    u.liczba = i;
    u.bajty = {static_cast<uint8_t>(*wartosc)};
    return true;
  }
  return false;
}

bool CzytajOpcje(std::string_view opcja, Usterka& u, std::string& blad) {
  const size_t rowne = opcja.find('=');
  const std::string_view nazwa = opcja.substr(0, rowne);
  const std::string_view wartosc = rowne == std::string_view::npos ? std::string_view{} : opcja.substr(rowne + 1);
  if (nazwa == "n") {
    if (CzytajWystapienia(wartosc, u.od, u.doWystapienia)) return true;
    blad = "n= takes N, N-M or N+ (from 1)";
    return false;
  }
  if (nazwa == "towar") {
    if (CzytajWystapienia(wartosc, u.towarOd, u.towarDo)) return true;
    blad = "towar= takes N, N-M or N+ (goods numbers from 1)";
    return false;
  }
  if (nazwa == "reg") {
    const auto a = Liczba(wartosc, 8);
    if (a && *a >= 1) return u.adres = static_cast<int>(*a), true;
    blad = "reg= takes an address 1 to 8";
    return false;
  }
  if (nazwa.size() >= 2 && nazwa[0] == 'p') {
    const auto k = Liczba(nazwa.substr(1), 255);
    const auto v = Liczba(wartosc, 0xFF);
    if (k && v) {
      u.bajtParametru = static_cast<int>(*k);
      u.wartoscParametru = static_cast<uint8_t>(*v);
      return true;
    }
  }
  blad = "unknown option \"" + std::string(opcja) + "\" (n=, pK=, reg=, towar=)";
  return false;
}

bool CzytajRodzaj(std::string_view tekst, Usterka& u, std::string& blad) {
  const size_t rowne = tekst.find('=');
  const std::string_view nazwa = tekst.substr(0, rowne);
  const bool maArgument = rowne != std::string_view::npos;
  const std::string_view argument = maArgument ? tekst.substr(rowne + 1) : std::string_view{};
  for (const OpisRodzaju& r : Rodzaje) {
    if (nazwa != r.nazwa) continue;
    u.rodzaj = r.rodzaj;
    bool dobry = true;
    switch (r.argument) {
      case OpisRodzaju::Brak: dobry = !maArgument; break;
      case OpisRodzaju::LiczbaOpcjonalna:
        if (!maArgument) break;
        [[fallthrough]];
      case OpisRodzaju::Liczba_: {
        const auto n = Liczba(argument);
        dobry = n.has_value();
        if (dobry) u.liczba = *n;
        break;
      }
      case OpisRodzaju::Bajt_: {
        const auto b = Liczba(argument, 0xFF);
        dobry = b.has_value();
        if (dobry) u.bajty = {static_cast<uint8_t>(*b)};
        break;
      }
      case OpisRodzaju::ListaBajtow_: {
        const auto lista = ListaBajtow(argument);
        dobry = lista && !lista->empty();
        if (dobry) u.bajty = *lista;
        break;
      }
      case OpisRodzaju::PoleIBajt: dobry = CzytajPoleIBajt(argument, u); break;
    }
    if (!dobry) {
      blad = "bad argument for " + std::string(r.nazwa);
      return false;
    }
    if (u.rodzaj == RodzajUsterki::Status && u.bajty.size() == 1 && u.bajty[0] == 0x7A) u.bajty = {0x7A, 0, 0};
    return true;
  }
  blad = "unknown fault kind \"" + std::string(nazwa) + "\"";
  return false;
}

}  // namespace

bool CzytajWystapienia(std::string_view tekst, uint32_t& od, uint32_t& doWystapienia) {
  if (tekst.empty()) return false;
  if (tekst.back() == '+') {
    const auto n = Liczba(tekst.substr(0, tekst.size() - 1));
    if (!n || *n == 0) return false;
    od = *n;
    doWystapienia = UINT32_MAX;
    return true;
  }
  const size_t kreska = tekst.find('-');
  const auto n = Liczba(tekst.substr(0, kreska));
  const auto m = kreska == std::string_view::npos ? n : Liczba(tekst.substr(kreska + 1));
  if (!n || !m || *n == 0 || *m < *n) return false;
  od = *n;
  doWystapienia = *m;
  return true;
}

bool Usterka::DrugaFaza() const {
  switch (rodzaj) {
    case RodzajUsterki::Cisza2:
    case RodzajUsterki::Smieci2:
    case RodzajUsterki::Surowe2:
    case RodzajUsterki::Opoznienie2:
    case RodzajUsterki::Status:
    case RodzajUsterki::Dopelnienie:
    case RodzajUsterki::ZlaSumaStrumienia: return true;
    case RodzajUsterki::ZlaSuma:
    case RodzajUsterki::Zapisane: return true;
    case RodzajUsterki::KoniecRekordow: return bajtParametru >= 0 || towarOd != 0;
    default: return false;
  }
}

bool Usterka::Pasuje(uint8_t adresKasy, uint8_t kodRozkazu, uint32_t wystapienie) const {
  return (kod < 0 || kod == kodRozkazu) && (adres < 0 || adres == adresKasy) && wystapienie >= od &&
         wystapienie <= doWystapienia;
}

bool Usterka::PasujeParametr(std::span<const uint8_t> parametry) const {
  if (towarOd != 0) {
    if (parametry.size() < 2) return false;
    const uint32_t numer = parametry[0] | (parametry[1] << 8);
    if (numer < towarOd || numer > towarDo) return false;
  }
  if (bajtParametru < 0) return true;
  return static_cast<size_t>(bajtParametru) < parametry.size() && parametry[bajtParametru] == wartoscParametru;
}

std::optional<Usterka> CzytajUsterke(std::string_view zapis, std::string& blad) {
  Usterka u;
  u.zapis = std::string(zapis);
  const size_t dwukropek = zapis.find(':');
  if (dwukropek == std::string_view::npos) {
    blad = "a fault is CODE[,OPTION...]:KIND[=ARGUMENT]";
    return std::nullopt;
  }
  const std::vector<std::string> cel = Podziel(zapis.substr(0, dwukropek), ',');
  if (cel[0] != "*") {
    const auto kod = Liczba(cel[0], 0xFF);
    if (!kod) {
      blad = "the request code must be a byte number or *";
      return std::nullopt;
    }
    u.kod = static_cast<int>(*kod);
  }
  for (size_t i = 1; i < cel.size(); ++i)
    if (!CzytajOpcje(cel[i], u, blad)) return std::nullopt;
  if (!CzytajRodzaj(zapis.substr(dwukropek + 1), u, blad)) return std::nullopt;
  if ((u.bajtParametru >= 0 || u.towarOd != 0) && !u.DrugaFaza()) {
    blad = "a parameter or goods condition needs a kind that acts after the parameters (status, silent2, ..., eor)";
    return std::nullopt;
  }
  if (u.rodzaj == RodzajUsterki::KoniecRekordow && u.kod >= 0) {
    const Rozkaz* r = ZnajdzRozkaz(static_cast<uint8_t>(u.kod));
    if (!r || !r->rekordy) {
      blad = "request " + std::string(cel[0]) + " reads no numbered records";
      return std::nullopt;
    }
  }
  if (u.rodzaj == RodzajUsterki::ZlaSumaStrumienia && u.kod >= 0) {
    const Rozkaz* r = ZnajdzRozkaz(static_cast<uint8_t>(u.kod));
    if (!r || !r->sumy || u.liczba == 0) {
      blad = "check= needs a request whose records carry check bytes, and a record from 1";
      return std::nullopt;
    }
  }
  return u;
}

bool WczytajUsterki(const std::string& sciezka, std::vector<Usterka>& usterki, std::string& blad) {
  std::ifstream plik(sciezka, std::ios::binary);
  if (!plik) {
    blad = "cannot open " + sciezka;
    return false;
  }
  std::string linia;
  for (size_t numer = 1; std::getline(plik, linia); ++numer) {
    if (!linia.empty() && linia.back() == '\r') linia.pop_back();
    std::string_view tekst = linia;
    while (!tekst.empty() && (tekst.front() == ' ' || tekst.front() == '\t')) tekst.remove_prefix(1);
    while (!tekst.empty() && (tekst.back() == ' ' || tekst.back() == '\t')) tekst.remove_suffix(1);
    if (tekst.empty() || tekst[0] == ';') continue;
    if (tekst[0] == '$') tekst.remove_prefix(1);
    auto u = CzytajUsterke(tekst, blad);
    if (!u) {
      blad = sciezka + " line " + std::to_string(numer) + ": " + blad;
      return false;
    }
    usterki.push_back(std::move(*u));
  }
  return true;
}

}  // namespace sim
