// _KSprOp: clears the register's sales data. A first data line whose field 1
// is "CNT" or "CLR" asks for the counters only or the periodic records only;
// anything else (no line, "CLA", any other text) clears all with 0xA8. The
// end-of-day sequence relies on that: it passes its own input file, whose
// field 1 is a file name.
//
// Only the Norda registers answer 0xA8 with a status. The others answer
// nothing, and a parameter byte that reaches them after their byte time-out
// is dropped unseen: the clearing is then confirmed by reading the first part
// of the sales back, and sales still there end the command with 20 (the
// clearing did not get through), never with 0.
#include <cstdio>
#include <cstring>

#include "commands/command.h"
#include "commands/sales/sales_records.h"

namespace {

constexpr uint8_t WszystkieDaneSprzedazy = 6;  // 0xA8: clear all sales data
constexpr const char* Liczniki = "CNT";
constexpr const char* Okresowe = "CLR";

void KasowanieTekstem(const char* tekst) {
  Parametry().Tekst(tekst, 3);
  WykonanieRozkazu({KodRozkazu::KasowanieLicznikow, 1, 3, 1});
}

void PotwierdzenieKasowania() {
  bool pusta = false;
  if (!PierwszaCzescSprzedazyPusta(pusta) || pusta) return;
  std::fputs("karvo: the register still holds sales after it was asked to clear them (it answers no "
             "status, and did not take the request): nothing was cleared\n",
             stderr);
  UstawBlad(BladWyslania);
}

void KasowanieWszystkiego() {
  Parametry().Bajt(WszystkieDaneSprzedazy);
  const bool zeStatusem = KasaNorda();
  WykonanieRozkazu({KodRozkazu::KasowanieSprzedazy, 1, 1, static_cast<uint8_t>(zeStatusem ? 1 : 0)});
  if (BrakBledu() && !zeStatusem) PotwierdzenieKasowania();
}

// A line that is no data line at all (the reader reports it) is not taken for
// a request to clear everything: 11.
void Kasowanie() {
  Napis linia{}, pole{};
  uint8_t zlaLinia = 0;
  const bool jestLinia = OdczytanoZPlikuLinieDanych(Sesja.UchwytWejscia, linia, &zlaLinia);
  if (zlaLinia) return UstawBlad(BladLiniiWejscia);
  const bool jestPole = jestLinia && NapisZawieraDana(linia, 1, pole);
  if (jestPole && (std::strcmp(pole, Liczniki) == 0 || std::strcmp(pole, Okresowe) == 0))
    KasowanieTekstem(pole);
  else
    KasowanieWszystkiego();
  OdmowaJakoNieobslugiwany();
}

}  // namespace

KARVO_FUNKCJA(KSprOp, .Kod = 39, .Cialo = Kasowanie);
