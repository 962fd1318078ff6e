// A manual-reset event: it stays set until reset, and a wait can watch several
// events at once, taking the first set one in the order given. A wait sleeps
// on a condition; it never watches the events in a loop.
#pragma once

#include <atomic>
#include <chrono>
#include <initializer_list>
#include <optional>

class Zdarzenie {
 public:
  explicit Zdarzenie(bool ustawione = false) : stan_(ustawione) {}
  Zdarzenie(const Zdarzenie&) = delete;
  Zdarzenie& operator=(const Zdarzenie&) = delete;

  void Ustaw();
  void Resetuj();
  bool Ustawione() const { return stan_.load(); }

  // Index of the first set event of the list, in list order; waits until one
  // is set, or -1 when the limit passes first.
  static int CzekajNaKtores(std::initializer_list<const Zdarzenie*> zdarzenia,
                            std::optional<std::chrono::milliseconds> limit = std::nullopt);

 private:
  std::atomic<bool> stan_;
};
