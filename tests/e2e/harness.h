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
// ModulTcp and ModulRfc2217: the communication module of the modem-frame
// mode (mode 5 over TCP, mode 2 behind an RFC 2217 port).
enum class Lacze { Pty, Rfc2217, Brak, ModulTcp, ModulRfc2217 };

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
  // What a ports.conf line names: the pty link, or rfc2217://host:port
  // (host:port for the module over TCP).
  std::string Cel() const;
  const std::string& Dowiazanie() const { return dowiazanie_; }
  const std::string& Host() const { return opcje_.host; }
  uint16_t Port() const { return port_; }
  // SIGTERM, at most 3 s for the write-back, then SIGKILL. Answers the exit
  // code (-1 when it had to be killed). Safe to call twice.
  int Zatrzymaj();
  // Waits at most limit for the simulator to end by itself (a replay does);
  // answers its exit code, -1 when it still runs (it is then stopped).
  int KoniecSam(std::chrono::milliseconds limit);
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
  // The same run through another program that starts it (setpriv, to run it as another user).
  WynikKarvo KarvoPrzez(const std::vector<std::string>& przedrostek, int kod, const std::string& wejscie,
                        const std::string& wyjscie = "", std::chrono::milliseconds limit = std::chrono::seconds(20)) const;
  // The command line of such a run, and its files read back after it.
  std::vector<std::string> ArgumentyKarvo(int kod, const std::string& wejscie, const std::string& wyjscie) const;
  void OdczytajPliki(WynikKarvo& w, const std::string& wyjscie) const;

  // How the driver reaches a communication module (KONFIG.TXT field 5).
  struct ParametryModulu {
    uint32_t predkosc = 9600;  // the register's line speed behind the module
    int adres = 1;
    std::string haslo = "HASLO123";
    int czas = 1;   // the time-out word, seconds
    int limit = 2;  // the repeat limit
  };
  // KONFIG.TXT with the register's line for a module simulator: mode 5 (the
  // network kind) for Lacze::ModulTcp, mode 2 (the modem kind, with ports.conf
  // naming the RFC 2217 port as COM1) for Lacze::ModulRfc2217. Answers the link
  // description (field 2); Pole5() then gives field 5 as written.
  std::string PolaczZModulem(const Symulator& sim, int numerKasy, const ParametryModulu& p) const;
  std::string PolaczZModulem(const Symulator& sim, int numerKasy) const { return PolaczZModulem(sim, numerKasy, {}); }
  const std::string& Pole5() const { return pole5_; }

 private:
  KatalogTymczasowy katalog_;
  mutable std::string pole5_;
};

// karvo started in the background, so that the test can signal it while it
// talks to the register; killed at the end when the test did not wait for it.
class KarvoWTle {
 public:
  KarvoWTle(const Srodowisko& env, int kod, const std::string& wejscie, const std::string& wyjscie = "");
  ~KarvoWTle();
  KarvoWTle(const KarvoWTle&) = delete;
  KarvoWTle& operator=(const KarvoWTle&) = delete;
  void Sygnal(int numer) const;
  // Waits for the end (killed at the limit) and reads the run's files.
  WynikKarvo Koniec(std::chrono::milliseconds limit = std::chrono::seconds(20));

 private:
  const Srodowisko& env_;
  std::string wyjscie_;
  pid_t pid_ = -1;
  int konsola_ = -1;
};

// Waits until the register has received the driver's request with this code
// ile times (at most limit, then false): the driver is then inside that exchange.
bool CzekajNaRozkaz(const Symulator& sim, uint8_t kod, int ile = 1,
                    std::chrono::milliseconds limit = std::chrono::seconds(10));

// ---- what the report checks of several test files share ----

inline const std::string ZRODLO = " (identyfikator odczytany z urzadzenia)";
inline const std::string DOBRZE = "0\t; program zakonczony bezblednie";

// An environment with the descriptions of the ResultCodes beside the driver's files.
struct Stanowisko : Srodowisko {
  Stanowisko();
};

// Header lines: "#" + each line + CR LF.
std::string Linie(const std::vector<std::string>& linie);
// The first header line with its date and time replaced, once their form is checked.
std::string BezCzasu(const std::string& tekst);
// The first report line as the driver writes it, date and time as BezCzasu leaves them.
std::string Naglowek0(int kasa, const std::string& lacze, const std::string& funkcja, const std::string& wyjscie = "");
// The ResultCode line: code, "; ", the description (and the file it names).
std::string Opis(int kod, const std::string& opis, const std::string& plik = "");
// karvo.log holds the report and a line of 80 hyphens.
void SprawdzLog(const WynikKarvo& w);
// How many times the driver's request with this code reached a register.
int IleRazy(const std::string& dziennik, uint8_t kod);
std::string DwieCyfry(int n);

// The ready-made registers of sim/devices with the number each answers and the
// device name the driver composes for it.
struct Rodzina {
  const char* plik;
  int numer;
  const char* nazwa;
};
extern const std::vector<Rodzina> RODZINY;
void PrintTo(const Rodzina& r, std::ostream* os);


// ---- the data files of a readout ----

// A ready-made register with further state lines, written into the environment.
std::string StanZ(const Srodowisko& env, const char* urzadzenie, const std::vector<std::string>& linie);
// The lines of a file without their terminators.
std::vector<std::string> Wiersze(const std::string& tekst);
// The "$" lines without their "$".
std::vector<std::string> LinieDanych(const std::string& tekst);
// The ResultCode of a run, from the second line of its report.
int Kod(const WynikKarvo& w);

}  // namespace e2e
