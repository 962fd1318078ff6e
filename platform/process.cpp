#include "platform/process.h"

#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

namespace platforma {
namespace {

constexpr int SygnalyKonca[] = {SIGTERM, SIGINT, SIGHUP};

volatile sig_atomic_t Odebrany = 0;
// Readable from the first noted signal on: every wait of a port watches it.
int Budzik = -1;

extern "C" void NaSygnalKonca(int numer) {
  const int zachowany = errno;
  Odebrany = numer;
  const uint64_t jeden = 1;
  if (Budzik >= 0) {
    [[maybe_unused]] const ssize_t n = write(Budzik, &jeden, sizeof jeden);
  }
  errno = zachowany;
}

sigset_t ZbiorSygnalowKonca() {
  sigset_t zbior;
  sigemptyset(&zbior);
  for (const int s : SygnalyKonca) sigaddset(&zbior, s);
  return zbior;
}

}  // namespace

uint32_t IdentyfikatorProcesu() { return static_cast<uint32_t>(getpid()); }

void PrzechwytywanieSygnalowKonca() {
  if (Budzik < 0) Budzik = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  // A write over the file size limit then fails like any other, and the
  // command reports it, instead of the process ending without a report.
  signal(SIGXFSZ, SIG_IGN);
  struct sigaction akcja {};
  akcja.sa_handler = NaSygnalKonca;
  sigemptyset(&akcja.sa_mask);
  // Reads and writes of files go on; a wait in poll still ends with EINTR.
  akcja.sa_flags = SA_RESTART;
  for (const int s : SygnalyKonca) {
    // A signal ignored by whoever started the driver (nohup) stays ignored.
    struct sigaction dotad {};
    if (sigaction(s, nullptr, &dotad) == 0 && dotad.sa_handler == SIG_IGN) continue;
    sigaction(s, &akcja, nullptr);
  }
}

int SygnalKonca() { return Odebrany; }

std::string NazwaSygnalu(int numer) {
  switch (numer) {
    case SIGINT: return "SIGINT (Ctrl-C)";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP (its terminal went away)";
    default: return "signal " + std::to_string(numer);
  }
}

int UchwytSygnaluKonca() { return Budzik; }

void ZapomnienieSygnaluKonca() {
  Odebrany = 0;
  uint64_t ile = 0;
  if (Budzik >= 0) {
    [[maybe_unused]] const ssize_t n = read(Budzik, &ile, sizeof ile);
  }
}

void WatekBezSygnalowKonca() {
  const sigset_t zbior = ZbiorSygnalowKonca();
  pthread_sigmask(SIG_BLOCK, &zbior, nullptr);
}

}  // namespace platforma
