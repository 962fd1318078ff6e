// An arbitrary Server file, read by the configuration reader as a command
// with or without an output file would (the first byte chooses). It ends
// with 0 or 54; with 0 every setting lies in its range and the terminator
// it gave is in force.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "datafiles/data_files.h"
#include "fuzz_files.h"
#include "include/karvo.h"
#include "session/configuration.h"
#include "state/result_codes.h"
#include "state/session_state.h"
#include "text/codecs.h"

namespace {

void Zgoda(bool warunek) {
  if (!warunek) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dane, std::size_t rozmiar) {
  if (rozmiar < 1) return 0;
  fuzz::PrzygotowanieKatalogu();
  ZerowanieDanychSesji();
  KopiowanieNapisu(Proces.ZnakiKoncaLinii, "\r\n");
  Proces.UdostepnianieWyjscia = 0;
  Sesja.JestPlikWynikowy = dane[0] & 1;
  const std::string serwer = fuzz::PlikWPamieci("SRV.TXT", dane + 1, rozmiar - 1);
  const std::string lista = std::string(Sesja.JestPlikWynikowy ? "WE.TXT;WY.TXT;" : "WE.TXT;") + serwer;
  KopiowanieNapisu(Sesja.NazwyPlikowSesji[NazwaPlikuWejsciowego], lista.c_str());
  OdczytanieKonfiguracji();
  Zgoda(Sesja.BiezacyWynik == 0 || JestBlad(BladSerwera));
  Zgoda(std::strcmp(Sesja.NazwyPlikowSesji[NazwaPlikuWejsciowego], "WE.TXT") == 0);
  for (const auto& sciezka : Sesja.PlikiSterownika) fuzz::NapisWBuforze(sciezka);
  fuzz::NapisWBuforze(Proces.ZnakiKoncaLinii);
  if (Sesja.BiezacyWynik == 0) {
    Zgoda(Proces.ZnakiKoncaLinii[0] != 0);
    Zgoda(Sesja.ZapisKomunikatow <= 1 && Sesja.Wstrzymany <= 1 && Sesja.PokazPlikWRaporcie <= 1);
    Zgoda(Sesja.OkresLicznika <= 16777215 && Sesja.OkresLinii <= 16777215 && Sesja.OkresLiniiWyjscia <= 16777215);
    Zgoda(Proces.UdostepnianieWyjscia <= 2);
    Zgoda(std::memcmp(Sesja.ZastrzezoneNazwy, Sesja.PlikiSterownika, sizeof Sesja.ZastrzezoneNazwy) == 0);
  }
  // The session's close closes the Server file; here the fuzzer does.
  if (Sesja.UchwytSerwera >= 0) ZamknieciePliku(&Sesja.UchwytSerwera);
  KopiowanieNapisu(Proces.ZnakiKoncaLinii, "\r\n");
  fuzz::BrakOtwartychPlikow();
  return 0;
}
