// What the port's thread handshake costs: one byte written with WriteByte and
// read back with ReadByte through a pseudo-terminal whose other side echoes
// it, against the same round trip made directly on the device, and both
// against the line time of one byte at 115200 and 9600 bit/s.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "include/karvo.h"

namespace {

using Zegar = std::chrono::steady_clock;

struct Pty {
  int sterujacy = -1, urzadzenie = -1;
  std::string nazwa;
  Pty() {
    sterujacy = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (sterujacy < 0 || grantpt(sterujacy) != 0 || unlockpt(sterujacy) != 0) return;
    char bufor[128] = {};
    if (ptsname_r(sterujacy, bufor, sizeof bufor) != 0) return;
    nazwa = bufor;
  }
  ~Pty() {
    if (urzadzenie >= 0) close(urzadzenie);
    if (sterujacy >= 0) close(sterujacy);
  }
};

// The far side of the pseudo-terminal: sends back every byte that arrives
// (echo), or only takes it away (drain), until told to stop.
class Druga {
 public:
  Druga(int fd, bool echo) : fd_(fd), echo_(echo), watek_([this] { Dzialaj(); }) {}
  ~Druga() {
    stop_ = true;
    watek_.join();
  }

 private:
  void Dzialaj() {
    uint8_t bufor[256];
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      const ssize_t n = read(fd_, bufor, sizeof bufor);
      if (echo_ && n > 0 && write(fd_, bufor, static_cast<size_t>(n)) != n) return;
    }
  }
  int fd_;
  bool echo_;
  std::atomic<bool> stop_{false};
  std::thread watek_;
};

void Napelnij(int fd, int n) {
  std::vector<uint8_t> bajty(static_cast<size_t>(n), 0x55);
  if (write(fd, bajty.data(), bajty.size()) != n) {
    std::fprintf(stderr, "cannot queue %d bytes\n", n);
    std::exit(1);
  }
  usleep(20000);  // let the pseudo-terminal hand them over to the device side
}

template <typename F>
double UsNaRaz(int n, F&& f) {
  const auto t0 = Zegar::now();
  for (int i = 0; i < n; ++i) f(i);
  return std::chrono::duration<double, std::micro>(Zegar::now() - t0).count() / n;
}

// Bytes still on their way when a far side stopped would be read by the next
// measure: let them arrive, then drop them on both sides.
void Uspokoj(int sterujacy) {
  usleep(20000);
  ClearPort();
  tcflush(sterujacy, TCIOFLUSH);
  uint8_t bufor[4096];
  pollfd p{sterujacy, POLLIN, 0};
  while (poll(&p, 1, 0) == 1 && read(sterujacy, bufor, sizeof bufor) > 0) {
  }
}

void Przerwij(const char* co, int i) {
  std::fprintf(stderr, "%s %d failed\n", co, i);
  std::exit(1);
}

double Mediana(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Microseconds per round trip through the driver's port functions.
double PrzezPort(int n) {
  return UsNaRaz(n, [](int i) {
    uint8_t b = 0;
    if (WriteByte(static_cast<uint8_t>(i)) != 1 || ReadByte(&b) != 1 || b != static_cast<uint8_t>(i))
      Przerwij("round trip", i);
  });
}

// The driver's transfers alone: writes the far side takes away, and reads of
// bytes already queued, so no line latency is in them.
double ZapisPrzezPort(int n) {
  return UsNaRaz(n, [](int i) {
    if (WriteByte(static_cast<uint8_t>(i)) != 1) Przerwij("WriteByte", i);
  });
}
double OdczytPrzezPort(int n) {
  return UsNaRaz(n, [](int i) {
    uint8_t b = 0;
    if (ReadByte(&b) != 1) Przerwij("ReadByte", i);
  });
}

// The same transfers made directly on the device, with the poll for readiness
// the port's worker makes too.
double ZapisBezposredni(int fd, int n) {
  return UsNaRaz(n, [fd](int i) {
    uint8_t b = static_cast<uint8_t>(i);
    pollfd p{fd, POLLOUT, 0};
    if (poll(&p, 1, 1000) != 1 || write(fd, &b, 1) != 1) Przerwij("write", i);
  });
}
double OdczytBezposredni(int fd, int n) {
  return UsNaRaz(n, [fd](int i) {
    uint8_t b = 0;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 1000) != 1 || read(fd, &b, 1) != 1) Przerwij("read", i);
  });
}

struct Wyniki {
  std::vector<double> obieg, zapis, odczyt, zapisBezposredni, odczytBezposredni;
};

// One run of each measure; reads go in blocks the pseudo-terminal can queue.
void Seria(const Pty& pty, int n, Wyniki& w) {
  constexpr int BLOK = 1000;
  {
    Druga echo(pty.sterujacy, true);
    w.obieg.push_back(PrzezPort(n));
  }
  Uspokoj(pty.sterujacy);
  {
    Druga odbiorca(pty.sterujacy, false);
    w.zapis.push_back(ZapisPrzezPort(n));
  }
  Uspokoj(pty.sterujacy);
  double suma = 0;
  for (int i = 0; i < n; i += BLOK) {
    Napelnij(pty.sterujacy, BLOK);
    suma += OdczytPrzezPort(BLOK) * BLOK;
  }
  w.odczyt.push_back(suma / ((n + BLOK - 1) / BLOK * BLOK));
}

