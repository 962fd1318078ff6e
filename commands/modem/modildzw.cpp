// _ModIlDzw: sets after how many rings (1 to 9) the communication module answers.
#include "commands/command.h"
#include "commands/modem/modem_line.h"

namespace {

bool DzwonkiZLinii(const char* linia) {
  uint8_t dzwonki = 0;
  if (!PoleByte(linia, 1, dzwonki) || !WZakresie(dzwonki, 1, 9, KodBledu(BladLiczbyDzwonkow))) return false;
  Sesja.Ramki.LiczbaDzwonkow = dzwonki;
  return true;
}

void UstawienieDzwonkow() { WymianaSterujaca(RamkaLiczbyDzwonkow); }

void DzwonkiZPliku() {
  ZapisLiniami<> zapis{{}, DzwonkiZLinii, UstawienieDzwonkow};
  zapis.TylkoPierwszaLinia = true;
  CialoZapisuLiniami(zapis);
}

}  // namespace

KARVO_FUNKCJA(ModIlDzw, .Kod = 65, .NazwaWydruku = "_ModilDzw", .OdczytacNumerKasy = 0, .OdczytacTypKasy = 0,
              .Cialo = DzwonkiZPliku);
