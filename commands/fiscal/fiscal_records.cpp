#include "commands/fiscal/fiscal_records.h"

#include <algorithm>
#include <cstring>

#include "commands/command.h"
#include "platform/files.h"
#include "protocol/framing_codec.h"

namespace {

// ---- the periodic data sets ----

constexpr uint8_t BlokiZbioru = 4;
constexpr uint8_t WpisyBloku = 6;
constexpr uint8_t DlugoscWpisu = 9;

// ---- the fiscal memory ----

constexpr uint8_t DlugoscRekorduNowego = 63;  // status and 62 data bytes, the check included
constexpr uint8_t DaneRekorduNowego = 62;
constexpr uint8_t DlugosciRekorduStarego[] = {43, 18, 9, 1};  // tried in turn while the answer does not come
constexpr uint8_t RekordPusty = 0xFF;
constexpr uint8_t RekordPustyStary = 0xFE;
constexpr uint8_t BitStatusu = 0x40;

bool RekordZCrc() { return KasaT(); }

// The check of a 0x9A answer: CRC-16 or XOR over all 62 data bytes is 0.
bool SumaRekorduPoprawna() {
  if (RekordZCrc()) return Crc16(Odpowiedz(0), DaneRekorduNowego) == 0;
  return XorOdpowiedzi(0, DaneRekorduNowego) == 0;
}

// Registers of type code 100 or above: up to ProbyRekordu tries of 0x9A until
// the check holds or the record is empty. False when it ends the record (a
// failed exchange, or 46 after the last bad check).
bool PobranieRekorduNowego(uint16_t numer, RekordFiskalny& r) {
  for (int proba = 1;; ++proba) {
    Parametry().Word(numer);
    WykonanieRozkazu({KodRozkazu::OdczytRekorduFiskalnego, 1, 2, DlugoscRekorduNowego});
    if (!BrakBledu()) return false;
    r.status = Sesja.Wymiana.StatusRozkazu;
    const bool pusty = r.status == RekordPusty || r.status == RekordPustyStary;
    if (pusty || SumaRekorduPoprawna()) break;
    // A record that never reads correctly is not written as if it had.
    if (proba == ProbyRekordu) {
      UstawBlad(NiezgodnoscDanych);
      return false;
    }
  }
  std::memcpy(r.bajty, Odpowiedz(0), DaneRekorduNowego);
  r.dane = DaneRekorduNowego - (RekordZCrc() ? 2 : 1);
  const bool pusty = r.status == RekordPusty || r.status == RekordPustyStary;
  if (RekordZCrc() && !pusty) {
    // The record's own status opens its data.
    r.status = r.bajty[0];
    std::memmove(r.bajty, r.bajty + 1, MiejsceRekordu - 1);
    r.bajty[MiejsceRekordu - 1] = 0;
    r.dane -= 1;
  }
  return true;
}

// First generation: 0xE5, whose status says how long the record is. While the
// answer does not come (in the framed modes the module waits for the length
// the request names) the request is repeated with a shorter length.
bool PobranieRekorduStarego(uint16_t numer, RekordFiskalny& r) {
  for (uint8_t dlugosc : DlugosciRekorduStarego) {
    Parametry().Word(numer);
    Sesja.Wymiana.StatusRozkazu = 0;
    WykonanieRozkazu({KodRozkazu::OdczytRekorduFiskalnegoStary, 1, 2, dlugosc});
    if (!JestBlad(BrakOdpowiedzi)) break;
  }
  uint8_t reszta = 0;
  const bool znany = DlugoscResztyRekordu(Sesja.Wymiana.StatusRozkazu, reszta);
  if (JestBlad(BrakBajtuOdpowiedzi) && znany &&
      std::find(std::begin(DlugosciRekorduStarego), std::end(DlugosciRekorduStarego), reszta + 1) ==
          std::end(DlugosciRekorduStarego)) {
    // The module hands out a record only at a length tried: this one (the long
    // report record of type codes 24 and 27) lies between them and cannot be read this way.
    UstawBlad(RozkazNieobslugiwany);
  }
  if (!BrakBledu()) return false;
  r.status = Sesja.Wymiana.StatusRozkazu;
  r.dane = reszta;
  std::memcpy(r.bajty, Odpowiedz(0), reszta);
  return true;
}

// The 'o' and 'p' registers: the status goes before the data, and the record is
// dumped whole or in the part its number names.
bool ZapisSurowy(uint16_t numer, RekordFiskalny& r) {
  std::memmove(r.bajty + 1, r.bajty, DaneRekorduNowego);
  r.bajty[0] = r.status;
  std::size_t od = 0, ile = DlugoscRekorduNowego;
  if (numer == PierwszyRekordSpecjalny) od = 28, ile = 35;
  else if (numer == PoczatekRekordu2076) ile = 28;
  else if (numer == OstatniRekordSpecjalny) ile = 32;
  if (platforma::PiszPlik(Sesja.UchwytWyjscia, r.bajty + od, ile) == static_cast<long>(ile)) return true;
  UstawBlad(BladZapisuWyjscia);
  return false;
}

// Second generation: the status is remapped to the first generation's.
uint8_t Przemapowanie(uint8_t status) {
  switch (status) {
    case 0xEE: return 0xFC;
    case 0xFA: return 0xFB;
    case 0xFC: return 0xFA;
    case 0xFE: return 0xFD;
    case 0xFF: return 0xFE;
    default: return status;
  }
}

// 0xFB: the tax rates, two bytes each, the first byte the more significant.
void StawkiPodatku(const RekordFiskalny& r, LiniaWyniku& linia) {
  const bool druga = KasaDrugiejGeneracji();
  const uint8_t rezerwa = druga ? 0x80 : 0xFF;
  for (int m = 0; m < (druga ? 7 : 6); ++m) {
    const uint8_t starszy = r.bajty[5 + 2 * m], mlodszy = r.bajty[6 + 2 * m];
    if (starszy == rezerwa) {
      linia.Pole("REZERWA");
    } else if (druga && starszy == 0x40) {
      linia.Pole("ZWOLNIONA");
    } else {
      const uint8_t wartosc[2] = {mlodszy, starszy};
      linia.Pole(LiczbaBajtowNaTekst(wartosc, 0, 1, 2, false));
    }
  }
}

// 0xF8 to 0xFA: a counter, then the totals of five bytes (inverted on the
// second generation; on type codes 24 and 27 with their signs in byte 35).
void Sumy(const RekordFiskalny& r, LiniaWyniku& linia) {
  const bool stary = KasaTypu24Lub27();
  const std::size_t licznik = stary ? 36 : 40;
  linia.Pole(Liczba(r.bajty[licznik] | (r.bajty[licznik + 1] << 8)));
  for (int p = 0; p < (stary ? 6 : 7); ++p) {
    uint8_t suma[5];
    for (int i = 0; i < 5; ++i) {
      const uint8_t b = r.bajty[5 + 5 * p + i];
      suma[i] = KasaDrugiejGeneracji() ? static_cast<uint8_t>(~b) : b;
    }
    const bool ujemna = stary && (r.bajty[35] & (0x80 >> p));
    linia.Pole(ujemna ? "-" : "", LiczbaBajtowNaTekst(suma, 0, 4, 0, false));
  }
}

}  // namespace

