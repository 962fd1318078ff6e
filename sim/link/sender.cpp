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
  if (!tempo_.Wlaczone()) {
    Zapisz(bajty);
    return;
  }
  for (size_t i = 0; i < bajty.size(); ++i) {
    std::this_thread::sleep_until(tempo_.NastepnyBajt(Zegar::now()));
    Zapisz(bajty.subspan(i, 1));
  }
}

void NadajnikStrumienia::Czekaj(std::chrono::milliseconds czas) { std::this_thread::sleep_for(czas); }

}  // namespace sim
