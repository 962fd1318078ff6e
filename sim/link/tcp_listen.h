// The listening socket, the client loop and the full send that every TCP
// attachment (RFC 2217 port, communication module) shares.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "common/wire_log.h"
#include "link/line_device.h"

namespace sim {

// Listens on host:port (port 0: any free one); -1, with the reason, on failure.
// rzeczywisty receives the port that was taken.
int OtworzNasluch(const std::string& host, uint16_t port, uint16_t& rzeczywisty, std::string& blad);
// Accepts a waiting client with TCP_NODELAY set; -1 when none.
int PrzyjmijKlienta(int nasluch);
bool WyslijWszystko(int fd, std::span<const uint8_t> bajty);

// What an attachment does with the one client it serves.
class KlientTcp {
 public:
  virtual ~KlientTcp() = default;
  // The client has come; false drops it at once.
  virtual bool Polaczono(int fd) = 0;
  // Bytes from the client; false drops it.
  virtual bool Odebrano(int fd, std::span<const uint8_t> bajty) = 0;
  // The client has gone (its socket is already closed).
  virtual void Rozlaczono() = 0;
  // Late answers waiting for the client: when the first is due, and sending those due.
  virtual std::optional<Zegar::time_point> Termin() const { return std::nullopt; }
  virtual void Wypchnij(Zegar::time_point) {}
  // The device has looked at its deadlines: what it changed may be told to
  // the client; false drops it.
  virtual bool Sprawdzono() { return true; }
};

// Serves clients one after another until the simulator is asked to stop; a
// client that comes while another is connected is turned away, as a real
// port server does. The device's deadlines are kept between the client's bytes.
void ObslugaKlientow(int nasluch, KlientTcp& klient, UrzadzenieLinii& urzadzenie, Dziennik& dziennik,
                     const char* kto, const char* coZajete);

}  // namespace sim
