// An arbitrary KONFIG.TXT: its lines read as the session's lookup reads them,
// and every data line, not only the register's, checked as the register's
// line. A line that passes leaves settings inside their ranges.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "datafiles/data_files.h"
#include "fuzz_files.h"
#include "include/karvo.h"
#include "protocol/line_modes.h"
#include "session/configuration.h"
#include "state/session_state.h"
#include "text/codecs.h"

namespace {

void Zgoda(bool warunek) {
  if (!warunek) std::abort();
}

void UstawieniaWZakresie() {
  const UstawieniaLacza& l = Sesja.Lacze;
  Zgoda(l.NumerPortu >= 1 && l.RodzajLacza <= 5);
  Zgoda(l.Predkosc >= 1 && l.Predkosc <= 115200);
  Zgoda(l.Kanal >= 1 && l.KanalZadany >= 1 && l.KanalZadany <= TrybDlaRodzaju(l.RodzajLacza).NajwyzszyKanal);
  Zgoda(l.CzasOczekiwania <= 65535);
  for (const char* t : {l.Pole1, l.Pole2, l.Pole3, l.Pole5, l.TekstIdentyfikacji, l.NumerTelefonu, l.HasloModulu,
                        l.AdresModulu, l.TekstDodatkowy})
    fuzz::NapisWBuforze(t);
  if (TrybDlaRodzaju(l.RodzajLacza).Modul != UstawieniaModulu::Brak) {
    Zgoda(std::strlen(l.HasloModulu) == 8);
    Zgoda(l.Predkosc == 19200 && l.Kanal == 2);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dane, std::size_t rozmiar) {
  fuzz::PrzygotowanieKatalogu();
  ZerowanieDanychSesji();
  const std::string plik = fuzz::PlikWPamieci("KONFIG.TXT", dane, rozmiar);
  KopiowanieNapisu(Sesja.PlikiSterownika[PlikKonfig], plik.c_str());
  Zgoda(OtwartoPlik(&Sesja.UchwytKonfig, plik.c_str(), 0));
  for (std::size_t linie = 0; linie <= rozmiar; ++linie) {
    Napis linia{}, pole{};
    uint8_t zla = 0;
    if (!OdczytanoZPlikuKonkretnaLinie(Sesja.UchwytKonfig, '$', linia, &zla)) {
      if (Moje_feof(Sesja.UchwytKonfig)) break;
      continue;
    }
    uint8_t numer = 0;
    if (NapisZawieraDana(linia, 1, pole)) PoprawnaLiczbaTypuByte(pole, &numer);
    if (OdczytanieLiniiKonfiguracji(linia)) UstawieniaWZakresie();
    Sesja.Lacze = UstawieniaLacza{};
  }
  Zgoda(Moje_feof(Sesja.UchwytKonfig));
  ZamknieciePliku(&Sesja.UchwytKonfig);
  fuzz::BrakOtwartychPlikow();
  return 0;
}
