#include "commands/cashdesk/cashier_records.h"

#include <cstdio>

#include "platform/files.h"

namespace {

constexpr Rozkaz ODCZYT_ZALOGOWANEGO{KodRozkazu::OdczytZalogowanegoKasjera, 2, 0, 0};
constexpr Rozkaz ZEROWANIE_ZMIANY{KodRozkazu::ZerowanieZmianyKasjera, 1, 1, 1};

// The shift data come in two parts. The first: the cashier's number and 14
// five-byte totals, the second of them signed.
constexpr Rozkaz ODCZYT_ZMIANY{KodRozkazu::OdczytZmianyKasjera, 1, 1, 72};
constexpr uint8_t SUMY_ZMIANY = 14;
constexpr uint8_t SUMA_ZE_ZNAKIEM = 1;
// The second: date and time the shift opened, five two-byte counters and
// five five-byte totals. The older second-generation Pelto registers send
// three bytes more in the middle of the counters, which the line leaves out.
constexpr uint8_t DALSZA_ZMIANA = 52;
constexpr uint8_t DALSZA_ZMIANA_PELTO = 55;
constexpr std::size_t WSTAWKA_OD = 19;
constexpr std::size_t DLUGOSC_WSTAWKI = DALSZA_ZMIANA_PELTO - DALSZA_ZMIANA;
constexpr uint8_t LICZNIKI_ZMIANY = 5, SUMY_DALSZE = 5;


// The shift line. With the widest values its 27 fields need more than the
// 255 characters a data line holds; the line builder refuses such a line
// whole with 17 (a line cut short would lose totals, and _OIKasZZ would then
// zero them), so its cashier is not zeroed.
void PolaPierwszejCzesci(LiniaWyniku& linia) {
  linia.Pole(Liczba(OdpowiedzByte(0), 2));
  for (uint8_t i = 0; i < SUMY_ZMIANY; ++i) {
    const auto od = static_cast<uint8_t>(1 + 5 * i);
    linia.Pole(LiczbaBajtowNaTekst(Odpowiedz(0), od, od + 4, 0, i == SUMA_ZE_ZNAKIEM));
  }
}

// The bytes of the second part as the 52-byte answer places them.
const uint8_t* BajtDalszej(std::size_t j, std::size_t wstawka) { return Odpowiedz(j < WSTAWKA_OD ? j : j + wstawka); }

void PolaDalszejCzesci(LiniaWyniku& linia, std::size_t wstawka) {
  const auto b = [wstawka](std::size_t j) { return Liczba(*BajtDalszej(j, wstawka)); };
  linia.Pole(b(1), b(2), ".", b(3), b(4), ".", b(5), b(6));
  linia.Pole(b(7), b(8), ":", b(9), b(10));
  for (uint8_t i = 0; i < LICZNIKI_ZMIANY; ++i) {
    const uint8_t* licznik = BajtDalszej(11 + 2 * i, wstawka);
    linia.Pole(Liczba(licznik[0] | licznik[1] << 8));
  }
  for (uint8_t i = 0; i < SUMY_DALSZE; ++i)
    linia.Pole(LiczbaBajtowNaTekst(BajtDalszej(21 + 5 * i, wstawka), 0, 4, 0, false));
}

bool Pasuje(RodzajRaportu rodzaj, bool otwarta) {
  switch (rodzaj) {
    case RodzajRaportu::Kazdy: return true;
    case RodzajRaportu::Otwarci:
    case RodzajRaportu::ZZerowaniem: return otwarta;
    case RodzajRaportu::Zamknieci: return !otwarta;
  }
  return false;
}

// Both parts of the shift data of cashier `numer` as its line.
bool OdczytanieZmiany(uint8_t numer, LiniaWyniku& linia) {
  Parametry().Bajt(numer);
  WykonanieRozkazu(ODCZYT_ZMIANY);
  if (!BrakBledu()) return false;
  PolaPierwszejCzesci(linia);
  const bool dluzsza = KasaPeltoPierwszychPodwersji();
  Parametry().Bajt(numer);
  WykonanieRozkazu({KodRozkazu::OdczytDalszejZmianyKasjera, 1, 1, dluzsza ? DALSZA_ZMIANA_PELTO : DALSZA_ZMIANA});
  if (!BrakBledu()) return false;
  PolaDalszejCzesci(linia, dluzsza ? DLUGOSC_WSTAWKI : 0);
  return true;
}

// The line is on the disk before the register is asked to zero the data it
// holds: a zeroing after a write that failed, or before a crash, would lose
// the shift. `poczatek` is where the line begins.
bool ZapisanieNaDysk(const LiniaWyniku& linia, int64_t& poczatek) {
  poczatek = platforma::UstawPozycjePliku(Sesja.UchwytWyjscia, 0, 1);
  if (poczatek < 0 || !linia.Zapisanie()) return false;
  if (platforma::SynchronizujPlik(Sesja.UchwytWyjscia)) return true;
  UstawBlad(BladZapisuWyjscia);
  return false;
}

// A zeroing that failed. The file holds a line only where the register may
// have zeroed: when it refused (its status came) or never took the request
// (its parameters never left), the line is taken back and the file cut to
// its length before it. When the parameters left and no status came, the
// line stays and standard error names the cashier. The ResultCode stays.
void ZerowanieNieudane(uint8_t numer, int64_t poczatek) {
  const DaneWymiany& w = Sesja.Wymiana;
  // A byte where the status belongs that is none the register sends may have been its 0.
  const bool odmowa = w.StatusOdebrany && !JestBlad(NieoczekiwanaOdpowiedz);
  if (w.ParametryWyslane && !odmowa) {
    std::fprintf(stderr,
                 "karvo: cashier %u: the zeroing was sent but not answered; whether the register zeroed the shift "
                 "is unknown, and its line stays in %s\n",
                 static_cast<unsigned>(numer), NazwaZeSlotu(NazwaPlikuWyjsciowego));
    return;
  }
  const int32_t plik = Sesja.UchwytWyjscia;
  if (platforma::ObetnijPlik(plik, poczatek) && platforma::UstawPozycjePliku(plik, poczatek, 0) == poczatek &&
      platforma::SynchronizujPlik(plik)) {
    --Sesja.LicznikLiniiWyjscia;
    return;
  }
  std::fprintf(stderr, "karvo: cashier %u was not zeroed, but its line could not be taken back from %s\n",
               static_cast<unsigned>(numer), NazwaZeSlotu(NazwaPlikuWyjsciowego));
}

}  // namespace

