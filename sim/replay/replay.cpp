#include "replay/replay.h"

#include <cstdio>

#include "link/loop.h"

namespace sim {
namespace {

std::string Hex(uint8_t b) {
  char bufor[8];
  std::snprintf(bufor, sizeof bufor, "%02X", b);
  return bufor;
}

}  // namespace

Odtwarzanie::Odtwarzanie(std::vector<WpisNagrania> wpisy, Dziennik& dziennik, UstawieniaOdtwarzania ustawienia)
    : wpisy_(std::move(wpisy)), dziennik_(dziennik), ustawienia_(ustawienia) {}

void Odtwarzanie::Odebrano(std::span<const uint8_t> bajty, Nadajnik& wyjscie, Zegar::time_point teraz) {
  wyjscie_ = &wyjscie;
  if (skonczone_) return;
  bufor_.insert(bufor_.end(), bajty.begin(), bajty.end());
  Postep(teraz);
}

void Odtwarzanie::Sprawdz(Zegar::time_point teraz) {
  if (!skonczone_) Postep(teraz);
}

std::string Odtwarzanie::Pozycja(const WpisNagrania& w) const {
  return "line " + std::to_string(w.wiersz) + " of the capture, byte " + std::to_string(zgodne_ + 1) + " of " +
         std::to_string(w.bajty.size()) + " (the driver's byte " + std::to_string(bajtyKierowcy_ + 1) +
         " of the replay)";
}

void Odtwarzanie::Koniec(int wynik, std::string raport) {
  skonczone_ = true;
  wynik_ = wynik;
  raport_ = std::move(raport);
  termin_.reset();
  dziennik_.Zdarzenie("replay", raport_);
  Zatrzymaj();
}

void Odtwarzanie::KoniecZgodny() {
  Koniec(0, "all " + std::to_string(wpisy_.size()) + " byte lines of the capture played");
}

void Odtwarzanie::Przerwij() {
  wyjscie_ = nullptr;
  if (!skonczone_ && biezacy_ == wpisy_.size() && bufor_.empty()) KoniecZgodny();
}

// Compares what the driver sent with the capture's line; true when the line is complete.
bool Odtwarzanie::PorownanieBajtowKierowcy(const WpisNagrania& w, Zegar::time_point teraz) {
  while (zgodne_ < w.bajty.size() && !bufor_.empty()) {
    const uint8_t przyszedl = bufor_.front();
    if (przyszedl != w.bajty[zgodne_]) {
      Koniec(1, "the driver's bytes differ at " + Pozycja(w) + ": expected " + Hex(w.bajty[zgodne_]) + ", got " +
                    Hex(przyszedl) + "; the request it belongs to: " + w.tekst);
      return false;
    }
    bufor_.pop_front();
    ++zgodne_;
    ++bajtyKierowcy_;
  }
  if (zgodne_ < w.bajty.size()) {
    // The first line of a run waits for the driver's next start, however late.
    if (w.poczatekPrzebiegu && zgodne_ == 0) {
      termin_.reset();
      return false;
    }
    if (!terminCzekania_)
      terminCzekania_ = teraz + std::chrono::milliseconds(w.opoznienieMs) + ustawienia_.zapasCzasu;
    if (teraz >= *terminCzekania_) {
      Koniec(1, "the driver sent nothing more at " + Pozycja(w) + ": expected " + Hex(w.bajty[zgodne_]) +
                    "; the request it belongs to: " + w.tekst);
      return false;
    }
    termin_ = terminCzekania_;
    return false;
  }
  dziennik_.Bajty("replay", Kierunek::DoUrzadzenia, w.bajty, "as captured on line " + std::to_string(w.wiersz));
  return true;
}

void Odtwarzanie::Postep(Zegar::time_point teraz) {
  while (!skonczone_) {
    if (biezacy_ == wpisy_.size()) {
      if (!bufor_.empty()) {
        Koniec(1, "the driver sent more than the capture holds: " + Hex(bufor_.front()) + " after the driver's byte " +
                      std::to_string(bajtyKierowcy_));
      } else if (!termin_ || teraz >= *termin_) {
        if (termin_) KoniecZgodny();
        else termin_ = teraz + ustawienia_.ciszaNaKoniec;
      }
      return;
    }
    const WpisNagrania& w = wpisy_[biezacy_];
    if (w.odKierowcy) {
      if (!PorownanieBajtowKierowcy(w, teraz)) return;
    } else {
      const auto pora = poprzedni_ + std::chrono::milliseconds(ustawienia_.szybko ? 0 : w.opoznienieMs);
      if (!wyjscie_) {  // nobody holds the line to answer
        termin_.reset();
        return;
      }
      if (teraz < pora) {
        termin_ = pora;
        return;
      }
      dziennik_.Bajty("replay", Kierunek::OdUrzadzenia, w.bajty, "as captured on line " + std::to_string(w.wiersz));
      wyjscie_->Wyslij(w.bajty);
    }
    ++biezacy_;
    zgodne_ = 0;
    poprzedni_ = teraz;
    termin_.reset();
    terminCzekania_.reset();
  }
}

}  // namespace sim
