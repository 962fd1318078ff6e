// Part of the session record: the exchange engine's parameter and answer areas and per-session flags.
#pragma once

#include <cstdint>

struct DaneWymiany {
};
