// The register's small tables and settings, as its state file keeps them:
//   $jednostka  N  NAME        unit N (1 to 16), 4 characters
//   $grupy      N              how many groups the register has (0 to 255)
//   $grupa      N  NAME        group N, 19 characters
//   $platnosci  N              how many forms of payment a register with the
//                              per-record request has (0 to 255); the others have
//                              a fixed table: 2 on the Norda registers, else 3
//   $platnosc   N  NAME        form of payment N, 13 characters
//   $rabat      B              the discount byte
//   $wiersze    B              the line-count byte (1 to 30)
//   $linie      N              registers 'o' and 'p': how many header lines (0 to 255)
//   $linia      N  ATTR  TEXT  'o'/'p' header line N: its attribute byte and up to 40 characters
//   $naglowek   TEXT  TEXT     the other registers' header: two texts of 24 characters
//   $status     B0 B1 B2 B3 B4 the five status bytes (the high nibble of B0 is the version)
//   $zegar      DD.MM.YY  HH:MM  [biegnie]
//                              the clock stands at this time, or with "biegnie" starts
//                              there and runs; without the key it shows the host's time
//   $karta      A  L  CODE  B8 B9 B10  B11 ... B26   the discount card record
//   $zestawy_opcji  N          how many option sets the register has (0 to 4)
//   $opcje      S  B1 B2 B3    the three bytes of option set S
// Names are written as they are; a byte that cannot stand in a field (a tab,
// a line end, a control byte) is written \xHH and a backslash \\. A name
// shorter than its width is padded with spaces. Which of these a register has
// depends on its family (see the requests in requests_tables.cpp).
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/data_file.h"

namespace sim {

constexpr size_t SzerokoscJednostki = 4;
constexpr size_t SzerokoscGrupy = 19;
constexpr size_t SzerokoscPlatnosci = 13;
constexpr size_t SzerokoscLinii = 40;       // the text of an 'o'/'p' header line
constexpr size_t SzerokoscNaglowka = 24;    // each of the two header texts of the others
constexpr size_t DlugoscKarty = 27;
constexpr size_t LiczbaZestawowOpcji = 4;

struct LiniaNaglowka {
  uint8_t atrybut = 0;  // bit 0: a line of 20 characters, bit 1: a flag
  Bajty tekst;          // 40 bytes
};

// The register's clock: the host's local time, a time that stands still, or
// one that was set at start and runs from there.
struct ZegarKasy {
  enum class Rodzaj : uint8_t { Systemowy, Staly, Biegnacy } rodzaj = Rodzaj::Systemowy;
  std::time_t ustawiony = 0;  // the time the state file gives, as UTC fields
  std::chrono::system_clock::time_point odKiedy{};  // when the state was loaded

  bool operator==(const ZegarKasy&) const = default;
};

struct StanTabel {
  std::array<Bajty, 16> jednostki;
  std::vector<Bajty> grupy;       // group n is grupy[n - 1]
  std::vector<Bajty> platnosci;   // form of payment n is platnosci[n - 1]
  uint8_t rabat = 0;
  uint8_t wiersze = 5;
  std::vector<LiniaNaglowka> linie;  // 'o'/'p': line n is linie[n - 1]
  std::array<Bajty, 2> naglowek;
  std::array<uint8_t, 5> status{};
  ZegarKasy zegar;
  std::array<uint8_t, DlugoscKarty> karta{};
  uint8_t zestawyOpcji = 2;
  std::array<std::array<uint8_t, 3>, LiczbaZestawowOpcji> opcje{};

  StanTabel();
};

// The tables of a register of type code typ: the family's defaults, then
// what the file gives. Nothing (with the reason) on a bad value.
std::optional<StanTabel> TabeleZPliku(const PlikDanych& plik, uint8_t typ, std::string& blad);
// Writes the keys whose value differs from the state it was loaded with.
void TabeleDoPliku(const StanTabel& stan, const StanTabel& wczytany, PlikDanych& plik);

// The clock's ten digits: day, month, year (two each), hour, minute.
std::array<uint8_t, 10> CyfryZegara(const ZegarKasy& zegar, std::chrono::system_clock::time_point teraz);

// A name field of the state file and back (the escapes above).
std::string PoleTekstu(const Bajty& tekst);
std::optional<Bajty> TekstPola(const std::string& pole);

}  // namespace sim
