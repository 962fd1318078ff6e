#include "link/line.h"

namespace sim {
namespace {

constexpr uint8_t Escape = 0x1B;
constexpr uint8_t RozkazWyboru = 0x01;  // mode 3: 1B 01 address
constexpr uint8_t BajtWyboru = 0xFE;    // mode 4: FE address

std::string Wlaczona(bool linia) { return linia ? "on" : "off"; }

}  // namespace

Linia::Linia(RodzajLinii rodzaj, std::vector<std::unique_ptr<Kasa>> kasy, Dziennik& dziennik,
             std::vector<Usterka> usterki)
    : rodzaj_(rodzaj), kasy_(std::move(kasy)), dziennik_(dziennik), usterki_(std::move(usterki)) {
  if (rodzaj_ == RodzajLinii::Pojedyncza && !kasy_.empty()) wybrana_ = kasy_.front().get();
  // Both lines off select channel 3 until the driver sets them.
  if (rodzaj_ == RodzajLinii::Przelacznik) Wybierz(3);
}

void Linia::Wybierz(int adres) {
  wybrana_ = nullptr;
  for (auto& k : kasy_)
    if (k->Stan().adres == adres) wybrana_ = k.get();
  if (rodzaj_ == RodzajLinii::Pojedyncza && !kasy_.empty()) wybrana_ = kasy_.front().get();
}

void Linia::LinieSterujace(bool dtr, bool rts) {
  if (dtr == dtr_ && rts == rts_) return;
  dtr_ = dtr;
  rts_ = rts;
  std::string tekst = "DTR " + Wlaczona(dtr) + ", RTS " + Wlaczona(rts);
  if (rodzaj_ == RodzajLinii::Przelacznik) {
    const int kanal = rts ? (dtr ? 2 : 1) : (dtr ? 4 : 3);
    Wybierz(kanal);
    tekst += ": switch to channel " + std::to_string(kanal) + (wybrana_ ? "" : " (no register there)");
  }
  dziennik_.Zdarzenie("line", tekst);
}

void Linia::Predkosc(uint32_t baud) {
  if (baud == predkosc_) return;
  predkosc_ = baud;
  dziennik_.Zdarzenie("line", "speed " + std::to_string(baud) + " bit/s");
}

std::optional<Zegar::time_point> Linia::Termin() const {
  std::optional<Zegar::time_point> termin;
  for (const auto& k : kasy_) {
    const auto t = k->Termin();
    if (t && (!termin || *t < *termin)) termin = t;
  }
  return termin;
}

void Linia::Sprawdz(Zegar::time_point teraz) {
  for (auto& k : kasy_) k->Sprawdz(teraz);
}

void Linia::Przerwij() {
  wstrzymane_.clear();
  for (auto& k : kasy_) k->Przerwij();
}

void Linia::Przekaz(std::span<const uint8_t> bajty, Nadajnik& wyjscie, Zegar::time_point teraz) {
  if (bajty.empty()) return;
  if (wybrana_) {
    wybrana_->Odebrano(bajty, wyjscie, teraz);
  } else {
    dziennik_.Bajty("line", Kierunek::DoUrzadzenia, bajty, "no register selected");
  }
}

void Linia::WyborMultipleksera(uint8_t adres) {
  ++wybory_;
  for (const Usterka& u : usterki_) {
    if (u.kod == RozkazWyboru && u.rodzaj == RodzajUsterki::Cisza && u.Pasuje(adres, RozkazWyboru, wybory_)) {
      dziennik_.Zdarzenie("mux", "fault " + u.zapis + ": selection of " + std::to_string(adres) + " ignored");
      return;
    }
  }
  Wybierz(adres);
  std::string tekst = "select register " + std::to_string(adres) + (wybrana_ ? "" : " (no register there)");
  if (rodzaj_ == RodzajLinii::Multiplekser3 && predkosc_ && predkosc_ != 9600)
    tekst += " (at " + std::to_string(predkosc_) + " bit/s; the multiplexer listens at 9600)";
  dziennik_.Zdarzenie("mux", tekst);
}

void Linia::Odebrano(std::span<const uint8_t> bajty, Nadajnik& wyjscie, Zegar::time_point teraz) {
  if (rodzaj_ != RodzajLinii::Multiplekser3 && rodzaj_ != RodzajLinii::Multiplekser4) {
    Przekaz(bajty, wyjscie, teraz);
    return;
  }
  // The multiplexer looks at the line while the selected register waits for a
  // request; inside an exchange every byte belongs to the register. Bytes go
  // on one at a time, so the register's phase is always up to date.
  for (size_t i = 0; i < bajty.size(); ++i) {
    const uint8_t b = bajty[i];
    const std::span<const uint8_t> ten = bajty.subspan(i, 1);
    if (wstrzymane_.empty()) {
      const bool wolna = !wybrana_ || wybrana_->Bezczynna();
      const bool poczatek = rodzaj_ == RodzajLinii::Multiplekser3 ? b == Escape : b == BajtWyboru;
      if (wolna && poczatek) wstrzymane_.push_back(b);
      else Przekaz(ten, wyjscie, teraz);
      continue;
    }
    if (rodzaj_ == RodzajLinii::Multiplekser3 && wstrzymane_.size() == 1 && b != RozkazWyboru) {
      // An escape that starts an ordinary request: it goes on to the register.
      const Bajty dalej{Escape, b};
      wstrzymane_.clear();
      Przekaz(dalej, wyjscie, teraz);
      continue;
    }
    wstrzymane_.push_back(b);
    if (rodzaj_ == RodzajLinii::Multiplekser3 && wstrzymane_.size() < 3) continue;
    dziennik_.Bajty("mux", Kierunek::DoUrzadzenia, wstrzymane_, "multiplexer selection");
    wstrzymane_.clear();
    WyborMultipleksera(b);
  }
}

}  // namespace sim
