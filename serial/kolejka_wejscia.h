// What the driver asks of the selected port beyond the exported functions.
#pragma once

#include <cstdint>

// Bytes that have come in and wait to be read on the selected port; 0 when it
// is not open.
uint32_t BajtyWKolejceWejscia();
