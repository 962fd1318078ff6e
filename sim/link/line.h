// One serial line and the registers on it. A line carries one register, or
// several behind a line switch (selected by DTR and RTS: channel 1 DTR off RTS
// on, 2 both on, 3 both off, 4 DTR on RTS off) or behind a multiplexer
// (selected in band: 1B 01 address in mode 3, FE address in mode 4). Only the
// selected register hears the line and answers.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "common/wire_log.h"
#include "device/faults.h"
#include "device/register.h"
#include "link/line_device.h"
#include "link/sender.h"

namespace sim {

// The digit after MUX in the driver's configuration that this line matches.
enum class RodzajLinii : uint8_t { Pojedyncza = 0, Przelacznik = 1, Multiplekser3 = 3, Multiplekser4 = 4 };

class Linia : public UrzadzenieLinii {
 public:
  // usterki: the faults of the selection itself (request code 0x01, kind silent:
  // the selection is ignored).
  Linia(RodzajLinii rodzaj, std::vector<std::unique_ptr<Kasa>> kasy, Dziennik& dziennik,
        std::vector<Usterka> usterki = {});

  void Odebrano(std::span<const uint8_t> bajty, Nadajnik& wyjscie, Zegar::time_point teraz) override;
  void LinieSterujace(bool dtr, bool rts) override;
  void Predkosc(uint32_t baud) override;
  std::optional<Zegar::time_point> Termin() const override;
  void Sprawdz(Zegar::time_point teraz) override;
  // The line was broken: every register forgets a started exchange.
  void Przerwij() override;

  void Wybierz(int adres);
  Kasa* Wybrana() { return wybrana_; }
  RodzajLinii Rodzaj() const { return rodzaj_; }
  std::vector<std::unique_ptr<Kasa>>& Kasy() { return kasy_; }

 private:
  void Przekaz(std::span<const uint8_t> bajty, Nadajnik& wyjscie, Zegar::time_point teraz);
  void WyborMultipleksera(uint8_t adres);

  RodzajLinii rodzaj_;
  std::vector<std::unique_ptr<Kasa>> kasy_;
  Dziennik& dziennik_;
  std::vector<Usterka> usterki_;
  Kasa* wybrana_ = nullptr;
  Bajty wstrzymane_;  // bytes the multiplexer holds while it decides whether they select
  uint32_t wybory_ = 0;
  uint32_t predkosc_ = 0;
  bool dtr_ = false, rts_ = false;
};

}  // namespace sim
