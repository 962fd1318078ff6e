#include "module/module.h"

#include <cstdio>

#include "module/module_exchange.h"

namespace sim {
namespace {

constexpr const char* Kto = "module";
constexpr uint8_t RamkaZadania = 0x20, BitDlugosci = 0x10, BitStatusu = 0x40, BitPredkosci = 0x08;

enum TypSterujacej : uint8_t { Wersja = 1, NoweHaslo = 2, Logowanie = 3, Czas1 = 4, Czas2 = 5, Powtorz = 6,
                               Dzwonki = 7, DalszaCzesc = 8 };

const char* NazwaTypu(uint8_t typ) {
  static const char* const Nazwy[] = {"?", "version", "new password", "password", "first time-out word",
                                      "second time-out word", "repeat the answer", "rings", "second part"};
  return typ <= 8 ? Nazwy[typ] : "unknown";
}

std::string Hex(uint32_t wartosc) {
  char bufor[16];
  std::snprintf(bufor, sizeof bufor, "0x%02X", wartosc);
  return bufor;
}

std::string Lista(std::span<const uint8_t> bajty) { return bajty.empty() ? "-" : Szesnastkowo(bajty); }

uint16_t Slowo(const Bajty& dane) { return static_cast<uint16_t>(dane[0] | (dane[1] << 8)); }

// The same garbage every time, with a broken start of a header in it so the
// driver's hunt for the header must start over.
Bajty Smieci(size_t ile) {
  static const uint8_t Wzor[] = {'K', 'A', 'R', 'x', 0x00, 0xFF, 0x1B, 'K'};
  Bajty wynik(ile);
  for (size_t i = 0; i < ile; ++i) wynik[i] = Wzor[i % sizeof Wzor];
  return wynik;
}

const UsterkaModulu* Pierwsza(const std::vector<const UsterkaModulu*>& usterki, RodzajUsterkiModulu rodzaj) {
  for (const UsterkaModulu* u : usterki)
    if (u->rodzaj == rodzaj) return u;
  return nullptr;
}

}  // namespace

Modul::Modul(std::vector<std::unique_ptr<Kasa>> kasy, StanModulu stan, std::vector<UsterkaModulu> usterki,
             Dziennik& dziennik, UstawieniaModulu ustawienia)
    : kasy_(std::move(kasy)), stan_(std::move(stan)), usterki_(std::move(usterki)), dziennik_(dziennik),
      ustawienia_(ustawienia) {}

void Modul::Odebrano(std::span<const uint8_t> bajty, Nadajnik& wyjscie, Zegar::time_point teraz) {
  for (uint8_t b : bajty) {
    termin_ = teraz + ustawienia_.czasRamki;
    if (!odbiornik_.Dodaj(b)) continue;
    const Bajty pominiete = odbiornik_.Pominiete();
    if (!pominiete.empty()) dziennik_.Bajty(Kto, Kierunek::DoUrzadzenia, pominiete, "skipped before a header");
    Ramka(odbiornik_.Ramka(), wyjscie, teraz);
  }
  const Bajty pominiete = odbiornik_.Pominiete();
  if (!pominiete.empty()) dziennik_.Bajty(Kto, Kierunek::DoUrzadzenia, pominiete, "skipped before a header");
}

void Modul::LinieSterujace(bool dtr, bool rts) {
  dziennik_.Zdarzenie(Kto, std::string("DTR ") + (dtr ? "on" : "off") + ", RTS " + (rts ? "on" : "off"));
}

void Modul::Predkosc(uint32_t baud) {
  if (baud == predkosc_) return;
  predkosc_ = baud;
  dziennik_.Zdarzenie(Kto, "speed " + std::to_string(baud) + " bit/s");
}

std::optional<Zegar::time_point> Modul::Termin() const {
  if (!odbiornik_.WTrakcie()) return std::nullopt;
  return termin_;
}

void Modul::Sprawdz(Zegar::time_point teraz) {
  if (!odbiornik_.WTrakcie() || teraz < termin_) return;
  dziennik_.Bajty(Kto, Kierunek::DoUrzadzenia, odbiornik_.Ramka(), "frame cut short, dropped");
  odbiornik_.Zeruj();
}

void Modul::Przerwij() {
  odbiornik_.Zeruj();
  odbiornik_.Pominiete();
  reszta_.clear();
  for (auto& k : kasy_) k->Przerwij();
}

Kasa* Modul::KasaPodAdresem(uint8_t adres) {
  for (auto& k : kasy_)
    if (k->Stan().adres == adres) return k.get();
  return nullptr;
}

std::vector<const UsterkaModulu*> Modul::Usterki(bool sterujaca, uint8_t kod, uint8_t adres) {
  std::vector<const UsterkaModulu*> wynik;
  for (const UsterkaModulu& u : usterki_) {
    const uint32_t wystapienie = sterujaca ? (u.kod < 0 ? wszystkieSterujace_ : sterujace_[kod])
                                           : (u.kod < 0 ? wszystkieRozkazy_ : rozkazy_[kod]);
    if (u.Pasuje(sterujaca, kod, adres, wystapienie)) wynik.push_back(&u);
  }
  return wynik;
}

void Modul::Ramka(const Bajty& poNaglowku, Nadajnik& wyjscie, Zegar::time_point teraz) {
  Bajty calosc(std::begin(ramka::Naglowek), std::end(ramka::Naglowek));
  calosc.insert(calosc.end(), poNaglowku.begin(), poNaglowku.end());
  std::string blad;
  const auto r = ramka::Rozbierz(poNaglowku, blad);
  if (!r) {
    dziennik_.Bajty(Kto, Kierunek::DoUrzadzenia, calosc, "broken frame (" + blad + ")");
    Wyslij({sterujacy::PowtorzRozkaz, {}, "the request again, please"}, {}, wyjscie, false);
    return;
  }
  const bool zadanie = r->bajtSterujacy & RamkaZadania;
  const auto adres = static_cast<uint8_t>((r->bajtSterujacy & 0x07) + 1);
  const std::string linia = std::string(", register ") + std::to_string(adres) +
                            ((r->bajtSterujacy & BitPredkosci) ? " at 19200" : " not at 19200");
  uint8_t kod = 0;
  if (zadanie) {
    kod = r->tresc.size() >= 5 ? r->tresc[4] : 0;
    ++rozkazy_[kod];
    ++wszystkieRozkazy_;
    const Bajty& t = r->tresc;
    std::string opis = "request frame " + Hex(r->bajtSterujacy) + linia;
    if (t.size() >= 5)
      opis += ": code " + Hex(kod) + ", first answer " + std::to_string(t[0]) + ", second answer " +
              std::to_string(t[1]) + ", records " + std::to_string(t[2]) + ", " + std::to_string(t.size() - 5) +
              " parameters " + Lista(std::span(t).subspan(5));
    dziennik_.Bajty(Kto, Kierunek::DoUrzadzenia, calosc, opis);
  } else {
    kod = r->tresc.size() >= 4 ? r->tresc[3] : 0;
    ++sterujace_[kod];
    ++wszystkieSterujace_;
    std::string opis = "control frame " + std::to_string(kod) + " (" + NazwaTypu(kod) + ")" + linia;
    if (r->tresc.size() > 4) {
      const std::span dane = std::span(r->tresc).subspan(4);
      opis += ": " + Lista(dane) + " |" + Czytelnie(dane) + "|";
    }
    dziennik_.Bajty(Kto, Kierunek::DoUrzadzenia, calosc, opis);
  }

  const auto usterki = Usterki(!zadanie, kod, adres);
  for (const UsterkaModulu* u : usterki) {
    if (!u->Zastepuje()) continue;
    dziennik_.Zdarzenie(Kto, "fault " + u->zapis);
    if (u->rodzaj == RodzajUsterkiModulu::Cisza) return;
    const auto bajt = static_cast<uint8_t>(u->liczba);
    if (bajt & 0x70) wymagany_ = bajt & 0x70;
    Wyslij({bajt, {}, "answer replaced by the fault"}, usterki, wyjscie, true);
    return;
  }
  if (!zadanie && kod == Powtorz) {
    if (ostatnia_.empty()) Wyslij({sterujacy::BladRamki, {}, "nothing to repeat"}, usterki, wyjscie, false);
    else WyslijRamke(ostatnia_, usterki, wyjscie, "the last answer again");
    return;
  }
  const auto odpowiedz = zadanie ? Rozkaz(*r, teraz) : Sterujaca(*r);
  if (odpowiedz) Wyslij(*odpowiedz, usterki, wyjscie, true);
}

std::optional<Modul::Odpowiedz> Modul::Rozkaz(const ramka::Rozebrana& r, Zegar::time_point teraz) {
  const Bajty& t = r.tresc;
  if (t.size() < 5 || t[3] != 0x1B) return Odpowiedz{sterujacy::BladRamki, {}, "not a request: no escape byte"};
  ZadanieRamki z{t[0], t[1], t[2], t[4], Bajty(t.begin() + 5, t.end()), (r.bajtSterujacy & BitStatusu) != 0};
  if (((r.bajtSterujacy & BitDlugosci) != 0) != (z.pierwsza != 0 && !z.parametry.empty()))
    return Odpowiedz{sterujacy::BladRamki, {}, "bit 0x10 does not fit the lengths"};
  if (wymagany_) return Odpowiedz{wymagany_, {}, "still waiting for its control frame"};
  Kasa* kasa = KasaPodAdresem(static_cast<uint8_t>((r.bajtSterujacy & 0x07) + 1));
  if (!kasa) return Odpowiedz{sterujacy::BrakKasy, {}, "no register at this address"};
  std::chrono::milliseconds opoznienie{0};
  auto odpowiedz = WymianaZKasa(*kasa, z, teraz, &opoznienie);
  reszta_.clear();
  if (!odpowiedz) return Odpowiedz{sterujacy::BrakKasy, {}, "the register did not answer in full", opoznienie};
  return Odpowiedz{sterujacy::Gotowa, std::move(*odpowiedz), "answer", opoznienie};
}

std::optional<Modul::Odpowiedz> Modul::Sterujaca(const ramka::Rozebrana& r) {
  const Bajty& t = r.tresc;
  if (t.size() < 4 || t[0] != 0 || t[1] != 0 || t[2] != 0 || (r.bajtSterujacy & 0x70))
    return Odpowiedz{sterujacy::BladRamki, {}, "not a control frame"};
  const Bajty dane(t.begin() + 4, t.end());
  const auto zle = [] { return Odpowiedz{sterujacy::BladRamki, {}, "wrong data for its type"}; };
  // The module's demand for this frame is met.
  const auto spelnione = [&](uint8_t bit) { wymagany_ = static_cast<uint8_t>(wymagany_ & ~bit); };
  switch (t[3]) {
    case Wersja: {
      std::string wersja = stan_.wersja;
      wersja.resize(12, ' ');
      return Odpowiedz{sterujacy::Gotowa, Bajty(wersja.begin(), wersja.end()), "version"};
    }
    case NoweHaslo:
      if (dane.size() != 8) return zle();
      stan_.haslo.assign(dane.begin(), dane.end());
      return Odpowiedz{sterujacy::Gotowa, {}, "password changed"};
    case Logowanie:
      if (dane.size() != 8 || std::string(dane.begin(), dane.end()) != stan_.haslo)
        return Odpowiedz{sterujacy::Haslo, {}, "wrong password"};
      spelnione(sterujacy::Haslo);
      return Odpowiedz{sterujacy::Gotowa, {}, "logged in"};
    case Czas1:
    case Czas2: {
      const bool pierwszy = t[3] == Czas1;
      const uint8_t bit = pierwszy ? sterujacy::PierwszyCzas : sterujacy::DrugiCzas;
      if (dane.size() != 2) return Odpowiedz{bit, {}, "a time-out word is two bytes"};
      (pierwszy ? stan_.czas1 : stan_.czas2) = Slowo(dane);
      spelnione(bit);
      return Odpowiedz{sterujacy::Gotowa, {}, pierwszy ? "first time-out word taken" : "second time-out word taken"};
    }
    case Dzwonki:
      if (dane.size() != 1) return zle();
      stan_.dzwonki = dane[0];
      return Odpowiedz{sterujacy::Gotowa, {}, "rings set"};
    case DalszaCzesc: {
      if (reszta_.empty()) return Odpowiedz{sterujacy::BladRamki, {}, "no second part waiting"};
      Bajty czesc;
      czesc.swap(reszta_);
      if (czesc.size() > ramka::NajwiecejTresci) {
        dziennik_.Zdarzenie(Kto, std::to_string(czesc.size() - ramka::NajwiecejTresci) +
                                     " answer bytes beyond two frames dropped");
        czesc.resize(ramka::NajwiecejTresci);
      }
      return Odpowiedz{sterujacy::Czesc, std::move(czesc), "second part"};
    }
    default: return Odpowiedz{sterujacy::ZlyRodzaj, {}, "unknown control type"};
  }
}

void Modul::Wyslij(Odpowiedz o, const std::vector<const UsterkaModulu*>& usterki, Nadajnik& wyjscie,
                   bool zapamietaj) {
  // Contents beyond one frame go in two parts; the split fault makes them two earlier.
  size_t granica = ramka::NajwiecejTresci;
  if (const UsterkaModulu* u = Pierwsza(usterki, RodzajUsterkiModulu::Podzial)) {
    granica = u->liczba;
    dziennik_.Zdarzenie(Kto, "fault " + u->zapis);
  }
  if (o.bajt == sterujacy::Gotowa && o.tresc.size() > granica) {
    reszta_.assign(o.tresc.begin() + static_cast<std::ptrdiff_t>(granica), o.tresc.end());
    o.tresc.resize(granica);
    o.bajt = sterujacy::Czesc;
    o.opis = "first part";
  }
  if (o.opoznienie.count() > 0) {
    dziennik_.Zdarzenie(Kto, "the register answers " + std::to_string(o.opoznienie.count()) + " ms late");
    wyjscie.Czekaj(o.opoznienie);
  }
  const auto zbudowana = ramka::Zbuduj(o.bajt, o.tresc);
  if (!zbudowana) return;  // the contents are always cut to fit above
  if (zapamietaj) ostatnia_ = *zbudowana;
  WyslijRamke(*zbudowana, usterki, wyjscie,
              std::string(o.opis) + ", control " + Hex(o.bajt) + ", " + std::to_string(o.tresc.size()) +
                  " bytes " + Lista(o.tresc));
}

void Modul::WyslijRamke(Bajty ramka, const std::vector<const UsterkaModulu*>& usterki, Nadajnik& wyjscie,
                        const std::string& opis) {
  std::string tekst = opis;
  if (const UsterkaModulu* u = Pierwsza(usterki, RodzajUsterkiModulu::Crc)) {
    ramka.back() ^= 0x01;  // the CRC's high byte; bit 7 of the wire byte stays set
    tekst += " (fault " + u->zapis + ")";
  }
  if (const UsterkaModulu* u = Pierwsza(usterki, RodzajUsterkiModulu::Ciecie); u && u->liczba < ramka.size()) {
    ramka.resize(u->liczba);
    tekst += " (fault " + u->zapis + ")";
  }
  if (const UsterkaModulu* u = Pierwsza(usterki, RodzajUsterkiModulu::Smieci)) {
    const Bajty smieci = Smieci(u->liczba);
    ramka.insert(ramka.begin(), smieci.begin(), smieci.end());
    tekst += " (fault " + u->zapis + ")";
  }
  if (const UsterkaModulu* u = Pierwsza(usterki, RodzajUsterkiModulu::Opoznienie)) {
    dziennik_.Zdarzenie(Kto, "fault " + u->zapis);
    wyjscie.Czekaj(std::chrono::milliseconds(u->liczba));
  }
  dziennik_.Bajty(Kto, Kierunek::OdUrzadzenia, ramka, tekst);
  if (!ramka.empty()) wyjscie.Wyslij(ramka);
}

}  // namespace sim
