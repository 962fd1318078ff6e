// The requests of the fiscal data: the dates and entries of the periodic data
// sets ARG (0xE0, 0xE1) and PRG (0xE2, 0xE3), the current-date write (0xE8),
// the record count (0xE4) and the fiscal memory records: 0xE5 on the first
// generation (the status byte says how long the record is), 0x9A on the others
// (always 62 data bytes ending with their check).
#include <algorithm>

#include "device/families.h"
#include "device/requests.h"
#include "module/frame_codec.h"

namespace sim {
namespace {

constexpr uint8_t NieObslugiwany = 0x6C;  // no such block
constexpr uint8_t RekordPusty = 0xFF;     // an erased record of the second generation
constexpr uint8_t RekordPustyStary = 0xFE;  // the first generation's record without data
constexpr size_t BlokiZbioru = 4;
constexpr size_t WpisyBloku = 6;
constexpr size_t DaneRekordu = 62;  // the data bytes of a 0x9A answer, check included

// The registers that read their fiscal memory with 0x9A: type code 100 or above, and 'o' and 'p'.
bool RekordyNowe(const StanKasy& s) { return s.typ >= 100 || KasaOP(s.typ); }
bool RekordyStare(const StanKasy& s) { return !RekordyNowe(s); }
// Type code 116 or above 120: a CRC-16 instead of the check byte, and the
// record's status inside its data.
bool ZCrc(const StanKasy& s) { return s.typ == 116 || s.typ > 120; }

template <ZbiorOkresowy StanFiskalny::*Z>
Bajty Data(Wymiana& w) {
  const auto& d = (w.stan.fiskalne.*Z).data;
  return Bajty(d.begin(), d.end());
}

template <ZbiorOkresowy StanFiskalny::*Z>
Bajty Blok(Wymiana& w) {
  const size_t blok = w.parametry[0];
  if (blok >= BlokiZbioru) return {NieObslugiwany};
  Bajty wynik{0};
  for (size_t j = 0; j < WpisyBloku; ++j) {
    const Bajty b = WpisNaDrucie((w.stan.fiskalne.*Z).wpisy[blok * WpisyBloku + j]);
    wynik.insert(wynik.end(), b.begin(), b.end());
  }
  return wynik;
}

// 0xE8: data set ARG takes today's date from the register's clock.
Bajty UstawDate(Wymiana& w) {
  const auto cyfry = CyfryZegara(w.stan.tabele.zegar, std::chrono::system_clock::now());
  std::copy_n(cyfry.begin(), DlugoscDatyZbioru, w.stan.fiskalne.arg.data.begin());
  return {};
}

Bajty LiczbaRekordow(Wymiana& w) {
  const uint16_t n = w.stan.fiskalne.LiczbaRekordow();
  return {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8)};
}

// 0xE5: the record as kept, its status first; a number without one has no data.
Bajty RekordStary(Wymiana& w) {
  const Bajty* r = w.stan.fiskalne.Rekord(w.Slowo(0));
  return r ? *r : Bajty{RekordPustyStary};
}

// 0x9A: the status byte, then 62 data bytes: the record's data and its XOR
// check byte; on the CRC registers the record's status, its data and the
// CRC-16 low and high byte. An erased record is the status 0xFF and 62 bytes 0xFF.
Bajty RekordNowy(Wymiana& w) {
  const Bajty* r = w.stan.fiskalne.Rekord(w.Slowo(0));
  if (!r || (*r)[0] == RekordPusty || (*r)[0] == RekordPustyStary) {
    Bajty pusty(1 + DaneRekordu, RekordPusty);
    if (r) pusty[0] = (*r)[0];
    return pusty;
  }
  const bool crc = ZCrc(w.stan);
  const size_t miejsce = DaneRekordu - (crc ? 2 : 1);
  Bajty dane(crc ? r->begin() : r->begin() + 1, r->end());
  dane.resize(miejsce, 0);
  if (crc) {
    const uint16_t c = ramka::Crc16(dane);
    dane.push_back(static_cast<uint8_t>(c));
    dane.push_back(static_cast<uint8_t>(c >> 8));
  } else {
    uint8_t x = 0;
    for (uint8_t b : dane) x ^= b;
    dane.push_back(x);
  }
  if (w.zlaSuma == 1) dane.back() ^= 0x5A;
  Bajty wynik{(*r)[0]};
  wynik.insert(wynik.end(), dane.begin(), dane.end());
  return wynik;
}

const Rozkaz Rozkazy[] = {
    {.kod = 0xE0, .opis = "date of data set ARG", .pierwsza = Data<&StanFiskalny::arg>},
    {.kod = 0xE2, .opis = "date of data set PRG", .pierwsza = Data<&StanFiskalny::prg>},
    {.kod = 0xE1, .opis = "block of data set ARG", .parametry = 1, .wykonanie = Blok<&StanFiskalny::arg>},
    {.kod = 0xE3, .opis = "block of data set PRG", .parametry = 1, .wykonanie = Blok<&StanFiskalny::prg>},
    {.kod = 0xE8, .opis = "set the current date", .wykonanie = UstawDate},
    {.kod = 0xE4, .opis = "fiscal record count", .pierwsza = LiczbaRekordow},
    {.kod = 0xE5, .opis = "fiscal record (length by status)", .parametry = 2, .wykonanie = RekordStary,
     .zna = RekordyStare, .rekordy = true},
    {.kod = 0x9A, .opis = "fiscal record with check", .parametry = 2, .wykonanie = RekordNowy, .zna = RekordyNowe,
     .rekordy = true, .sumy = true},
};

}  // namespace

const std::span<const Rozkaz> RozkazyFiskalne = Rozkazy;

}  // namespace sim
