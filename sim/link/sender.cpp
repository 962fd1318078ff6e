#include "link/sender.h"

#include <algorithm>
#include <thread>

namespace sim {

Zegar::duration Tempo::CzasBajtu() const {
  if (!baud_) return Zegar::duration::zero();
  return std::chrono::duration_cast<Zegar::duration>(std::chrono::nanoseconds(11'000'000'000LL / baud_));
}

Zegar::time_point Tempo::NastepnyBajt(Zegar::time_point teraz) {
  wolnaOd_ = std::max(teraz, wolnaOd_) + CzasBajtu();
  return wolnaOd_;
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
  for (size_t i = 0; i < bajty.size(); ++i) {
    std::this_thread::sleep_until(tempo_.NastepnyBajt(Zegar::now()));
    Zapisz(bajty.subspan(i, 1));
  }
}

}  // namespace sim
