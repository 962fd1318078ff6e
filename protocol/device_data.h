// Part of the session record: the register's type details and number, read when the session opens.
#pragma once

#include <cstdint>

struct DaneUrzadzenia {
};
