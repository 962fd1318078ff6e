#include "serial/zdarzenie.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

// All events share one lock and one condition: a wait on several then needs
// no registration, and the few threads of a port make wakeups cheap. They are
// never destroyed, so ports closed during the process exit can still use them.
struct Sygnalizacja {
  std::mutex blokada;
  std::condition_variable warunek;
};
Sygnalizacja& Wspolna() {
  static Sygnalizacja* s = new Sygnalizacja;
  return *s;
}

int PierwszeUstawione(std::initializer_list<const Zdarzenie*> zdarzenia) {
  int indeks = 0;
  for (const Zdarzenie* z : zdarzenia) {
    if (z->Ustawione()) return indeks;
    ++indeks;
  }
  return -1;
}

}  // namespace

void Zdarzenie::Ustaw() {
  Sygnalizacja& s = Wspolna();
  bool bylo;
  {
    std::lock_guard<std::mutex> b(s.blokada);
    bylo = stan_.exchange(true);
  }
  // A waiter blocks only after seeing the event reset under the lock, so an
  // event that was already set has nobody to wake: the other threads of the
  // port are spared a wakeup for nothing on every byte.
  if (!bylo) s.warunek.notify_all();
}

void Zdarzenie::Resetuj() { stan_.store(false); }

int Zdarzenie::CzekajNaKtores(std::initializer_list<const Zdarzenie*> zdarzenia,
                              std::optional<std::chrono::milliseconds> limit) {
  if (const int i = PierwszeUstawione(zdarzenia); i >= 0) return i;
  Sygnalizacja& s = Wspolna();
  std::unique_lock<std::mutex> b(s.blokada);
  int wynik = -1;
  auto gotowe = [&] { return (wynik = PierwszeUstawione(zdarzenia)) >= 0; };
  if (limit) s.warunek.wait_for(b, *limit, gotowe);
  else s.warunek.wait(b, gotowe);
  return wynik;
}
