// Files on Linux with the reference platform's sharing and name matching.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <unordered_map>
#ifdef KARVO_FUZZ
#include <algorithm>
#include <map>
#include <vector>
#endif

namespace platforma {
namespace {

// Handles whose lock is held by a second descriptor of the same file (see
// ZalozenieBlokadyDla), with that descriptor.
std::mutex StraznikTablicy;
std::unordered_map<int32_t, int> DeskryptoryBlokad;

void ZapamietanieBlokady(int32_t uchwyt, int blokada) {
  std::lock_guard<std::mutex> straz(StraznikTablicy);
  DeskryptoryBlokad[uchwyt] = blokada;
}

int ZabranieBlokady(int32_t uchwyt) {
  std::lock_guard<std::mutex> straz(StraznikTablicy);
  auto it = DeskryptoryBlokad.find(uchwyt);
  if (it == DeskryptoryBlokad.end()) return -1;
  const int blokada = it->second;
  DeskryptoryBlokad.erase(it);
  return blokada;
}

int FlagiTrybu(uint8_t tryb) {
  switch (tryb) {
    case 0: return O_RDONLY;
    case 1: return O_WRONLY | O_CREAT;  // truncated only once the lock is held
    case 2: return O_WRONLY | O_CREAT | O_APPEND;
    case 3: return O_RDWR | O_CREAT;
    default: return -1;
  }
}

struct flock ZakresCalegoPliku(short rodzaj) {
  struct flock zakres {};
  zakres.l_type = rodzaj;
  zakres.l_whence = SEEK_SET;
  zakres.l_start = 0;
  zakres.l_len = 0;  // to the end of the file and beyond
  return zakres;
}

// A file system without locks cannot enforce sharing; the open goes on there.
bool BlokadyNieobslugiwane(int blad) {
  return blad == EINVAL || blad == EOPNOTSUPP || blad == ENOTSUP || blad == ENOSYS;
}

bool ZalozenieBlokady(int fd, short rodzaj) {
  struct flock zakres = ZakresCalegoPliku(rodzaj);
  if (fcntl(fd, F_OFD_SETLK, &zakres) == 0) return true;
  return BlokadyNieobslugiwane(errno);
}

// Whether another open of the file holds a lock that refuses this access.
bool DostepOdmowiony(int fd, short rodzaj) {
  struct flock zakres = ZakresCalegoPliku(rodzaj);
  if (fcntl(fd, F_OFD_GETLK, &zakres) != 0) return !BlokadyNieobslugiwane(errno);
  return zakres.l_type != F_UNLCK;
}

bool DostepPozwalaNa(uint8_t tryb, short rodzaj) {
  if (tryb == 3) return true;
  return (tryb == 0) == (rodzaj == F_RDLCK);
}

// A write lock needs a descriptor open for writing and a read lock one open
// for reading. When the handle lacks that access, a second descriptor of the
// same file with it holds the lock for the handle's lifetime. When even that
// cannot be opened (the file's permissions), the other kind of lock goes on
// the handle itself: a read lock still keeps writers out, a write lock denies
// more than asked, and both are safe. Answers the descriptor that holds the
// lock, or -1 when the lock cannot be had.
int ZalozenieBlokadyDla(int32_t fd, const char* sciezka, uint8_t tryb, short rodzaj) {
  if (DostepPozwalaNa(tryb, rodzaj)) return ZalozenieBlokady(fd, rodzaj) ? fd : -1;
  const int blokada = open(sciezka, (rodzaj == F_WRLCK ? O_WRONLY : O_RDONLY) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (blokada < 0) return ZalozenieBlokady(fd, rodzaj == F_WRLCK ? F_RDLCK : F_WRLCK) ? fd : -1;
  if (!ZalozenieBlokady(blokada, rodzaj)) {
    close(blokada);
    return -1;
  }
  ZapamietanieBlokady(fd, blokada);
  return blokada;
}

bool ZalozenieUdostepnienia(int32_t fd, const char* sciezka, uint8_t tryb, Udostepnianie udostepnianie) {
  const bool zapis = tryb != 0;
  switch (udostepnianie) {
    case Udostepnianie::ZabronWszystko:
      return ZalozenieBlokadyDla(fd, sciezka, tryb, F_WRLCK) >= 0;
    case Udostepnianie::ZabronZapisu: {
      // Another open that denies writing refuses a writer even here; the test
      // goes through the descriptor that holds our own lock, which it ignores.
      const int blokada = ZalozenieBlokadyDla(fd, sciezka, tryb, F_RDLCK);
      return blokada >= 0 && !(zapis && DostepOdmowiony(blokada, F_WRLCK));
    }
    case Udostepnianie::Zezwol:
    default:
      return !DostepOdmowiony(fd, zapis ? F_WRLCK : F_RDLCK);
  }
}

// Only files and devices open as files; a directory does not.
bool RodzajPlikuDozwolony(int fd) {
  struct stat opis {};
  if (fstat(fd, &opis) != 0) return false;
  if (S_ISREG(opis.st_mode) || S_ISCHR(opis.st_mode)) return true;
  errno = S_ISDIR(opis.st_mode) ? EISDIR : EINVAL;
  return false;
}

int32_t ZamkniecieZBledem(int32_t fd) {
  const int blad = errno;
  ZamknijPlik(fd);
  errno = blad;
  return -1;
}

char MalaLitera(char znak) { return (znak >= 'A' && znak <= 'Z') ? static_cast<char>(znak - 'A' + 'a') : znak; }

// Letters compare without regard to case; only the ASCII letters have cases here.
bool RowneBezWielkosciLiter(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (MalaLitera(a[i]) != MalaLitera(b[i])) return false;
  return i == a.size() && !b[i];
}

bool NazwaIstnieje(const std::string& sciezka) {
  struct stat opis {};
  return lstat(sciezka.c_str(), &opis) == 0;
}

std::string Polaczenie(const std::string& katalog, const std::string& nazwa) {
  if (katalog.empty()) return nazwa;
  return katalog.back() == '/' ? katalog + nazwa : katalog + "/" + nazwa;
}

// The entry of the directory whose name equals the given one but for case;
// of several such, the first in byte order, so that the choice is stable.
bool WyszukanieWKatalogu(const std::string& katalog, const std::string& nazwa, std::string& znaleziona) {
  DIR* kat = opendir(katalog.empty() ? "." : katalog.c_str());
  if (!kat) return false;
  bool jest = false;
  while (const dirent* wpis = readdir(kat)) {
    if (!RowneBezWielkosciLiter(nazwa, wpis->d_name)) continue;
    if (!jest || znaleziona.compare(wpis->d_name) > 0) znaleziona = wpis->d_name;
    jest = true;
  }
  closedir(kat);
  return jest;
}

// Resolves the components one by one; once one is not found, the rest is
// kept as given (a file or directories still to be created).
std::string DopasowanieSkladnikow(const std::string& sciezka) {
  std::string wynik = sciezka[0] == '/' ? "/" : "";
  bool szukac = true;
  std::size_t poczatek = 0;
  while (poczatek <= sciezka.size()) {
    std::size_t koniec = sciezka.find('/', poczatek);
    if (koniec == std::string::npos) koniec = sciezka.size();
    std::string skladnik = sciezka.substr(poczatek, koniec - poczatek);
    poczatek = koniec + 1;
    if (skladnik.empty()) continue;
    std::string znaleziony;
    if (szukac && skladnik != "." && skladnik != ".." && !NazwaIstnieje(Polaczenie(wynik, skladnik))) {
      szukac = WyszukanieWKatalogu(wynik, skladnik, znaleziony);
      if (szukac) skladnik = znaleziony;
    }
    wynik = Polaczenie(wynik, skladnik);
  }
  if (sciezka.back() == '/' && wynik.back() != '/') wynik += '/';
  return wynik;
}

// The directory of a resolved path as the kernel names it, and the last component.
bool KatalogINazwa(const std::string& sciezka, std::string& katalog, std::string& nazwa) {
  const std::size_t ukosnik = sciezka.rfind('/');
  const std::string czesc = ukosnik == std::string::npos ? "." : ukosnik == 0 ? "/" : sciezka.substr(0, ukosnik);
  nazwa = ukosnik == std::string::npos ? sciezka : sciezka.substr(ukosnik + 1);
  char rzeczywista[PATH_MAX];
  if (nazwa.empty() || !realpath(czesc.c_str(), rzeczywista)) return false;
  katalog = rzeczywista;
  return true;
}


#ifdef KARVO_FUZZ
// The memory files of a fuzz build: their bytes by path, and their open
// handles, numbered far above any descriptor the system gives.
struct UchwytPamieci {
  std::string* tresc = nullptr;  // nullptr: the slot is free
  uint8_t tryb = 0;
  Udostepnianie udostepnianie = Udostepnianie::Zezwol;
  int64_t pozycja = 0;
};
std::map<std::string, std::string> PlikiPamieci;
std::vector<UchwytPamieci> UchwytyPamieci;
constexpr int32_t PierwszyUchwytPamieci = 0x40000000;

UchwytPamieci* UchwytWPamieci(int32_t uchwyt) {
  if (uchwyt < PierwszyUchwytPamieci) return nullptr;
  const auto i = static_cast<std::size_t>(uchwyt - PierwszyUchwytPamieci);
  return i < UchwytyPamieci.size() && UchwytyPamieci[i].tresc ? &UchwytyPamieci[i] : nullptr;
}

// Whether an open of the file already there refuses this one, as the locks would.
bool OdmowaMiedzyOtwarciami(const UchwytPamieci& jest, uint8_t tryb, Udostepnianie udostepnianie) {
  if (jest.udostepnianie == Udostepnianie::ZabronWszystko || udostepnianie == Udostepnianie::ZabronWszystko) return true;
  return (jest.udostepnianie == Udostepnianie::ZabronZapisu && tryb != 0) ||
         (udostepnianie == Udostepnianie::ZabronZapisu && jest.tryb != 0);
}

// The handle of a memory file, -1 with errno set when the open is refused, or
// -2 when the path is no memory file.
int32_t OtwarcieWPamieci(const char* sciezka, uint8_t tryb, Udostepnianie udostepnianie) {
  if (PlikiPamieci.empty() || !sciezka) return -2;
  const auto plik = PlikiPamieci.find(sciezka);
  if (plik == PlikiPamieci.end()) return -2;
  if (tryb > 3) {
    errno = EINVAL;
    return -1;
  }
  std::size_t wolny = UchwytyPamieci.size();
  for (std::size_t i = 0; i < UchwytyPamieci.size(); ++i) {
    const UchwytPamieci& u = UchwytyPamieci[i];
    if (!u.tresc) {
      wolny = std::min(wolny, i);
    } else if (u.tresc == &plik->second && OdmowaMiedzyOtwarciami(u, tryb, udostepnianie)) {
      errno = EACCES;
      return -1;
    }
  }
  if (wolny == UchwytyPamieci.size()) UchwytyPamieci.emplace_back();
  if (tryb == 1) plik->second.clear();
  UchwytyPamieci[wolny] = {&plik->second, tryb, udostepnianie, 0};
  return PierwszyUchwytPamieci + static_cast<int32_t>(wolny);
}

long CzytanieZPamieci(UchwytPamieci& u, void* bufor, std::size_t ile) {
  if (u.tryb == 1 || u.tryb == 2) {
    errno = EBADF;
    return -1;
  }
  const auto rozmiar = static_cast<int64_t>(u.tresc->size());
  if (u.pozycja >= rozmiar) return 0;
  const std::size_t n = std::min(ile, static_cast<std::size_t>(rozmiar - u.pozycja));
  std::memcpy(bufor, u.tresc->data() + u.pozycja, n);
  u.pozycja += static_cast<int64_t>(n);
  return static_cast<long>(n);
}

long PisanieDoPamieci(UchwytPamieci& u, const void* bufor, std::size_t ile) {
  if (u.tryb == 0) {
    errno = EBADF;
    return -1;
  }
  if (u.tryb == 2) u.pozycja = static_cast<int64_t>(u.tresc->size());
  const auto koniec = static_cast<std::size_t>(u.pozycja) + ile;
  if (koniec > u.tresc->size()) u.tresc->resize(koniec, '\0');  // a hole reads as zero bytes
  std::memcpy(u.tresc->data() + u.pozycja, bufor, ile);
  u.pozycja = static_cast<int64_t>(koniec);
  return static_cast<long>(ile);
}

int64_t PozycjaWPamieci(UchwytPamieci& u, int64_t przesuniecie, int skad) {
  const int64_t od = skad == 0 ? 0 : skad == 1 ? u.pozycja : static_cast<int64_t>(u.tresc->size());
  if (skad < 0 || skad > 2 || od + przesuniecie < 0) {
    errno = EINVAL;
    return -1;
  }
  return u.pozycja = od + przesuniecie;
}
#endif

}  // namespace

bool TenSamPlik(const char* a, const char* b) {
  const std::string pa = DopasowanaSciezka(a), pb = DopasowanaSciezka(b);
  if (pa.empty() || pb.empty()) return false;
  struct stat sa {}, sb {};
  if (stat(pa.c_str(), &sa) == 0 && stat(pb.c_str(), &sb) == 0) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  std::string katalogA, nazwaA, katalogB, nazwaB;
  return KatalogINazwa(pa, katalogA, nazwaA) && KatalogINazwa(pb, katalogB, nazwaB) && katalogA == katalogB &&
         RowneBezWielkosciLiter(nazwaA, nazwaB.c_str());
}

namespace {

// Why the last open of this thread failed, in the system's words.
thread_local std::string PowodOstatniegoNieotwarcia;

int32_t Otwarcie(const char* sciezka, uint8_t tryb, Udostepnianie udostepnianie, bool& odmowaUdostepnienia) {
  const int flagi = FlagiTrybu(tryb);
  if (!sciezka || flagi < 0) {
    errno = EINVAL;
    return -1;
  }
  const std::string dopasowana = DopasowanaSciezka(sciezka);
  // Non-blocking while opening, so that a FIFO cannot hang the open.
  const int32_t fd = open(dopasowana.c_str(), flagi | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
  if (fd < 0) return -1;
  if (!RodzajPlikuDozwolony(fd)) return ZamkniecieZBledem(fd);
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (!ZalozenieUdostepnienia(fd, dopasowana.c_str(), tryb, udostepnianie)) {
    errno = EACCES;  // the sharing violation of the reference platform
    odmowaUdostepnienia = true;
    return ZamkniecieZBledem(fd);
  }
  if (tryb == 1 && ftruncate(fd, 0) != 0 && errno != EINVAL) return ZamkniecieZBledem(fd);
  return fd;
}

}  // namespace

int32_t OtworzPlik(const char* sciezka, uint8_t tryb, Udostepnianie udostepnianie) {
  bool odmowaUdostepnienia = false;
#ifdef KARVO_FUZZ
  int32_t fd = OtwarcieWPamieci(sciezka, tryb, udostepnianie);
  odmowaUdostepnienia = fd == -1 && errno == EACCES;
  if (fd == -2) fd = Otwarcie(sciezka, tryb, udostepnianie, odmowaUdostepnienia);
#else
  const int32_t fd = Otwarcie(sciezka, tryb, udostepnianie, odmowaUdostepnienia);
#endif
  if (fd < 0) {
    const int blad = errno;
    PowodOstatniegoNieotwarcia =
        odmowaUdostepnienia ? "another program has it open and does not share it" : std::strerror(blad);
    errno = blad;
  }
  return fd;
}

std::string PowodNieotwarcia() { return PowodOstatniegoNieotwarcia; }

bool ZamknijPlik(int32_t uchwyt) {
  if (uchwyt < 0) return false;
#ifdef KARVO_FUZZ
  if (UchwytPamieci* u = UchwytWPamieci(uchwyt)) {
    *u = {};
    return true;
  }
#endif
  const int blokada = ZabranieBlokady(uchwyt);
  if (blokada >= 0) close(blokada);
  return close(uchwyt) == 0;
}

long CzytajPlik(int32_t uchwyt, void* bufor, std::size_t ile) {
#ifdef KARVO_FUZZ
  if (UchwytPamieci* u = UchwytWPamieci(uchwyt)) return CzytanieZPamieci(*u, bufor, ile);
#endif
  for (;;) {
    const ssize_t n = read(uchwyt, bufor, ile);
    if (n >= 0 || errno != EINTR) return static_cast<long>(n);
  }
}

long PiszPlik(int32_t uchwyt, const void* bufor, std::size_t ile) {
#ifdef KARVO_FUZZ
  if (UchwytPamieci* u = UchwytWPamieci(uchwyt)) return PisanieDoPamieci(*u, bufor, ile);
#endif
  const char* dane = static_cast<const char*>(bufor);
  std::size_t zapisane = 0;
  while (zapisane < ile) {
    const ssize_t n = write(uchwyt, dane + zapisane, ile - zapisane);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return zapisane ? static_cast<long>(zapisane) : -1;
    zapisane += static_cast<std::size_t>(n);
  }
  return static_cast<long>(zapisane);
}

int64_t UstawPozycjePliku(int32_t uchwyt, int64_t przesuniecie, int skad) {
  static constexpr int Skad[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (skad < 0 || skad > 2) return -1;
#ifdef KARVO_FUZZ
  if (UchwytPamieci* u = UchwytWPamieci(uchwyt)) return PozycjaWPamieci(*u, przesuniecie, skad);
#endif
  return static_cast<int64_t>(lseek(uchwyt, static_cast<off_t>(przesuniecie), Skad[skad]));
}

bool SynchronizujPlik(int32_t uchwyt) {
#ifdef KARVO_FUZZ
  if (UchwytWPamieci(uchwyt)) return true;
#endif
  if (fsync(uchwyt) == 0) return true;
  // A device or a pipe has nothing to flush to a disk.
  return errno == EINVAL || errno == EROFS;
}

bool ObetnijPlik(int32_t uchwyt, int64_t dlugosc) {
#ifdef KARVO_FUZZ
  if (UchwytPamieci* u = UchwytWPamieci(uchwyt)) {
    if (u->tryb == 0 || dlugosc < 0) return false;
    u->tresc->resize(static_cast<std::size_t>(dlugosc), '\0');
    return true;
  }
#endif
  while (ftruncate(uchwyt, static_cast<off_t>(dlugosc)) != 0)
    if (errno != EINTR) return false;
  return true;
}

bool UsunPlik(const char* sciezka) { return sciezka && unlink(DopasowanaSciezka(sciezka).c_str()) == 0; }

bool NowaNazwaPliku(const char* sciezka, const char* nowa) {
  if (!sciezka || !nowa) return false;
  const std::string stara = DopasowanaSciezka(sciezka), docelowa = DopasowanaSciezka(nowa);
  if (stara.empty() || docelowa.empty()) return false;
  if (renameat2(AT_FDCWD, stara.c_str(), AT_FDCWD, docelowa.c_str(), RENAME_NOREPLACE) != 0) {
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system that cannot refuse to replace: a second link, then the old name goes.
    if (link(stara.c_str(), docelowa.c_str()) != 0 || unlink(stara.c_str()) != 0) return false;
  }
  return SynchronizujKatalogPliku(docelowa.c_str());
}

bool SynchronizujKatalogPliku(const char* sciezka) {
  std::string katalog, nazwa;
  if (!sciezka || !KatalogINazwa(DopasowanaSciezka(sciezka), katalog, nazwa)) return false;
  const int fd = open(katalog.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool dobrze = fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
  close(fd);
  return dobrze;
}

bool ZmienKatalog(const char* sciezka) { return sciezka && chdir(DopasowanaSciezka(sciezka).c_str()) == 0; }

bool KatalogIstnieje(const char* sciezka) {
  struct stat st {};
  return sciezka && stat(DopasowanaSciezka(sciezka).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string DopasowanaSciezka(const char* sciezka) {
  if (!sciezka || !sciezka[0]) return {};
  std::string wynik(sciezka);
  for (char& znak : wynik)
    if (znak == '\\') znak = '/';
  return NazwaIstnieje(wynik) ? wynik : DopasowanieSkladnikow(wynik);
}

#ifdef KARVO_FUZZ
void PlikWPamieci(const std::string& sciezka, const void* dane, std::size_t rozmiar) {
  PlikiPamieci[sciezka].assign(static_cast<const char*>(dane), rozmiar);
}

std::size_t OtwarteUchwytyWPamieci() {
  std::size_t ile = 0;
  for (const UchwytPamieci& u : UchwytyPamieci) ile += u.tresc != nullptr;
  return ile;
}
#endif

}  // namespace platforma
