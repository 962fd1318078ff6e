// The running process as the rest of the driver sees it.
#pragma once

#include <cstdint>

namespace platforma {

// The process identifier (what the Server knows the driver by when no
// identifier of its own is configured).
uint32_t IdentyfikatorProcesu();

}  // namespace platforma
