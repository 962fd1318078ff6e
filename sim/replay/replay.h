// karvo-sim --replay: the far end of a capture played back. It expects the
// driver's bytes exactly as captured and answers with the captured bytes,
// after the captured pauses (at once when fast). The first byte that differs
// ends the replay with a report; so does a driver that falls silent where the
// capture has it speak, or that sends more than the capture holds.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/wire_log.h"
#include "link/line_device.h"
#include "replay/capture_file.h"

namespace sim {

struct UstawieniaOdtwarzania {
  bool szybko = false;  // --fast: answers at once
  // How long past the captured pause the driver may take before its next bytes.
  std::chrono::milliseconds zapasCzasu{5000};
  // After the capture's last line: bytes the driver sends within this are one too many.
  std::chrono::milliseconds ciszaNaKoniec{300};
};

class Odtwarzanie : public UrzadzenieLinii {
 public:
  Odtwarzanie(std::vector<WpisNagrania> wpisy, Dziennik& dziennik, UstawieniaOdtwarzania ustawienia = {});

  void Odebrano(std::span<const uint8_t> bajty, Nadajnik& wyjscie, Zegar::time_point teraz) override;
  void LinieSterujace(bool, bool) override {}
  void Predkosc(uint32_t) override {}
  std::optional<Zegar::time_point> Termin() const override { return termin_; }
  void Sprawdz(Zegar::time_point teraz) override;
  // The client went (TCP, RFC 2217): after the capture's last line that is its end.
  void Przerwij() override;

  bool Skonczone() const { return skonczone_; }
  // 0 when the driver did exactly what the capture holds.
  int Wynik() const { return wynik_; }
  const std::string& Raport() const { return raport_; }

 private:
  void Postep(Zegar::time_point teraz);
  bool PorownanieBajtowKierowcy(const WpisNagrania& w, Zegar::time_point teraz);
  void Koniec(int wynik, std::string raport);
  void KoniecZgodny();
  std::string Pozycja(const WpisNagrania& w) const;

  std::vector<WpisNagrania> wpisy_;
  Dziennik& dziennik_;
  UstawieniaOdtwarzania ustawienia_;
  Nadajnik* wyjscie_ = nullptr;
  std::deque<uint8_t> bufor_;       // the driver's bytes not yet compared
  size_t biezacy_ = 0, zgodne_ = 0;  // the line played now and its bytes matched so far
  uint64_t bajtyKierowcy_ = 0;       // the driver's bytes matched in all
  Zegar::time_point poprzedni_{};    // when the line before the current one was played
  std::optional<Zegar::time_point> termin_, terminCzekania_;
  bool skonczone_ = false;
  int wynik_ = 0;
  std::string raport_;
};

}  // namespace sim
