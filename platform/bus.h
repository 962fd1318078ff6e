// The message bus: how the driver and its Server exchange window messages of
// one message number N on Linux.
//
// Bus N is the directory bus/N under the platform directory
// ($KARVO_PLATFORM_DIR, else /tmp/karvo-<uid>, private to the user). Every
// party that wants the messages binds one Unix datagram socket there, its
// endpoint: a driver "d<pid>", a Server "s<pid>" (any name that does not begin
// with "d"). Posting to all top-level windows is sending one datagram to every
// endpoint but the sender's own; the endpoint's socket is the message queue.
//
// A message is one datagram of karvo_bus.h, where its format is defined;
// datagrams of any other length are dropped by the receiver.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "include/karvo_bus.h"

namespace platforma {

struct KomunikatOkna {
  uint32_t Numer = 0;
  uint32_t WParam = 0;
  uint32_t LParam = 0;
};

constexpr std::size_t DlugoscDatagramu = karvo::bus::DatagramLength;
// A Unix socket path holds at most this many bytes.
constexpr std::size_t NajdluzszaSciezkaGniazda = 107;
// The endpoints of drivers begin with this letter.
constexpr char PrzedrostekSterownika = karvo::bus::DriverPrefix;
constexpr char PrzedrostekSerwera = karvo::bus::ServerPrefix;
constexpr uint32_t NajwiekszaWartoscKomunikatu = karvo::bus::MaxValue;

void ZakodowanieKomunikatu(const KomunikatOkna& komunikat, uint8_t (&bajty)[DlugoscDatagramu]);
bool OdkodowanieKomunikatu(const uint8_t* bajty, std::size_t dlugosc, KomunikatOkna& komunikat);

// lParam of a Server message: (value << 8) | letter, the value cut to 24 bits
// (larger values become 16777215).
inline uint32_t ParametrKomunikatu(char litera, uint32_t wartosc) { return karvo::bus::Param(litera, wartosc); }
inline char LiteraKomunikatu(uint32_t lParam) { return karvo::bus::Letter(lParam); }
inline uint32_t WartoscKomunikatu(uint32_t lParam) { return karvo::bus::Value(lParam); }

// $KARVO_PLATFORM_DIR when set and not empty, else /tmp/karvo-<uid>.
std::string KatalogPlatformy();
std::string KatalogMagistrali(uint32_t numer);
// Creates the directory when missing (mode 0700) and answers whether it is a
// real directory of this user that nobody else may enter; the default
// platform directory lies in the shared /tmp and must pass this check.
bool KatalogPrywatny(const std::string& sciezka);

// This process's endpoint on one bus. Only the process that bound it removes
// its socket, so a child that inherited it after fork never takes it away.
class PunktMagistrali {
 public:
  PunktMagistrali() = default;
  PunktMagistrali(const PunktMagistrali&) = delete;
  PunktMagistrali& operator=(const PunktMagistrali&) = delete;
  ~PunktMagistrali() { Zamknij(); }

  // Creates the bus directory and binds the socket. False (and nothing
  // created) when the path would be longer than a socket path may be, or
  // when the directory or the socket cannot be made, or the name is taken by
  // a live endpoint.
  bool Otworz(uint32_t numer, const std::string& nazwa);
  // Closes the socket and removes it from the bus.
  void Zamknij();
  bool Otwarty() const;
  uint32_t Numer() const { return NumerMagistrali; }
  const std::string& Nazwa() const { return NazwaPunktu; }
  int Gniazdo() const { return Deskryptor; }

  // Takes the next waiting message without blocking; datagrams of another
  // length are dropped on the way. False when nothing waits.
  bool Odbierz(KomunikatOkna& komunikat);
  // Waits until a datagram waits, at most czasMs (-1: without limit). False on
  // time-out or an interrupted wait.
  bool Czekaj(int czasMs);

 private:
  int Deskryptor = -1;
  uint32_t NumerMagistrali = 0;
  std::string NazwaPunktu, Sciezka;
  uint32_t Wlasciciel = 0;  // the process that bound the socket
  uint64_t UrzadzenieGniazda = 0, WezelGniazda = 0;  // the socket file we bound, so we never remove another's
};

// Posts one message to every endpoint of bus `numer` but the sender's own; a
// driver's post skips the other drivers, which would only drop it. A socket
// whose owner has gone is skipped and removed; an endpoint whose queue is full
// is tried again for up to czasPonawianiaMs (0: skipped at once, the driver
// never waits for a slow Server). The sender may be nullptr (a Server that
// only sends). Answers how many endpoints took the message, or -1 when the bus
// directory exists but cannot be read.
int RozeslanieKomunikatu(uint32_t numer, const KomunikatOkna& komunikat, const PunktMagistrali* nadawca,
                         int czasPonawianiaMs);

}  // namespace platforma
