// The register families, as far as they change what a register answers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "device/register_state.h"

namespace sim {

// Type code 100 or above, except 'o' and 'p'.
bool DrugaGeneracja(uint8_t typ);
// The Norda registers, 'u' and 'v'.
bool Norda(uint8_t typ);
// Type code 116 ('t') or above, except the Norda registers: they report their goods capacity (0x6F).
bool Nowa(uint8_t typ);
// Price checkers and the small registers that read a goods record for the capacity probe (0xAC).
bool Cenometr(uint8_t typ);
bool Ubo(uint8_t typ);
// Types 'o' and 'p': header lines one by one, each with its attribute byte.
bool KasaOP(uint8_t typ);
// The new registers read their forms of payment one by one (0xD7); the others
// answer a fixed table (0xC9) of this many names: 2 on the Norda registers, else 3.
bool PlatnosciPoRekordzie(uint8_t typ);
size_t LiczbaPlatnosciWTablicy(uint8_t typ);

// Bytes of the identification text that request 0x71 answers: 12 on the
// second-generation types 100 to 102 of version 1A, else 11.
unsigned DlugoscIdentyfikatora(const StanKasy& stan);

// How a register keeps its goods records: the full layout (S), the Norda
// layout (V), the price checkers' layouts ('w' and 'x': W; 'm' and 'n': M),
// and the layout with carrier bits and a check byte of the newer registers (T).
enum class RodzinaTowarow : uint8_t { S, V, W, M, T };
RodzinaTowarow Rodzina(uint8_t typ);

}  // namespace sim
