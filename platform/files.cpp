// Placeholder until the file layer lands.
#include "platform/files.h"

namespace platforma {
std::string DopasowanaSciezka(const char* sciezka) { return sciezka; }
}  // namespace platforma
