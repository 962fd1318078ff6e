// Fields of a line and the clean-up of configuration values.
#include <string_view>

#include "datafiles/data_files.h"
#include "text/codecs.h"

uint8_t PobranieDanej(const char* tekst, uint8_t numer, char separator, char* pole) {
  if (!pole) return 0;
  pole[0] = 0;
  const std::string_view widok = WidokNapisu(tekst);
  std::size_t poczatek = 0;
  for (uint8_t pola = 1; pola < numer && poczatek < widok.size(); ++poczatek)
    if (widok[poczatek] == separator) ++pola;
  if (numer == 0 || poczatek >= widok.size() || widok[poczatek] == separator) return 0;
  KopiowanieNapisu(pole, widok.substr(poczatek, widok.find(separator, poczatek) - poczatek));
  return 1;
}

uint8_t NapisZawieraDana(const char* linia, uint8_t numer, char* pole) {
  return PobranieDanej(linia, numer, SeparatorPol, pole);
}

uint8_t NapisZawieraDanaPoDwukropku(const char* tekst, uint8_t numer, char* pole) {
  return PobranieDanej(tekst, numer, SeparatorPodpol, pole);
}

uint8_t NapisZawieraDanaPoSredniku(const char* tekst, uint8_t numer, char* pole) {
  return PobranieDanej(tekst, numer, SeparatorNazw, pole);
}

void OczyszczenieNapisu(char* tekst) {
  if (!tekst) return;
  std::string_view widok = WidokNapisu(tekst);
  widok = widok.substr(0, widok.find(ZnakKomentarza));
  const std::size_t poczatek = widok.find_first_not_of(" \t");
  widok = poczatek == std::string_view::npos ? std::string_view() : widok.substr(poczatek);
  widok = widok.substr(0, widok.find_last_not_of(" \t") + 1);
  KopiowanieNapisu(tekst, widok);
  ZamianaNaWielkieLitery(tekst);
}
