#include "serial/ostatni_blad.h"

#include <mutex>

namespace {
std::mutex& Blokada() {
  static std::mutex* blokada = new std::mutex;  // outlives ports closed at process exit
  return *blokada;
}
OstatniBlad& Rekord() {
  static OstatniBlad* rekord = new OstatniBlad;
  return *rekord;
}
}  // namespace

void ZapamietanieBledu(const char* komunikat, int32_t kod) {
  std::lock_guard<std::mutex> b(Blokada());
  Rekord().komunikat = komunikat != nullptr ? komunikat : "";
  Rekord().kod = kod;
}

OstatniBlad PobranieBledu() {
  std::lock_guard<std::mutex> b(Blokada());
  OstatniBlad blad = Rekord();
  Rekord() = OstatniBlad{};
  return blad;
}
