#include "link/rfc2217_link.h"

#include <unistd.h>

#include <optional>

#include "link/loop.h"
#include "link/tcp_listen.h"
#include "link/telnet.h"

namespace sim {
namespace {

class NadajnikRfc2217 : public NadajnikStrumienia {
 public:
  NadajnikRfc2217(int fd, const telnet::Serwer& serwer, uint32_t baud)
      : NadajnikStrumienia(baud, OpoznienieAdaptera()), fd_(fd), serwer_(serwer) {}

 protected:
  void Zapisz(std::span<const uint8_t> bajty) override { WyslijWszystko(fd_, serwer_.Dane(bajty)); }
  void ZapiszBladLinii(uint8_t bledy) override {
    const Bajty stan = serwer_.StanLinii(bledy);
    if (!stan.empty()) WyslijWszystko(fd_, stan);
  }

 private:
  int fd_;
  const telnet::Serwer& serwer_;
};

constexpr const char* Kto = "rfc2217";

const char* Parzystosc(uint8_t p) {
  static const char* const Nazwy[] = {"?", "none", "odd", "even", "mark", "space"};
  return p <= 5 ? Nazwy[p] : "?";
}

}  // namespace

LaczeRfc2217::~LaczeRfc2217() {
  if (nasluch_ >= 0) ::close(nasluch_);
}

bool LaczeRfc2217::Otworz(const std::string& host, uint16_t port, std::string& blad) {
  nasluch_ = OtworzNasluch(host, port, port_, blad);
  return nasluch_ >= 0;
}

void LaczeRfc2217::Dzialaj(UrzadzenieLinii& linia, Dziennik& dziennik, uint32_t baud) {
  // Each client gets a fresh telnet session; its option changes reach the
  // line, its data the registers.
  class Klient : public KlientTcp {
   public:
    Klient(UrzadzenieLinii& linia, Dziennik& dziennik, uint32_t baud, uint8_t modem)
        : linia_(linia), dziennik_(dziennik), baud_(baud), modem_(modem) {}
    bool Polaczono(int fd) override {
      fd_ = fd;
      serwer_.emplace();
      wyjscie_.emplace(fd, *serwer_, baud_);
      return WyslijWszystko(fd, serwer_->Powitanie());
    }
    bool Odebrano(int fd, std::span<const uint8_t> bajty) override {
      telnet::Zdarzenia z;
      serwer_->Linie(linia_.LinieModemu(modem_));
      serwer_->Odebrano(bajty, z);
      const telnet::UstawieniaPortu& port = serwer_->Port();
      if (z.zmianaPredkosci) linia_.Predkosc(port.predkosc);
      if (z.zmianaRamki)
        dziennik_.Zdarzenie(Kto, std::to_string(port.bity) + " data bits, parity " + Parzystosc(port.parzystosc) +
                                     ", stop " + std::to_string(port.stop));
      if (z.zmianaLinii) linia_.LinieSterujace(port.dtr, port.rts);
      if (z.czyszczenie) dziennik_.Zdarzenie(Kto, "purge");
      bool polaczony = z.doKlienta.empty() || WyslijWszystko(fd, z.doKlienta);
      if (!z.dane.empty()) linia_.Odebrano(z.dane, *wyjscie_, Zegar::now());
      return polaczony && ZmianaLinii();
    }
    // A device that drives the modem lines (a modem's carrier) changes them on its own.
    bool Sprawdzono() override {
      if (linia_.ZerwanieKlienta()) {
        dziennik_.Zdarzenie(Kto, "the port server drops the connection");
        return false;
      }
      return !serwer_ || ZmianaLinii();
    }
    bool ZmianaLinii() {
      const Bajty modem = serwer_->StanModemu(linia_.LinieModemu(modem_));
      return modem.empty() || WyslijWszystko(fd_, modem);
    }
    std::optional<Zegar::time_point> Termin() const override { return wyjscie_ ? wyjscie_->Termin() : std::nullopt; }
    void Wypchnij(Zegar::time_point teraz) override {
      if (wyjscie_) wyjscie_->Wypchnij(teraz);
    }
    void Rozlaczono() override {
      wyjscie_.reset();
      serwer_.reset();
      // The port server drops the control lines when its client goes.
      linia_.LinieSterujace(false, false);
      linia_.Przerwij();
    }

   private:
    UrzadzenieLinii& linia_;
    Dziennik& dziennik_;
    uint32_t baud_;
    uint8_t modem_;
    int fd_ = -1;
    std::optional<telnet::Serwer> serwer_;
    std::optional<NadajnikRfc2217> wyjscie_;
  } klient(linia, dziennik, baud, modem_);
  // One client at a time, as a real port server.
  ObslugaKlientow(nasluch_, klient, linia, dziennik, Kto, "the port is in use");
}

}  // namespace sim
