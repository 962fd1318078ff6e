// Part of the session record: the frame state of the modem-frame link layer.
#pragma once

#include <cstdint>

struct DaneRamek {
};
