#include "state/versions.h"

const char* const WersjaBiblioteki = "WIN 8.55";
const double WersjaSterownika = 2.14;
