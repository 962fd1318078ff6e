#include "platform/port_marker.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "platform/portmap.h"

namespace platforma {
namespace {

// Cleared at every boot, which takes longer than any register waits.
constexpr const char* KATALOG_ZNACZNIKOW = "/tmp";
const std::string PRZEDROSTEK_SIECI = "rfc2217://";

std::string Znacznik;  // the mark file of the port this run holds; empty: none

// The file's name and what it holds while a run may be mid-exchange: a
// device by its number and the moment its node was made (a pseudo-terminal
// that comes again under the same number is another line), a port server by
// its address.
bool OpisPortu(uint8_t numerPortu, std::string& nazwa, std::string& tresc) {
  const std::string cel = CelPortu(numerPortu);
  if (cel.empty()) return false;
  if (cel.compare(0, PRZEDROSTEK_SIECI.size(), PRZEDROSTEK_SIECI) == 0) {
    nazwa = "net-";
    for (char z : cel.substr(PRZEDROSTEK_SIECI.size())) nazwa += std::isalnum(static_cast<unsigned char>(z)) ? z : '_';
    tresc = cel + "\n";
    return true;
  }
  struct stat opis{};
  if (stat(cel.c_str(), &opis) != 0 || !S_ISCHR(opis.st_mode)) return false;
  char bufor[96];
  std::snprintf(bufor, sizeof bufor, "tty-%u-%u", major(opis.st_rdev), minor(opis.st_rdev));
  nazwa = bufor;
  std::snprintf(bufor, sizeof bufor, "%lld.%09ld\n", static_cast<long long>(opis.st_ctim.tv_sec), opis.st_ctim.tv_nsec);
  tresc = bufor;
  return true;
}

}  // namespace

bool PrzejecieZnacznikaPortu(uint8_t numerPortu) {
  Znacznik.clear();
  std::string nazwa, tresc;
  if (!OpisPortu(numerPortu, nazwa, tresc)) return false;
  const std::string sciezka = std::string(KATALOG_ZNACZNIKOW) + "/karvo-port-" + nazwa;
  const int plik = open(sciezka.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (plik < 0) return false;
  fchmod(plik, 0666);  // another user's run on the same port reads and clears it too
  char bylo[96]{};
  const ssize_t przeczytano = pread(plik, bylo, sizeof bylo - 1, 0);
  const bool zostawiony = przeczytano > 0 && tresc == bylo;
  const bool zapisano = pwrite(plik, tresc.data(), tresc.size(), 0) == static_cast<ssize_t>(tresc.size()) &&
                        ftruncate(plik, static_cast<off_t>(tresc.size())) == 0;
  close(plik);
  if (zapisano) Znacznik = sciezka;
  return zostawiony;
}

void ZdjecieZnacznikaPortu() {
  if (Znacznik.empty()) return;
  // Another user's file in a shared directory cannot be removed: it is emptied.
  if (unlink(Znacznik.c_str()) != 0 && truncate(Znacznik.c_str(), 0) != 0) {
    // Left as it is: the next run only waits for the register once more.
  }
  Znacznik.clear();
}

}  // namespace platforma
