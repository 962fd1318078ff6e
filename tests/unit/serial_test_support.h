// What the serial port tests share: a private platform directory with its own
// port map, pseudo-terminal pairs standing for devices, and a clean port table
// after every test.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// A pseudo-terminal: the test holds the controller side and keeps the device
// side open, so that closing the driver's port does not hang the line up.
struct ParaPty {
  int sterujacy = -1;
  int urzadzenie = -1;
  std::string nazwa;
  ParaPty();
  ~ParaPty();
  ParaPty(const ParaPty&) = delete;
  ParaPty& operator=(const ParaPty&) = delete;
  void Pisz(const std::vector<uint8_t>& bajty) const;
  // Up to ile bytes, waiting at most limit for them.
  std::vector<uint8_t> Czytaj(std::size_t ile, std::chrono::milliseconds limit = std::chrono::seconds(2)) const;
};

class TestPortow : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Writes ports.conf with these lines (each ends with a line feed).
  void MapaPortow(const std::vector<std::string>& linie);
  std::string katalog_;
};

// The last error, taken with IsError.
struct Blad {
  bool jest;
  std::string komunikat;
  int32_t kod;
};
Blad PobierzBlad();

// Milliseconds a call took.
template <typename F>
long long CzasMs(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}
