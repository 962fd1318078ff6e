// karvo-sim-catalogue: a register's state file with a full goods catalogue,
// for benchmarks: the goods 1 to COUNT with varied values that the register's
// layout keeps whole. The capacity grows to COUNT when it is smaller.
#include <algorithm>
#include <cstdio>
#include <string>

#include "common/bytes.h"
#include "common/data_file.h"
#include "device/register_state.h"

namespace {

int Blad(const std::string& tekst) {
  std::fprintf(stderr, "karvo-sim-catalogue: %s\n", tekst.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: karvo-sim-catalogue BASE-STATE-FILE COUNT OUT-FILE\n", stderr);
    return 2;
  }
  const auto ile = sim::Liczba(argv[2], 0xFFFF);
  if (!ile || *ile == 0) return Blad("COUNT must be 1 to 65535");
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
