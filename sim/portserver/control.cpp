#include "portserver/control.h"

namespace sim {
namespace {

constexpr uint8_t Przyjete = 'A';
constexpr uint8_t Odrzucone = 'N';

}  // namespace

uint32_t SterowanieSerwera::Wystapienie(const UsterkaSerwera& u, const std::string& tekst) const {
  if (u.polecenie == "*") return wszystkie_;
  const auto it = liczniki_.find(tekst);
  return it == liczniki_.end() ? 0 : it->second;
}

OdpowiedzSerwera SterowanieSerwera::Polecenie(std::span<const uint8_t> datagram) {
  OdpowiedzSerwera o;
  o.polecenie = RozpoznajPolecenie(datagram);
  const std::string& tekst = o.polecenie.tekst;
  ++wszystkie_;
  ++liczniki_[tekst];
  for (const UsterkaSerwera& u : usterki_) {
    if (!u.PasujeDo(tekst) || (u.wystapienie && u.wystapienie != Wystapienie(u, tekst))) continue;
    o.usterka = &u;
    if (!u.cisza) o.bajty = u.odpowiedz;
    return o;
  }
  o.bajty = Bajty{o.polecenie.znane ? Przyjete : Odrzucone};
  return o;
}

}  // namespace sim
