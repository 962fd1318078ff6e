// _ZKasjer: cashiers from the input lines (number, a name of exactly 19 and a
// password of exactly 4 characters), one write each. On the Norda registers
// fields 4 to 8 carry the flags of bits 1, 3, 4, 5 and 7: once the cashier is
// written it is read back and bits 3, 4, 5 and 7 are set from the line, the
// others (bit 1 too, whose field is only checked) as the register keeps them.
#include "commands/cashdesk/cashier_records.h"

namespace {

constexpr Rozkaz ZAPIS_KASJERA{KodRozkazu::ZapisKasjera, 1, 1 + SZEROKOSC_NAZWY_KASJERA + SZEROKOSC_HASLA, 1};
constexpr uint8_t BITY_NORDA[] = {3, 4, 5, 7};  // fields 5 to 8; field 4 (bit 1) is not sent
constexpr uint8_t PIERWSZE_POLE_FLAG = 4;

struct Kasjer {
  uint8_t Numer = 0;
  uint8_t Flagi[1 + std::size(BITY_NORDA)] = {};
};

bool PolaKasjera(const char* linia, Kasjer& k) {
  Napis nazwa{}, haslo{};
  if (!PoleByte(linia, 1, k.Numer) || !PoleTekst(linia, 2, SZEROKOSC_NAZWY_KASJERA, nazwa) ||
      !PoleTekst(linia, 3, SZEROKOSC_HASLA, haslo))
    return false;
  if (KasaNorda())
    for (uint8_t i = 0; i < std::size(k.Flagi); ++i)
      if (!PoleBoolean(linia, static_cast<uint8_t>(PIERWSZE_POLE_FLAG + i), k.Flagi[i])) return false;
  Parametry().Bajt(k.Numer).Tekst(nazwa, SZEROKOSC_NAZWY_KASJERA).Tekst(haslo, SZEROKOSC_HASLA);
  return true;
}

void ZapisKasjeraIFlag(Kasjer& k) {
  WykonanieRozkazu(ZAPIS_KASJERA);
  if (BrakBledu() && KasaNorda()) ZapisanieFlagKasjera(k.Numer, BITY_NORDA, k.Flagi + 1, std::size(BITY_NORDA));
}

void ZapisKasjerow() {
  Kasjer k;
  CialoZapisuLiniami({ZAPIS_KASJERA, PolaKasjera, ZapisKasjeraIFlag}, k);
}

}  // namespace

KARVO_FUNKCJA(ZKasjer, .Kod = 42, .Cialo = ZapisKasjerow);
