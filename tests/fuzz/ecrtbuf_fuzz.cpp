// An arbitrary ECRTBUF.TXT, the cache of identified registers: the lookup of
// a register (one of a few families, its identification text partly from
// the input), then the register appended as a session that did not find it
// appends it, then the lookup again. The lookup ends with 0 or 60, and
// whatever the file held before, the register just appended is found.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_files.h"
#include "include/karvo.h"
#include "protocol/identification.h"
#include "protocol/identification_text.h"
#include "state/result_codes.h"
#include "state/session_state.h"
#include "text/codecs.h"

namespace {

void Zgoda(bool warunek) {
  if (!warunek) std::abort();
}

struct Rodzina {
  uint8_t kod;
  const char *identyfikator, *model, *pojemnosc, *generacja, *wersja;
};

const Rodzina RODZINY[] = {
    {0x24, "KARVO36 V05", "Karvo", "4000", "I", "05"},
    {116, "VIN 116C0042", "Vin", "20000", "II", "02"},
    {'w', "CENW 01", "Cenometr", "600", "I", "01"},
    {'u', "NORDA U1", "Norda Vin Plus", "1000", "II", "01"},
    {28, "PELTO", "Pelto", "200", "I", "10"},
};

void Urzadzenie(const uint8_t* dane, std::size_t rozmiar) {
  const Rodzina& r = RODZINY[dane[0] % std::size(RODZINY)];
  DaneUrzadzenia& u = Sesja.Urzadzenie;
  u.KodTypuKasy = r.kod;
  Sesja.OdczytacPojemnoscPLU = (dane[0] >> 4) & 1;
  // Now and then the identification text is the input's own (printable, so
  // that it stands in a line as one field).
  std::string identyfikator = r.identyfikator;
  if (dane[0] & 0x20) {
    identyfikator.clear();
    for (std::size_t i = 1; i < rozmiar && identyfikator.size() < 12; ++i)
      if (dane[i] > ' ' && dane[i] < 0x7F) identyfikator.push_back(static_cast<char>(dane[i]));
    if (identyfikator.empty()) identyfikator = "X";
  }
  KopiowanieNapisu(u.IdentyfikatorUrzadzenia, identyfikator.c_str());
  KopiowanieNapisu(u.NumerKasyTekst, (dane[0] & 0x40) ? "07" : "?");
  KopiowanieNapisu(u.KodTypuTekst, std::to_string(r.kod).c_str());
  KopiowanieNapisu(u.ModelUrzadzenia, r.model);
  KopiowanieNapisu(u.PojemnoscTekst, r.pojemnosc);
  KopiowanieNapisu(u.GeneracjaTekst, r.generacja);
  KopiowanieNapisu(u.WersjaTekst, r.wersja);
  SkladanieNazwyUrzadzenia(u.NazwaUrzadzenia, u.ModelUrzadzenia, u.PojemnoscTekst, u.GeneracjaTekst, u.WersjaTekst);
}

bool Wyszukanie() {
  Sesja.BiezacyWynik = 0;
  const bool znaleziony = WyszukanieWBuforze();
  Zgoda(Sesja.BiezacyWynik == 0 || JestBlad(BladLiniiEcrtbuf));
  Zgoda(Sesja.UchwytBufora == -1);
  if (znaleziony) Zgoda(Sesja.Urzadzenie.PojemnoscPLU <= 0xFFFF);
  return znaleziony;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dane, std::size_t rozmiar) {
  if (rozmiar < 1) return 0;
  fuzz::PrzygotowanieKatalogu();
  ZerowanieDanychSesji();
  Urzadzenie(dane, rozmiar);
  const std::string plik = fuzz::PlikWPamieci("ECRTBUF.TXT", dane + 1, rozmiar - 1);
  KopiowanieNapisu(Sesja.PlikiSterownika[PlikEcrtbuf], plik.c_str());
  Wyszukanie();
  Sesja.BiezacyWynik = 0;
  Zgoda(DopisanieDoPlikuIdentyfikatorow());
  Zgoda(Sesja.BiezacyWynik == 0);
  // A capacity the file gave must not stand in the way of the one appended.
  Sesja.Urzadzenie.PojemnoscPLU = 0;
  Zgoda(Wyszukanie());
  fuzz::BrakOtwartychPlikow();
  return 0;
}
