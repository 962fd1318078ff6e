#include "module/module_tcp.h"

#include <unistd.h>

#include <optional>

#include "link/loop.h"
#include "link/tcp_listen.h"

namespace sim {
namespace {

constexpr const char* Kto = "tcp";

class NadajnikGniazda : public NadajnikStrumienia {
 public:
  explicit NadajnikGniazda(int fd) : NadajnikStrumienia(0), fd_(fd) {}

 protected:
  void Zapisz(std::span<const uint8_t> bajty) override { WyslijWszystko(fd_, bajty); }

 private:
  int fd_;
};

}  // namespace

LaczeModuluTcp::~LaczeModuluTcp() {
  if (nasluch_ >= 0) ::close(nasluch_);
}

bool LaczeModuluTcp::Otworz(const std::string& host, uint16_t port, std::string& blad) {
  nasluch_ = OtworzNasluch(host, port, port_, blad);
  return nasluch_ >= 0;
}

void LaczeModuluTcp::Dzialaj(UrzadzenieLinii& modul, Dziennik& dziennik) {
  // The module's frames go to the client as they are; the module forgets a
  // started exchange when its client goes.
  class Klient : public KlientTcp {
   public:
    explicit Klient(UrzadzenieLinii& modul) : modul_(modul) {}
    bool Polaczono(int fd) override {
      wyjscie_.emplace(fd);
      return true;
    }
    bool Odebrano(int, std::span<const uint8_t> bajty) override {
      modul_.Odebrano(bajty, *wyjscie_, Zegar::now());
      return true;
    }
    std::optional<Zegar::time_point> Termin() const override { return wyjscie_ ? wyjscie_->Termin() : std::nullopt; }
    void Wypchnij(Zegar::time_point teraz) override {
      if (wyjscie_) wyjscie_->Wypchnij(teraz);
    }
    void Rozlaczono() override {
      wyjscie_.reset();
      modul_.Przerwij();
    }

   private:
    UrzadzenieLinii& modul_;
    std::optional<NadajnikGniazda> wyjscie_;
  } klient(modul);
  ObslugaKlientow(nasluch_, klient, modul, dziennik, Kto, "the module is in use");
}

}  // namespace sim
