#include "serial_test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "include/karvo.h"
#include "serial/stan_winserii.h"

ParaPty::ParaPty() {
  sterujacy = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (sterujacy < 0 || grantpt(sterujacy) != 0 || unlockpt(sterujacy) != 0) return;
  char bufor[128] = {};
  if (ptsname_r(sterujacy, bufor, sizeof bufor) != 0) return;
  nazwa = bufor;
  urzadzenie = open(bufor, O_RDWR | O_NOCTTY | O_CLOEXEC);
}

ParaPty::~ParaPty() {
  if (urzadzenie >= 0) close(urzadzenie);
  if (sterujacy >= 0) close(sterujacy);
}

void ParaPty::Pisz(const std::vector<uint8_t>& bajty) const {
  ASSERT_EQ(write(sterujacy, bajty.data(), bajty.size()), static_cast<ssize_t>(bajty.size()));
}

std::vector<uint8_t> ParaPty::Czytaj(std::size_t ile, std::chrono::milliseconds limit) const {
  std::vector<uint8_t> wynik;
  const auto koniec = std::chrono::steady_clock::now() + limit;
  while (wynik.size() < ile) {
    const auto zostalo =
        std::chrono::duration_cast<std::chrono::milliseconds>(koniec - std::chrono::steady_clock::now()).count();
    if (zostalo <= 0) break;
    pollfd p{sterujacy, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(zostalo)) <= 0) break;
    uint8_t bufor[256];
    const ssize_t n = read(sterujacy, bufor, std::min(sizeof bufor, ile - wynik.size()));
    if (n <= 0) break;
    wynik.insert(wynik.end(), bufor, bufor + n);
  }
  return wynik;
}

void TestPortow::SetUp() {
  char wzor[] = "/tmp/karvo-ports-XXXXXX";
  ASSERT_NE(mkdtemp(wzor), nullptr);
  katalog_ = wzor;
  setenv("KARVO_PLATFORM_DIR", katalog_.c_str(), 1);
  SetComSelector(1);
  UstawCTS(0);
  char komunikat[256];
  int32_t kod;
  IsError(komunikat, &kod);
}

void TestPortow::TearDown() {
  for (int i = 0; i < 256; ++i) {
    SetComSelector(static_cast<uint8_t>(i));
    UnInitializePort();
  }
  SetComSelector(1);
  UstawCTS(1);
  Winseria().WyborParzystosci = 2;
  unsetenv("KARVO_PLATFORM_DIR");
  std::error_code blad;
  std::filesystem::remove_all(katalog_, blad);
}

void TestPortow::MapaPortow(const std::vector<std::string>& linie) {
  std::ofstream plik(katalog_ + "/ports.conf", std::ios::binary | std::ios::trunc);
  for (const auto& l : linie) plik << l << '\n';
}

Blad PobierzBlad() {
  char komunikat[256] = {};
  int32_t kod = 0;
  const bool jest = IsError(komunikat, &kod) != 0;
  return {jest, komunikat, kod};
}
