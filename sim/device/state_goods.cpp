#include "device/state_goods.h"

#include "common/bytes.h"
#include "device/families.h"

namespace sim {
namespace {

constexpr const char* Klucz = "towar";
constexpr size_t PolaWymagane = 10;  // number, name and the eight values
constexpr size_t PolaNajwiecej = 12;

std::string ZakodowanaNazwa(const std::string& nazwa) {
  static const char Cyfry[] = "0123456789ABCDEF";
  std::string tekst;
  for (const char z : nazwa) {
    const auto b = static_cast<uint8_t>(z);
    if (b < 0x20 || b == '\\') {
      tekst += "\\x";
      tekst += Cyfry[b >> 4];
      tekst += Cyfry[b & 0xF];
    } else {
      tekst += z;
    }
  }
  return tekst;
}

std::optional<std::string> OdkodowanaNazwa(std::string_view tekst) {
  std::string nazwa;
  for (size_t i = 0; i < tekst.size(); ++i) {
    if (tekst[i] != '\\') {
      nazwa += tekst[i];
      continue;
    }
    const auto b = tekst.size() - i >= 4 && tekst[i + 1] == 'x' ? Liczba("0x" + std::string(tekst.substr(i + 2, 2)), 0xFF)
                                                                 : std::nullopt;
    if (!b) return std::nullopt;
    nazwa += static_cast<char>(*b);
    i += 3;
  }
  if (nazwa.size() > NajdluzszaNazwa) return std::nullopt;
  return nazwa;
}

// One "$towar" record (key left out); the reason of a refusal in blad.
bool CzytajTowar(const PlikDanych::Rekord& r, uint16_t& numer, Towar& t, std::string& blad) {
  if (r.size() < PolaWymagane || r.size() > PolaNajwiecej) {
    blad = "must hold 10 to 12 fields";
    return false;
  }
  const auto n = Liczba(r[0], 0xFFFF);
  if (!n || *n == 0) {
    blad = "the goods number must be 1 to 65535";
    return false;
  }
  numer = static_cast<uint16_t>(*n);
  const auto nazwa = OdkodowanaNazwa(r[1]);
  if (!nazwa) {
    blad = "the name must be at most 20 bytes (\\xHH for one byte)";
    return false;
  }
  t.nazwa = *nazwa;
  uint8_t* const bajty[] = {&t.stawka, &t.grupa, &t.atrybut, &t.jednostka, &t.znacznik1};
  for (size_t i = 0; i < std::size(bajty); ++i) {
    const auto b = Liczba(r[2 + i], 0xFF);
    if (!b) {
      blad = "field " + std::to_string(3 + i) + " must be a byte number";
      return false;
    }
    *bajty[i] = static_cast<uint8_t>(*b);
  }
  // The barcode may exceed 32 bits, beyond what Liczba reads.
  uint64_t kod = 0;
  bool dobryKod = !r[7].empty() && r[7].size() <= 15;
  for (const char z : r[7]) {
    dobryKod = dobryKod && z >= '0' && z <= '9';
    kod = kod * 10 + static_cast<uint64_t>(z - '0');
  }
  const auto cena = Liczba(r[8]);
  const auto z2 = Liczba(r[9], 0xFF);
  if (!dobryKod || kod > NajwiekszyKod || !cena || !z2) {
    blad = "the barcode must be a decimal below 2^48, the price a 32-bit number, the flag a byte";
    return false;
  }
  t.kod = kod;
  t.cena = *cena;
  t.znacznik2 = static_cast<uint8_t>(*z2);
  const auto blokada = r.size() > 10 ? Liczba(r[10], 0xFF) : std::optional<uint32_t>(0);
  const auto bajtNazwy = r.size() > 11 ? Liczba(r[11], 0xFF) : std::optional<uint32_t>(0);
  if (!blokada || !bajtNazwy) {
    blad = "the blocking byte and the name byte must be byte numbers";
    return false;
  }
  t.blokada = static_cast<uint8_t>(*blokada);
  t.znacznikNazwy = static_cast<uint8_t>(*bajtNazwy);
  return true;
}

}  // namespace

PlikDanych::Rekord RekordTowaru(uint16_t numer, const Towar& t) {
  PlikDanych::Rekord r{std::to_string(numer), ZakodowanaNazwa(t.nazwa), std::to_string(t.stawka),
                       std::to_string(t.grupa), std::to_string(t.atrybut), std::to_string(t.jednostka),
                       std::to_string(t.znacznik1), std::to_string(t.kod), std::to_string(t.cena),
                       std::to_string(t.znacznik2)};
  if (t.blokada || t.znacznikNazwy) r.push_back(std::to_string(t.blokada));
  if (t.znacznikNazwy) r.push_back(std::to_string(t.znacznikNazwy));
  return r;
}

bool TowaryZPliku(const PlikDanych& plik, uint32_t pojemnosc, Towary& towary, std::string& blad) {
  towary.clear();
  size_t ktory = 0;
  for (const PlikDanych::Rekord& r : plik.Wszystkie(Klucz)) {
    ++ktory;
    uint16_t numer = 0;
    Towar t;
    std::string powod;
    if (!CzytajTowar(r, numer, t, powod)) {
    } else if (numer > pojemnosc) {
      powod = "goods " + std::to_string(numer) + " lies beyond the capacity " + std::to_string(pojemnosc);
    } else if (!towary.emplace(numer, std::move(t)).second) {
      powod = "goods " + std::to_string(numer) + " is given twice";
    }
    if (!powod.empty()) {
      blad = "\"$towar\" line " + std::to_string(ktory) + ": " + powod;
      return false;
    }
  }
  return true;
}

void TowaryDoPliku(const Towary& towary, const Towary& wczytane, PlikDanych& plik) {
  if (towary == wczytane) return;
  std::vector<PlikDanych::Rekord> rekordy;
  rekordy.reserve(towary.size());
  for (const auto& [numer, t] : towary) rekordy.push_back(RekordTowaru(numer, t));
  plik.UstawWszystkie(Klucz, rekordy);
}

Towary WygenerowaneTowary(uint8_t typ, uint32_t ile) {
  const RodzinaTowarow rodzina = Rodzina(typ);
  const bool v = rodzina == RodzinaTowarow::V;
  const bool wm = rodzina == RodzinaTowarow::W || rodzina == RodzinaTowarow::M;
  // The register keeps the name as long as its write layout carries it.
  const size_t dlugoscNazwy = wm ? 20 : rodzina == RodzinaTowarow::S ? 19 : 18;
  Towary towary;
  for (uint32_t n = 1; n <= ile && n <= 0xFFFF; ++n) {
    Towar t;
    std::string numer = std::to_string(n);
    t.nazwa = "TOWAR " + std::string(5 - numer.size(), '0') + numer;
    t.nazwa.resize(dlugoscNazwy, ' ');
    if (!wm) {
      t.stawka = static_cast<uint8_t>(1 + n % 7);
      t.grupa = static_cast<uint8_t>(1 + n % (v ? 15 : 99));
    }
    if (!v && !wm) {
      t.atrybut = static_cast<uint8_t>(n % 4);
      t.znacznik1 = static_cast<uint8_t>(n % 2);
      t.znacznik2 = static_cast<uint8_t>(n / 2 % 2);
    }
    if (!v) t.jednostka = static_cast<uint8_t>(1 + n % 16);
    t.kod = 5900000000000u + n;
    t.cena = (n * 37u) % 1000000u + 1;
    towary.emplace(static_cast<uint16_t>(n), std::move(t));
  }
  return towary;
}

}  // namespace sim
