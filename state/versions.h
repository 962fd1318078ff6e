// The version texts of the driver, for the report's first header line and the /V option.
#pragma once

extern const char* const WersjaBiblioteki;  // "WIN 8.55"
extern const double WersjaSterownika;       // 2.14, printed with "%4.2f"
