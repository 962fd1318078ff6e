#include "platform/thread_priority.h"

#include <sys/resource.h>

#include <cerrno>

namespace platforma {

int PriorytetProcesu() {
  errno = 0;
  const int priorytet = getpriority(PRIO_PROCESS, 0);
  return errno == 0 ? priorytet : 0;
}

void UstawPriorytetProcesu(int priorytet) { setpriority(PRIO_PROCESS, 0, priorytet); }

}  // namespace platforma
