// The records of the periodic readout: their kinds and one line builder per
// kind. A builder reads the record through a working copy in which the bytes
// the record does not have are 0, so no kind reads past its record in the
// modes whose records are shorter than the bytes the kind uses.
#include <cstring>

#include "commands/command.h"
#include "commands/sales/periodic_readout.h"
#include "commands/sales/sales_records.h"

namespace {

enum Rodzaj : uint8_t {
  Sprzedaz = 0, SprzedazOznaczona = 1, SprzedazNorda = 2, Tekst = 3, Podatki = 4,
  Zdarzenie = 5, Wplata = 6, Raport = 7, Obroty = 8, Sumy = 9, Inny = 10,
};

// The record's bytes, 0 beyond its data.
struct Rekord {
  uint8_t b[64]{};
  Rekord(const uint8_t* rekord, std::size_t dane) { std::memcpy(b, rekord, dane < sizeof b ? dane : sizeof b); }
  uint8_t operator[](std::size_t i) const { return i < sizeof b ? b[i] : 0; }
};

// The working copy N of the line formats.
struct Robocza {
  uint8_t n[64]{};
  uint8_t& operator[](std::size_t i) { return n[i]; }
  uint64_t Liczba_(std::size_t od, std::size_t do_) const { return WartoscBajtow(n + od, do_ - od + 1); }
  Fragment Dziesietnie(std::size_t od, std::size_t do_, uint8_t miejsca = 0) const {
    return LiczbaBajtowNaTekst(n, static_cast<uint8_t>(od), static_cast<uint8_t>(do_), miejsca, false);
  }
  Fragment ZeZnakiem(std::size_t od, std::size_t do_) const {
    return LiczbaBajtowNaTekst(n, static_cast<uint8_t>(od), static_cast<uint8_t>(do_), 0, true);
  }
};

// A packed date and time over four bytes: year, month, day, hour, and the minute spread over their top bits.
void RozpakowanieDaty(const Rekord& r, std::size_t od, uint8_t& rok, uint8_t& miesiac, uint8_t& dzien, uint8_t& godzina,
                      uint8_t& minuta) {
  rok = r[od] & 0x7F;
  miesiac = r[od + 1] & 0x0F;
  dzien = r[od + 2] & 0x1F;
  godzina = r[od + 3] & 0x1F;
  minuta = static_cast<uint8_t>((r[od + 2] >> 5) * 8 + (r[od + 3] >> 5));
}

Fragment Dwie(uint64_t v) { return Liczba(v, 2); }

// Kinds 0, 1 and 2: a sales record.
bool LiniaSprzedazyOkresowej(const OpisTrybu& tryb, Rodzaj rodzaj, const Rekord& r) {
  Robocza N;
  for (std::size_t i = 0; i < 16; ++i) N[i] = r[i];
  N[9] = r[9] & 0x7F;
  N[16] = r[9] >> 7;
  if (tryb.Data) {
    RozpakowanieDaty(r, 16, N[17], N[18], N[19], N[20], N[22]);
    N[21] = r[17] >> 4;
  }
  if (tryb.DalszeBajty)
    for (std::size_t i = 20; i < 41; ++i) N[23 + i - 20] = r[i];
  if (rodzaj != Sprzedaz) N[0] = static_cast<uint8_t>(N[0] - 0x80);

  LiniaWyniku linia;
  if (tryb.Data) linia.Pole(rodzaj == Sprzedaz ? "1" : rodzaj == SprzedazOznaczona ? "2" : "5");
  if (!KasaNowa()) {
    if (N.Liczba_(14, 15) == 0) N[14] = 0x0F, N[15] = 0x27;  // 9999
    if (N.Liczba_(1, 2) == 0) N[1] = 0x0F, N[2] = 0x27;
  }
  if (!KasaOP()) linia.Pole(N.Dziesietnie(14, 15));
  if (KasaOP()) linia.Pole(Liczba(N[1] | (N[2] << 8) | (N[14] << 16)));
  else linia.Pole(N.Dziesietnie(1, 2));
  linia.Pole(Liczba(N[0]));
  uint64_t v = N.Liczba_(3, 4);
  if (!KasaOP()) {
    if (!KasaNorda()) {
      linia.Pole(Liczba(N[16]));
    } else if (v > 65023) {
      linia.Pole("1");
      v -= 65023;
    } else {
      linia.Pole("0");
    }
  }
  linia.Pole(Liczba(v, 4)).Pole(N.Dziesietnie(5, 8, N[9] & 3)).Pole(N.Dziesietnie(10, 13));
  if (!tryb.Data) return DopisanieLinii(linia);

  linia.Pole(Dwie(N[17]), ".", Dwie(N[18]), ".", Dwie(N[19]));
  if (tryb.DalszeBajty) linia.Pole(Dwie(N[20]), ":", Dwie(N[23]));
  else linia.Pole(Dwie(N[20]));
  linia.Pole(Liczba(N[21])).Pole(Dwie(N[22]));
  if (!tryb.DalszeBajty || rodzaj == SprzedazOznaczona) return DopisanieLinii(linia);

  if ((N[31] & 0x80) && tryb.JednaSumaZBitem && !KasaNorda()) {
    N[31] &= 0x7F;
    linia.Pole(Liczba(N.Liczba_(24, 31), 13));
  } else {
    linia.Pole(N.Dziesietnie(24, 27));
    if (KasaNorda()) linia.Pole(Liczba(N.Liczba_(28, 33), 13));
    else linia.Pole(N.Dziesietnie(28, 31));
  }
  if (!KasaNorda()) linia.Pole(Dwie((N[9] >> 2) & 0x1F));
  if (tryb.SumaKoncowa) linia.Pole(Liczba(N.Liczba_(32, 39), 13));
  return DopisanieLinii(linia);
}

// Kind 3: a text record.
bool LiniaTekstu(const OpisTrybu& tryb, const Rekord& r, std::size_t dane) {
  LiniaWyniku linia;
  linia.Pole("3").Pole(Liczba(r[3] | (r[4] << 8))).Pole(Liczba(r[1] | (r[2] << 8))).Pole(Liczba(r[5]));
  // Modes 1 and 4 (a date, nothing after it) keep the short text.
  const bool dlugi = KasaDrugiejGeneracji() && (!tryb.Data || tryb.DalszeBajty);
  std::size_t koniec = dlugi ? 30 : 19;
  if (koniec >= dane) koniec = dane - 1;
  linia.Pole();
  for (std::size_t i = 6; i <= koniec && r[i] != 0x0D && r[i] != 0; ++i)
    linia.Dopisanie(std::string_view(reinterpret_cast<const char*>(&r.b[i]), 1));
  return DopisanieLinii(linia);
}

// Kind 10: every byte of the record in hexadecimal.
bool LiniaInna(const uint8_t* rekord, std::size_t dlugosc) {
  LiniaWyniku linia;
  linia.Pole("?").PoleHexH(rekord, dlugosc);
  return DopisanieLinii(linia);
}

// Kinds 5 to 9 keep a packed date at b0..b3 and the byte after it in N[0..5].
void DataWN(Robocza& N, const Rekord& r, std::size_t od) {
  RozpakowanieDaty(r, od, N[0], N[1], N[2], N[3], N[5]);
  N[4] = r[od + 4];
}

// The date and the time of a record as two fields.
void PolaDatyICzasu(LiniaWyniku& linia, const Robocza& N) {
  linia.Pole(Dwie(N.n[0]), ".", Dwie(N.n[1]), ".", Dwie(N.n[2]));
  linia.Pole(Dwie(N.n[3]), ":", Dwie(N.n[4]));
}

bool LiniaZdarzenia(const Rekord& r) {
  Robocza N;
  DataWN(N, r, 1);
  for (std::size_t i = 6; i <= 20; ++i) N[i] = r[i];
  LiniaWyniku linia;
  linia.Pole("9");
  PolaDatyICzasu(linia, N);
  linia.Pole(Dwie(N[5])).Pole(N.Dziesietnie(6, 10)).Pole(N.Dziesietnie(11, 12)).Pole(Liczba(N[13]));
  linia.Pole(N.Dziesietnie(14, 16)).Pole(N.Dziesietnie(17, 20));
  return DopisanieLinii(linia);
}

bool LiniaWplaty(const Rekord& r) {
  Robocza N;
  DataWN(N, r, 4);
  N[6] = r[1], N[7] = r[2], N[8] = r[3];
  for (std::size_t i = 9; i <= 13; ++i) N[i] = r[i];
  LiniaWyniku linia;
  linia.Pole(KasaNowa() ? "5" : "3").Pole(Dwie(N[5])).Pole(N.Dziesietnie(7, 8));
  linia.Pole(Liczba(N[9] & 7)).Pole(Liczba(N[9] >> 4)).Pole(Liczba(N[6]));
  linia.Pole(N.Dziesietnie(10, 13, N[9] < 16 || KasaNowa() ? 0 : 2));
  PolaDatyICzasu(linia, N);
  return DopisanieLinii(linia);
}

// Kinds 7, 8 and 9: the date at bytes 3 to 7, the number at bytes 1 and 2, the values from byte 8 on.
Robocza RoboczaRaportu(const Rekord& r) {
  Robocza N;
  DataWN(N, r, 3);
  N[7] = r[1], N[8] = r[2];
  for (std::size_t i = 9; i <= 37; ++i) N[i] = r[i - 1];
  return N;
}

// The fields kinds 7 and 8 begin with: the kind, the flag, the number, the date and the time.
LiniaWyniku PoczatekRaportu(const char* rodzaj, const Robocza& N) {
  LiniaWyniku linia;
  linia.Pole(rodzaj).Pole(Dwie(N.n[5])).Pole(N.Dziesietnie(7, 8));
  PolaDatyICzasu(linia, N);
  return linia;
}

bool LiniaObrotow(const Rekord& r) {
  const Robocza N = RoboczaRaportu(r);
  LiniaWyniku linia = PoczatekRaportu("7", N);
  linia.Pole(N.Dziesietnie(9, 10)).Pole(N.ZeZnakiem(11, 14)).Pole(N.Dziesietnie(15, 16)).Pole(N.Dziesietnie(17, 20));
  linia.Pole(N.Dziesietnie(21, 22)).Pole(N.Dziesietnie(23, 26)).Pole(N.Dziesietnie(27, 28));
  return DopisanieLinii(linia);
}

bool LiniaSum(const Rekord& r) {
  const Robocza N = RoboczaRaportu(r);
  LiniaWyniku linia = PoczatekRaportu("8", N);
  for (std::size_t od = 9; od <= 29; od += 4) linia.Pole(N.Dziesietnie(od, od + 3));
  return DopisanieLinii(linia);
}

uint8_t ZBcd(uint8_t b) { return static_cast<uint8_t>((b >> 4) * 10 + (b & 0x0F)); }

// Kind 7: up to four lines, one per filled entry, with a second date in BCD.
bool LinieRaportu(const Rekord& r) {
  Robocza N = RoboczaRaportu(r);
  N[6] = 1;
  for (std::size_t i = 0; i < 4; ++i) N[10 + i] = ZBcd(r[8 + i]);
  // The second date lies in the record's year unless it is later in the year than the record itself.
  const bool pozniejsza = std::memcmp(N.n + 10, N.n + 1, 4) > 0;
  N[9] = pozniejsza ? static_cast<uint8_t>(N[0] == 0 ? 99 : N[0] - 1) : N[0];
  for (std::size_t i = 14; i <= 38; ++i) N[i] = r[i - 2];
  for (std::size_t p = 14; p <= 29 && N[p] != 0; p += 5) {
    LiniaWyniku linia;
    linia.Pole(KasaNowa() ? "6" : "4").Pole(Dwie(N[5])).Pole(N.Dziesietnie(7, 8));
    linia.Pole(Liczba(N[p] & 7)).Pole(Liczba(N[p] >> 4)).Pole("1");
    linia.Pole(N.Dziesietnie(p + 1, p + 4, N[p] < 16 || KasaNowa() ? 0 : 2));
    linia.Pole(Dwie(N[9]), ".", Dwie(N[10]), ".", Dwie(N[11])).Pole(Dwie(N[12]), ":", Dwie(N[13]));
    PolaDatyICzasu(linia, N);
    if (!DopisanieLinii(linia)) return false;
  }
  return true;
}

// Kind 4: the tax entries of a record, one line each, laid out by family.
bool LiniePodatkow(const Rekord& r) {
  Robocza N;
  for (std::size_t i = 0; i < 48; ++i) N[i] = r[i];
  const Fragment numer = N.Dziesietnie(3, 4), drugi = N.Dziesietnie(1, 2);
  auto poczatek = [&](LiniaWyniku& linia, const char* znak, uint8_t wpis) {
    linia.Pole(znak).Pole(numer).Pole(drugi);
    linia.Pole(Liczba(wpis & 7)).Pole(Liczba(wpis >> 4)).Pole(Liczba((wpis >> 3) & 1));
  };
  if (KasaNorda()) {
    for (std::size_t p = 5; p < 32 && N[p] != 0;) {
      LiniaWyniku linia;
      poczatek(linia, "2", N[p]);
      const Fragment kwota = N.Dziesietnie(p + 1, p + 4, N[p] > 15 ? 2 : 0);
      linia.Pole(kwota);
      if (N[p] > 15) linia.Pole(N.Dziesietnie(p + 5, p + 8));
      else linia.Pole(kwota);
      const std::size_t krok = N[p] > 15 ? 9 : 5;
      if (!DopisanieLinii(linia)) return false;
      p += krok;
    }
    return true;
  }
  if (KasaNowa()) {
    for (std::size_t p = 5; p < 30 && N[p] != 0;) {
      const bool bit3 = N[p] & 0x08, duzy = N[p] >= 16;
      LiniaWyniku linia;
      poczatek(linia, "4", N[p]);
      linia.Pole(bit3 && duzy ? N.Dziesietnie(p + 5, p + 8) : N.Dziesietnie(p + 1, p + 4));
      linia.Pole(!bit3 && duzy ? N.Dziesietnie(p + 5, p + 8) : N.Dziesietnie(p + 1, p + 4));
      if (!DopisanieLinii(linia)) return false;
      p += bit3 || duzy ? 9 : 5;
    }
    return true;
  }
  for (std::size_t e = 0; e < 3 && N[6 * e + 5] != 0; ++e) {
    const uint8_t wpis = N[6 * e + 5];
    LiniaWyniku linia;
    linia.Pole("4").Pole(numer).Pole(drugi);
    linia.Pole(Liczba(wpis & 0x0F)).Pole(Liczba((wpis >> 4) & 7)).Pole(Liczba(wpis >> 7));
    linia.Pole(N.ZeZnakiem(6 * e + 6, 6 * e + 10));
    if (!DopisanieLinii(linia)) return false;
  }
  return true;
}

}  // namespace

