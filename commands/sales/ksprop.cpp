// _KSprOp: clears the register's sales data; the input file's first data line
// may ask for the counters only ("CNT") or the periodic records only ("CLR").
#include <cstring>

#include "commands/command.h"
#include "commands/sales/sales_records.h"

namespace {

constexpr uint8_t WszystkieDaneSprzedazy = 6;  // 0xA8: clear all sales data
constexpr const char* Liczniki = "CNT";
constexpr const char* Okresowe = "CLR";
constexpr const char* Wszystko = "CLA";

void KasowanieTekstem(const char* tekst) {
  Parametry().Tekst(tekst, 3);
  WykonanieRozkazu({KasowanieLicznikow, 1, 3, 1});
}

void KasowanieWszystkiego() {
  Parametry().Bajt(WszystkieDaneSprzedazy);
  // The Norda registers answer a status when they have cleared; the others nothing.
  WykonanieRozkazu({KasowanieSprzedazy, 1, 1, static_cast<uint8_t>(KasaNorda() ? 1 : 0)});
}

// Clearing is not undone: a first line that is not one of the three texts
// (a typo such as "cnt") clears nothing and is reported as a bad line.
void Kasowanie() {
  Napis linia{}, pole{};
  uint8_t zlaLinia = 0;
  const bool jestLinia = OdczytanoZPlikuLinieDanych(Sesja.UchwytWejscia, linia, &zlaLinia);
  if (zlaLinia) return UstawBlad(BladLiniiWejscia);
  if (jestLinia && NapisZawieraDana(linia, 1, pole)) {
    if (std::strcmp(pole, Liczniki) == 0 || std::strcmp(pole, Okresowe) == 0) {
      KasowanieTekstem(pole);
      return OdmowaJakoNieobslugiwany();
    }
    if (std::strcmp(pole, Wszystko) != 0) return UstawBlad(BladLiniiWejscia);
  }
  KasowanieWszystkiego();
  OdmowaJakoNieobslugiwany();
}

}  // namespace

KARVO_FUNKCJA(KSprOp, .Kod = 39, .Cialo = Kasowanie);
