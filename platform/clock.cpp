#include "platform/clock.h"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace platforma {

uint32_t LicznikMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  const uint64_t ms = static_cast<uint64_t>(t.tv_sec) * 1000u + static_cast<uint64_t>(t.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

void Uspienie(uint32_t ms) {
  if (ms == 0) {
    sched_yield();
    return;
  }
  timespec t{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&t, &t) != 0 && errno == EINTR) {
  }
}

void Sygnal(uint32_t czestotliwoscHz, uint32_t czasMs) {
  // The reference sounds no tone below 19 Hz.
  if (czestotliwoscHz >= 19) {
    const int terminal = open("/dev/tty", O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (terminal >= 0) {
      const char bel = '\a';
      [[maybe_unused]] const ssize_t n = write(terminal, &bel, 1);
      close(terminal);
    }
  }
  Uspienie(czasMs);
}

}  // namespace platforma
