#include "modem/modem.h"

#include <algorithm>
#include <cctype>

#include "common/bytes.h"

namespace sim {
namespace {

constexpr const char* Kto = "modem";
constexpr size_t NajdluzszaLinia = 255;
constexpr uint8_t CD = 0x80;

// The result codes: the word in verbose mode, the number otherwise.
constexpr int OK = 0, CONNECT = 1, NO_CARRIER = 3, ERROR = 4, BUSY = 7;

std::string Wielkie(std::string tekst) {
  for (char& z : tekst) z = static_cast<char>(std::toupper(static_cast<unsigned char>(z)));
  return tekst;
}

bool Cyfra(const std::string& t, size_t i) { return i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); }

void PominCyfry(const std::string& t, size_t& i) {
  while (Cyfra(t, i)) ++i;
}

Bajty Tekstowo(const std::string& tekst) { return Bajty(tekst.begin(), tekst.end()); }

}  // namespace

Modem::Modem(UrzadzenieLinii& modul, Dziennik& dziennik, UstawieniaModemu ustawienia)
    : modul_(modul), dziennik_(dziennik), ustawienia_(std::move(ustawienia)) {
  if (ustawienia_.nosna) {
    nosna_ = true;
    stan_ = Stan::Polaczony;
    pinPodany_ = true;
  }
}

void Modem::Odebrano(std::span<const uint8_t> bajty, Nadajnik& wyjscie, Zegar::time_point teraz) {
  wyjscie_ = &wyjscie;
  switch (stan_) {
    case Stan::Polaczony: Dane(bajty, wyjscie, teraz); return;
    case Stan::Wybieranie:
      // Any byte while the modem dials gives the call up.
      stan_ = Stan::Komendy;
      koniecWybierania_.reset();
      dziennik_.Zdarzenie(Kto, "dialling given up: a byte came");
      Odpowiedz("NO CARRIER", NO_CARRIER);
      return;
    case Stan::Komendy:
      for (uint8_t b : bajty) BajtKomendy(b, teraz);
      return;
  }
}

void Modem::BajtKomendy(uint8_t bajt, Zegar::time_point teraz) {
  if (echo_ && wyjscie_) wyjscie_->Wyslij({&bajt, 1});
  if (bajt == '\r') {
    const std::string linia = linia_;
    linia_.clear();
    Komenda(linia, teraz);
  } else if (bajt == 0x08) {
    if (!linia_.empty()) linia_.pop_back();
  } else if (bajt != '\n' && linia_.size() < NajdluzszaLinia) {
    linia_.push_back(static_cast<char>(bajt));
  }
}

void Modem::Komenda(const std::string& linia, Zegar::time_point teraz) {
  if (linia.empty()) return;
  const std::string tekst = Wielkie(linia);
  if (tekst.rfind("AT", 0) != 0) {
    dziennik_.Bajty(Kto, Kierunek::DoUrzadzenia, Tekstowo(linia), "not a command: ignored");
    return;
  }
  dziennik_.Bajty(Kto, Kierunek::DoUrzadzenia, Tekstowo(linia), "command");
  bool odpowiedziano = false;
  for (size_t i = 2; i < tekst.size() && !odpowiedziano;) {
    if (!Polecenie(tekst, i, teraz, odpowiedziano)) return Odpowiedz("ERROR", ERROR);
  }
  if (!odpowiedziano) Odpowiedz("OK", OK);
}

bool Modem::Polecenie(const std::string& t, size_t& i, Zegar::time_point teraz, bool& odpowiedziano) {
  const char litera = t[i++];
  switch (litera) {
    case ' ': return true;
    case 'D':
      odpowiedziano = true;
      return Wybierz(t.substr(i), teraz);
    case 'E':
    case 'V': {
      const bool wlaczone = !(i < t.size() && t[i] == '0');
      PominCyfry(t, i);
      (litera == 'E' ? echo_ : slownie_) = wlaczone;
      return true;
    }
    case 'H':
      PominCyfry(t, i);
      if (nosna_) UstawNosna(false, "hung up");
      return true;
    case 'Z':
      PominCyfry(t, i);
      echo_ = slownie_ = true;
      if (nosna_) UstawNosna(false, "reset");
      return true;
    case 'O':
      PominCyfry(t, i);
      if (!nosna_) return false;
      stan_ = Stan::Polaczony;
      ostatniBajt_ = teraz;
      odpowiedziano = true;
      Odpowiedz("CONNECT 19200", CONNECT);
      return true;
    case '&':
      if (i >= t.size()) return false;
      ++i;
      PominCyfry(t, i);
      return true;
    case 'S':
      PominCyfry(t, i);
      if (i < t.size() && t[i] == '?') ++i;
      else if (i < t.size() && t[i] == '=') {
        ++i;
        PominCyfry(t, i);
      }
      return true;
    case 'Q': case 'X': case 'L': case 'M': case 'I':
      PominCyfry(t, i);
      return true;
    case '+': {
      // An extended command runs to ";" or the end of the line.
      const size_t koniec = std::min(t.find(';', i), t.size());
      const std::string polecenie = "+" + t.substr(i, koniec - i);
      i = koniec < t.size() ? koniec + 1 : koniec;
      return polecenie.rfind("+CPIN", 0) == 0 ? Pin(polecenie) : true;
    }
    default: return false;
  }
}

