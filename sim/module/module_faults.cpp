#include "module/module_faults.h"

#include "common/bytes.h"
#include "device/faults.h"

namespace sim {
namespace {

struct OpisRodzaju {
  const char* nazwa;
  RodzajUsterkiModulu rodzaj;
  enum { Brak, Liczba_, LiczbaOpcjonalna } argument;
  uint32_t domyslna;
  uint32_t maksimum;
};

const OpisRodzaju Rodzaje[] = {
    {"silent", RodzajUsterkiModulu::Cisza, OpisRodzaju::Brak, 0, 0},
    {"crc", RodzajUsterkiModulu::Crc, OpisRodzaju::Brak, 0, 0},
    {"garbage", RodzajUsterkiModulu::Smieci, OpisRodzaju::LiczbaOpcjonalna, 8, 1024},
    {"cut", RodzajUsterkiModulu::Ciecie, OpisRodzaju::Liczba_, 0, 260},
    {"late", RodzajUsterkiModulu::Opoznienie, OpisRodzaju::Liczba_, 0, 600'000},
    {"control", RodzajUsterkiModulu::Sterujacy, OpisRodzaju::Liczba_, 0, 0xFF},
    {"split", RodzajUsterkiModulu::Podzial, OpisRodzaju::Liczba_, 0, 219},
};

bool CzytajRamke(std::string_view tekst, UsterkaModulu& u, std::string& blad) {
  if (tekst == "*") return true;
  if (tekst.starts_with("ctl")) {
    u.sterujaca = true;
    const std::string_view typ = tekst.substr(3);
    if (typ == "*") return true;
    const auto t = Liczba(typ, 0xFF);
    if (t) return u.kod = static_cast<int>(*t), true;
    blad = "ctl takes a control type or *";
    return false;
  }
  const auto kod = Liczba(tekst, 0xFF);
  if (kod) return u.kod = static_cast<int>(*kod), true;
  blad = "the frame is *, a request code or ctlT";
  return false;
}

bool CzytajOpcje(std::string_view opcja, UsterkaModulu& u, std::string& blad) {
  if (opcja.starts_with("n=")) {
    if (CzytajWystapienia(opcja.substr(2), u.od, u.doWystapienia)) return true;
    blad = "n= takes N, N-M or N+ (from 1)";
    return false;
  }
  if (opcja.starts_with("reg=")) {
    const auto a = Liczba(opcja.substr(4), 8);
    if (a && *a >= 1) return u.adres = static_cast<int>(*a), true;
    blad = "reg= takes an address 1 to 8";
    return false;
  }
  blad = "unknown option \"" + std::string(opcja) + "\" (n=, reg=)";
  return false;
}

bool CzytajRodzaj(std::string_view tekst, UsterkaModulu& u, std::string& blad) {
  const size_t rowne = tekst.find('=');
  const std::string_view nazwa = tekst.substr(0, rowne);
  const bool maArgument = rowne != std::string_view::npos;
  for (const OpisRodzaju& r : Rodzaje) {
    if (nazwa != r.nazwa) continue;
    u.rodzaj = r.rodzaj;
    u.liczba = r.domyslna;
    bool dobry = r.argument == OpisRodzaju::Brak ? !maArgument : (maArgument || r.argument == OpisRodzaju::LiczbaOpcjonalna);
    if (dobry && maArgument) {
      const auto n = Liczba(tekst.substr(rowne + 1), r.maksimum);
      dobry = n.has_value();
      if (dobry) u.liczba = *n;
    }
    if (!dobry) blad = "bad argument for " + std::string(r.nazwa);
    return dobry;
  }
  blad = "unknown module fault kind \"" + std::string(nazwa) + "\"";
  return false;
}

}  // namespace

bool UsterkaModulu::Pasuje(bool sterujacaRamka, uint8_t kodLubTyp, uint8_t adresKasy, uint32_t wystapienie) const {
  return sterujaca == sterujacaRamka && (kod < 0 || kod == kodLubTyp) && (adres < 0 || adres == adresKasy) &&
         wystapienie >= od && wystapienie <= doWystapienia;
}

std::optional<UsterkaModulu> CzytajUsterkeModulu(std::string_view zapis, std::string& blad) {
  UsterkaModulu u;
  u.zapis = std::string(zapis);
  const size_t dwukropek = zapis.find(':');
  if (dwukropek == std::string_view::npos) {
    blad = "a module fault is FRAME[,OPTION...]:KIND[=ARGUMENT]";
    return std::nullopt;
  }
  const std::vector<std::string> cel = Podziel(zapis.substr(0, dwukropek), ',');
  if (!CzytajRamke(cel[0], u, blad)) return std::nullopt;
  for (size_t i = 1; i < cel.size(); ++i)
    if (!CzytajOpcje(cel[i], u, blad)) return std::nullopt;
  if (!CzytajRodzaj(zapis.substr(dwukropek + 1), u, blad)) return std::nullopt;
  return u;
}

}  // namespace sim
