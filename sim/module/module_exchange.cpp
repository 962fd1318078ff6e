#include "module/module_exchange.h"

namespace sim {
namespace {

constexpr uint8_t Escape = 0x1B;
constexpr uint8_t Potwierdzenie = 0x06;

// Where the register's answer bytes land while the module waits for them.
class NadajnikBufora : public Nadajnik {
 public:
  void Wyslij(std::span<const uint8_t> bajty) override { bajty_.insert(bajty_.end(), bajty.begin(), bajty.end()); }
  // The module waits as long as the register needs, and answers that much later.
  void Czekaj(std::chrono::milliseconds czas) override { opoznienie_ += czas; }
  const Bajty& Bajty_() const { return bajty_; }
  std::chrono::milliseconds Opoznienie() const { return opoznienie_; }

 private:
  Bajty bajty_;
  std::chrono::milliseconds opoznienie_{0};
};

// Codes whose first answer is data from its first byte, without an acknowledgement.
bool BezPotwierdzenia(uint8_t kod) { return kod == 0x9B || kod == 0x94 || kod == 0x95 || kod == 0x96; }

// Takes the answer bytes from pozycja on: at most dlugosc, fewer at an end
// marker; false when the register sent fewer.
bool Pobierz(const Bajty& odebrane, size_t& pozycja, size_t dlugosc, uint8_t rekord, Bajty& wynik) {
  for (size_t k = 0; k < dlugosc; ++k) {
    if (pozycja >= odebrane.size()) return false;
    const uint8_t b = odebrane[pozycja++];
    wynik.push_back(b);
    if (k >= 1 && KoniecRekordow(b, k - 1, rekord)) break;
  }
  return true;
}

}  // namespace

bool KoniecRekordow(uint8_t bajt, size_t pozycja, uint8_t dlugoscRekordu) {
  return dlugoscRekordu != 0 && bajt == 0xFF && pozycja % dlugoscRekordu == 0;
}

std::optional<Bajty> WymianaZKasa(Kasa& kasa, const ZadanieRamki& z, Zegar::time_point teraz,
                                  std::chrono::milliseconds* opoznienie) {
  NadajnikBufora bufor;
  const Bajty poczatek{Escape, z.kod};
  kasa.Odebrano(poczatek, bufor, teraz);
  Bajty wynik;
  size_t pozycja = 0;
  const auto koniec = [&](std::optional<Bajty> w) {
    if (!kasa.Bezczynna()) kasa.Przerwij();
    if (opoznienie) *opoznienie = bufor.Opoznienie();
    return w;
  };
  if (z.pierwsza >= 1) {
    if (bufor.Bajty_().empty()) return koniec(std::nullopt);
    const uint8_t pierwszy = bufor.Bajty_()[0];
    // A refusal ends the exchange: the parameters are not sent.
    if (pierwszy != Potwierdzenie && !BezPotwierdzenia(z.kod)) return koniec(Bajty{pierwszy});
    if (!Pobierz(bufor.Bajty_(), pozycja, z.pierwsza, z.rekord, wynik)) return koniec(std::nullopt);
  }
  if (!z.parametry.empty()) kasa.Odebrano(z.parametry, bufor, teraz);
  if (z.druga >= 1) {
    const Bajty& odebrane = bufor.Bajty_();
    if (pozycja >= odebrane.size()) return koniec(std::nullopt);
    const uint8_t status = odebrane[pozycja];
    if (z.statusJestDana) {
      // The status is data: the module waits for the whole second answer
      // whatever its status, and takes no byte beyond its length.
      if (!Pobierz(odebrane, pozycja, z.druga, z.rekord, wynik)) return koniec(std::nullopt);
    } else if (status != 0) {
      // An error status: what the register sent with it, the driver stops reading after the status.
      const size_t ile = std::min<size_t>(z.druga, odebrane.size() - pozycja);
      wynik.insert(wynik.end(), odebrane.begin() + static_cast<std::ptrdiff_t>(pozycja),
                   odebrane.begin() + static_cast<std::ptrdiff_t>(pozycja + ile));
    } else if (!Pobierz(odebrane, pozycja, z.druga, z.rekord, wynik)) {
      return koniec(std::nullopt);
    }
  }
  return koniec(wynik);
}

}  // namespace sim
