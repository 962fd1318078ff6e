#include "platform/thread_priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>

#include <cerrno>

namespace platforma {

void PriorytetKrytycznyWatku() {
  // A middle real-time priority: above every ordinary thread, below the kernel's own.
  sched_param parametr{};
  parametr.sched_priority = (sched_get_priority_min(SCHED_FIFO) + sched_get_priority_max(SCHED_FIFO)) / 2;
  pthread_setschedparam(pthread_self(), SCHED_FIFO, &parametr);
}

int PriorytetProcesu() {
  errno = 0;
  const int priorytet = getpriority(PRIO_PROCESS, 0);
  return errno == 0 ? priorytet : 0;
}

void UstawPriorytetProcesu(int priorytet) { setpriority(PRIO_PROCESS, 0, priorytet); }

}  // namespace platforma