uint8_t RodzajRekorduOkresowego(uint8_t b) {
  if (b < 0x81) return Sprzedaz;
  if (b <= 0xE4) return KasaNorda() ? SprzedazNorda : SprzedazOznaczona;
  switch (b) {
    case 0xFE: return Tekst;
    case 0xFC:
    case 0xFD:
    case 0xEC: return Podatki;
    case 0xFB: return Zdarzenie;
    case 0xFA: return Wplata;
    case 0xF9: return Raport;
    case 0xED: return Obroty;
    case 0xEE: return Sumy;
    default: return Inny;
  }
}

bool ZapisanieRekorduOkresowego(TrybOkresowy trybOdczytu, const uint8_t* rekord, std::size_t dlugosc, std::size_t dane) {
  const OpisTrybu& tryb = OpisTrybuOkresowego(trybOdczytu);
  const Rekord r(rekord, dane);
  const auto rodzaj = static_cast<Rodzaj>(RodzajRekorduOkresowego(rekord[0]));
  switch (rodzaj) {
    case Sprzedaz:
    case SprzedazOznaczona:
    case SprzedazNorda: return LiniaSprzedazyOkresowej(tryb, rodzaj, r);
    case Tekst: return LiniaTekstu(tryb, r, dane);
    case Podatki: return LiniePodatkow(r);
    case Zdarzenie: return LiniaZdarzenia(r);
    case Wplata: return LiniaWplaty(r);
    case Raport: return LinieRaportu(r);
    case Obroty: return LiniaObrotow(r);
    case Sumy: return LiniaSum(r);
    case Inny: break;
  }
  return LiniaInna(rekord, dlugosc);
}
