#include "protocol/framing.h"

#include <algorithm>
#include <cstring>

#include "protocol/framing_codec.h"
#include "protocol/line_modes.h"
#include "state/result_codes.h"
#include "state/session_state.h"

namespace {

constexpr uint8_t NAGLOWEK[DLUGOSC_NAGLOWKA_RAMKI] = {'K', 'A', 'R', 'V', 'O'};

// A line that only carries noise must not keep the reception going for ever:
// after this many bytes without a header it counts as not answered.
constexpr std::size_t NAJWIECEJ_POMINIETYCH = 1024;

// Raw bytes of a frame: length, control byte, contents, CRC low and high.
constexpr std::size_t NAJWIECEJ_SUROWYCH = 223;  // the most whose coding fits 255 bytes
static_assert(DlugoscPoZakodowaniu(NAJWIECEJ_SUROWYCH) == NAJWIEKSZA_DLUGOSC_RAMKI);
static_assert(DlugoscPoZakodowaniu(NAJWIECEJ_SUROWYCH + 1) > NAJWIEKSZA_DLUGOSC_RAMKI);
// Two payloads of the longest answer frames always fit the answer area.
static_assert(2 * (NAJWIECEJ_SUROWYCH - 4) <= sizeof(DaneWymiany{}.ObszarOdpowiedzi));

DaneRamek& R() { return Sesja.Ramki; }

// Address and line-speed bits that every frame's control byte carries.
uint8_t BajtSterujacyAdresu() {
  uint8_t bajt = static_cast<uint8_t>((BiezacyTrybLacza().AdresWRamce() - 1) & 0x07);
  if (Sesja.Lacze.PredkoscZadana == 19200) bajt |= 0x08;
  return bajt;
}

// Builds a frame of the control byte and the contents behind it, then sends
// it when the line is there.
void WyslanieRamki(uint8_t bajtSterujacy, const uint8_t* tresc, std::size_t dlugoscTresci) {
  const std::size_t liczba = dlugoscTresci + 4;
  if (liczba > NAJWIECEJ_SUROWYCH) {  // the length byte could not describe it
    UstawBlad(BladWyslaniaRamki);
    return;
  }
  uint8_t surowe[NAJWIECEJ_SUROWYCH];
  surowe[0] = static_cast<uint8_t>(DlugoscPoZakodowaniu(liczba));
  surowe[1] = bajtSterujacy;
  std::memcpy(surowe + 2, tresc, dlugoscTresci);
  const uint16_t crc = Crc16(surowe, liczba - 2);
  surowe[liczba - 2] = static_cast<uint8_t>(crc & 0xFF);
  surowe[liczba - 1] = static_cast<uint8_t>(crc >> 8);

  std::memcpy(R().Bufor, NAGLOWEK, DLUGOSC_NAGLOWKA_RAMKI);
  const std::size_t zakodowane = Kodowanie7w8(surowe, liczba, R().Bufor + DLUGOSC_NAGLOWKA_RAMKI,
                                              ROZMIAR_BUFORA_RAMKI - DLUGOSC_NAGLOWKA_RAMKI);
  R().DlugoscRamki = static_cast<uint16_t>(DLUGOSC_NAGLOWKA_RAMKI + zakodowane);

  const TrybLacza& tryb = BiezacyTrybLacza();
  if (!tryb.JestNosna()) {
    UstawBlad(BrakNosnej);
    return;
  }
  tryb.WyslanieBajtowRamki(R().Bufor, R().DlugoscRamki);
}

bool OdczytanieBajtowRamki(const TrybLacza& tryb);

// Reads wire bytes until a header and the whole frame it announces are in the
// buffer. False when a byte did not come (the line has set the ResultCode).
// Once the length is in, the rest of the frame is on its way as a whole.
bool OdczytanieRamki(const TrybLacza& tryb) {
  const bool cala = OdczytanieBajtowRamki(tryb);
  ResztaOdpowiedzi(0);
  return cala;
}

bool OdczytanieBajtowRamki(const TrybLacza& tryb) {
  std::size_t oczekiwana = 2, pominiete = 0;
  while (R().DlugoscRamki < DLUGOSC_NAGLOWKA_RAMKI + oczekiwana) {
    uint8_t bajt = 0;
    if (!tryb.OdbiorBajtuRamki(&bajt)) return false;
    R().OdebranoCos = 1;
    const std::size_t p = R().DlugoscRamki;
    if (p < DLUGOSC_NAGLOWKA_RAMKI && bajt != NAGLOWEK[p]) {
      // The header has no repeating part, so after a mismatch it can only start
      // again at this byte.
      R().Bufor[0] = bajt;
      R().DlugoscRamki = bajt == NAGLOWEK[0] ? 1 : 0;
      if (++pominiete > NAJWIECEJ_POMINIETYCH) {
        UstawBlad(BrakOdpowiedziRamki);
        return false;
      }
      continue;
    }
    R().Bufor[p] = bajt;
    R().DlugoscRamki = static_cast<uint16_t>(p + 1);
    if (p == DLUGOSC_NAGLOWKA_RAMKI + 1) {  // the length byte, its bit 7 in the group's high-bit byte
      oczekiwana = (bajt & 0x7F) | ((R().Bufor[DLUGOSC_NAGLOWKA_RAMKI] & 0x40) << 1);
      const std::size_t calosc = DLUGOSC_NAGLOWKA_RAMKI + oczekiwana;
      if (calosc > p + 1) ResztaOdpowiedzi(static_cast<uint32_t>(calosc - p - 1));
    }
  }
  return true;
}

// What the answer's control byte says when it is neither a complete answer
// nor an awaited second part.
IndeksBledu KodBajtuSterujacego(uint8_t bajt) {
  static constexpr IndeksBledu KodyMlodszych[] = {RamkaOdrzucona, OdmowaTypuRamki, BladModulu37, BladModulu38};
  const uint8_t mlodsze = bajt & 0x0F;
  if (mlodsze >= 1 && mlodsze <= 4) return KodyMlodszych[mlodsze - 1];
  if (bajt & 0x10) return WymaganeLogowanie;
  if (bajt & 0x20) return WymaganyPierwszyCzas;
  if (bajt & 0x40) return WymaganyDrugiCzas;
  switch (mlodsze) {
    case 5: return BladWyslania;
    case 6: return BrakOdpowiedzi;
    case 7: return BladModulu42;
    case 8: return PierwszaCzescOdpowiedzi;
    default: return NieznanaOdpowiedzRamki;
  }
}

void ZapisanieOdpowiedzi(const uint8_t* dane, std::size_t dlugosc, std::size_t odBajtu) {
  std::memcpy(Sesja.Wymiana.ObszarOdpowiedzi + odBajtu, dane, dlugosc);
  R().PozycjaOdpowiedzi = 0;
  R().LiczbaBajtowOdpowiedzi = static_cast<uint16_t>(odBajtu + dlugosc);
}

}  // namespace

