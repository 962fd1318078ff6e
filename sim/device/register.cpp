#include "device/register.h"

#include <algorithm>
#include <cstdio>

namespace sim {
namespace {

constexpr uint8_t Escape = 0x1B;
constexpr uint8_t Potwierdzenie = 0x06;
constexpr uint8_t Odmowa = 0x15;

bool ZastepujePierwsza(RodzajUsterki r) {
  return r == RodzajUsterki::Cisza || r == RodzajUsterki::Odmowa || r == RodzajUsterki::Potwierdzenie ||
         r == RodzajUsterki::Smieci || r == RodzajUsterki::Surowe;
}

bool ZastepujeDruga(RodzajUsterki r) {
  return r == RodzajUsterki::Cisza2 || r == RodzajUsterki::Smieci2 || r == RodzajUsterki::Surowe2 ||
         r == RodzajUsterki::Status;
}

std::string OpisKodu(uint8_t kod, const Rozkaz* r) {
  char bufor[16];
  std::snprintf(bufor, sizeof bufor, "0x%02X ", kod);
  return bufor + std::string(r ? r->opis : "unknown request");
}

}  // namespace

Kasa::Kasa(StanKasy stan, std::vector<Usterka> usterki, Dziennik& dziennik, UstawieniaKasy ustawienia,
           std::span<const Rozkaz> wlasne)
    : stan_(std::move(stan)), usterki_(std::move(usterki)), dziennik_(dziennik), ustawienia_(ustawienia),
      wlasne_(wlasne) {
  nazwa_ = "reg " + std::to_string(stan_.adres);
}

void Kasa::Odebrano(std::span<const uint8_t> bajty, Nadajnik& wyjscie, Zegar::time_point teraz) {
  for (uint8_t b : bajty) {
    switch (faza_) {
      case Faza::Bezczynna:
        if (b == Escape) {
          Szum();
          faza_ = Faza::Kod;
          termin_ = teraz + ustawienia_.czasBajtu;
        } else {
          szum_.push_back(b);
        }
        break;
      case Faza::Kod: Rozpocznij(b, wyjscie, teraz); break;
      case Faza::Parametry:
        if (wstrzymanie_ && std::chrono::milliseconds(wstrzymanie_->liczba) > ustawienia_.czasBajtu) {
          Porzuc(b);
          break;
        }
        parametry_.push_back(b);
        termin_ = teraz + ustawienia_.czasBajtu;
        if (rozkaz_->parametryWedlugPoczatku)
          oczekiwane_ = std::max(parametry_.size(), rozkaz_->parametryWedlugPoczatku(stan_, parametry_));
        if (parametry_.size() == oczekiwane_) Zakoncz(wyjscie, teraz);
        break;
    }
  }
  Szum();
}

std::optional<Zegar::time_point> Kasa::Termin() const {
  if (faza_ == Faza::Bezczynna) return std::nullopt;
  return termin_;
}

void Kasa::Sprawdz(Zegar::time_point teraz) {
  if (faza_ == Faza::Bezczynna || teraz < termin_) return;
  if (faza_ == Faza::Parametry) {
    dziennik_.Bajty(nazwa_, Kierunek::DoUrzadzenia, parametry_,
                    "parameters cut short: " + std::to_string(parametry_.size()) + " of " +
                        std::to_string(oczekiwane_) + ", request dropped");
  } else {
    dziennik_.Zdarzenie(nazwa_, "escape without a request code, dropped");
  }
  faza_ = Faza::Bezczynna;
}

// The parameters were held beyond the byte time-out: by the time they come
// the register has given the request up, and they are noise.
void Kasa::Porzuc(uint8_t bajt) {
  Usterka_(*wstrzymanie_);
  dziennik_.Zdarzenie(nazwa_, "parameters held " + std::to_string(wstrzymanie_->liczba) +
                                  " ms: they came after the byte time-out, request dropped");
  wstrzymanie_ = nullptr;
  faza_ = Faza::Bezczynna;
  szum_.push_back(bajt);
}

void Kasa::Przerwij() {
  Szum();
  faza_ = Faza::Bezczynna;
}

void Kasa::Szum() {
  if (szum_.empty()) return;
  dziennik_.Bajty(nazwa_, Kierunek::DoUrzadzenia, szum_, "ignored while waiting for an escape byte");
  szum_.clear();
}

void Kasa::Usterka_(const Usterka& u) { dziennik_.Zdarzenie(nazwa_, "fault " + u.zapis); }

void Kasa::Rozpocznij(uint8_t kod, Nadajnik& wyjscie, Zegar::time_point teraz) {
  kod_ = kod;
  rozkaz_ = ZnajdzRozkaz(kod);
  for (const Rozkaz& r : wlasne_)
    if (r.kod == kod) rozkaz_ = &r;
  const uint32_t wystapienie = ++wystapienia_[kod];
  const Bajty naglowek{Escape, kod};
  dziennik_.Bajty(nazwa_, Kierunek::DoUrzadzenia, naglowek, OpisKodu(kod, rozkaz_));

  parametry_.clear();
  wyslane_ = 0;
  ciecie_.reset();
  wstrzymanie_ = nullptr;
  bladLinii_.reset();
  granica_ = UINT32_MAX;
  drugie_.clear();
  const Usterka* zamiana = nullptr;
  const Usterka* opoznienie = nullptr;
  for (const Usterka& u : usterki_) {
    if (!u.Pasuje(stan_.adres, kod, wystapienie)) continue;
    if (u.DrugaFaza()) {
      drugie_.push_back(&u);
      continue;
    }
    if (ZastepujePierwsza(u.rodzaj) && !zamiana) zamiana = &u;
    if (u.rodzaj == RodzajUsterki::Opoznienie && !opoznienie) opoznienie = &u;
    if (u.rodzaj == RodzajUsterki::Wstrzymanie && !wstrzymanie_) wstrzymanie_ = &u;
    if (u.rodzaj == RodzajUsterki::Ciecie && !ciecie_) {
      ciecie_ = u.liczba;
      Usterka_(u);
    }
    if ((u.rodzaj == RodzajUsterki::BladRamki || u.rodzaj == RodzajUsterki::Przerwa) && !bladLinii_) {
      bladLinii_ = {u.liczba, static_cast<uint8_t>(u.rodzaj == RodzajUsterki::Przerwa ? 0x10 : 0x08)};
      Usterka_(u);
    }
    if (u.rodzaj == RodzajUsterki::KoniecRekordow && granica_ == UINT32_MAX) {
      granica_ = u.liczba;
      Usterka_(u);
    }
  }
  faza_ = Faza::Bezczynna;
  if (zamiana && zamiana->rodzaj == RodzajUsterki::Cisza) {
    Usterka_(*zamiana);
    return;
  }

  const bool zna = rozkaz_ && !stan_.odrzuca.test(kod) && (!rozkaz_->zna || rozkaz_->zna(stan_));
  Wymiana w{stan_, {}, granica_};
  Bajty pierwsza;
  if (!zna || rozkaz_->potwierdza) pierwsza.push_back(Potwierdzenie);
  if (zna && rozkaz_->pierwsza) {
    const Bajty dane = rozkaz_->pierwsza(w);
    pierwsza.insert(pierwsza.end(), dane.begin(), dane.end());
  }
  const char* opis = "first answer";
  if (zamiana) {
    Usterka_(*zamiana);
    switch (zamiana->rodzaj) {
      case RodzajUsterki::Odmowa: pierwsza = {Odmowa}; break;
      case RodzajUsterki::Smieci: pierwsza = Smieci(zamiana->liczba ? zamiana->liczba : pierwsza.size()); break;
      default: pierwsza = zamiana->bajty; break;
    }
    opis = "first answer replaced by the fault";
  } else if (!zna) {
    pierwsza = {Odmowa};
    opis = "refused: the register does not know this request";
  }
  if (!pierwsza.empty()) {
    Opoznij(wyjscie, opoznienie, teraz);
    Wyslij(wyjscie, std::move(pierwsza), opis);
  }
  if (zamiana || !zna) return;

  oczekiwane_ = LiczbaParametrow(*rozkaz_, stan_);
  if (oczekiwane_ == 0) {
    Zakoncz(wyjscie, teraz);
    return;
  }
  faza_ = Faza::Parametry;
  // The driver can answer an acknowledgement only once it has had it.
  termin_ = std::max(teraz, wolnaOd_) + ustawienia_.czasBajtu;
}

void Kasa::Zakoncz(Nadajnik& wyjscie, Zegar::time_point teraz) {
  faza_ = Faza::Bezczynna;
  if (!parametry_.empty()) dziennik_.Bajty(nazwa_, Kierunek::DoUrzadzenia, parametry_, "parameters");
  const Usterka* zamiana = nullptr;
  const Usterka* opoznienie = nullptr;
  const Usterka* dopelnienie = nullptr;
  std::vector<const Usterka*> naRekordzie;
  for (const Usterka* u : drugie_) {
    if (!u->PasujeParametr(parametry_)) continue;
    if (u->rodzaj == RodzajUsterki::Dopelnienie && !dopelnienie) dopelnienie = u;
    if (u->NaRekordzieTowaru()) {
      naRekordzie.push_back(u);
      Usterka_(*u);
    }
    if (ZastepujeDruga(u->rodzaj) && !zamiana) zamiana = u;
    if (u->rodzaj == RodzajUsterki::Opoznienie2 && !opoznienie) opoznienie = u;
    if (u->rodzaj == RodzajUsterki::KoniecRekordow && granica_ == UINT32_MAX) {
      granica_ = u->liczba;
      Usterka_(*u);
    }
  }
  // A status fault is the register refusing the request: nothing is carried
  // out. The other faults only spoil the answer of a request carried out.
  uint32_t zlaSuma = 0;
  for (const Usterka* u : drugie_) {
    if (u->rodzaj != RodzajUsterki::ZlaSumaStrumienia || !u->PasujeParametr(parametry_)) continue;
    zlaSuma = u->liczba;
    Usterka_(*u);
    break;
  }
  Bajty druga;
  if (!(zamiana && zamiana->rodzaj == RodzajUsterki::Status) && rozkaz_->wykonanie) {
    Wymiana w{stan_, parametry_, granica_, naRekordzie};
    w.zlaSuma = zlaSuma;
    druga = rozkaz_->wykonanie(w);
  }
  const char* opis = "second answer";
  if (zamiana) {
    Usterka_(*zamiana);
    opis = "second answer replaced by the fault";
    switch (zamiana->rodzaj) {
      case RodzajUsterki::Cisza2: druga.clear(); break;
      case RodzajUsterki::Smieci2: druga = Smieci(zamiana->liczba ? zamiana->liczba : std::max<size_t>(druga.size(), 1)); break;
      default: druga = zamiana->bajty; break;
    }
  }
  if (druga.empty()) return;
  if (dopelnienie && druga[0] != 0 && druga.size() < dopelnienie->liczba) {
    Usterka_(*dopelnienie);
    druga.resize(dopelnienie->liczba, 0);
  }
  Opoznij(wyjscie, opoznienie, teraz);
  Wyslij(wyjscie, std::move(druga), opis);
}

// The answer stays pending this long; the line goes on carrying what the
// driver sends meanwhile.
void Kasa::Opoznij(Nadajnik& wyjscie, const Usterka* u, Zegar::time_point teraz) {
  if (!u) return;
  Usterka_(*u);
  const std::chrono::milliseconds czas(u->liczba);
  wyjscie.Czekaj(czas);
  wolnaOd_ = std::max(wolnaOd_, teraz + czas);
}

void Kasa::Wyslij(Nadajnik& wyjscie, Bajty bajty, const char* opis) {
  std::string tekst = opis;
  if (ciecie_) {
    const size_t zostalo = *ciecie_ > wyslane_ ? *ciecie_ - wyslane_ : 0;
    if (bajty.size() > zostalo) {
      tekst += " (cut: " + std::to_string(bajty.size() - zostalo) + " bytes not sent)";
      bajty.resize(zostalo);
    }
  }
  if (bajty.empty()) {
    dziennik_.Zdarzenie(nazwa_, tekst);
    return;
  }
  dziennik_.Bajty(nazwa_, Kierunek::OdUrzadzenia, bajty, tekst);
  if (bladLinii_ && bladLinii_->first >= wyslane_ && bladLinii_->first < wyslane_ + bajty.size()) {
    // The line error falls inside these bytes: what comes after it is damaged.
    const size_t przed = bladLinii_->first - wyslane_;
    wyjscie.Wyslij(std::span<const uint8_t>(bajty).first(przed));
    wyjscie.BladLinii(bladLinii_->second);
    dziennik_.Zdarzenie(nazwa_, bladLinii_->second == 0x10 ? "line: break" : "line: framing error");
    wyjscie.Wyslij(std::span<const uint8_t>(bajty).subspan(przed));
    bladLinii_.reset();
  } else {
    wyjscie.Wyslij(bajty);
  }
  wyslane_ += bajty.size();
}

// The same garbage for the same request and occurrence, never starting with
// a byte the driver could take for a good acknowledgement or status.
Bajty Kasa::Smieci(size_t ile) const {
  Bajty wynik(ile);
  uint32_t ziarno = 0x9E3779B9u ^ (kod_ * 2654435761u) ^ wystapienia_[kod_];
  for (auto& b : wynik) {
    ziarno = ziarno * 1103515245u + 12345u;
    b = static_cast<uint8_t>(ziarno >> 16);
  }
  if (!wynik.empty() && (wynik[0] == Potwierdzenie || wynik[0] == 0x00)) wynik[0] ^= 0x55;
  return wynik;
}

}  // namespace sim
