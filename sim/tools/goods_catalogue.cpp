// karvo-sim-catalogue: a register's state file with a full goods catalogue,
// for benchmarks: the goods 1 to COUNT with varied values that the register's
// layout keeps whole. The capacity grows to COUNT when it is smaller.
#include <algorithm>
#include <cstdio>
#include <string>

#include "common/bytes.h"
#include "common/data_file.h"
#include "device/register_state.h"
#include "karvo_version.h"

namespace {

int Blad(const std::string& tekst) {
  std::fprintf(stderr, "karvo-sim-catalogue: %s\n", tekst.c_str());
  return 1;
}

constexpr const char* Uzycie =
    "usage: karvo-sim-catalogue BASE-STATE-FILE COUNT OUT-FILE\n"
    "  BASE-STATE-FILE  a register state file (for example sim/devices/vin-t.txt)\n"
    "  COUNT            the goods 1 to COUNT (1 to 65535)\n"
    "  OUT-FILE         the state file to write: BASE with the generated catalogue\n"
    "  --help           this text;  --version  the version\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::fputs(Uzycie, stdout);
    return 0;
  }
  if (argc == 2 && std::string(argv[1]) == "--version") {
    std::printf("karvo-sim-catalogue %s\n", KARVO_VERSION);
    return 0;
  }
  if (argc != 4) {
    std::fputs(Uzycie, stderr);
    return 2;
  }
  const auto ile = sim::Liczba(argv[2], 0xFFFF);
  if (!ile || *ile == 0) {
    std::fputs("karvo-sim-catalogue: COUNT must be 1 to 65535\n", stderr);
    return 2;
  }
  std::string blad;
  auto plik = sim::PlikDanych::Wczytaj(argv[1], blad);
  if (!plik) return Blad(blad);
  const auto wczytany = sim::StanZPliku(*plik, blad);
  if (!wczytany) return Blad(std::string(argv[1]) + ": " + blad);
  sim::StanKasy stan = *wczytany;
  stan.pojemnosc = std::max(stan.pojemnosc, *ile);
  stan.towary = sim::WygenerowaneTowary(stan.typ, *ile);
  sim::StanDoPliku(stan, *wczytany, *plik);
  if (!plik->Zapisz(argv[3], blad)) return Blad(blad);
  return 0;
}
