// _ModHaslo: gives the communication module a new password of 8 characters,
// which the rest of the session then logs in with.
#include "commands/command.h"
#include "commands/modem/modem_line.h"

namespace {

bool HasloZLinii(const char* linia) {
  Napis haslo{};
  if (!PoleTekst(linia, 1, DLUGOSC_HASLA_MODULU, haslo)) return false;
  KopiowanieNapisu(Sesja.Ramki.NoweHaslo, haslo);
  return true;
}

void ZmianaHasla() {
  WymianaSterujaca(RamkaZmianyHasla);
  if (BrakBledu()) KopiowanieNapisu(Sesja.Lacze.HasloModulu, Sesja.Ramki.NoweHaslo);
}

void ZmianaHaslaZPliku() {
  ZapisLiniami<> zapis{{}, HasloZLinii, ZmianaHasla};
  zapis.TylkoPierwszaLinia = true;
  CialoZapisuLiniami(zapis);
}

}  // namespace

KARVO_FUNKCJA(ModHaslo, .Kod = 63, .OdczytacNumerKasy = 0, .OdczytacTypKasy = 0, .Cialo = ZmianaHaslaZPliku);
