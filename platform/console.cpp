#include "platform/console.h"

#include <cstdio>

#include <unistd.h>

namespace platforma {

bool WejscieInteraktywne() { return isatty(STDIN_FILENO) == 1; }

void CzekanieNaKlawisz() {
  if (WejscieInteraktywne()) std::getchar();
}

}  // namespace platforma
