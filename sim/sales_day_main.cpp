// karvo-sim-day: writes a register state file with a large day of sales,
// made from a ready-made register file.
#include <cstdio>
#include <cstring>
#include <string>

#include "common/bytes.h"
#include "common/data_file.h"
#include "device/sales_day.h"
#include "karvo_version.h"

namespace {

constexpr const char* Uzycie =
    "usage: karvo-sim-day BASE OUT [--goods N] [--records N] [--seed N]\n"
    "  BASE       a register state file (for example sim/devices/vin-t.txt)\n"
    "  OUT        the state file to write: BASE with its sales replaced by a generated day\n"
    "  --goods    goods numbers with sales (default 3000; at most the register's capacity)\n"
    "  --records  records of each periodic stream (default 3000)\n"
    "  --seed     the same seed gives the same day (default 1)\n"
    "  --help     this text;  --version  the version\n";

// A usage error ends with 2, a file that cannot be read or written with 1.
int Blad(const std::string& tekst, int kod = 2) {
  std::fprintf(stderr, "karvo-sim-day: %s\n", tekst.c_str());
  return kod;
}

}  // namespace

int main(int argc, char** argv) {
  sim::UstawieniaDnia ustawienia;
  std::string sciezki[2];
  size_t ileSciezek = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string opcja = argv[i];
    if (opcja == "--help" || opcja == "-h") {
      std::fputs(Uzycie, stdout);
      return 0;
    }
    if (opcja == "--version") {
      std::printf("karvo-sim-day %s\n", KARVO_VERSION);
      return 0;
    }
    if (opcja.rfind("--", 0) == 0) {
      if (i + 1 == argc) return Blad(opcja + " needs a number");
      const auto n = sim::Liczba(argv[++i]);
      if (!n) return Blad(opcja + " needs a number");
      if (opcja == "--goods") ustawienia.towary = *n;
      else if (opcja == "--records") ustawienia.rekordy = *n;
      else if (opcja == "--seed") ustawienia.ziarno = *n;
      else return Blad("unknown option " + opcja);
      continue;
    }
    if (ileSciezek == 2) return Blad("one BASE and one OUT only");
    sciezki[ileSciezek++] = opcja;
  }
  if (ileSciezek != 2) {
    std::fputs(Uzycie, stderr);
    return 2;
  }
  // From here on the command line was usable: what fails is the files.
  std::string blad;
  auto plik = sim::PlikDanych::Wczytaj(sciezki[0], blad);
  if (!plik) return Blad(blad, 1);
  auto stan = sim::StanZPliku(*plik, blad);
  if (!stan) return Blad(sciezki[0] + ": " + blad, 1);
  const sim::StanKasy wczytany = *stan;
  sim::GenerujDzien(ustawienia, *stan);
  sim::StanDoPliku(*stan, wczytany, *plik);
  if (!plik->Zapisz(sciezki[1], blad)) return Blad(blad, 1);
  return 0;
}
