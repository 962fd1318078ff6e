// The periodic readout engine: the nine modes as a table, the walk over the
// records of an answer with their check bytes, and the appending of lines.
#include "commands/sales/periodic_readout.h"

#include "commands/command.h"
#include "commands/sales/sales_records.h"

namespace {

using enum KodRozkazu;

constexpr uint8_t DalszaCzesc = 0x80;  // 0xA1: the next part of the list

constexpr OpisTrybu Tryby[LiczbaTrybow] = {
    {.KodOtwarcia = OdczytOkresowejSprzedazy, .KodDalszy = OdczytDalszejOkresowejSprzedazy, .WOdpowiedzi = 4},
    {.KodOtwarcia = OdczytOkresowejSprzedazyRozszerzonej,
     .KodDalszy = OdczytDalszejOkresowejSprzedazyRozszerzonej,
     .WOdpowiedzi = 3,
     .Data = true},
    {.KodOtwarcia = OdczytOkresowejSprzedazyDlugiej,
     .KodDalszy = OdczytDalszejOkresowejSprzedazyDlugiej,
     .WOdpowiedzi = 3,
     .Data = true,
     .DalszeBajty = true,
     .JednaSumaZBitem = true},
    {.KodOtwarcia = OdczytRekordowZSuma,
     .KodDalszy = OdczytRekordowZSuma,
     .Wybor = 0x00,
     .WOdpowiedzi = 4,
     .Suma = true},
    {.KodOtwarcia = OdczytRekordowZSuma,
     .KodDalszy = OdczytRekordowZSuma,
     .Wybor = 0x01,
     .WOdpowiedzi = 3,
     .Suma = true,
     .Data = true},
    {.KodOtwarcia = OdczytRekordowZSuma,
     .KodDalszy = OdczytRekordowZSuma,
     .Wybor = 0x02,
     .WOdpowiedzi = 3,
     .Suma = true,
     .Data = true,
     .DalszeBajty = true,
     .JednaSumaZBitem = true},
    {.KodOtwarcia = OdczytRekordowZSuma,
     .KodDalszy = OdczytRekordowZSuma,
     .Wybor = 0x03,
     .WOdpowiedzi = 3,
     .Suma = true,
     .Data = true,
     .DalszeBajty = true,
     .SumaKoncowa = true},
    {.KodOtwarcia = OdczytRekordowZSuma,
     .KodDalszy = OdczytRekordowZSuma,
     .Wybor = 0x10,
     .WOdpowiedzi = 3,
     .Suma = true},
    {.KodOtwarcia = OdczytRekorduSprzedazyZArgumentem,
     .KodDalszy = OdczytRekorduSprzedazyZArgumentem,
     .Pozycja = true,
     .WOdpowiedzi = 1,
     .Suma = true,
     .Data = true,
     .DalszeBajty = true,
     .SumaKoncowa = true},
};

// One readout in progress: its mode, and the records written so far (the
// position mode 8 asks for, 0 for the opening).
struct Strumien {
  TrybOkresowy tryb;
  std::size_t pozycja = 0;
};

// The request of a mode and phase, its parameters filled, and its record
// length (the catalogue's, which may depend on the parameters).
Rozkaz Zadanie(bool otwarcie, Strumien& s, uint8_t& r) {
  const OpisTrybu& t = Tryby[s.tryb];
  Rozkaz rozkaz{otwarcie ? t.KodOtwarcia : t.KodDalszy, 0, 0, 0};
  if (t.Pozycja) {
    if (otwarcie) s.pozycja = 0;
    rozkaz.LiczbaParametrow = static_cast<uint8_t>(Parametry().Word(static_cast<uint16_t>(s.pozycja)).Ile());
  } else if (t.Wybor >= 0) {
    const auto wybor = static_cast<uint8_t>(otwarcie ? t.Wybor : t.Wybor | DalszaCzesc);
    rozkaz.LiczbaParametrow = static_cast<uint8_t>(Parametry().Bajt(wybor).Ile());
  }
  r = DlugoscRekorduZnacznika(rozkaz);
  const auto dlugosc = static_cast<uint8_t>(r * t.WOdpowiedzi + 2);  // status or acknowledgement, records, end byte
  if (rozkaz.LiczbaParametrow) {
    rozkaz.DlugoscPierwszej = 1;
    rozkaz.DlugoscDrugiej = dlugosc;
  } else {
    rozkaz.DlugoscPierwszej = dlugosc;
  }
  return rozkaz;
}

// One request of the readout (the opening or a continuation) and its
// records; answers how many records it wrote.
std::size_t PobranieRekordowOkresowych(bool otwarcie, Strumien& s) {
  const OpisTrybu& t = Tryby[s.tryb];
  uint8_t dlugoscRekordu = 0;
  const Rozkaz rozkaz = Zadanie(otwarcie, s, dlugoscRekordu);
  WykonanieRozkazu(rozkaz);
  if (!BrakBledu()) return 0;
  const std::size_t r = dlugoscRekordu;
  const std::size_t dane = r - (t.Suma ? 1 : 0);
  const std::size_t bajty = (rozkaz.DlugoscDrugiej ? rozkaz.DlugoscDrugiej : rozkaz.DlugoscPierwszej) - 1u;
  std::size_t ile = 0;
  for (std::size_t i = 0; i < RekordyOdpowiedzi(bajty, r); ++i) {
    const std::size_t p = i * r;
    if (OdpowiedzByte(p) == KoniecRekordow) break;
    if (t.Suma && XorOdpowiedzi(p, dane) != OdpowiedzByte(p + dane)) {
      UstawBlad(NiezgodnoscDanych);
      break;
    }
    if (!ZapisanieRekorduOkresowego(s.tryb, Odpowiedz(p), r, dane)) break;
    ++ile;
    ++s.pozycja;
  }
  if (!ZakonczenieDopisania()) return 0;
  return ile;
}

}  // namespace

const OpisTrybu& OpisTrybuOkresowego(TrybOkresowy tryb) { return Tryby[tryb]; }

void OdczytOkresowyPolecenia(TrybOkresowy zwykly, TrybOkresowy zSumami) {
  OdczytOkresowy(KasaRozszerzona() ? zSumami : zwykly);
  OdmowaJakoNieobslugiwany();
}

void OdczytOkresowy(TrybOkresowy tryb) {
  Strumien s{tryb};
  ZamknieciePlikuWyniku();
  PobranieRekordowOkresowych(true, s);
  if (!BrakBledu()) return;
  while (PobranieRekordowOkresowych(false, s) != 0 && BrakBledu()) {
  }
}
