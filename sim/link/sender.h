// Where a device's answer bytes go: a line attachment (pty, RFC 2217 client)
// or, for the communication module, a buffer. Pacing lives here, so every
// attachment sends no faster than the line speed asked for.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

namespace sim {

using Zegar = std::chrono::steady_clock;

class Nadajnik {
 public:
  virtual ~Nadajnik() = default;
  virtual void Wyslij(std::span<const uint8_t> bajty) = 0;
  // The bytes sent next leave this much later (a late answer).
  virtual void Czekaj(std::chrono::milliseconds czas) = 0;
  // The line damages what follows the bytes sent so far: a line error
  // (break 0x10, framing 0x08, parity 0x04, overrun 0x02) that a port server
  // reports in order with the data; a line that cannot report it ignores it.
  virtual void BladLinii(uint8_t) {}
};

// One byte takes 11 bit times: start bit, 8 data bits, parity, stop bit.
class Tempo {
 public:
  explicit Tempo(uint32_t bitowNaSekunde = 0) : baud_(bitowNaSekunde) {}
  bool Wlaczone() const { return baud_ != 0; }
  Zegar::duration CzasBajtu() const;
  // An answer starts when the line is free, not before teraz; its byte k has
  // fully arrived at poczatek + (k + 1) byte times.
  Zegar::time_point PoczatekOdpowiedzi(Zegar::time_point teraz) const;
  Zegar::time_point KoniecBajtu(Zegar::time_point poczatek, size_t k) const;
  // The line carries bytes until koniec.
  void Zajeta(Zegar::time_point koniec) { wolnaOd_ = std::max(wolnaOd_, koniec); }

 private:
  uint32_t baud_;
  Zegar::time_point wolnaOd_{};
};

// A USB serial adapter's receive side: it hands the bytes it has received to
// the host only when 62 wait or its latency timer has run out since the first
// of them. Zero (the default) hands each byte over as it comes.
void UstawOpoznienieAdaptera(std::chrono::milliseconds opoznienie);
std::chrono::milliseconds OpoznienieAdaptera();
constexpr size_t PAKIET_ADAPTERA = 62;

// A sender that writes to a byte stream through Zapisz, paced when asked. A
// late answer does not stop the simulator: its bytes wait here, and whatever
// the device sends after them waits behind them, while the device goes on
// hearing the line (a driver that retries, or a new driver on the same line).
// With an adapter's latency the bytes the line has carried wait in the
// adapter until it hands them over.
class NadajnikStrumienia : public Nadajnik {
 public:
  explicit NadajnikStrumienia(uint32_t baud, std::chrono::milliseconds adapter = std::chrono::milliseconds(0));
  void Wyslij(std::span<const uint8_t> bajty) override;
  void Czekaj(std::chrono::milliseconds czas) override;
  void BladLinii(uint8_t bledy) override;
  // When the first waiting bytes are due, if any wait.
  std::optional<Zegar::time_point> Termin() const;
  // Sends the waiting bytes that are due by teraz.
  void Wypchnij(Zegar::time_point teraz);

 protected:
  virtual void Zapisz(std::span<const uint8_t> bajty) = 0;
  virtual void ZapiszBladLinii(uint8_t) {}

 private:
  struct Czekajace {
    Zegar::time_point kiedy;
    std::vector<uint8_t> bajty;
    uint8_t bladLinii = 0;  // reported after the bytes
  };
  void Nadaj(std::span<const uint8_t> bajty);
  // Bytes the line has carried to the adapter by teraz.
  void DoAdaptera(std::span<const uint8_t> bajty, Zegar::time_point teraz);
  void OproznijAdapter(Zegar::time_point teraz);
  std::optional<Zegar::time_point> TerminAdaptera() const;

  Tempo tempo_;
  std::chrono::milliseconds adapter_;
  std::vector<uint8_t> wAdapterze_;
  Zegar::time_point pierwszyWAdapterze_{};
  Zegar::time_point nieWczesniej_{};
  std::deque<Czekajace> czekajace_;
};

}  // namespace sim