void SeriaBezposrednia(const Pty& pty, int n, Wyniki& w) {
  constexpr int BLOK = 1000;
  {
    Druga odbiorca(pty.sterujacy, false);
    w.zapisBezposredni.push_back(ZapisBezposredni(pty.urzadzenie, n));
  }
  double suma = 0;
  for (int i = 0; i < n; i += BLOK) {
    Napelnij(pty.sterujacy, BLOK);
    suma += OdczytBezposredni(pty.urzadzenie, BLOK) * BLOK;
  }
  w.odczytBezposredni.push_back(suma / ((n + BLOK - 1) / BLOK * BLOK));
}

}  // namespace

// An open port left idle for sekundy: the voluntary context switches of the
// whole process meanwhile (every thread's), and how many threads it has.
int Bezczynny(int sekundy) {
  Pty pty;
  if (pty.nazwa.empty()) return std::fprintf(stderr, "no pseudo-terminal\n"), 1;
  pty.urzadzenie = open(pty.nazwa.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);  // the line stays up
  char wzor[] = "/tmp/karvo-bench-XXXXXX";
  if (!mkdtemp(wzor)) return 1;
  const std::string katalog = wzor;
  std::ofstream(katalog + "/ports.conf") << "COM1\t" << pty.nazwa << "\n";
  setenv("KARVO_PLATFORM_DIR", katalog.c_str(), 1);
  SetComSelector(1);
  if (InitializePort(1, 115200, 1, 1) != 0) return std::fprintf(stderr, "the port did not open\n"), 1;
  auto przelaczenia = [] {
    long suma = 0;
    for (const auto& watek : std::filesystem::directory_iterator("/proc/self/task")) {
      std::ifstream status(watek.path() / "status");
      std::string slowo;
      while (status >> slowo)
        if (slowo == "voluntary_ctxt_switches:" && status >> slowo) suma += std::atol(slowo.c_str());
    }
    return suma;
  };
  const long przed = przelaczenia();
  std::this_thread::sleep_for(std::chrono::seconds(sekundy));
  const long po = przelaczenia();
  const auto watki = std::distance(std::filesystem::directory_iterator("/proc/self/task"), {});
  UnInitializePort();
  std::filesystem::remove_all(katalog);
  // The main thread's own sleep is one of them.
  std::printf("an open port idle for %d s: %ld voluntary context switches, %ld threads\n", sekundy, po - przed,
              static_cast<long>(watki));
  return 0;
}

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "idle") return Bezczynny(argc > 2 ? std::atoi(argv[2]) : 10);
  const int n = argc > 1 ? std::atoi(argv[1]) : 5000;
  const int serie = argc > 2 ? std::atoi(argv[2]) : 7;
  if (n <= 0 || serie <= 0) {
    std::fprintf(stderr, "usage: karvo_bench_serial [TRANSFERS] [RUNS]\n");
    return 2;
  }
  Pty pty;
  if (pty.nazwa.empty()) return std::fprintf(stderr, "no pseudo-terminal\n"), 1;
  char wzor[] = "/tmp/karvo-bench-XXXXXX";
  if (!mkdtemp(wzor)) return 1;
  const std::string katalog = wzor;
  std::ofstream(katalog + "/ports.conf") << "COM1\t" << pty.nazwa << "\n";
  setenv("KARVO_PLATFORM_DIR", katalog.c_str(), 1);

  Wyniki w;
  SetComSelector(1);
  if (InitializePort(1, 115200, 1, 1) != 0) return std::fprintf(stderr, "the port did not open\n"), 1;
  {
    Druga echo(pty.sterujacy, true);
    PrzezPort(200);  // warm up
  }
  Uspokoj(pty.sterujacy);
  for (int s = 0; s < serie; ++s) Seria(pty, n, w);
  UnInitializePort();

  Pty& p = pty;
  p.urzadzenie = open(p.nazwa.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (p.urzadzenie < 0) return std::fprintf(stderr, "the device did not open\n"), 1;
  for (int s = 0; s < serie; ++s) SeriaBezposrednia(pty, n, w);
  std::filesystem::remove_all(katalog);

  const double obieg = Mediana(w.obieg);
  const double zapis = Mediana(w.zapis), odczyt = Mediana(w.odczyt);
  const double zapisB = Mediana(w.zapisBezposredni), odczytB = Mediana(w.odczytBezposredni);
  const double uzgadnianie = (zapis - zapisB + odczyt - odczytB) / 2;  // a transfer
  const double linia115200 = 11e6 / 115200, linia9600 = 11e6 / 9600;
  std::printf("serial port over a pty, %d transfers a run, median of %d runs (microseconds)\n", n, serie);
  std::printf("  WriteByte %8.2f   write() on the device %8.2f\n", zapis, zapisB);
  std::printf("  ReadByte  %8.2f   read() on the device  %8.2f   (bytes already queued)\n", odczyt, odczytB);
  std::printf("  handshake per transfer:        %8.2f\n", uzgadnianie);
  std::printf("  byte round trip (echo):        %8.2f\n", obieg);
  std::printf("  line time of one byte:         %8.2f at 115200, %8.2f at 9600 (11 bits)\n", linia115200,
              linia9600);
  std::printf("  handshake / line time of a byte: %6.2f %% at 115200, %6.2f %% at 9600\n",
              100 * uzgadnianie / linia115200, 100 * uzgadnianie / linia9600);
  return 0;
}
