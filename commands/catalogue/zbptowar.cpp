// _ZBPTowar: writes the goods of the input file as _ZTowar does, but a goods
// that the register refuses as a record (its statuses 100, 109, 121 to 127
// and 132) is listed in the output file with its ResultCode and the next
// line follows; the command returns the last such code.
#include "commands/catalogue/goods_access.h"
#include "commands/command.h"

namespace {

struct Zapisy {
  LinieTowarow Linie;
  uint8_t OstatniaOdmowa = 0;
};

bool OdmowaRekordu(uint8_t wynik) {
  return wynik == WynikStatusuKasy(0x64) || wynik == WynikStatusuKasy(0x6D) ||
         (wynik >= WynikStatusuKasy(0x79) && wynik <= WynikStatusuKasy(0x7F)) || wynik == WynikStatusuKasy(0x84);
}

bool PolaTowaru(const char* linia, Zapisy& z) {
  return OdczytanieLiniiTowaruDoZapisu(linia, z.Linie.Wariant, z.Linie.Towar);
}

void Zapis(Zapisy& z) {
  ZapisanieTowaru(z.Linie.Towar);
  const uint8_t wynik = Sesja.BiezacyWynik;
  if (!OdmowaRekordu(wynik)) return;
  UstawBlad(BezBledu);
  if (!LiniaWyniku().Pole(Liczba(z.Linie.Towar.NumerTowaru, 5)).Pole(Liczba(wynik)).Zapisanie()) return;
  z.OstatniaOdmowa = wynik;
}

void ZapisTowarow() {
  Zapisy z;
  CialoZapisuLiniami({.rozkaz = {}, .Pola = PolaTowaru, .Wyslanie = Zapis}, z);
  if (BrakBledu() && z.OstatniaOdmowa) UstawWynik(z.OstatniaOdmowa);
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ZBPTowar, .Kod = 24, .Cialo = ZapisTowarow);