bool OdczytanieKasjera(uint8_t numer) {
  Parametry().Bajt(numer);
  WykonanieRozkazu(ODCZYT_KASJERA);
  return BrakBledu();
}

void ZapisanieFlagKasjera(uint8_t numer, const uint8_t* bity, const uint8_t* wartosci, std::size_t ile) {
  if (!OdczytanieKasjera(numer)) return;
  uint8_t bajt = FlagiKasjera();
  for (std::size_t i = 0; i < ile; ++i) bajt = ZFlaga(bajt, bity[i], wartosci[i]);
  Parametry().Bajt(numer).Bajt(bajt);
  WykonanieRozkazu(ZAPIS_FLAG_KASJERA);
}

bool OdczytanieZalogowanego(uint8_t& numer) {
  WykonanieRozkazu(ODCZYT_ZALOGOWANEGO);
  numer = OdpowiedzByte(0);
  return BrakBledu();
}

namespace {

// The shift line of the cashier just read, when the cashier fits the kind.
void RaportOdczytanego(uint8_t numer, RodzajRaportu rodzaj) {
  if (!Pasuje(rodzaj, BitFlag(FlagiKasjera(), BIT_ZMIANY))) return;
  uint8_t zalogowany = 0;
  if (!OdczytanieZalogowanego(zalogowany)) return;
  const bool zerowanie = rodzaj == RodzajRaportu::ZZerowaniem;
  if (zerowanie && zalogowany == numer) return;
  LiniaWyniku linia;
  if (!OdczytanieZmiany(numer, linia)) return;
  if (!zerowanie) {
    linia.Zapisanie();
    return;
  }
  int64_t poczatek = 0;
  if (!ZapisanieNaDysk(linia, poczatek)) return;
  Parametry().Bajt(numer);
  WykonanieRozkazu(ZEROWANIE_ZMIANY);
  if (!BrakBledu()) ZerowanieNieudane(numer, poczatek);
}

// The readout's lines of a cashier it has read; the end of the table met by
// any later request of the cashier ends the readout with 0 as well.
template <RodzajRaportu Rodzaj>
bool LinieKasjera(uint32_t numer) {
  RaportOdczytanego(static_cast<uint8_t>(numer), Rodzaj);
  if (Sesja.BiezacyWynik == KONIEC_KASJEROW) UstawBlad(BezBledu);
  return BrakBledu();
}

}  // namespace

void RaportKasjera(uint8_t numer, RodzajRaportu rodzaj) {
  if (!OdczytanieKasjera(numer)) {
    if (Sesja.BiezacyWynik == BRAK_KASJERA) UstawBlad(BezBledu);
    return;
  }
  RaportOdczytanego(numer, rodzaj);
}

namespace {

// The kind of the readout and the cashier of the line in hand.
struct RaportZWejscia {
  RodzajRaportu Rodzaj;
  uint8_t Numer = 0;
};

bool NumerKasjera(const char* linia, RaportZWejscia& r) { return PoleByte(linia, 1, r.Numer); }
void RaportKasjeraZLinii(RaportZWejscia& r) { RaportKasjera(r.Numer, r.Rodzaj); }

}  // namespace

void RaportyKasjerowZWejscia(RodzajRaportu rodzaj) {
  RaportZWejscia r{rodzaj};
  CialoZapisuLiniami({{}, NumerKasjera, RaportKasjeraZLinii}, r);
}

void RaportyKasjerow(RodzajRaportu rodzaj) {
  using enum RodzajRaportu;
  constexpr bool (*LINIE[])(uint32_t) = {LinieKasjera<Kazdy>, LinieKasjera<Otwarci>, LinieKasjera<Zamknieci>,
                                         LinieKasjera<ZZerowaniem>};
  OdczytRekordow odczyt = OdczytTablicyKasjerow(nullptr);
  odczyt.Linie = LINIE[static_cast<uint8_t>(rodzaj)];
  CialoOdczytuRekordow(odczyt);
}
