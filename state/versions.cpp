#include "state/versions.h"

#include "karvo_version.h"

const char* const WersjaBiblioteki = "WIN 8.55";
const double WersjaSterownika = KARVO_VERSION_NUMBER;
