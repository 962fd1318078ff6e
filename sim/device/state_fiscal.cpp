#include "device/state_fiscal.h"

#include <algorithm>

namespace sim {
namespace {

using Rekord = PlikDanych::Rekord;

constexpr int64_t GranicaPierwszej = int64_t{1} << 39;  // the first value's magnitude, 40 bits signed

// "DD.MM.YY" (or the six digits alone) into six one-digit bytes.
bool CzytajDate(const Rekord& r, std::array<uint8_t, DlugoscDatyZbioru>& data) {
  if (r.empty()) return false;
  size_t i = 0;
  for (char c : r[0]) {
    if (c == '.') continue;
    if (c < '0' || c > '9' || i == data.size()) return false;
    data[i++] = static_cast<uint8_t>(c - '0');
  }
  return i == data.size();
}

Rekord PiszDate(const std::array<uint8_t, DlugoscDatyZbioru>& d) {
  std::string t;
  for (size_t i = 0; i < d.size(); ++i) {
    if (i == 2 || i == 4) t += '.';
    t += static_cast<char>('0' + d[i]);
  }
  return {t};
}

std::optional<int64_t> Pierwsza(const std::string& tekst) {
  const bool ujemna = !tekst.empty() && tekst[0] == '-';
  const auto w = DuzaLiczba(ujemna ? tekst.substr(1) : tekst, GranicaPierwszej - (ujemna ? 0 : 1));
  if (!w) return std::nullopt;
  return ujemna ? -static_cast<int64_t>(*w) : static_cast<int64_t>(*w);
}

bool CzytajWpisy(const std::vector<Rekord>& rekordy, ZbiorOkresowy& zbior) {
  for (const Rekord& r : rekordy) {
    if (r.size() < 4) return false;
    const auto n = Liczba(r[0], WpisyZbioru - 1);
    const auto v1 = Pierwsza(r[1]);
    const auto v2 = Liczba(r[2], 0xFFFF);
    const auto v3 = Liczba(r[3], 0xFFFF);
    if (!n || !v1 || !v2 || !v3) return false;
    zbior.wpisy[*n] = {*v1, static_cast<uint16_t>(*v2), static_cast<uint16_t>(*v3)};
  }
  return true;
}

bool CzytajRekordy(const std::vector<Rekord>& rekordy, std::map<uint16_t, Bajty>& wynik) {
  for (const Rekord& r : rekordy) {
    if (r.size() < 2) return false;
    const auto n = Liczba(r[0], 0xFFFF);
    auto b = ZSzesnastkowego(r[1]);
    if (!n || !b || b->empty()) return false;
    wynik[static_cast<uint16_t>(*n)] = std::move(*b);
  }
  return true;
}

}  // namespace

uint16_t StanFiskalny::LiczbaRekordow() const {
  if (liczba) return *liczba;
  return rekordy.empty() ? 0 : static_cast<uint16_t>(rekordy.rbegin()->first + 1);
}

const Bajty* StanFiskalny::Rekord(uint16_t numer) const {
  const auto it = rekordy.find(numer);
  return it == rekordy.end() ? nullptr : &it->second;
}

bool FiskalneZPliku(const PlikDanych& plik, StanFiskalny& stan, std::string& blad) {
  struct Data {
    const char* klucz;
    std::array<uint8_t, DlugoscDatyZbioru>& cel;
  } daty[] = {{"arg_data", stan.arg.data}, {"prg_data", stan.prg.data}};
  for (const Data& d : daty) {
    const auto r = plik.Pierwszy(d.klucz);
    if (r && !CzytajDate(*r, d.cel)) return blad = std::string("\"$") + d.klucz + "\" must hold DD.MM.YY", false;
  }
  if (!CzytajWpisy(plik.Wszystkie("arg"), stan.arg) || !CzytajWpisy(plik.Wszystkie("prg"), stan.prg))
    return blad = "\"$arg\" and \"$prg\" must hold an entry 0 to 23 and three values", false;
  if (!CzytajRekordy(plik.Wszystkie("fiskalny"), stan.rekordy))
    return blad = "\"$fiskalny\" must hold a record number and the record's bytes in hexadecimal", false;
  if (const auto r = plik.Pierwszy("fiskalne_liczba")) {
    const auto n = r->empty() ? std::nullopt : Liczba((*r)[0], 0xFFFF);
    if (!n) return blad = "\"$fiskalne_liczba\" must hold a number 0 to 65535", false;
    stan.liczba = static_cast<uint16_t>(*n);
  }
  return true;
}

void FiskalneDoPliku(const StanFiskalny& stan, const StanFiskalny& wczytany, PlikDanych& plik) {
  if (stan.arg.data != wczytany.arg.data) plik.Ustaw("arg_data", PiszDate(stan.arg.data));
  if (stan.prg.data != wczytany.prg.data) plik.Ustaw("prg_data", PiszDate(stan.prg.data));
}

Bajty WpisNaDrucie(const WpisZbioru& wpis) {
  Bajty b;
  const auto pierwsza = static_cast<uint64_t>(wpis.pierwsza);
  for (int i = 0; i < 5; ++i) b.push_back(static_cast<uint8_t>(pierwsza >> (8 * i)));
  for (uint16_t v : {wpis.druga, wpis.trzecia}) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
  }
  return b;
}

}  // namespace sim
