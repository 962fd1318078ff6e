#include "platform/bus.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include <dirent.h>
#include <errno.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platforma {

static_assert(sizeof(sockaddr_un::sun_path) == NajdluzszaSciezkaGniazda + 1);

namespace {

bool AdresGniazda(const std::string& sciezka, sockaddr_un& adres, socklen_t& dlugosc) {
  if (sciezka.empty() || sciezka.size() > NajdluzszaSciezkaGniazda) return false;
  std::memset(&adres, 0, sizeof adres);
  adres.sun_family = AF_UNIX;
  std::memcpy(adres.sun_path, sciezka.data(), sciezka.size());
  dlugosc = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + sciezka.size() + 1);
  return true;
}

int NoweGniazdo() { return socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0); }

bool JestKatalogiem(const std::string& sciezka) {
  struct stat st;
  return stat(sciezka.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// mkdir -p with mode 0700 for every component that is missing.
bool UtworzenieKatalogow(const std::string& sciezka) {
  for (std::size_t i = 1; i <= sciezka.size(); ++i) {
    if (i < sciezka.size() && sciezka[i] != '/') continue;
    const std::string czesc = sciezka.substr(0, i);
    if (mkdir(czesc.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return JestKatalogiem(sciezka);
}

bool PrzygotowanieKataloguMagistrali(uint32_t numer) {
  const std::string baza = KatalogPlatformy();
  const char* zmienna = std::getenv("KARVO_PLATFORM_DIR");
  const bool zmiennaUstawiona = zmienna && *zmienna;
  if (zmiennaUstawiona ? !UtworzenieKatalogow(baza) : !KatalogPrywatny(baza)) return false;
  return UtworzenieKatalogow(KatalogMagistrali(numer));
}

struct OpisPliku {
  uint64_t Urzadzenie = 0, Numer = 0;
  bool Gniazdo = false;
};

OpisPliku OpisPlikuNa(const std::string& sciezka) {
  struct stat st;
  if (lstat(sciezka.c_str(), &st) != 0) return {};
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), S_ISSOCK(st.st_mode)};
}

// A socket file whose process has gone refuses the connection; it is removed
// unless somebody has bound a new socket under the same name meanwhile.
void UsuniecieMartwegoGniazda(const std::string& sciezka, const OpisPliku& przedWyslaniem) {
  const OpisPliku teraz = OpisPlikuNa(sciezka);
  if (teraz.Gniazdo && teraz.Urzadzenie == przedWyslaniem.Urzadzenie && teraz.Numer == przedWyslaniem.Numer)
    unlink(sciezka.c_str());
}

// True when a live socket is bound at the path.
bool GniazdoZywe(const std::string& sciezka) {
  sockaddr_un adres;
  socklen_t dlugosc;
  if (!AdresGniazda(sciezka, adres, dlugosc)) return false;
  const int fd = NoweGniazdo();
  if (fd < 0) return true;  // cannot tell: leave it alone
  const bool zywe = connect(fd, reinterpret_cast<sockaddr*>(&adres), dlugosc) == 0 || errno != ECONNREFUSED;
  close(fd);
  return zywe;
}

std::vector<std::string> NazwyWKatalogu(DIR* katalog) {
  std::vector<std::string> nazwy;
  while (const dirent* wpis = readdir(katalog)) {
    if (wpis->d_name[0] != '.') nazwy.emplace_back(wpis->d_name);
  }
  return nazwy;
}

enum class Dostarczenie { Przyjety, Pelny, Pominiety };

Dostarczenie WyslanieDo(int fd, const std::string& sciezka, const uint8_t (&bajty)[DlugoscDatagramu]) {
  sockaddr_un adres;
  socklen_t dlugosc;
  if (!AdresGniazda(sciezka, adres, dlugosc)) return Dostarczenie::Pominiety;
  const OpisPliku przed = OpisPlikuNa(sciezka);
  for (;;) {
    if (sendto(fd, bajty, sizeof bajty, MSG_DONTWAIT | MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&adres),
               dlugosc) == static_cast<ssize_t>(sizeof bajty))
      return Dostarczenie::Przyjety;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS) return Dostarczenie::Pelny;
    if (errno == ECONNREFUSED) UsuniecieMartwegoGniazda(sciezka, przed);
    return Dostarczenie::Pominiety;  // gone, refused, not a datagram socket, no permission
  }
}

}  // namespace

void ZakodowanieKomunikatu(const KomunikatOkna& komunikat, uint8_t (&bajty)[DlugoscDatagramu]) {
  karvo::bus::Encode({komunikat.Numer, komunikat.WParam, komunikat.LParam}, bajty);
}

bool OdkodowanieKomunikatu(const uint8_t* bajty, std::size_t dlugosc, KomunikatOkna& komunikat) {
  karvo::bus::Message m;
  if (!karvo::bus::Decode(bajty, dlugosc, m)) return false;
  komunikat = {m.Number, m.WParam, m.LParam};
  return true;
}

std::string KatalogPlatformy() {
  const char* zmienna = std::getenv("KARVO_PLATFORM_DIR");
  if (!zmienna || !*zmienna) return "/tmp/karvo-" + std::to_string(geteuid());
  std::string katalog = zmienna;
  while (katalog.size() > 1 && katalog.back() == '/') katalog.pop_back();
  return katalog;
}

