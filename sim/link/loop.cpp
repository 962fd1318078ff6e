#include "link/loop.h"

#include <csignal>
#include <cstdint>
#include <string>

#include "common/bytes.h"

namespace sim {
namespace {

volatile std::sig_atomic_t zatrzymano = 0;

extern "C" void NaSygnal(int) { zatrzymano = 1; }

}  // namespace

void UstawObslugeSygnalow() {
  struct sigaction akcja {};
  akcja.sa_handler = NaSygnal;
  sigemptyset(&akcja.sa_mask);
  akcja.sa_flags = 0;  // no SA_RESTART: the signal must end the wait in poll
  sigaction(SIGTERM, &akcja, nullptr);
  sigaction(SIGINT, &akcja, nullptr);
  struct sigaction ignoruj {};
  ignoruj.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignoruj, nullptr);
}

bool Zatrzymano() { return zatrzymano != 0; }

void Zatrzymaj() { zatrzymano = 1; }

int CzasOczekiwania(std::optional<Zegar::time_point> termin, int maksimum) {
  if (!termin) return maksimum;
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(*termin - Zegar::now()).count();
  if (ms <= 0) return 0;
  return ms < maksimum ? static_cast<int>(ms) : maksimum;
}

std::optional<Zegar::time_point> Wczesniejszy(std::optional<Zegar::time_point> a, std::optional<Zegar::time_point> b) {
  if (!a) return b;
  if (!b) return a;
  return *a < *b ? a : b;
}

bool RozdzielAdres(const std::string& tekst, std::string& host, uint16_t& port) {
  const size_t dwukropek = tekst.rfind(':');
  if (dwukropek == std::string::npos || dwukropek == 0) return false;
  const auto p = Liczba(tekst.substr(dwukropek + 1), 0xFFFF);
  if (!p) return false;
  host = tekst.substr(0, dwukropek);
  port = static_cast<uint16_t>(*p);
  return true;
}

}  // namespace sim