void WyslanieRamkiRozkazu(const ZadanieRamki& z) {
  const Rozkaz& r = z.rozkaz;
  uint8_t bajt = BajtSterujacyAdresu() | 0x20;
  if (r.DlugoscPierwszej != 0 && r.LiczbaParametrow != 0) bajt |= 0x10;
  if (z.StatusJestDana) bajt |= 0x40;
  uint8_t tresc[5 + 256];
  tresc[0] = r.DlugoscPierwszej;
  tresc[1] = r.DlugoscDrugiej;
  tresc[2] = z.DlugoscRekordu;
  tresc[3] = 0x1B;
  tresc[4] = BajtKodu(r.Kod);
  std::memcpy(tresc + 5, Sesja.Wymiana.ObszarParametrow, r.LiczbaParametrow);
  WyslanieRamki(bajt, tresc, 5u + r.LiczbaParametrow);
}

void OdebranieRamki() {
  const TrybLacza& tryb = BiezacyTrybLacza();
  if (!tryb.JestNosna()) {
    UstawBlad(BrakNosnej);
    return;
  }
  R().DlugoscRamki = 0;
  R().OdebranoCos = 0;
  if (!OdczytanieRamki(tryb)) return;

  uint8_t surowe[ROZMIAR_BUFORA_RAMKI];
  const std::size_t liczba = Dekodowanie7w8(R().Bufor + DLUGOSC_NAGLOWKA_RAMKI,
                                            R().DlugoscRamki - DLUGOSC_NAGLOWKA_RAMKI, surowe, sizeof surowe);
  // Too short to hold a length, a control byte and the CRC counts as broken too.
  if (liczba < 4 || Crc16(surowe, liczba) != 0) {
    UstawBlad(BladCrcRamki);
    return;
  }
  const uint8_t bajt = surowe[1];
  const uint8_t* dane = surowe + 2;
  const std::size_t dlugosc = liczba - 4;
  if (bajt == 0) {
    ZapisanieOdpowiedzi(dane, dlugosc, 0);
  } else if ((bajt & 0x0F) == 8 && R().Kontynuacja) {
    ZapisanieOdpowiedzi(dane, dlugosc, R().LiczbaBajtowOdpowiedzi);
    R().Kontynuacja = 0;
  } else {
    const IndeksBledu kod = KodBajtuSterujacego(bajt);
    if (kod == PierwszaCzescOdpowiedzi) {
      ZapisanieOdpowiedzi(dane, dlugosc, 0);
      R().Kontynuacja = 1;
    }
    UstawBlad(kod);
  }
}

