#include "platform/process.h"

#include <signal.h>
#include <unistd.h>

namespace platforma {
namespace {

constexpr int SygnalyKonca[] = {SIGTERM, SIGINT, SIGHUP};

volatile sig_atomic_t Odebrany = 0;

extern "C" void NaSygnalKonca(int numer) { Odebrany = numer; }

sigset_t ZbiorSygnalowKonca() {
  sigset_t zbior;
  sigemptyset(&zbior);
  for (const int s : SygnalyKonca) sigaddset(&zbior, s);
  return zbior;
}

}  // namespace

uint32_t IdentyfikatorProcesu() { return static_cast<uint32_t>(getpid()); }

void PrzechwytywanieSygnalowKonca() {
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

void ZapomnienieSygnaluKonca() { Odebrany = 0; }

void WatekBezSygnalowKonca() {
  const sigset_t zbior = ZbiorSygnalowKonca();
  pthread_sigmask(SIG_BLOCK, &zbior, nullptr);
}

}  // namespace platforma
