// The goods requests that several goods commands share: the goods number
// range, reading one record into a goods line, writing one record and
// deleting one, each in the register family's own request.
#pragma once

#include <cstdint>

#include "commands/catalogue/goods_record.h"
#include "state/result_codes.h"

// The goods numbers a register holds: 1 to 65535 unless it says otherwise.
struct ZakresTowarow {
  uint32_t Najnizszy = 1;
  uint32_t Najwyzszy = 0xFFFF;
  bool Zawiera(uint32_t numer) const { return numer >= Najnizszy && numer <= Najwyzszy; }
};

// The lowest number from 0x05 (V) or 0x15 (W), the highest from 0x91. A
// register that refuses one of them (24) keeps its default; any other failure
// answers false with its ResultCode.
bool OdczytanieZakresuTowarow(ZakresTowarow& zakres);

// Reads goods `numer` and writes its goods line; answers the number to read
// next (the register's on V, W and T, else numer + 1). A number outside the
// range is not requested; a number without goods (202) is skipped with
// ResultCode 0. Stored values outside their ranges: 23 and no line; a family
// T check byte that does not match: 46.
uint32_t OdczytanieTowaru(uint32_t numer, const ZakresTowarow& zakres);

// Sends the record with the family's write request.
void ZapisanieTowaru(const RekordTowaru& t);

// Deletes goods `numer` with the family's delete request; answers the number
// to delete next (the register's on W and T, else numer + 1).
uint32_t KasowanieTowaru(uint32_t numer);

// Runs krok from the lowest number of the range while the number it answers
// is not 0 and not above the highest; stops at the first failure, and the
// register's answer that the number lies beyond its capacity (105) ends the
// run as a success. A next number that does not move on is an unexpected
// answer (23), so a faulty register cannot keep the loop going for ever.
void PrzejscieTowarow(const ZakresTowarow& zakres, uint32_t (*krok)(uint32_t numer, const ZakresTowarow& zakres));

// The register's statuses "the goods number lies beyond the capacity" and
// "no goods under this number".
constexpr uint8_t WYNIK_POZA_POJEMNOSCIA = WynikStatusuKasy(0x05);  // 105
constexpr uint8_t WYNIK_BRAK_TOWARU = WynikStatusuKasy(0x66);       // 202
