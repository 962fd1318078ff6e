// The requests a simulated register knows: one table entry per request code.
// An entry says what the register answers first (after its acknowledgement
// 0x06), how many parameter bytes it then reads, and what carrying the
// request out changes and answers (the status byte and the data). Each group
// of requests lives in its own requests_*.cpp and is listed once in requests.cpp.
#pragma once

#include <cstdint>
#include <span>

#include "common/bytes.h"
#include "device/faults.h"
#include "device/register_state.h"

namespace sim {

// What a handler works on during one exchange.
struct Wymiana {
  StanKasy& stan;
  std::span<const uint8_t> parametry;
  // An end-of-records fault: records from this number on do not exist.
  uint32_t granicaRekordow = UINT32_MAX;
  // Faults on the goods record this exchange answers (badcheck, stored=).
  std::span<const Usterka* const> usterkiRekordu{};
  bool RekordIstnieje(uint32_t numer) const { return numer < granicaRekordow; }
  // Parameter bytes k and k + 1, low byte first.
  uint16_t Slowo(size_t k) const {
    return static_cast<uint16_t>(parametry[k] | (parametry[k + 1] << 8));
  }
  // A check-byte fault: the record at this position of a stream (from 1) goes out spoilt; 0: none.
  uint32_t zlaSuma = 0;
};

struct Rozkaz {
  uint8_t kod;
  const char* opis;  // its meaning, for the wire log
  uint8_t parametry = 0;  // parameter bytes read after the first answer
  // The first answer opens with the acknowledgement 0x06. Requests that the
  // driver calls with first answer length 0 get none (the parameters follow
  // the code at once), and those answering data from the first byte neither.
  bool potwierdza = true;
  // Data bytes of the first answer, after the acknowledgement; none when null.
  Bajty (*pierwsza)(Wymiana&) = nullptr;
  // Runs once the parameters are in; returns the second answer (status byte
  // and data), empty when the request has none.
  Bajty (*wykonanie)(Wymiana&) = nullptr;
  // The families that know the request (null: all); the others refuse it with 0x15.
  bool (*zna)(const StanKasy&) = nullptr;
  // Its parameters name a numbered record, so end-of-records faults apply.
  bool rekordy = false;
  // When the number of parameter bytes depends on the family.
  uint8_t (*liczbaParametrow)(const StanKasy&) = nullptr;
  // When the first parameter bytes tell how many follow: called after every
  // byte with those received so far, it answers how many the request takes in all.
  size_t (*parametryWedlugPoczatku)(const StanKasy&, std::span<const uint8_t>) = nullptr;
  // Its answer records end with a check byte, so check-byte faults apply.
  bool sumy = false;
};

const Rozkaz* ZnajdzRozkaz(uint8_t kod);
std::span<const Rozkaz* const> WszystkieRozkazy();
uint8_t LiczbaParametrow(const Rozkaz& rozkaz, const StanKasy& stan);

// The groups of requests (one per requests_*.cpp).
extern const std::span<const Rozkaz> RozkazySesji;
extern const std::span<const Rozkaz> RozkazyTabel;
extern const std::span<const Rozkaz> RozkazyOpcji;
extern const std::span<const Rozkaz> RozkazySprzedazy;
extern const std::span<const Rozkaz> RozkazyTowarow;
extern const std::span<const Rozkaz> RozkazyKodow;
extern const std::span<const Rozkaz> RozkazyKasjerow;
extern const std::span<const Rozkaz> RozkazyPojemnikow;
extern const std::span<const Rozkaz> RozkazyFiskalne;
extern const std::span<const Rozkaz> RozkazyKasowe;  // report and receipt counters, tax rates

}  // namespace sim
