#include "fuzz_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/files.h"

namespace fuzz {
namespace {

std::string Katalog;
int PierwszyWolny = -1;  // the lowest free descriptor when the input began

void Usuniecie() {
  std::error_code blad;
  std::filesystem::remove_all(Katalog, blad);
}

int NajnizszyWolny() {
  const int d = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (d >= 0) ::close(d);
  return d;
}

}  // namespace

void PrzygotowanieKatalogu() {
  // libFuzzer's -close_fd_mask=2 closes standard error once the seeds are
  // read (the driver's notices go there): a file the driver opens must not
  // become descriptor 2.
  if (::fcntl(2, F_GETFD) < 0 && ::open("/dev/null", O_WRONLY) != 2) std::abort();
  if (Katalog.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    const char* baza = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (tmp ? tmp : "/tmp");
    std::string wzor = std::string(baza) + "/karvo-fuzz-XXXXXX";
    if (!::mkdtemp(wzor.data())) std::abort();
    Katalog = wzor;
    ::setenv("KARVO_PLATFORM_DIR", Katalog.c_str(), 1);
    std::atexit(Usuniecie);
  }
  PierwszyWolny = NajnizszyWolny();
}

std::string Sciezka(const char* nazwa) { return Katalog + "/" + nazwa; }

std::string ZapisPliku(const char* nazwa, const uint8_t* dane, std::size_t rozmiar) {
  const std::string sciezka = Sciezka(nazwa);
  const int d = ::open(sciezka.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (d < 0) std::abort();
  for (std::size_t zapisane = 0; zapisane < rozmiar;) {
    const ssize_t n = ::write(d, dane + zapisane, rozmiar - zapisane);
    if (n <= 0) std::abort();
    zapisane += static_cast<std::size_t>(n);
  }
  ::close(d);
  return sciezka;
}

std::string PlikWPamieci(const char* nazwa, const uint8_t* dane, std::size_t rozmiar) {
  const std::string sciezka = Sciezka(nazwa);
  platforma::PlikWPamieci(sciezka, dane, rozmiar);
  return sciezka;
}

void BrakOtwartychPlikow() {
  if (NajnizszyWolny() != PierwszyWolny || platforma::OtwarteUchwytyWPamieci() != 0) std::abort();
}

void NapisWBuforze(const char* tekst) {
  if (::strnlen(tekst, 256) == 256) std::abort();
}

}  // namespace fuzz
