#include <cerrno>

#include "platform/comm.h"
#include "platform/comm_backends.h"
#include "platform/portmap.h"

namespace platforma {

int Linia::OdczytajCzasy(CzasyLinii& czasy) const {
  czasy = Czasy();
  return 0;
}

int Linia::UstawCzasy(const CzasyLinii& czasy) {
  std::lock_guard<std::mutex> blokada(blokadaCzasow_);
  czasy_ = czasy;
  return 0;
}

CzasyLinii Linia::Czasy() const {
  std::lock_guard<std::mutex> blokada(blokadaCzasow_);
  return czasy_;
}

namespace {
std::optional<uint32_t> Suma(uint32_t mnoznik, uint32_t ile, uint32_t stala) {
  const uint64_t suma = static_cast<uint64_t>(mnoznik) * ile + stala;
  if (suma == 0) return std::nullopt;
  return static_cast<uint32_t>(suma > 0xFFFFFFFEu ? 0xFFFFFFFEu : suma);
}
}  // namespace

TerminyOdczytu TerminyDlaOdczytu(const CzasyLinii& c, uint32_t ile) {
  TerminyOdczytu t;
  if (c.odstepOdczytu == BEZ_LIMITU && c.mnoznikOdczytu == 0 && c.stalaOdczytu == 0) {
    t.odRazu = true;
    return t;
  }
  if (c.odstepOdczytu == BEZ_LIMITU && c.mnoznikOdczytu == BEZ_LIMITU && c.stalaOdczytu != 0 &&
      c.stalaOdczytu != BEZ_LIMITU) {
    t.pierwszyZnakKonczy = true;
    t.calkowity = c.stalaOdczytu;
    return t;
  }
  t.calkowity = Suma(c.mnoznikOdczytu, ile, c.stalaOdczytu);
  if (c.odstepOdczytu != 0 && c.odstepOdczytu != BEZ_LIMITU) t.odstep = c.odstepOdczytu;
  return t;
}

uint64_t CzasBajtowUs(const UstawieniaLinii& u, uint32_t ile) {
  if (u.predkosc == 0) return 0;
  const uint64_t bity = 1u + u.bityDanych + (u.parzystosc != 0 ? 1u : 0u) + (u.bityStopu == 0 ? 1u : 2u);
  return (bity * ile * 1'000'000u + u.predkosc - 1) / u.predkosc;
}

std::optional<uint32_t> TerminDlaZapisu(const CzasyLinii& c, uint32_t ile) {
  return Suma(c.mnoznikZapisu, ile, c.stalaZapisu);
}

RodzajBleduOtwarcia RodzajBledu(int kod) {
  switch (kod) {
    case 0:
      return RodzajBleduOtwarcia::Brak;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ECONNREFUSED:
    case EHOSTUNREACH:
    case ENETUNREACH:
      return RodzajBleduOtwarcia::BrakUrzadzenia;
    case EACCES:
    case EPERM:
    case EBUSY:
    case EWOULDBLOCK:
      return RodzajBleduOtwarcia::OdmowaDostepu;
    case EBADF:
    case ENOTTY:
      return RodzajBleduOtwarcia::ZlyUchwyt;
    default:
      return RodzajBleduOtwarcia::Inny;
  }
}

int OtworzLinie(const std::string& nazwa, std::unique_ptr<Linia>& linia, RodzajBleduOtwarcia& rodzaj) {
  linia.reset();
  const auto numer = NumerPortuZNazwy(nazwa);
  const std::string cel = numer ? CelPortu(*numer) : std::string();
  if (cel.empty()) {
    rodzaj = RodzajBleduOtwarcia::BrakUrzadzenia;
    return ENOENT;
  }
  const std::string przedrostek = "rfc2217://";
  if (cel.compare(0, przedrostek.size(), przedrostek) == 0)
    return OtworzLinieRfc2217(cel.substr(przedrostek.size()), linia, rodzaj);
  return OtworzLinieTty(cel, linia, rodzaj);
}

}  // namespace platforma
