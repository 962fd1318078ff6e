// The wire log: every byte run that crosses a line, in readable form, with the
// events around it (faults applied, control lines, speed, connections).
// One line per entry, flushed at once, so it can be read while the simulator runs.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace sim {

enum class Kierunek { DoUrzadzenia, OdUrzadzenia };

class Dziennik {
 public:
  Dziennik() = default;
  ~Dziennik();
  Dziennik(const Dziennik&) = delete;
  Dziennik& operator=(const Dziennik&) = delete;

  bool Otworz(const std::string& sciezka);
  bool Otwarty() const { return plik_ != nullptr; }

  // kto names the device ("reg 1", "mux", "module"); opis is the meaning of the bytes.
  void Bajty(std::string_view kto, Kierunek kierunek, std::span<const uint8_t> bajty, std::string_view opis = {});
  void Zdarzenie(std::string_view kto, std::string_view tekst);

 private:
  void Linia(const std::string& tekst);
  std::FILE* plik_ = nullptr;
};

}  // namespace sim
