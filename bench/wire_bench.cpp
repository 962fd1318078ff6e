// The serial line at wire speed: whole karvo runs against karvo-sim over a
// pseudo-terminal, two driver binaries measured in turn on the same machine,
// and the simulator's own pacing measured by a plain client.
//
//   karvo_bench_wire tempo [ANSWERS]                    the simulator's pacing
//   karvo_bench_wire goods RUNS KARVO_A [KARVO_B]       _TowarMax, 5000 goods of family S
//   karvo_bench_wire network RUNS KARVO_A [KARVO_B]     the same over RFC 2217 and TCP, unpaced
//   karvo_bench_wire sales RUNS KARVO_A [KARVO_B]       _OSprzed of a large day
//   karvo_bench_wire parallel N KARVO_A [KARVO_B]       N drivers at once, 2000 goods each
//   karvo_bench_wire parallel-rfc2217|parallel-module N KARVO_A [KARVO_B]   the same over RFC 2217, TCP modules
//   karvo_bench_wire adapter RUNS KARVO_A [KARVO_B]     _TowarMax through a USB adapter's latency timer
//   karvo_bench_wire fiscal RUNS KARVO_A [KARVO_B]      _ODaneRek of a full fiscal memory
//   karvo_bench_wire plain RUNS                          a plain blocking-read client doing _TowarMax's exchanges
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "harness.h"

