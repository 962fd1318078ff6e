// One simulated register in direct mode. It waits for the escape byte 0x1B
// and a request code, answers the acknowledgement 0x06 and the first-answer
// data, reads the parameter bytes, carries the request out and answers the
// status byte and the second-answer data. It is fed bytes and answers through
// a Nadajnik, so any line (pty, RFC 2217, the communication module) can carry it.
#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/wire_log.h"
#include "device/faults.h"
#include "device/register_state.h"
#include "device/requests.h"
#include "link/sender.h"

namespace sim {

struct UstawieniaKasy {
  // How long the register waits for the request code and for each parameter
  // byte before it gives the exchange up and waits for a new escape byte.
  std::chrono::milliseconds czasBajtu{500};
};

class Kasa {
 public:
  // wlasne: requests that take the place of the table's (tests, special registers).
  Kasa(StanKasy stan, std::vector<Usterka> usterki, Dziennik& dziennik, UstawieniaKasy ustawienia = {},
       std::span<const Rozkaz> wlasne = {});

  void Odebrano(std::span<const uint8_t> bajty, Nadajnik& wyjscie, Zegar::time_point teraz);
  // When the register gives a started exchange up, if one is started.
  std::optional<Zegar::time_point> Termin() const;
  void Sprawdz(Zegar::time_point teraz);
  // The line was broken (client gone): forget a started exchange.
  void Przerwij();
  // Waiting for an escape byte, no exchange started.
  bool Bezczynna() const { return faza_ == Faza::Bezczynna; }

  const StanKasy& Stan() const { return stan_; }
  StanKasy& Stan() { return stan_; }
  const std::string& Nazwa() const { return nazwa_; }
  // Requests with this code received so far.
  uint32_t Wystapienia(uint8_t kod) const { return wystapienia_[kod]; }

 private:
  enum class Faza { Bezczynna, Kod, Parametry };

  void Rozpocznij(uint8_t kod, Nadajnik& wyjscie, Zegar::time_point teraz);
  void Zakoncz(Nadajnik& wyjscie, Zegar::time_point teraz);
  void Wyslij(Nadajnik& wyjscie, Bajty bajty, const char* opis);
  void Opoznij(Nadajnik& wyjscie, const Usterka* u, Zegar::time_point teraz);
  Bajty Smieci(size_t ile) const;
  void Usterka_(const Usterka& u);
  void Szum();
  void Porzuc(uint8_t bajt);

  StanKasy stan_;
  std::vector<Usterka> usterki_;
  Dziennik& dziennik_;
  UstawieniaKasy ustawienia_;
  std::span<const Rozkaz> wlasne_;
  std::string nazwa_;
  std::array<uint32_t, 256> wystapienia_{};

  Faza faza_ = Faza::Bezczynna;
  Zegar::time_point termin_{};
  Zegar::time_point wolnaOd_{};  // when the last late answer leaves the register
  Bajty szum_;  // bytes ignored while waiting for an escape byte, logged together

  // The exchange under way.
  uint8_t kod_ = 0;
  const Rozkaz* rozkaz_ = nullptr;
  Bajty parametry_;
  size_t oczekiwane_ = 0;
  size_t wyslane_ = 0;
  std::optional<size_t> ciecie_;
  const Usterka* wstrzymanie_ = nullptr;  // a hold= fault on the parameters
  // linerror= and break=: after how many bytes of the answer, and the line-error bits.
  std::optional<std::pair<size_t, uint8_t>> bladLinii_;
  uint32_t granica_ = UINT32_MAX;
  std::vector<const Usterka*> drugie_;  // faults decided once the parameters are in
};

}  // namespace sim
