// _ModNrWer: the communication module's version text, one line of one field.
#include "commands/command.h"
#include "commands/modem/modem_line.h"

namespace {

void OdczytWersji() {
  WymianaSterujaca(RamkaWersjiModulu);
  if (!BrakBledu()) return;
  char wersja[DLUGOSC_WERSJI_MODULU + 1];
  const std::size_t dlugosc = WersjaModulu(wersja);
  LiniaWyniku().Pole(std::string_view(wersja, dlugosc)).Zapisanie();
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ModNrWer, .Kod = 64, .OdczytacNumerKasy = 0, .OdczytacTypKasy = 0, .Cialo = OdczytWersji);