namespace {

using Zegar = std::chrono::steady_clock;

double Sekundy(Zegar::duration d) { return std::chrono::duration<double>(d).count(); }
double Procesor(const rusage& r) {
  return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// Starts the driver binary in the environment's directory, its output thrown away.
pid_t Start(const std::string& karvo, const e2e::Srodowisko& env, int kod) {
  const std::string katalog = env.Katalog().Sciezka();
  const pid_t pid = fork();
  if (pid != 0) return pid;
  if (chdir(katalog.c_str()) != 0) _exit(127);
  setenv("KARVO_PLATFORM_DIR", katalog.c_str(), 1);
  const int nic = open("/dev/null", O_RDWR);
  dup2(nic, 1);
  dup2(nic, 2);
  const std::string k = "/K" + std::to_string(kod);
  execl(karvo.c_str(), karvo.c_str(), k.c_str(), "/FWE.TXT", "/WWY.TXT", static_cast<char*>(nullptr));
  _exit(127);
}

struct Przebieg {
  double sciana = 0, procesor = 0;
  long przelaczenia = 0;  // voluntary context switches: the driver's wake-ups
  bool dobrze = false;
};

Przebieg Uruchom(const std::string& karvo, const e2e::Srodowisko& env, int kod) {
  Przebieg p;
  std::remove(env.Sciezka("WY.TXT").c_str());
  const auto t0 = Zegar::now();
  const pid_t pid = Start(karvo, env, kod);
  int status = 0;
  rusage r{};
  wait4(pid, &status, 0, &r);
  p.sciana = Sekundy(Zegar::now() - t0);
  p.procesor = Procesor(r);
  p.przelaczenia = r.ru_nvcsw;
  p.dobrze = e2e::CzytajPlik(env.Sciezka("RAPORT.TXT")).find("#0\t;") != std::string::npos;
  return p;
}

long Rekordy(const std::string& wyjscie) {
  long n = 0;
  for (size_t p = 0; (p = wyjscie.find("\r\n$", p)) != std::string::npos; p += 3) ++n;
  return n;
}

// Median, minimum and maximum.
struct Rozrzut {
  double mediana, min, max;
};
Rozrzut Policz(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return {v[v.size() / 2], v.front(), v.back()};
}

// A simulator and its directory with the register identified into ECRTBUF.TXT.
struct Stanowisko {
  Stanowisko(const std::string& stan, int numer, uint32_t baud, e2e::Lacze lacze = e2e::Lacze::Pty,
             std::vector<std::string> dodatkowe = {})
      : sim(env.Katalog(), {.urzadzenia = {stan}, .lacze = lacze, .dodatkowe = std::move(dodatkowe), .baud = baud}),
        baud(baud) {
    if (!sim.Gotowy()) std::exit(1);
    if (lacze == e2e::Lacze::ModulTcp || lacze == e2e::Lacze::ModulRfc2217)
      env.PolaczZModulem(sim, numer);
    else
      env.PolaczZSymulatorem(sim, numer, "COM1:" + std::to_string(baud ? baud : 115200) + ":MUX0:1", 1);
    env.Plik("WE.TXT", e2e::Srodowisko::Wejscie(numer));
    env.Karvo(113, "WE.TXT", "WY.TXT");
  }
  e2e::Srodowisko env;
  e2e::Symulator sim;
  uint32_t baud;
};

// Each binary RUNS times, in turn: A B A B ...
void Porownanie(const char* opis, Stanowisko& s, int kod, int przebiegi, const std::vector<std::string>& binarne) {
  std::vector<std::vector<double>> stosunki(binarne.size()), procesor(binarne.size()), udzial(binarne.size()),
      sciany(binarne.size()), budzenia(binarne.size());
  long przed = BajtyWDzienniku(s.sim.Dziennik()), bajty = 0, rekordy = 0;
  for (int i = 0; i < przebiegi; ++i) {
    for (size_t b = 0; b < binarne.size(); ++b) {
      const Przebieg p = Uruchom(binarne[b], s.env, kod);
      const long po = BajtyWDzienniku(s.sim.Dziennik());
      if (!p.dobrze) {
        // Counted apart: its bytes and its time say nothing of a whole run.
        std::printf("%s: a run of %s failed after %.2f s:\n%s\n", opis, binarne[b].c_str(), p.sciana,
                    e2e::CzytajPlik(s.env.Sciezka("RAPORT.TXT")).c_str());
        przed = po;
        continue;
      }
      bajty = po - przed;
      przed = po;
      rekordy = Rekordy(e2e::CzytajPlik(s.env.Sciezka("WY.TXT")));
      const double linia = s.baud ? double(bajty) * 11 / s.baud : 0;
      sciany[b].push_back(p.sciana);
      stosunki[b].push_back(p.sciana / (linia + PAUZY_S));
      procesor[b].push_back(p.procesor / double(rekordy) * 1e6);
      udzial[b].push_back(p.procesor / p.sciana * 100);
      budzenia[b].push_back(double(p.przelaczenia) / double(rekordy));
    }
  }
  const double linia = s.baud ? double(bajty) * 11 / s.baud : 0;
  for (size_t b = 0; b < binarne.size(); ++b) {
    if (sciany[b].empty()) continue;
    const Rozrzut w = Policz(sciany[b]), r = Policz(stosunki[b]), c = Policz(procesor[b]), u = Policz(udzial[b]),
                  z = Policz(budzenia[b]);
    std::printf("%s, %u bit/s, %s: %ld records, %ld bytes, line %.2f s + %.3f s\n"
                "  wall %.2f s (%.2f-%.2f); ratio %.4f (%.4f-%.4f); processor %.1f us a record (%.1f-%.1f),"
                " %.2f %% of wall (%.2f-%.2f); %.2f wake-ups a record (%.2f-%.2f)\n",
                opis, s.baud, binarne[b].c_str(), rekordy, bajty, linia, PAUZY_S, w.mediana, w.min, w.max, r.mediana,
                r.min, r.max, c.mediana, c.min, c.max, u.mediana, u.min, u.max, z.mediana, z.min, z.max);
  }
  std::fflush(stdout);
}

void Towary(int przebiegi, const std::vector<std::string>& binarne) {
  const std::string katalog = KARVO_BENCH_DIR;
  {
    Stanowisko s(katalog + "/towary-s-5000.txt", 5, 0);
    Porownanie("_TowarMax S 5000, unpaced", s, 21, przebiegi, binarne);
  }
  {
    Stanowisko s(katalog + "/towary-s-5000.txt", 5, 115200);
    Porownanie("_TowarMax S 5000", s, 21, przebiegi, binarne);
  }
  {
    Stanowisko s(katalog + "/towary-s-500.txt", 5, 9600);
    Porownanie("_TowarMax S 500", s, 21, przebiegi, binarne);
  }
}

// The network paths: a port of a port server over RFC 2217, unpaced and paced
// at 115200 bit/s, the communication module over TCP, unpaced, and behind a
// port server at 19200 bit/s (the frames of the modem line).
void Siec(int przebiegi, const std::vector<std::string>& binarne) {
  const std::string katalog = KARVO_BENCH_DIR;
  {
    Stanowisko s(katalog + "/towary-s-5000.txt", 5, 0, e2e::Lacze::Rfc2217);
    Porownanie("_TowarMax S 5000 over RFC 2217, unpaced", s, 21, przebiegi, binarne);
  }
  {
    Stanowisko s(katalog + "/towary-s-5000.txt", 5, 115200, e2e::Lacze::Rfc2217);
    Porownanie("_TowarMax S 5000 over RFC 2217", s, 21, przebiegi, binarne);
  }
  {
    Stanowisko s(katalog + "/towary-s-5000.txt", 5, 0, e2e::Lacze::ModulTcp);
    Porownanie("_TowarMax S 5000 through the module over TCP, unpaced", s, 21, przebiegi, binarne);
  }
  {
    // The modem line's frames (MUX2): the module behind a port server, paced at the line's 19200 bit/s.
    Stanowisko s(katalog + "/towary-s-500.txt", 5, 19200, e2e::Lacze::ModulRfc2217);
    Porownanie("_TowarMax S 500 through the module behind RFC 2217 (MUX2)", s, 21, przebiegi, binarne);
  }
}

void Sprzedaz(int przebiegi, const std::vector<std::string>& binarne) {
  e2e::Srodowisko dzien;
  const std::string stan = dzien.Sciezka("dzien.txt");
  std::string konsola;
  if (e2e::Uruchom({KARVO_SIM_DAY_BINARY, e2e::Urzadzenie("vin-t.txt"), stan, "--goods", "10000", "--records", "0"},
                   "", {}, std::chrono::seconds(60), konsola) != 0) {
    std::fprintf(stderr, "karvo-sim-day failed: %s\n", konsola.c_str());
    std::exit(1);
  }
  Stanowisko s(stan, 7, 115200);
  Porownanie("_OSprzed vin-t, a day of 10000 goods", s, 31, przebiegi, binarne);
}

// _TowarMax through a USB adapter that hands the bytes over when 62 wait or
// its latency timer runs out: 16 ms (the default of the common adapters) and
// 1 ms (what the low-latency setting gives), against the line time.
void Adapter(int przebiegi, const std::vector<std::string>& binarne) {
  const std::string katalog = KARVO_BENCH_DIR;
  const struct {
    const char* opis;
    const char* plik;
    uint32_t baud;
  } przypadki[] = {{"_TowarMax S 5000", "towary-s-5000.txt", 115200}, {"_TowarMax S 500", "towary-s-500.txt", 9600}};
  for (const auto& p : przypadki) {
    for (const char* opoznienie : {"16", "1"}) {
      Stanowisko s(katalog + "/" + p.plik, 5, p.baud, e2e::Lacze::Pty, {"--adapter-latency", opoznienie});
      const std::string opis = std::string(p.opis) + ", adapter latency " + opoznienie + " ms";
      Porownanie(opis.c_str(), s, 21, przebiegi, binarne);
    }
  }
}

// _ODaneRek of the 2076 report records of a full fiscal memory (0x9A, 4 bytes
// out and 64 back each) at 115200 bit/s.
void Fiskalne(int przebiegi, const std::vector<std::string>& binarne) {
  e2e::Srodowisko pamiec;
  std::string stan, wejscie;
  PamiecFiskalna("vin-t.txt", 0xFC, 59, 2076, stan, wejscie);
  e2e::ZapiszPlik(pamiec.Sciezka("pamiec.txt"), stan);
  Stanowisko s(pamiec.Sciezka("pamiec.txt"), 7, 115200);
  s.env.Plik("WE.TXT", e2e::Srodowisko::Wejscie(7) + wejscie);
  Porownanie("_ODaneRek vin-t, 2076 records", s, 317, przebiegi, binarne);
}

// N drivers at once, each against its own paced simulator; then one alone.
void Rownolegle(int n, e2e::Lacze lacze, const char* opis, const std::vector<std::string>& binarne) {
  const std::string katalog = KARVO_BENCH_DIR;
  std::vector<std::unique_ptr<Stanowisko>> stanowiska;
  for (int i = 0; i < n; ++i)
    stanowiska.push_back(std::make_unique<Stanowisko>(katalog + "/towary-s-2000.txt", 5, 115200, lacze));
  for (const std::string& karvo : binarne) {
    const Przebieg sam = Uruchom(karvo, stanowiska[0]->env, 21);
    std::vector<pid_t> pidy;
    const auto t0 = Zegar::now();
    for (auto& s : stanowiska) pidy.push_back(Start(karvo, s->env, 21));
    std::vector<double> sciany;
    double procesor = 0;
    for (size_t i = 0; i < pidy.size(); ++i) {
      int status = 0;
      rusage r{};
      const pid_t pid = wait4(-1, &status, 0, &r);
      if (pid <= 0) break;
      sciany.push_back(Sekundy(Zegar::now() - t0));
      procesor += Procesor(r);
    }
    int dobrych = 0;
    for (auto& s : stanowiska)
      dobrych += e2e::CzytajPlik(s->env.Sciezka("RAPORT.TXT")).find("#0\t;") != std::string::npos;
    const Rozrzut w = Policz(sciany);
    std::printf("%d drivers at once, 2000 goods each at 115200 %s, %s: %d ended with 0; alone %.2f s (%s);"
                " at once median %.2f s, slowest %.2f s = %.3f x alone; processor %.1f us a record\n",
                n, opis, karvo.c_str(), dobrych, sam.sciana, sam.dobrze ? "0" : "failed", w.mediana, w.max,
                w.max / sam.sciana, procesor / (n * 2000.0) * 1e6);
    std::fflush(stdout);
  }
}

// The exchanges of _TowarMax (0xAC: ESC and the code, the acknowledgement,
// the goods number, its 36-byte answer) as a plain client does them: blocking
// reads of whatever has come, in a process of its own so that its processor
// time is its own. Answers how many goods it read.
long ZwyklyKlient(const std::string& urzadzenie, long towarow) {
  const int fd = open(urzadzenie.c_str(), O_RDWR | O_NOCTTY);
  termios t{};
  tcgetattr(fd, &t);
  cfmakeraw(&t);
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  tcsetattr(fd, TCSANOW, &t);
  auto czytaj = [fd](uint8_t* bufor, int ile) {
    for (int mam = 0; mam < ile;) {
      const ssize_t r = read(fd, bufor + mam, size_t(ile - mam));
      if (r <= 0) return false;
      mam += int(r);
    }
    return true;
  };
  long n = 1;
  for (; n <= towarow; ++n) {
    const uint8_t zadanie[] = {0x1B, 0xAC}, numer[] = {uint8_t(n & 0xFF), uint8_t(n >> 8)};
    uint8_t odpowiedz[64];
    if (write(fd, zadanie, 2) != 2 || !czytaj(odpowiedz, 1) || odpowiedz[0] != 0x06) break;
    if (write(fd, numer, 2) != 2 || !czytaj(odpowiedz, 36) || odpowiedz[0] != 0) break;
  }
  close(fd);
  return n - 1;
}

void Zwykly(int przebiegi) {
  Stanowisko s(std::string(KARVO_BENCH_DIR) + "/towary-s-5000.txt", 5, 115200);
  std::vector<double> procesor, stosunki;
  for (int i = 0; i < przebiegi; ++i) {
    const long przed = BajtyWDzienniku(s.sim.Dziennik());
    const auto t0 = Zegar::now();
    const pid_t pid = fork();
    if (pid == 0) _exit(ZwyklyKlient(s.sim.Dowiazanie(), 5000) == 5000 ? 0 : 1);
    int status = 0;
    rusage r{};
    wait4(pid, &status, 0, &r);
    const double sciana = Sekundy(Zegar::now() - t0);
    const double linia = double(BajtyWDzienniku(s.sim.Dziennik()) - przed) * 11 / s.baud;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::printf("a run of the plain client failed\n");
    procesor.push_back(Procesor(r) / 5000 * 1e6);
    stosunki.push_back(sciana / linia);
  }
  const Rozrzut c = Policz(procesor), w = Policz(stosunki);
  std::printf("plain blocking-read client, _TowarMax's exchanges of 5000 goods of family S at 115200 bit/s:\n"
              "  processor %.1f us a goods (%.1f-%.1f); wall / line time %.4f (%.4f-%.4f)\n",
              c.mediana, c.min, c.max, w.mediana, w.min, w.max);
  std::fflush(stdout);
}

// The simulator's pacing seen by a plain client: 0x71 asked again and again,
// each 12-byte answer timed from its first to its last byte as it arrives.
void Tempo(int odpowiedzi) {
  for (uint32_t baud : {115200u, 9600u}) {
    e2e::Srodowisko env;
    e2e::Symulator sim(env.Katalog(), {.urzadzenia = {"vin-t.txt"}, .baud = baud});
    if (!sim.Gotowy()) std::exit(1);
    const int fd = open(sim.Dowiazanie().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    double bajtowe = 0, czas = 0;
    std::vector<double> pojedyncze;
    const int ile = baud == 9600 ? odpowiedzi / 10 : odpowiedzi;
    for (int i = 0; i < ile; ++i) {
      const uint8_t zadanie[] = {0x1B, 0x71};
      if (write(fd, zadanie, 2) != 2) std::exit(1);
      Zegar::time_point pierwszy{}, ostatni{};
      int mam = 0;
      // The client watches the line without sleeping, so that its own
      // wake-ups (a first byte after a long sleep wakes slower than the rest)
      // do not count as the simulator's; a measuring tool, not the driver.
      const auto termin = Zegar::now() + std::chrono::seconds(2);
      while (mam < 12) {
        uint8_t bufor[64];
        const ssize_t r = read(fd, bufor, sizeof bufor);
        const auto teraz = Zegar::now();
        if (r <= 0) {
          if (teraz > termin) std::exit(1);
          continue;
        }
        if (mam == 0) pierwszy = teraz;
        mam += int(r);
        ostatni = teraz;
      }
      const double s = Sekundy(ostatni - pierwszy);
      bajtowe += 11.0 * 11;
      czas += s;
      pojedyncze.push_back(11.0 * 11 / s / baud);
    }
    close(fd);
    const Rozrzut r = Policz(pojedyncze);
    std::printf("pacing at %u bit/s, %d answers of 12 bytes: %.1f bit/s overall = %.4f of the rate asked;"
                " one answer: median %.4f (%.4f-%.4f)\n",
                baud, ile, bajtowe / czas, bajtowe / czas / baud, r.mediana, r.min, r.max);
    std::fflush(stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string przypadek = argc > 1 ? argv[1] : "";
  const int liczba = argc > 2 ? std::atoi(argv[2]) : 0;
  std::vector<std::string> binarne;
  for (int i = 3; i < argc; ++i) binarne.push_back(argv[i]);
  if (binarne.empty()) binarne.push_back(KARVO_BINARY);
  if (przypadek == "tempo") Tempo(liczba > 0 ? liczba : 400);
  else if (przypadek == "goods") Towary(liczba > 0 ? liczba : 3, binarne);
  else if (przypadek == "network") Siec(liczba > 0 ? liczba : 3, binarne);
  else if (przypadek == "sales") Sprzedaz(liczba > 0 ? liczba : 3, binarne);
  else if (przypadek == "parallel") Rownolegle(liczba > 0 ? liczba : 40, e2e::Lacze::Pty, "on ptys", binarne);
  else if (przypadek == "parallel-rfc2217")
    Rownolegle(liczba > 0 ? liczba : 40, e2e::Lacze::Rfc2217, "over RFC 2217", binarne);
  else if (przypadek == "parallel-module")
    Rownolegle(liczba > 0 ? liczba : 40, e2e::Lacze::ModulTcp, "through modules over TCP", binarne);
  else if (przypadek == "adapter") Adapter(liczba > 0 ? liczba : 3, binarne);
  else if (przypadek == "fiscal") Fiskalne(liczba > 0 ? liczba : 3, binarne);
  else if (przypadek == "plain") Zwykly(liczba > 0 ? liczba : 3);
  else {
    std::fprintf(stderr, "usage: karvo_bench_wire tempo|goods|network|sales|parallel|parallel-rfc2217|parallel-module|adapter|fiscal|plain [N] [KARVO_A [KARVO_B]]\n");
    return 2;
  }
  return 0;
}