// ---- the periodic data sets ----

void ZapisanieDatyZbioru(KodRozkazu kodDaty) {
  WykonanieRozkazu({kodDaty, 7, 0, 0});
  if (!BrakBledu()) return;
  const uint8_t* d = Odpowiedz(0);
  LiniaWyniku()
      .Pole(Liczba(d[0]), Liczba(d[1]), ".", Liczba(d[2]), Liczba(d[3]), ".", Liczba(d[4]), Liczba(d[5]))
      .Zapisanie();
}

namespace {

// The lines of one block of a periodic data set, an entry each.
bool LinieBloku(uint32_t blok) {
  for (uint8_t j = 0; j < WpisyBloku && BrakBledu(); ++j) {
    const uint8_t* wpis = Odpowiedz(j * DlugoscWpisu);
    LiniaWyniku()
        .Pole(Liczba(blok * WpisyBloku + j, 2))
        .Pole(LiczbaBajtowNaTekst(wpis, 7, 8, 0, false))
        .Pole(LiczbaBajtowNaTekst(wpis, 5, 6, 0, false))
        .Pole(LiczbaBajtowNaTekst(wpis, 0, 4, 0, true))
        .Zapisanie();
  }
  return BrakBledu();
}

}  // namespace

void ZapisanieDanychZbioru(KodRozkazu kodDaty, KodRozkazu kodBloku) {
  if (KasaNorda()) ZapisanieDatyZbioru(kodDaty);
  if (!BrakBledu()) return;
  CialoOdczytuRekordow({.rozkaz = {kodBloku, 1, 1, 1 + WpisyBloku * DlugoscWpisu},
                        .Ostatni = BlokiZbioru - 1u,
                        .Pierwszy = 0,
                        .Linie = LinieBloku});
}

