#include "platform/comm_latency.h"

#include <linux/serial.h>

namespace platforma {

static_assert(FLAGA_NISKIEGO_OPOZNIENIA == ASYNC_LOW_LATENCY);

NiskieOpoznienie WlaczenieNiskiegoOpoznienia(const OperacjeOpoznienia& operacje) {
  int flagi = 0;
  if (operacje.Pobierz(flagi) != 0) return NiskieOpoznienie::Niedostepne;
  if (flagi & FLAGA_NISKIEGO_OPOZNIENIA) return NiskieOpoznienie::JuzBylo;
  if (operacje.Ustaw(flagi | FLAGA_NISKIEGO_OPOZNIENIA) != 0) return NiskieOpoznienie::Odmowa;
  // A driver may take the request without an error and still ignore it.
  if (operacje.Pobierz(flagi) != 0 || !(flagi & FLAGA_NISKIEGO_OPOZNIENIA)) return NiskieOpoznienie::Odmowa;
  return NiskieOpoznienie::Wlaczone;
}

void PrzywrocenieOpoznienia(const OperacjeOpoznienia& operacje, NiskieOpoznienie stan) {
  if (stan != NiskieOpoznienie::Wlaczone) return;
  int flagi = 0;
  if (operacje.Pobierz(flagi) == 0) operacje.Ustaw(flagi & ~FLAGA_NISKIEGO_OPOZNIENIA);
}

const char* OpisOpoznienia(NiskieOpoznienie stan) {
  switch (stan) {
    case NiskieOpoznienie::Wlaczone: return "low latency set for the port (put back at the close)";
    case NiskieOpoznienie::JuzBylo: return "low latency already set for the port";
    case NiskieOpoznienie::Odmowa: return "low latency refused by the port's driver: used as it is";
    case NiskieOpoznienie::Niedostepne: break;
  }
  return "no low-latency setting on this device: used as it is";
}

}  // namespace platforma