void WyslanieRamkiSterujacej(uint8_t typ) {
  if (typ == 0 || typ > RamkaDalszejCzesci) {
    UstawBlad(OdmowaTypuRamki);
    return;
  }
  uint8_t tresc[4 + 8] = {0, 0, 0, typ};
  std::size_t dlugosc = 4;
  const auto dolaczenie = [&](const void* dane, std::size_t n) {
    std::memcpy(tresc + dlugosc, dane, n);
    dlugosc += n;
  };
  const uint8_t slowoCzasu[2] = {static_cast<uint8_t>(Sesja.Lacze.CzasOczekiwaniaRamki & 0xFF),
                                 static_cast<uint8_t>((Sesja.Lacze.CzasOczekiwaniaRamki >> 8) & 0xFF)};
  switch (typ) {
    case RamkaZmianyHasla: dolaczenie(R().NoweHaslo, 8); break;
    case RamkaLogowania: dolaczenie(Sesja.Lacze.HasloModulu, 8); break;
    case RamkaPierwszegoSlowaCzasu:
    case RamkaDrugiegoSlowaCzasu: dolaczenie(slowoCzasu, 2); break;
    case RamkaLiczbyDzwonkow: dolaczenie(&R().LiczbaDzwonkow, 1); break;
    default: break;
  }
  WyslanieRamki(BajtSterujacyAdresu(), tresc, dlugosc);
  if (BrakBledu()) OdebranieRamki();
}

void ZerowanieStanuOdtwarzania() {
  R().PierwszyLicznikPowtorzen = R().DrugiLicznikPowtorzen = 0;
  R().WyslanoLogowanie = R().WyslanoPierwszyCzas = R().WyslanoDrugiCzas = 0;
}

namespace {

// A control frame that the module asks for once per exchange; false when it was sent already.
bool JednorazowaRamka(uint8_t& wyslano, uint8_t typ) {
  if (wyslano) return false;
  UstawBlad(BezBledu);
  WyslanieRamkiSterujacej(typ);
  wyslano = 1;
  return true;
}

}  // namespace

void ObslugaBleduRamki() {
  const uint8_t limit = Sesja.Lacze.LimitPowtorzen;
  for (;;) {
    switch (Sesja.BiezacyWynik) {
      case BladCrcRamki:
      case BrakOdpowiedziRamki:
        if (R().PierwszyLicznikPowtorzen == limit) return;
        if (Sesja.BiezacyWynik == BrakOdpowiedziRamki && !R().OdebranoCos) return;  // nothing came back at all
        UstawBlad(BezBledu);
        WyslanieRamkiSterujacej(RamkaPowtorzeniaOdpowiedzi);
        ++R().PierwszyLicznikPowtorzen;
        break;
      case RamkaOdrzucona:
        if (R().DrugiLicznikPowtorzen == limit) return;
        UstawBlad(BezBledu);  // the caller sends the whole request again
        ++R().DrugiLicznikPowtorzen;
        break;
      case WymaganeLogowanie:
        if (!JednorazowaRamka(R().WyslanoLogowanie, RamkaLogowania)) return;
        break;
      case WymaganyPierwszyCzas:
        if (!JednorazowaRamka(R().WyslanoPierwszyCzas, RamkaPierwszegoSlowaCzasu)) return;
        break;
      case WymaganyDrugiCzas:
        if (!JednorazowaRamka(R().WyslanoDrugiCzas, RamkaDrugiegoSlowaCzasu)) return;
        break;
      case PierwszaCzescOdpowiedzi:
        UstawBlad(BezBledu);
        WyslanieRamkiSterujacej(RamkaDalszejCzesci);
        break;
      default:
        return;
    }
  }
}

void WymianaRamki(const ZadanieRamki& zadanie) {
  ZerowanieStanuOdtwarzania();
  for (;;) {
    WyslanieRamkiRozkazu(zadanie);
    if (!BrakBledu()) return;
    OdebranieRamki();
    if (BrakBledu()) return;
    const uint8_t zapamietany = Sesja.BiezacyWynik;
    ObslugaBleduRamki();
    if (!BrakBledu()) return;
    // After these the recovery has fetched the answer itself; otherwise the request goes again.
    if (zapamietany == BladCrcRamki || zapamietany == PierwszaCzescOdpowiedzi || zapamietany == BrakOdpowiedziRamki) return;
  }
}

uint8_t OdebranieBajtuOdpowiedzi() {
  if (R().PozycjaOdpowiedzi >= R().LiczbaBajtowOdpowiedzi) {
    UstawBlad(BrakBajtuOdpowiedzi);
    return 0;
  }
  return Sesja.Wymiana.ObszarOdpowiedzi[R().PozycjaOdpowiedzi++];
}
