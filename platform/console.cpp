#include "platform/console.h"

#include <cstdio>

#include <unistd.h>

namespace platforma {

// A terminal that belongs to another foreground job would stop us (SIGTTIN)
// on the first read, so only the foreground counts as interactive.
bool WejscieInteraktywne() { return isatty(STDIN_FILENO) == 1 && tcgetpgrp(STDIN_FILENO) == getpgrp(); }

void CzekanieNaKlawisz() {
  if (WejscieInteraktywne()) std::getchar();
}

bool BledyNaTerminalu() { return isatty(STDERR_FILENO) == 1; }

}  // namespace platforma
