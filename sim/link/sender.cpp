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

namespace {
std::chrono::milliseconds Opoznienie{0};
}  // namespace

void UstawOpoznienieAdaptera(std::chrono::milliseconds opoznienie) { Opoznienie = opoznienie; }
std::chrono::milliseconds OpoznienieAdaptera() { return Opoznienie; }

NadajnikStrumienia::NadajnikStrumienia(uint32_t baud, std::chrono::milliseconds adapter)
    : tempo_(baud), adapter_(adapter) {
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

void NadajnikStrumienia::BladLinii(uint8_t bledy) {
  if (!czekajace_.empty()) {
    czekajace_.back().bladLinii |= bledy;
    return;
  }
  // What the adapter holds went over the line before the error.
  if (!wAdapterze_.empty()) {
    Zapisz(wAdapterze_);
    wAdapterze_.clear();
  }
  ZapiszBladLinii(bledy);
}

std::optional<Zegar::time_point> NadajnikStrumienia::Termin() const {
  std::optional<Zegar::time_point> termin = TerminAdaptera();
  if (!czekajace_.empty() && (!termin || czekajace_.front().kiedy < *termin)) termin = czekajace_.front().kiedy;
  return termin;
}

std::optional<Zegar::time_point> NadajnikStrumienia::TerminAdaptera() const {
  if (wAdapterze_.empty()) return std::nullopt;
  return pierwszyWAdapterze_ + adapter_;
}

void NadajnikStrumienia::DoAdaptera(std::span<const uint8_t> bajty, Zegar::time_point teraz) {
  if (adapter_.count() == 0) {
    Zapisz(bajty);
    return;
  }
  OproznijAdapter(teraz);
  for (uint8_t bajt : bajty) {
    if (wAdapterze_.empty()) pierwszyWAdapterze_ = teraz;
    wAdapterze_.push_back(bajt);
    if (wAdapterze_.size() == PAKIET_ADAPTERA) {
      Zapisz(wAdapterze_);
      wAdapterze_.clear();
    }
  }
}

void NadajnikStrumienia::OproznijAdapter(Zegar::time_point teraz) {
  if (wAdapterze_.empty() || teraz < pierwszyWAdapterze_ + adapter_) return;
  Zapisz(wAdapterze_);
  wAdapterze_.clear();
}

void NadajnikStrumienia::Wypchnij(Zegar::time_point teraz) {
  OproznijAdapter(teraz);
  while (!czekajace_.empty() && czekajace_.front().kiedy <= teraz) {
    const Czekajace c = std::move(czekajace_.front());
    czekajace_.pop_front();
    Nadaj(c.bajty);
    if (c.bladLinii != 0) {
      if (!wAdapterze_.empty()) {
        Zapisz(wAdapterze_);
        wAdapterze_.clear();
      }
      ZapiszBladLinii(c.bladLinii);
    }
  }
}

void NadajnikStrumienia::Nadaj(std::span<const uint8_t> bajty) {
  if (!tempo_.Wlaczone()) {
    DoAdaptera(bajty, Zegar::now());
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
      OproznijAdapter(teraz);
      Zegar::time_point budzenie = tempo_.KoniecBajtu(poczatek, wyslane);
      if (const auto t = TerminAdaptera(); t && *t < budzenie) budzenie = *t;
      std::this_thread::sleep_until(budzenie);
      continue;
    }
    DoAdaptera(bajty.subspan(wyslane, nalezne - wyslane), teraz);
    wyslane = nalezne;
  }
  tempo_.Zajeta(tempo_.KoniecBajtu(poczatek, bajty.size() - 1));
}

}  // namespace sim