bool Modem::Pin(const std::string& polecenie) {
  if (polecenie == "+CPIN?") {
    Tekst(ustawienia_.pin.empty() || pinPodany_ ? "+CPIN: READY" : "+CPIN: SIM PIN");
    return true;
  }
  if (polecenie.rfind("+CPIN=", 0) != 0) return false;
  std::string pin = polecenie.substr(6);
  if (pin.size() >= 2 && pin.front() == '"' && pin.back() == '"') pin = pin.substr(1, pin.size() - 2);
  if (!ustawienia_.pin.empty() && pin != ustawienia_.pin) {
    dziennik_.Zdarzenie(Kto, "wrong PIN");
    return false;
  }
  pinPodany_ = true;
  dziennik_.Zdarzenie(Kto, "PIN accepted");
  return true;
}

bool Modem::Wybierz(const std::string& numer, Zegar::time_point teraz) {
  if (nosna_) return false;
  if (!ustawienia_.pin.empty() && !pinPodany_) {
    dziennik_.Zdarzenie(Kto, "cannot dial: the SIM card waits for its PIN");
    return false;
  }
  const bool puls = !numer.empty() && numer[0] == 'P';
  const std::string cyfry = !numer.empty() && (numer[0] == 'P' || numer[0] == 'T') ? numer.substr(1) : numer;
  dziennik_.Zdarzenie(Kto, "dialling " + (cyfry.empty() ? std::string("(no number)") : cyfry) +
                               (puls ? ", pulse" : ", tone"));
  stan_ = Stan::Wybieranie;
  if (ustawienia_.wybieranie == UstawieniaModemu::Wybieranie::Nigdy) koniecWybierania_.reset();
  else koniecWybierania_ = teraz + ustawienia_.czasWybierania;
  return true;
}

void Modem::KoniecWybierania(Zegar::time_point teraz) {
  koniecWybierania_.reset();
  switch (ustawienia_.wybieranie) {
    case UstawieniaModemu::Wybieranie::Polaczenie:
      stan_ = Stan::Polaczony;
      ostatniBajt_ = teraz;
      UstawNosna(true, "the module answered");
      Odpowiedz("CONNECT 19200", CONNECT);
      return;
    case UstawieniaModemu::Wybieranie::Zajete:
      stan_ = Stan::Komendy;
      dziennik_.Zdarzenie(Kto, "the line is busy");
      Odpowiedz("BUSY", BUSY);
      return;
    case UstawieniaModemu::Wybieranie::Zerwanie:
      stan_ = Stan::Komendy;
      dziennik_.Zdarzenie(Kto, "the port server fails while the modem dials");
      zerwij_ = true;
      return;
    default:
      stan_ = Stan::Komendy;
      dziennik_.Zdarzenie(Kto, "no carrier came");
      Odpowiedz("NO CARRIER", NO_CARRIER);
      return;
  }
}

