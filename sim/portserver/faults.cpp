#include "portserver/faults.h"

namespace sim {
namespace {

bool CzytajRodzaj(std::string_view rodzaj, UsterkaSerwera& u, std::string& blad) {
  if (rodzaj == "silent") {
    u.cisza = true;
    return true;
  }
  if (rodzaj.starts_with("answer=")) {
    rodzaj.remove_prefix(7);
    u.odpowiedz.assign(rodzaj.begin(), rodzaj.end());
    return true;
  }
  blad = "unknown kind \"" + std::string(rodzaj) + "\" (silent, answer=TEXT)";
  return false;
}

}  // namespace

std::optional<UsterkaSerwera> CzytajUsterkeSerwera(std::string_view zapis, std::string& blad) {
  UsterkaSerwera u;
  u.zapis = zapis;
  const size_t dwukropek = zapis.find(':');
  if (dwukropek == std::string_view::npos) {
    blad = "COMMAND[,n=N]:KIND expected";
    return std::nullopt;
  }
  std::string_view cel = zapis.substr(0, dwukropek);
  const size_t przecinek = cel.find(',');
  if (przecinek != std::string_view::npos) {
    const std::string_view opcja = cel.substr(przecinek + 1);
    const auto n = opcja.starts_with("n=") ? Liczba(opcja.substr(2)) : std::nullopt;
    if (!n || *n == 0) {
      blad = "n= takes a number from 1";
      return std::nullopt;
    }
    u.wystapienie = *n;
    cel = cel.substr(0, przecinek);
  }
  if (cel.empty()) {
    blad = "no command (a text or *)";
    return std::nullopt;
  }
  u.polecenie = cel;
  if (!CzytajRodzaj(zapis.substr(dwukropek + 1), u, blad)) return std::nullopt;
  return u;
}

}  // namespace sim
