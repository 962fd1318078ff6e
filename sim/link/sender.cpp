#include "link/sender.h"

#include <sys/prctl.h>

#include <algorithm>
#include <thread>

namespace sim {

Zegar::duration Tempo::CzasBajtu() const {
  if (!baud_) return Zegar::duration::zero();
  return std::chrono::duration_cast<Zegar::duration>(std::chrono::nanoseconds(11'000'000'000LL / baud_));
}

Zegar::time_point Tempo::PoczatekOdpowiedzi(Zegar::time_point teraz) const { return std::max(teraz, wolnaOd_); }

Zegar::time_point Tempo::KoniecBajtu(Zegar::time_point poczatek, size_t k) const {
  return poczatek + CzasBajtu() * static_cast<Zegar::rep>(k + 1);
}

NadajnikStrumienia::NadajnikStrumienia(uint32_t baud) : tempo_(baud) {
  // A paced byte is due within microseconds: the kernel's default slack of
  // 50 us on a sleeping thread's timer would be half a byte at 115200.
  if (tempo_.Wlaczone()) prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}

void NadajnikStrumienia::Wyslij(std::span<const uint8_t> bajty) {
  if (czekajace_.empty() && nieWczesniej_ <= Zegar::now()) {
    Nadaj(bajty);
    return;
  }
  // Never ahead of what already waits: the line carries bytes in order.
  const Zegar::time_point kiedy = czekajace_.empty() ? nieWczesniej_ : std::max(nieWczesniej_, czekajace_.back().kiedy);
  czekajace_.push_back({kiedy, std::vector<uint8_t>(bajty.begin(), bajty.end())});
}

void NadajnikStrumienia::Czekaj(std::chrono::milliseconds czas) { nieWczesniej_ = Zegar::now() + czas; }

std::optional<Zegar::time_point> NadajnikStrumienia::Termin() const {
  if (czekajace_.empty()) return std::nullopt;
  return czekajace_.front().kiedy;
}

void NadajnikStrumienia::Wypchnij(Zegar::time_point teraz) {
  while (!czekajace_.empty() && czekajace_.front().kiedy <= teraz) {
    const Czekajace c = std::move(czekajace_.front());
    czekajace_.pop_front();
    Nadaj(c.bajty);
  }
}

void NadajnikStrumienia::Nadaj(std::span<const uint8_t> bajty) {
  if (!tempo_.Wlaczone()) {
    Zapisz(bajty);
    return;
  }
  if (bajty.empty()) return;
  // Byte k of the answer is due at its start + (k + 1) byte times whenever
  // the simulator wakes, so a late wakeup never adds up over the answer; a
  // byte already due goes out with the ones before it.
  const Zegar::time_point poczatek = tempo_.PoczatekOdpowiedzi(Zegar::now());
  size_t wyslane = 0;
  while (wyslane < bajty.size()) {
    const Zegar::time_point teraz = Zegar::now();
    size_t nalezne = wyslane;
    while (nalezne < bajty.size() && tempo_.KoniecBajtu(poczatek, nalezne) <= teraz) ++nalezne;
    if (nalezne == wyslane) {
      std::this_thread::sleep_until(tempo_.KoniecBajtu(poczatek, wyslane));
      continue;
    }
    Zapisz(bajty.subspan(wyslane, nalezne - wyslane));
    wyslane = nalezne;
  }
  tempo_.Zajeta(tempo_.KoniecBajtu(poczatek, bajty.size() - 1));
}

}  // namespace sim
