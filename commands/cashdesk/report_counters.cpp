#include "commands/cashdesk/report_counters.h"

#include "commands/command.h"

namespace {

void LiniaLicznika() { LiniaWyniku().Pole(Liczba(OdpowiedzWord(0))).Zapisanie(); }

}  // namespace

void OdczytLicznika(KodRozkazu kod) { CialoPojedynczejOdpowiedzi({{kod, 3, 0, 0}, LiniaLicznika}); }
