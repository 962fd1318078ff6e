// Where a device's answer bytes go: a line attachment (pty, RFC 2217 client)
// or, for the communication module, a buffer. Pacing lives here, so every
// attachment sends no faster than the line speed asked for.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>

namespace sim {

using Zegar = std::chrono::steady_clock;

class Nadajnik {
 public:
  virtual ~Nadajnik() = default;
  virtual void Wyslij(std::span<const uint8_t> bajty) = 0;
  // The device keeps the line quiet for this long (a late answer).
  virtual void Czekaj(std::chrono::milliseconds czas) = 0;
};

// One byte takes 11 bit times: start bit, 8 data bits, parity, stop bit.
class Tempo {
 public:
  explicit Tempo(uint32_t bitowNaSekunde = 0) : baud_(bitowNaSekunde) {}
  bool Wlaczone() const { return baud_ != 0; }
  Zegar::duration CzasBajtu() const;
  // The moment the next byte has fully arrived at the far end (it starts when
  // the line is free, not before teraz); each call books one byte time.
  Zegar::time_point NastepnyBajt(Zegar::time_point teraz);

 private:
  uint32_t baud_;
  Zegar::time_point wolnaOd_{};
};

// A sender that writes to a byte stream through Zapisz, paced when asked.
class NadajnikStrumienia : public Nadajnik {
 public:
  explicit NadajnikStrumienia(uint32_t baud) : tempo_(baud) {}
  void Wyslij(std::span<const uint8_t> bajty) override;
  void Czekaj(std::chrono::milliseconds czas) override;

 protected:
  virtual void Zapisz(std::span<const uint8_t> bajty) = 0;

 private:
  Tempo tempo_;
};

}  // namespace sim