std::string KatalogMagistrali(uint32_t numer) { return KatalogPlatformy() + "/" + karvo::bus::Directory + "/" + std::to_string(numer); }

bool KatalogPrywatny(const std::string& sciezka) {
  if (mkdir(sciezka.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st;
  if (lstat(sciezka.c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

bool PunktMagistrali::Otworz(uint32_t numer, const std::string& nazwa) {
  Zamknij();
  if (nazwa.empty() || nazwa[0] == '.' || nazwa.find('/') != std::string::npos) return false;
  const std::string sciezka = KatalogMagistrali(numer) + "/" + nazwa;
  sockaddr_un adres;
  socklen_t dlugosc;
  if (!AdresGniazda(sciezka, adres, dlugosc)) return false;  // too deep: nothing is created
  if (!PrzygotowanieKataloguMagistrali(numer)) return false;
  // A socket left under our name by a killed process with the same pid.
  if (OpisPlikuNa(sciezka).Gniazdo && !GniazdoZywe(sciezka)) unlink(sciezka.c_str());
  const int fd = NoweGniazdo();
  if (fd < 0) return false;
  if (bind(fd, reinterpret_cast<sockaddr*>(&adres), dlugosc) != 0) {
    close(fd);
    return false;
  }
  const OpisPliku wezel = OpisPlikuNa(sciezka);
  Deskryptor = fd;
  NumerMagistrali = numer;
  NazwaPunktu = nazwa;
  Sciezka = sciezka;
  Wlasciciel = static_cast<uint32_t>(getpid());
  UrzadzenieGniazda = wezel.Urzadzenie;
  WezelGniazda = wezel.Numer;
  return true;
}

void PunktMagistrali::Zamknij() {
  if (Deskryptor < 0) return;
  if (Wlasciciel == static_cast<uint32_t>(getpid())) {
    const auto teraz = OpisPlikuNa(Sciezka);
    if (teraz.Gniazdo && teraz.Urzadzenie == UrzadzenieGniazda && teraz.Numer == WezelGniazda) unlink(Sciezka.c_str());
  }
  close(Deskryptor);
  Deskryptor = -1;
  NumerMagistrali = 0;
  NazwaPunktu.clear();
  Sciezka.clear();
  Wlasciciel = 0;
  UrzadzenieGniazda = WezelGniazda = 0;
}

bool PunktMagistrali::Otwarty() const {
  return Deskryptor >= 0 && Wlasciciel == static_cast<uint32_t>(getpid());
}

bool PunktMagistrali::Odbierz(KomunikatOkna& komunikat) {
  if (!Otwarty()) return false;
  for (;;) {
    uint8_t bajty[64];
    const ssize_t n = recv(Deskryptor, bajty, sizeof bajty, MSG_DONTWAIT | MSG_TRUNC);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (OdkodowanieKomunikatu(bajty, static_cast<std::size_t>(n), komunikat)) return true;
  }
}

bool PunktMagistrali::Czekaj(int czasMs) {
  if (!Otwarty()) return false;
  pollfd p{Deskryptor, POLLIN, 0};
  const int n = poll(&p, 1, czasMs < 0 ? -1 : czasMs);
  if (n < 0 && errno != EINTR) {
    // Should never happen on a bound socket; keep a caller that waits in a
    // loop from spinning.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return n > 0 && (p.revents & POLLIN);
}

int RozeslanieKomunikatu(uint32_t numer, const KomunikatOkna& komunikat, const PunktMagistrali* nadawca,
                         int czasPonawianiaMs) {
  const std::string katalog = KatalogMagistrali(numer);
  DIR* d = opendir(katalog.c_str());
  if (!d) return errno == ENOENT ? 0 : -1;  // no bus yet: nobody listens
  const std::vector<std::string> nazwy = NazwyWKatalogu(d);
  closedir(d);

  const bool wlasny = nadawca && nadawca->Otwarty();
  const int fd = wlasny ? nadawca->Gniazdo() : NoweGniazdo();
  if (fd < 0) return -1;
  const bool odSterownika = wlasny && nadawca->Nazwa()[0] == PrzedrostekSterownika;

  uint8_t bajty[DlugoscDatagramu];
  ZakodowanieKomunikatu(komunikat, bajty);
  int przyjete = 0;
  std::vector<std::string> pelne;
  for (const std::string& nazwa : nazwy) {
    if (wlasny && nazwa == nadawca->Nazwa()) continue;
    if (odSterownika && nazwa[0] == PrzedrostekSterownika) continue;
    const std::string sciezka = katalog + "/" + nazwa;
    switch (WyslanieDo(fd, sciezka, bajty)) {
      case Dostarczenie::Przyjety: ++przyjete; break;
      case Dostarczenie::Pelny: pelne.push_back(sciezka); break;
      case Dostarczenie::Pominiety: break;
    }
  }
  const auto koniec = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(czasPonawianiaMs, 0));
  while (!pelne.empty() && std::chrono::steady_clock::now() < koniec) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::vector<std::string> nadal;
    for (const std::string& sciezka : pelne) {
      const Dostarczenie d2 = WyslanieDo(fd, sciezka, bajty);
      if (d2 == Dostarczenie::Przyjety) ++przyjete;
      if (d2 == Dostarczenie::Pelny) nadal.push_back(sciezka);
    }
    pelne.swap(nadal);
  }
  if (!wlasny) close(fd);
  return przyjete;
}

}  // namespace platforma
