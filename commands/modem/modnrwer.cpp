// _ModNrWer: the communication module's version text, one line of one field.
#include "commands/command.h"
#include "commands/modem/modem_line.h"

namespace {

constexpr std::size_t DLUGOSC_WERSJI = 12;

void OdczytWersji() {
  WymianaSterujaca(RamkaWersjiModulu);
  if (!BrakBledu()) return;
  // Only what the answer brought, at most 12 characters; zero bytes add nothing.
  const std::size_t dostepne = Sesja.Ramki.LiczbaBajtowOdpowiedzi;
  char wersja[DLUGOSC_WERSJI + 1]{};
  std::size_t dlugosc = 0;
  for (std::size_t i = 0; i < DLUGOSC_WERSJI && i < dostepne; ++i)
    if (const uint8_t bajt = Sesja.Wymiana.ObszarOdpowiedzi[i]; bajt != 0) wersja[dlugosc++] = static_cast<char>(bajt);
  LiniaWyniku linia;
  linia.Pole(std::string_view(wersja, dlugosc)).Zapisanie();
}

}  // namespace

KARVO_FUNKCJA_Z_WYJSCIEM(ModNrWer, .Kod = 64, .OdczytacNumerKasy = 0, .OdczytacTypKasy = 0, .Cialo = OdczytWersji);