void Modem::Dane(std::span<const uint8_t> bajty, Nadajnik& wyjscie, Zegar::time_point teraz) {
  // "+++" counts only after a silence of the guard time, with its pluses
  // less than a guard time apart, and only when another guard time of
  // silence follows it (Sprawdz); until then the pluses are data like any
  // other bytes.
  for (uint8_t b : bajty) {
    const auto cisza = teraz - ostatniBajt_;
    const bool plus = b == '+' && plusy_ < 3 &&
                      (plusy_ == 0 ? cisza >= ustawienia_.czasOchronny : cisza < ustawienia_.czasOchronny);
    plusy_ = plus ? plusy_ + 1 : 0;
    ostatniBajt_ = teraz;
  }
  if (plusy_ == 3) koniecEskape_ = teraz + ustawienia_.czasOchronny;
  else koniecEskape_.reset();
  if (ustawienia_.utrataNosnej == 0) return modul_.Odebrano(bajty, wyjscie, teraz);
  // The module's answers pass through the modem, which may lose the call in one.
  class PrzezModem : public Nadajnik {
   public:
    PrzezModem(Modem& modem, Nadajnik& cel, Zegar::time_point teraz) : modem_(modem), cel_(cel), teraz_(teraz) {}
    void Wyslij(std::span<const uint8_t> b) override { modem_.RamkaModulu(b, cel_, teraz_); }
    void Czekaj(std::chrono::milliseconds czas) override { cel_.Czekaj(czas); }
    void BladLinii(uint8_t bledy) override { cel_.BladLinii(bledy); }

   private:
    Modem& modem_;
    Nadajnik& cel_;
    Zegar::time_point teraz_;
  } przezModem(*this, wyjscie, teraz);
  modul_.Odebrano(bajty, przezModem, teraz);
}

void Modem::RamkaModulu(std::span<const uint8_t> bajty, Nadajnik& wyjscie, Zegar::time_point teraz) {
  if (++ramekOdpowiedzi_ != ustawienia_.utrataNosnej || !nosna_) return wyjscie.Wyslij(bajty);
  const size_t polowa = bajty.size() / 2;
  wyjscie.Wyslij(bajty.first(polowa));
  dziennik_.Zdarzenie(Kto, "answer frame " + std::to_string(ramekOdpowiedzi_) + " cut after " +
                               std::to_string(polowa) + " bytes: the carrier is lost");
  // The carrier falls once the half frame has had time to leave at the line's speed.
  const auto naLinii = std::chrono::microseconds(polowa * 11'000'000 / (predkosc_ ? predkosc_ : 19200));
  utrataNosnej_ = teraz + naLinii + std::chrono::milliseconds(20);
}

void Modem::LinieSterujace(bool, bool) {}

void Modem::Predkosc(uint32_t baud) {
  predkosc_ = baud;
  modul_.Predkosc(baud);
}

std::optional<Zegar::time_point> Modem::Termin() const {
  std::optional<Zegar::time_point> termin = modul_.Termin();
  for (const auto& t : {koniecWybierania_, koniecEskape_, utrataNosnej_})
    if (t && (!termin || *t < *termin)) termin = t;
  return termin;
}

void Modem::Sprawdz(Zegar::time_point teraz) {
  if (stan_ == Stan::Wybieranie && koniecWybierania_ && teraz >= *koniecWybierania_) KoniecWybierania(teraz);
  if (utrataNosnej_ && teraz >= *utrataNosnej_) {
    utrataNosnej_.reset();
    UstawNosna(false, "lost");
    Odpowiedz("NO CARRIER", NO_CARRIER);
  }
  if (koniecEskape_ && teraz >= *koniecEskape_) {
    koniecEskape_.reset();
    plusy_ = 0;
    stan_ = Stan::Komendy;
    dziennik_.Zdarzenie(Kto, "escape: back to commands, the carrier stays");
    Odpowiedz("OK", OK);
  }
  modul_.Sprawdz(teraz);
}

void Modem::Przerwij() {
  linia_.clear();
  wyjscie_ = nullptr;
  plusy_ = 0;
  koniecEskape_.reset();
  zerwij_ = false;
  modul_.Przerwij();
}

uint8_t Modem::LinieModemu(uint8_t spoczynkowe) const {
  return static_cast<uint8_t>((spoczynkowe & ~CD) | (nosna_ ? CD : 0));
}

void Modem::Odpowiedz(const char* slowo, int kod) {
  Tekst(slownie_ ? std::string(slowo) : std::to_string(kod));
}

void Modem::Tekst(const std::string& tekst) {
  const std::string wiersz = slownie_ ? "\r\n" + tekst + "\r\n" : tekst + "\r";
  dziennik_.Bajty(Kto, Kierunek::OdUrzadzenia, Tekstowo(wiersz), "reply");
  if (wyjscie_) wyjscie_->Wyslij(Tekstowo(wiersz));
}

void Modem::UstawNosna(bool nosna, const char* dlaczego) {
  nosna_ = nosna;
  if (!nosna) stan_ = Stan::Komendy;
  dziennik_.Zdarzenie(Kto, std::string(nosna ? "carrier on (" : "carrier off (") + dlaczego + ")");
}

}  // namespace sim
