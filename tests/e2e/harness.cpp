#include "harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

namespace e2e {
namespace {

using namespace std::chrono_literals;

// Waits for the child at most limit; -1 when it is still running.
int CzekajNaKoniec(pid_t pid, std::chrono::milliseconds limit) {
  const auto koniec = std::chrono::steady_clock::now() + limit;
  for (;;) {
    int status = 0;
    const pid_t w = ::waitpid(pid, &status, WNOHANG);
    if (w == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (w < 0) return -2;
    if (std::chrono::steady_clock::now() >= koniec) return -1;
    std::this_thread::sleep_for(5ms);
  }
}

int Zabij(pid_t pid) {
  ::kill(pid, SIGKILL);
  CzekajNaKoniec(pid, 5s);
  return -1;
}

// Starts a program; its standard output goes to wyjscie (or the pipe when
// wyjscie is -1 and potok is given), its standard error to bledy. The child
// dies with the test process, so no simulator outlives a crashed test.
pid_t Start(const std::vector<std::string>& argumenty, const std::string& katalog,
            const std::vector<std::string>& srodowisko, int wyjscie, int bledy) {
  std::vector<char*> argv;
  for (const auto& a : argumenty) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t rodzic = ::getpid();
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() != rodzic) ::_exit(127);
  const int nic = ::open("/dev/null", O_RDONLY);
  ::dup2(nic, 0);
  ::dup2(wyjscie, 1);
  ::dup2(bledy, 2);
  if (!katalog.empty() && ::chdir(katalog.c_str()) != 0) ::_exit(126);
  for (const auto& z : srodowisko) ::putenv(const_cast<char*>(z.c_str()));
  ::execv(argv[0], argv.data());
  ::_exit(127);
}

}  // namespace

std::string CzytajPlik(const std::string& sciezka) {
  std::ifstream plik(sciezka, std::ios::binary);
  std::ostringstream tresc;
  tresc << plik.rdbuf();
  return tresc.str();
}

void ZapiszPlik(const std::string& sciezka, std::string_view tresc) {
  std::ofstream plik(sciezka, std::ios::binary | std::ios::trunc);
  plik.write(tresc.data(), static_cast<std::streamsize>(tresc.size()));
}

std::string Urzadzenie(const std::string& nazwa) { return std::string(KARVO_SOURCE_DIR) + "/sim/devices/" + nazwa; }

KatalogTymczasowy::KatalogTymczasowy() {
  const char* tmp = std::getenv("TMPDIR");
  std::string wzor = std::string(tmp && *tmp ? tmp : "/tmp") + "/karvo-e2e-XXXXXX";
  if (::mkdtemp(wzor.data())) sciezka_ = wzor;
  else ADD_FAILURE() << "cannot make a temporary directory";
}

KatalogTymczasowy::~KatalogTymczasowy() {
  std::error_code blad;
  if (!sciezka_.empty()) std::filesystem::remove_all(sciezka_, blad);
}

int Uruchom(const std::vector<std::string>& argumenty, const std::string& katalog,
            const std::vector<std::string>& srodowisko, std::chrono::milliseconds limit, std::string& konsola) {
  char nazwa[] = "/tmp/karvo-e2e-out-XXXXXX";
  const int plik = ::mkstemp(nazwa);
  ::unlink(nazwa);
  const pid_t pid = Start(argumenty, katalog, srodowisko, plik, plik);
  int kod = CzekajNaKoniec(pid, limit);
  if (kod == -1) Zabij(pid);
  ::lseek(plik, 0, SEEK_SET);
  konsola.clear();
  char bufor[4096];
  for (ssize_t n; (n = ::read(plik, bufor, sizeof bufor)) > 0;) konsola.append(bufor, static_cast<size_t>(n));
  ::close(plik);
  return kod;
}

Symulator::Symulator(const KatalogTymczasowy& katalog, OpcjeSymulatora opcje)
    : opcje_(std::move(opcje)), katalog_(katalog.Sciezka()) {
  std::vector<std::string> argumenty{KARVO_SIM_BINARY};
  switch (opcje_.lacze) {
    case Lacze::Pty:
      dowiazanie_ = katalog / opcje_.nazwaLacza;
      argumenty.insert(argumenty.end(), {"--pty", dowiazanie_});
      break;
    case Lacze::Rfc2217: argumenty.insert(argumenty.end(), {"--rfc2217", opcje_.host + ":0"}); break;
    case Lacze::ModulTcp: argumenty.insert(argumenty.end(), {"--module", "tcp:" + opcje_.host + ":0"}); break;
    case Lacze::Brak: break;
    case Lacze::ModulRfc2217: argumenty.insert(argumenty.end(), {"--module", "rfc2217:" + opcje_.host + ":0"}); break;
  }
  for (size_t i = 0; i < opcje_.urzadzenia.size(); ++i) {
    const std::string& u = opcje_.urzadzenia[i];
    const std::string zrodlo = u.find('/') == std::string::npos ? Urzadzenie(u) : u;
    const std::string kopia = katalog / ("state" + std::to_string(i) + "-" + std::filesystem::path(u).filename().string());
    ZapiszPlik(kopia, CzytajPlik(zrodlo));
    stany_.push_back(kopia);
    argumenty.insert(argumenty.end(), {"--state", kopia});
  }
  for (const auto& u : opcje_.usterki) argumenty.insert(argumenty.end(), {"--fault", u});
  if (opcje_.baud) argumenty.insert(argumenty.end(), {"--baud", std::to_string(opcje_.baud)});
  dziennik_ = katalog / "wire.log";
  bledy_ = katalog / "sim.stderr";
  argumenty.insert(argumenty.end(), {"--log", dziennik_});
  argumenty.insert(argumenty.end(), opcje_.dodatkowe.begin(), opcje_.dodatkowe.end());

  int potok[2];
  if (::pipe2(potok, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "no pipe";
    return;
  }
  const int bledy = ::open(bledy_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  pid_ = Start(argumenty, "", {}, potok[1], bledy);
  ::close(potok[1]);
  ::close(bledy);
  wyjscie_ = potok[0];

  // The ready line: "karvo-sim: ready pty LINK SLAVE", "karvo-sim: ready rfc2217 HOST:PORT"
  // or "karvo-sim: ready module tcp HOST:PORT" (rfc2217 for the module behind a port).
  std::string linia;
  const auto koniec = std::chrono::steady_clock::now() + 5s;
  while (linia.find('\n') == std::string::npos && std::chrono::steady_clock::now() < koniec) {
    pollfd p{wyjscie_, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    char bufor[256];
    const ssize_t n = ::read(wyjscie_, bufor, sizeof bufor);
    if (n <= 0) break;
    linia.append(bufor, static_cast<size_t>(n));
  }
  const std::string znacznik = "karvo-sim: ready ";
  if (linia.rfind(znacznik, 0) != 0) {
    ADD_FAILURE() << "karvo-sim did not get ready: " << linia << CzytajPlik(bledy_);
    return;
  }
  if (opcje_.lacze == Lacze::Rfc2217 || opcje_.lacze == Lacze::ModulTcp || opcje_.lacze == Lacze::ModulRfc2217) {
    const size_t dwukropek = linia.rfind(':');
    port_ = static_cast<uint16_t>(std::atoi(linia.c_str() + dwukropek + 1));
  }
  gotowy_ = true;
}

Symulator::~Symulator() { Zatrzymaj(); }

std::string Symulator::Cel() const {
  if (opcje_.lacze == Lacze::Pty) return dowiazanie_;
  if (opcje_.lacze == Lacze::ModulTcp) return opcje_.host + ":" + std::to_string(port_);
  return "rfc2217://" + opcje_.host + ":" + std::to_string(port_);
}

int Symulator::Zatrzymaj() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    kodWyjscia_ = CzekajNaKoniec(pid_, 3s);
    if (kodWyjscia_ == -1) Zabij(pid_);
    pid_ = -1;
  }
  if (wyjscie_ >= 0) {
    ::close(wyjscie_);
    wyjscie_ = -1;
  }
  return kodWyjscia_;
}

int Symulator::KoniecSam(std::chrono::milliseconds limit) {
  if (pid_ > 0) {
    kodWyjscia_ = CzekajNaKoniec(pid_, limit);
    if (kodWyjscia_ != -1) pid_ = -1;
  }
  return pid_ > 0 ? Zatrzymaj(), -1 : kodWyjscia_;
}

std::string Symulator::Stan(size_t i) const { return CzytajPlik(stany_.at(i)); }
std::string Symulator::Dziennik() const { return CzytajPlik(dziennik_); }
std::string Symulator::Bledy() const { return CzytajPlik(bledy_); }

void Srodowisko::PolaczZSymulatorem(const Symulator& sim, int numerKasy, const std::string& lacze,
                                    int czasOczekiwania) const {
  const std::string port = lacze.substr(0, lacze.find(':'));
  Konfig("$" + std::to_string(numerKasy) + "\t" + lacze + "\t" + std::to_string(czasOczekiwania) + "\tSymulator\r\n");
  Porty(port + "\t" + sim.Cel() + "\n");
}

std::string Srodowisko::PolaczZModulem(const Symulator& sim, int numerKasy, const ParametryModulu& p) const {
  const bool tcp = sim.Cel().rfind("rfc2217://", 0) != 0;
  const std::string lacze =
      "COM1:" + std::to_string(p.predkosc) + (tcp ? ":MUX5:" : ":MUX2:") + std::to_string(p.adres);
  const std::string czas = std::to_string(p.czas), limit = std::to_string(p.limit);
  // Network kind: address, port, two kept parts, password, time-out, repeat limit.
  // Modem kind: dialling and number, password, connection time, time-out, repeat limit.
  pole5_ = tcp ? sim.Host() + ":" + std::to_string(sim.Port()) + ":x:0:" + p.haslo + ":" + czas + ":" + limit
               : "T:" + p.haslo + ":0:" + czas + ":" + limit;
  Konfig("$" + std::to_string(numerKasy) + "\t" + lacze + "\t1\t" + (tcp ? "Modul" : "Modem") + "\t" + pole5_ + "\r\n");
  if (!tcp) Porty("COM1\t" + sim.Cel() + "\n");
  return lacze;
}

std::string Srodowisko::Wejscie(int numerKasy, const std::vector<std::string>& dane) {
  std::string tekst = "#" + std::to_string(numerKasy) + "\r\n#\r\n#\r\n";
  for (const auto& d : dane) tekst += "$" + d + "\r\n";
  return tekst;
}

std::vector<std::string> Srodowisko::ArgumentyKarvo(int kod, const std::string& wejscie,
                                                    const std::string& wyjscie) const {
  std::vector<std::string> argumenty{KARVO_BINARY, "/K" + std::to_string(kod), "/F" + wejscie};
  if (!wyjscie.empty()) argumenty.push_back("/W" + wyjscie);
  return argumenty;
}

void Srodowisko::OdczytajPliki(WynikKarvo& w, const std::string& wyjscie) const {
  w.przekroczonyCzas = w.kodWyjscia == -1;
  if (!wyjscie.empty()) w.wyjscie = CzytajPlik(Sciezka(wyjscie));
  w.raport = CzytajPlik(Sciezka("RAPORT.TXT"));
  w.log = CzytajPlik(Sciezka("karvo.log"));
}

WynikKarvo Srodowisko::Karvo(int kod, const std::string& wejscie, const std::string& wyjscie,
                             std::chrono::milliseconds limit) const {
  return KarvoPrzez({}, kod, wejscie, wyjscie, limit);
}

WynikKarvo Srodowisko::KarvoPrzez(const std::vector<std::string>& przedrostek, int kod, const std::string& wejscie,
                                  const std::string& wyjscie, std::chrono::milliseconds limit) const {
  std::vector<std::string> argumenty = przedrostek;
  for (auto& a : ArgumentyKarvo(kod, wejscie, wyjscie)) argumenty.push_back(std::move(a));
  WynikKarvo w;
  w.kodWyjscia = Uruchom(argumenty, katalog_.Sciezka(), {"KARVO_PLATFORM_DIR=" + katalog_.Sciezka()}, limit, w.konsola);
  OdczytajPliki(w, wyjscie);
  return w;
}

KarvoWTle::KarvoWTle(const Srodowisko& env, int kod, const std::string& wejscie, const std::string& wyjscie)
    : env_(env), wyjscie_(wyjscie) {
  char nazwa[] = "/tmp/karvo-e2e-out-XXXXXX";
  konsola_ = ::mkstemp(nazwa);
  ::unlink(nazwa);
  pid_ = Start(env.ArgumentyKarvo(kod, wejscie, wyjscie), env.Katalog().Sciezka(),
               {"KARVO_PLATFORM_DIR=" + env.Katalog().Sciezka()}, konsola_, konsola_);
}

KarvoWTle::~KarvoWTle() {
  if (pid_ > 0) Zabij(pid_);
  if (konsola_ >= 0) ::close(konsola_);
}

void KarvoWTle::Sygnal(int numer) const {
  if (pid_ > 0) ::kill(pid_, numer);
}

WynikKarvo KarvoWTle::Koniec(std::chrono::milliseconds limit) {
  WynikKarvo w;
  if (pid_ > 0) {
    w.kodWyjscia = CzekajNaKoniec(pid_, limit);
    if (w.kodWyjscia == -1) Zabij(pid_);
    pid_ = -1;
  }
  ::lseek(konsola_, 0, SEEK_SET);
  char bufor[4096];
  for (ssize_t n; (n = ::read(konsola_, bufor, sizeof bufor)) > 0;) w.konsola.append(bufor, static_cast<size_t>(n));
  env_.OdczytajPliki(w, wyjscie_);
  return w;
}

bool CzekajNaRozkaz(const Symulator& sim, uint8_t kod, int ile, std::chrono::milliseconds limit) {
  const auto koniec = std::chrono::steady_clock::now() + limit;
  while (IleRazy(sim.Dziennik(), kod) < ile) {
    if (std::chrono::steady_clock::now() >= koniec) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

Stanowisko::Stanowisko() { Plik("KOMENT.TXT", CzytajPlik(std::string(KARVO_SOURCE_DIR) + "/share/KOMENT.TXT")); }

std::string Linie(const std::vector<std::string>& linie) {
  std::string t;
  for (const auto& l : linie) t += "#" + l + "\r\n";
  return t;
}

std::string BezCzasu(const std::string& tekst) {
  static const std::regex czas("^(#[^\t\r]*\t[^\t\r]*\t[^\t\r]*\t)(\\d{4}\\.\\d{2}\\.\\d{2})\t(\\d{2}:\\d{2})\t");
  return std::regex_replace(tekst, czas, "$1DATA\tCZAS\t", std::regex_constants::format_first_only);
}

std::string Naglowek0(int kasa, const std::string& lacze, const std::string& funkcja, const std::string& wyjscie) {
  std::string t = std::to_string(kasa) + "\t" + lacze + "\t1\tDATA\tCZAS\t" + funkcja + "\tWIN 8.55\tWE.TXT";
  if (!wyjscie.empty()) t += "\t" + wyjscie;
  return t;
}

std::string Opis(int kod, const std::string& opis, const std::string& plik) {
  std::string t = std::to_string(kod) + "\t; " + opis;
  if (!plik.empty()) t += " (" + plik + ")";
  return t;
}

void SprawdzLog(const WynikKarvo& w) { EXPECT_EQ(w.log, w.raport + std::string(80, '-') + "\r\n"); }

int IleRazy(const std::string& dziennik, uint8_t kod) {
  char wzor[64];
  std::snprintf(wzor, sizeof wzor, "driver -> [^\\n]*\\b1B %02X  \\|", kod);
  const std::regex r(wzor);
  return static_cast<int>(std::distance(std::sregex_iterator(dziennik.begin(), dziennik.end(), r),
                                        std::sregex_iterator()));
}

std::string DwieCyfry(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

const std::vector<Rodzina> RODZINY = {
    {"cenometr-m.txt", 10, "Cenometr 400 PLU ver. 03"},   {"cenometr-w.txt", 9, "Cenometr 600 PLU ver. 01"},
    {"norda-u.txt", 8, "Norda Vin Plus 5000 PLU ver. 01"}, {"op-o.txt", 6, "Karvo 1500 PLU I gen. ver. 01"},
    {"pelto-103.txt", 5, "Pelto 8000 PLU II gen. ver. 02"}, {"pojemniki-amp.txt", 11, "Veko 2500 PLU I gen. ver. 02"},
    {"tamo-f.txt", 13, "Tamo 1200 PLU II gen. ver. 01"},  {"typ-0x24.txt", 3, "Karvo 4000 PLU I gen. ver. 05"},
    {"typ-24.txt", 1, "Karvo 1000 PLU I gen. ver. 03"},   {"typ-27.txt", 2, "Karvo 2000 PLU I gen. ver. 04"},
    {"ubo-pct.txt", 12, "Ubo 300 PLU ver. 01"},           {"veko-100.txt", 4, "Veko 3000 PLU II gen. ver. 01"},
    {"vin-t.txt", 7, "Vin 20000 PLU II gen. ver. 02"},
};

void PrintTo(const Rodzina& r, std::ostream* os) { *os << r.plik; }


// A ready-made register with further state lines, written into the environment.
std::string StanZ(const Srodowisko& env, const char* urzadzenie, const std::vector<std::string>& linie) {
  std::string stan = CzytajPlik(Urzadzenie(urzadzenie));
  for (const auto& l : linie) stan += l + "\r\n";
  const std::string sciezka = env.Sciezka(std::string("stan-") + urzadzenie);
  ZapiszPlik(sciezka, stan);
  return sciezka;
}

// The lines of a file without their terminators.
std::vector<std::string> Wiersze(const std::string& tekst) {
  std::vector<std::string> linie;
  for (size_t p = 0; p < tekst.size();) {
    const size_t k = tekst.find("\r\n", p);
    linie.push_back(tekst.substr(p, k - p));
    p = k == std::string::npos ? tekst.size() : k + 2;
  }
  return linie;
}

std::vector<std::string> LinieDanych(const std::string& tekst) {
  std::vector<std::string> dane;
  for (const auto& l : Wiersze(tekst))
    if (!l.empty() && l[0] == '$') dane.push_back(l.substr(1));
  return dane;
}

// The ResultCode of a run, from the second line of its report.
int Kod(const WynikKarvo& w) {
  const auto linie = Wiersze(w.raport);
  return linie.size() > 1 ? std::atoi(linie[1].c_str() + 1) : -1;
}

}  // namespace e2e
