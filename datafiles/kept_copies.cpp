#include "datafiles/kept_copies.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <string_view>

#include "datafiles/data_files.h"
#include "platform/files.h"
#include "state/session_state.h"
#include "text/codecs.h"

namespace {

// Numbers tried before the copy gives up: a directory this full of copies
// needs the shop's attention more than one more copy.
constexpr unsigned NAJWIECEJ_KOPII = 9999;

}  // namespace

uint32_t LiczbaLiniiDanych(const char* sciezka) {
  int32_t uchwyt = -1;
  if (!OtwartoPlik(&uchwyt, sciezka, 0)) return 0;
  const std::string_view koniec = WidokNapisu(Proces.ZnakiKoncaLinii);
  uint32_t linie = 0;
  bool poczatekLinii = true;
  std::size_t dopasowane = 0;  // terminator bytes matched so far
  char bufor[4096];
  for (long ile; (ile = platforma::CzytajPlik(uchwyt, bufor, sizeof bufor)) > 0;) {
    for (long i = 0; i < ile; ++i) {
      const char znak = bufor[i];
      if (poczatekLinii && znak == ZnakDanych) ++linie;
      poczatekLinii = false;
      if (!koniec.empty() && znak == koniec[dopasowane]) {
        if (++dopasowane == koniec.size()) {
          poczatekLinii = true;
          dopasowane = 0;
        }
      } else {
        dopasowane = !koniec.empty() && znak == koniec[0] ? 1 : 0;
      }
    }
  }
  ZamknieciePliku(&uchwyt);
  return linie;
}

bool ZachowanieKopiiNumerowanej(const char* sciezka) {
  const uint32_t linie = LiczbaLiniiDanych(sciezka);
  if (linie == 0) return true;
  for (unsigned n = 1; n <= NAJWIECEJ_KOPII; ++n) {
    const std::string kopia = std::string(sciezka) + "." + std::to_string(n);
    if (platforma::NowaNazwaPliku(sciezka, kopia.c_str())) {
      std::fprintf(stderr,
                   "karvo: %s held %u data lines of an earlier run, which the register may no longer have: "
                   "kept as %s\n",
                   sciezka, static_cast<unsigned>(linie), kopia.c_str());
      return true;
    }
    if (errno != EEXIST) break;
  }
  std::fprintf(stderr, "karvo: %s holds %u data lines of an earlier run and could not be kept as a copy: "
               "it was left as it is\n", sciezka, static_cast<unsigned>(linie));
  return false;
}
