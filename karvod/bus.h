// The Server's side of the message bus of one run. Every run gets its own
// platform directory, so its bus holds only its driver and this service:
// DIR/bus/N/ with the driver's endpoint "d<pid>" and ours "s<pid>", messages
// in the datagram of karvo_bus.h (the driver's identifier in wParam).
#pragma once

#include <cstdint>
#include <string>

namespace karvod {

struct BusMessage {
  uint32_t Number = 0;
  uint32_t Driver = 0;
  char Letter = 0;
  uint32_t Value = 0;
};

class RunBus {
 public:
  RunBus() = default;
  RunBus(const RunBus&) = delete;
  RunBus& operator=(const RunBus&) = delete;
  ~RunBus() { Close(); }

  // Binds our endpoint on bus `number` under the platform directory `dir`.
  bool Open(const std::string& dir, uint32_t number, std::string& error);
  void Close();
  int Fd() const { return fd_; }
  // The next message waiting, without blocking; false when none.
  bool Receive(BusMessage& m);
  // Sends a command to the driver endpoint "d<pid>"; false when it is not
  // (or no longer) there or its queue is full.
  bool Send(long driverPid, uint32_t driverId, char letter, uint32_t value = 0);

  static std::string Encode(const BusMessage& m);
  static bool Decode(const unsigned char* bytes, std::size_t n, BusMessage& m);

 private:
  int fd_ = -1;
  uint32_t number_ = 0;
  std::string dir_, path_;
};

}  // namespace karvod
