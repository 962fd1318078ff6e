// The end-to-end harness: a temporary directory with the driver's files, the
// simulator started on a state file and stopped again (always, also when a
// test fails), and the real karvo run with /F, /W and /K.
//
//   e2e::Srodowisko env;                                  // temp dir, removed at the end
//   e2e::Symulator sim(env.Katalog(), {.urzadzenia = {"vin-t.txt"}});
//   env.PolaczZSymulatorem(sim, 7);                        // KONFIG.TXT and ports.conf for register 7
//   env.Plik("WE.TXT", e2e::Srodowisko::Wejscie(7));
//   e2e::WynikKarvo w = env.Karvo(113, "WE.TXT", "WY.TXT");   // output, RAPORT.TXT, karvo.log
//   sim.Zatrzymaj();  std::string stan = sim.Stan();       // the register's state written back
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

std::string CzytajPlik(const std::string& sciezka);  // empty when the file is missing
void ZapiszPlik(const std::string& sciezka, std::string_view tresc);
// A ready-made register of sim/devices.
std::string Urzadzenie(const std::string& nazwa);

class KatalogTymczasowy {
 public:
  KatalogTymczasowy();
  ~KatalogTymczasowy();
  KatalogTymczasowy(const KatalogTymczasowy&) = delete;
  KatalogTymczasowy& operator=(const KatalogTymczasowy&) = delete;
  const std::string& Sciezka() const { return sciezka_; }
  std::string operator/(const std::string& nazwa) const { return sciezka_ + "/" + nazwa; }

 private:
  std::string sciezka_;
};

// Brak: no line of its own (a simulator that only runs, say, a port server).
enum class Lacze { Pty, Rfc2217, Brak };

struct OpcjeSymulatora {
  // Ready-made registers (names in sim/devices) or paths; each is copied into
  // the temporary directory, so the simulator writes back into the copy.
  std::vector<std::string> urzadzenia = {};
  Lacze lacze = Lacze::Pty;
  std::vector<std::string> usterki = {};    // --fault each
  std::vector<std::string> dodatkowe = {};  // further arguments, e.g. {"--mux", "3"}
  uint32_t baud = 0;
  std::string host = "127.0.0.1";
  std::string nazwaLacza = "COM1.link";  // the pty link in the temporary directory
};

class Symulator {
 public:
  // Starts karvo-sim and waits (at most 5 s) for its ready line; a test
  // failure is recorded when it does not come.
  Symulator(const KatalogTymczasowy& katalog, OpcjeSymulatora opcje);
  ~Symulator();
  Symulator(const Symulator&) = delete;
  Symulator& operator=(const Symulator&) = delete;

  bool Gotowy() const { return gotowy_; }
  pid_t Pid() const { return pid_; }
  // What a ports.conf line names: the pty link, or rfc2217://host:port.
  std::string Cel() const;
  const std::string& Dowiazanie() const { return dowiazanie_; }
  const std::string& Host() const { return opcje_.host; }
  uint16_t Port() const { return port_; }
  // SIGTERM, at most 3 s for the write-back, then SIGKILL. Answers the exit
  // code (-1 when it had to be killed). Safe to call twice.
  int Zatrzymaj();
  std::string Stan(size_t i = 0) const;
  std::string SciezkaStanu(size_t i = 0) const { return stany_.at(i); }
  std::string Dziennik() const;
  std::string Bledy() const;  // its standard error

 private:
  OpcjeSymulatora opcje_;
  std::string katalog_, dowiazanie_, dziennik_, bledy_;
  std::vector<std::string> stany_;
  pid_t pid_ = -1;
  int wyjscie_ = -1;  // its standard output (the ready line)
  uint16_t port_ = 0;
  bool gotowy_ = false;
  int kodWyjscia_ = -1;
};

struct WynikKarvo {
  int kodWyjscia = -1;  // -1: killed at the time limit
  bool przekroczonyCzas = false;
  std::string wyjscie;   // the output data file
  std::string raport;    // RAPORT.TXT
  std::string log;       // karvo.log
  std::string konsola;   // standard output and error
};

// Runs a program to its end, at most limit; standard output and error are
// collected. Answers the exit code, -1 when it was killed at the limit.
int Uruchom(const std::vector<std::string>& argumenty, const std::string& katalog,
            const std::vector<std::string>& srodowisko, std::chrono::milliseconds limit, std::string& konsola);

class Srodowisko {
 public:
  const KatalogTymczasowy& Katalog() const { return katalog_; }
  std::string Sciezka(const std::string& nazwa) const { return katalog_ / nazwa; }
  void Plik(const std::string& nazwa, std::string_view tresc) const { ZapiszPlik(Sciezka(nazwa), tresc); }
  void Konfig(std::string_view linie) const { Plik("KONFIG.TXT", linie); }
  void Porty(std::string_view linie) const { Plik("ports.conf", linie); }
  // KONFIG.TXT with one line for the register (number, link, time-out,
  // identifier) and ports.conf naming the simulator as COMn of the link.
  void PolaczZSymulatorem(const Symulator& sim, int numerKasy, const std::string& lacze = "COM1:9600:MUX0:1",
                          int czasOczekiwania = 1) const;
  // An input data file: the three header lines (the register's number first), then "$" lines.
  static std::string Wejscie(int numerKasy, const std::vector<std::string>& dane = {});
  // The real karvo in the temporary directory with KARVO_PLATFORM_DIR there:
  // karvo /K<kod> /F<wejscie> [/W<wyjscie>].
  WynikKarvo Karvo(int kod, const std::string& wejscie, const std::string& wyjscie = "",
                   std::chrono::milliseconds limit = std::chrono::seconds(20)) const;

 private:
  KatalogTymczasowy katalog_;
};

}  // namespace e2e
