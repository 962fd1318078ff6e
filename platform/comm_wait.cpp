#include "platform/comm_wait.h"

#include <poll.h>

#include <cerrno>

#include "platform/process.h"

namespace platforma {

int PozostaloMs(const std::optional<ZegarLinii::time_point>& termin) {
  if (!termin) return -1;
  const auto teraz = ZegarLinii::now();
  if (teraz >= *termin) return 0;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(*termin - teraz).count() + 1;
  return ms > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(ms);
}

Gotowosc CzekanieNaUchwyt(int uchwyt, short co, int budzik, const std::atomic<bool>& przerwano,
                          const std::optional<ZegarLinii::time_point>& termin) {
  for (;;) {
    pollfd p[3] = {{uchwyt, co, 0}, {budzik, POLLIN, 0}, {UchwytSygnaluKonca(), POLLIN, 0}};
    const int n = poll(p, 3, PozostaloMs(termin));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Gotowosc::Blad;
    if (p[1].revents != 0 || przerwano) return Gotowosc::Przerwano;
    if (p[2].revents != 0) return Gotowosc::Sygnal;
    if (n == 0) {
      if (PozostaloMs(termin) == 0) return Gotowosc::Minelo;
      continue;
    }
    return Gotowosc::Gotowe;
  }
}

Gotowosc DrzemkaLinii(ZegarLinii::time_point koniec, int budzik, const std::atomic<bool>& przerwano) {
  for (;;) {
    const auto teraz = ZegarLinii::now();
    if (teraz >= koniec) return Gotowosc::Minelo;
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(koniec - teraz).count();
    const timespec czas{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
    pollfd p[2] = {{budzik, POLLIN, 0}, {UchwytSygnaluKonca(), POLLIN, 0}};
    const int n = ppoll(p, 2, &czas, nullptr);
    if (n < 0 && errno != EINTR) return Gotowosc::Blad;
    if (p[0].revents != 0 || przerwano) return Gotowosc::Przerwano;
    if (p[1].revents != 0) return Gotowosc::Sygnal;
  }
}

}  // namespace platforma
