#include "driver/program.h"

int main(int argc, char** argv) { return ProgramGlowny(argc, argv); }
