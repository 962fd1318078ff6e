// The frames of the TCP link as the line-mode table carries them: the
// transport's own calls, with the wire capture around them.
#include "protocol/line_ops.h"
#include "protocol/wire_capture.h"
#include "transport/tcp_transport.h"

namespace tryby {

bool WyslanieRamkiTcp(const uint8_t* bufor, std::size_t dlugosc) {
  const bool wyslano = WyslanieDanych(bufor, dlugosc);
  if (wyslano && PodsluchWlaczony()) PodsluchBajtow(StronaPodsluchu::Wyslane, "tcp", bufor, dlugosc);
  return wyslano;
}

bool OdbiorBajtuRamkiTcp(uint8_t* bajt) {
  if (!PodsluchWlaczony()) return OdbiorBajtu(bajt);
  PodsluchPrzedOczekiwaniem();
  const bool odebrano = OdbiorBajtu(bajt);
  if (odebrano) PodsluchBajtow(StronaPodsluchu::Odebrane, "tcp", bajt, 1);
  else PodsluchZdarzenia("tcp", "no byte within the time-out");
  return odebrano;
}

}  // namespace tryby