// ---- the fiscal memory ----

uint8_t StatusRekordu(uint8_t odebrany) {
  // Bit 6 is a flag of the record, not part of its kind: it is set first, so the
  // second generation's remap sees the kinds only.
  const uint8_t status = odebrany | BitStatusu;
  return KasaDrugiejGeneracji() ? Przemapowanie(status) : status;
}

uint8_t RodzajRekordu(uint8_t status) {
  switch (status) {
    case 0xFA: return 1;
    case 0xFB: return 2;
    case 0xFC: return 3;
    case 0xFD: return 4;
    case 0xFE: return 5;
    case 0xF8: return 6;
    case 0xF9: return 7;
    default: return 0;
  }
}

void LiniaRekordu(uint16_t numer, const RekordFiskalny& r, LiniaWyniku& linia) {
  const uint8_t status = StatusRekordu(r.status);
  const uint8_t rodzaj = RodzajRekordu(status);
  linia.Pole(Liczba(numer, 4));
  if (rodzaj == 0) {
    // A kind the driver does not know: its status and data as they came, so
    // that nothing of it is lost or passed off as a known kind.
    uint8_t surowe[1 + MiejsceRekordu];
    surowe[0] = r.status;
    std::memcpy(surowe + 1, r.bajty, r.dane);
    linia.Pole("?").PoleHexH(surowe, 1 + r.dane);
    return;
  }
  linia.Pole(Liczba(rodzaj));
  if (status < 0xF8 || status > 0xFC) return;
  const uint8_t* b = r.bajty;
  linia.Pole(status == 0xFC ? Liczba(b[3]) : Liczba(b[3] | (b[4] << 8)));
  linia.Pole(Hex(b[0]), ".", Hex(b[1]), ".", Hex(b[2]));
  if (status == 0xFC) {
    const uint8_t* c = b + (KasaDrugiejGeneracji() ? 5 : 4);
    linia.Pole(Liczba(c[0]), Liczba(c[1]), ":", Liczba(c[2]), Liczba(c[3]));
    linia.Pole(r.status & BitStatusu ? "0" : "1");
  } else if (status == 0xFB) {
    StawkiPodatku(r, linia);
  } else {
    Sumy(r, linia);
  }
}

void OdczytanieRekordu(uint16_t numer) {
  const uint16_t zadany = KasaOP() && numer == PoczatekRekordu2076 ? PierwszyRekordSpecjalny : numer;
  RekordFiskalny r;
  const bool nowy = KasaDrugiejGeneracji() || KasaOP();
  if (!(nowy ? PobranieRekorduNowego(zadany, r) : PobranieRekorduStarego(zadany, r))) return;
  if (KasaOP()) {
    ZapisSurowy(numer, r);
    return;
  }
  LiniaWyniku linia;
  LiniaRekordu(numer, r, linia);
  linia.Zapisanie();
}

void OdczytanieLicznika(KodRozkazu kod) {
  WykonanieRozkazu({kod, 3, 0, 0});
  if (BrakBledu()) LiniaWyniku().Pole(Liczba(OdpowiedzWord(0))).Zapisanie();
}

bool OtwarcieWyjsciaSurowego() {
  ZamknieciePliku(&Sesja.UchwytWyjscia);
  if (OtwartoPlik(&Sesja.UchwytWyjscia, Sesja.NazwyPlikowSesji[NazwaPlikuWyjsciowego], 2)) return true;
  UstawBlad(BladOtwarciaWyjscia);
  return false;
}
