#include "platform/process.h"

#include <unistd.h>

namespace platforma {

uint32_t IdentyfikatorProcesu() { return static_cast<uint32_t>(getpid()); }

}  // namespace platforma
