// A small RFC 2217 port server for the tests: one client at a time on
// 127.0.0.1, a port whose line settings and control lines it records, whose
// modem lines the test sets, and faults it shows on request. It shares no code
// with the driver's serial module.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Faults the server shows on request.
struct UsterkiSerwera {
  bool odrzucaComPort = false;   // answers DONT COM-PORT-OPTION
  bool milczy = false;           // answers no negotiation at all
  bool bezPotwierdzen = false;   // never confirms a COM-PORT-OPTION command
  int zerwijPoBajtach = -1;      // drops the client after that many data bytes
};

class SerwerRfc2217Testowy {
 public:
  using Usterki = UsterkiSerwera;

  explicit SerwerRfc2217Testowy(Usterki usterki = {});
  ~SerwerRfc2217Testowy();

  uint16_t Port() const { return port_; }
  std::string Cel() const { return "rfc2217://127.0.0.1:" + std::to_string(port_); }
  void UstawUsterki(Usterki usterki);

  // Data bytes the client has sent (IAC doubling undone).
  bool CzekajNaDane(std::size_t ile, std::chrono::milliseconds limit = std::chrono::seconds(3));
  std::vector<uint8_t> Dane();
  // Data for the client.
  void WyslijDane(const std::vector<uint8_t>& dane);

  // The values of every COM-PORT-OPTION command code received, in order.
  std::vector<std::vector<uint8_t>> Polecenia(uint8_t kod);
  bool CzekajNaPolecenia(uint8_t kod, std::size_t ile, std::chrono::milliseconds limit = std::chrono::seconds(3));
  bool Dtr();
  bool Rts();
  uint32_t Predkosc();

  // Modem lines (0x10 CTS, 0x20 DSR, 0x40 RI, 0x80 DCD), notified within the client's mask.
  void UstawStanModemu(uint8_t stan);
  // Line errors (0x10 break, 0x08 framing, 0x04 parity, 0x02 overrun) as one NOTIFY-LINESTATE.
  void PowiadomOStanieLinii(uint8_t stan);
  void Zerwij();
  bool CzekajNaKlienta(std::chrono::milliseconds limit = std::chrono::seconds(3));

 private:
  void Obsluguj();
  void ObsluzKlienta(int gniazdo);
  void Przyjmij(uint8_t bajt);
  void Polecenie(const std::vector<uint8_t>& podnegocjacja);
  void Wyslij(const std::vector<uint8_t>& bajty);
  void PowiadomOModemie(uint8_t poprzedni);

  int nasluch_ = -1;
  int budzik_[2] = {-1, -1};
  uint16_t port_ = 0;
  std::thread watek_;

  std::mutex m_;
  std::condition_variable cv_;
  Usterki usterki_;
  int klient_ = -1;
  bool zerwac_ = false;
  bool polaczony_ = false;
  std::vector<uint8_t> dane_;
  std::vector<std::pair<uint8_t, std::vector<uint8_t>>> polecenia_;
  bool dtr_ = true, rts_ = true;
  uint32_t predkosc_ = 9600;
  uint8_t modem_ = 0, maskaModemu_ = 0xFF;

  // Telnet parsing of the client's stream.
  int stan_ = 0;
  uint8_t polecenieOpcji_ = 0;
  std::vector<uint8_t> sb_;
};
