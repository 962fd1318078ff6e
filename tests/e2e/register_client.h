// A test client that talks to the simulator the way the driver does, over
// the pseudo-terminal or an RFC 2217 connection, written from what the
// driver sends and expects, independent of both the driver and the simulator.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

using Bajty = std::vector<uint8_t>;
using namespace std::chrono_literals;

class Strumien {
 public:
  virtual ~Strumien() = default;
  virtual bool Wyslij(const Bajty& bajty) = 0;
  // One byte, or nothing when none came by the deadline.
  virtual std::optional<uint8_t> Czytaj(std::chrono::steady_clock::time_point termin) = 0;
  // Drops whatever came in and was not read yet.
  void Wyczysc();
  // Up to n bytes, each within czas of the one before.
  Bajty CzytajDo(size_t n, std::chrono::milliseconds czas = 300ms);
};

class StrumienPty : public Strumien {
 public:
  ~StrumienPty() override;
  bool Otworz(const std::string& sciezka);
  bool Wyslij(const Bajty& bajty) override;
  std::optional<uint8_t> Czytaj(std::chrono::steady_clock::time_point termin) override;
  int Fd() const { return fd_; }

 private:
  int fd_ = -1;
};

// The client side of RFC 2217, far enough to drive the control lines, read
// the modem state notices and carry data.
class StrumienRfc2217 : public Strumien {
 public:
  ~StrumienRfc2217() override;
  bool Otworz(const std::string& host, uint16_t port);
  bool Wyslij(const Bajty& bajty) override;
  std::optional<uint8_t> Czytaj(std::chrono::steady_clock::time_point termin) override;
  bool UstawLinie(bool dtr, bool rts);
  bool UstawPredkosc(uint32_t baud);
  // Waits (reading what comes) until the server has sent a modem state.
  std::optional<uint8_t> StanModemu(std::chrono::milliseconds czas = 1s);
  // Every COM-PORT answer seen: the command byte and its value bytes.
  const std::vector<Bajty>& Odpowiedzi() const { return odpowiedzi_; }
  bool Zamkniete() const { return zamkniete_; }

 private:
  bool Pobierz(std::chrono::steady_clock::time_point termin);
  bool Polecenie(uint8_t polecenie, const Bajty& dane);
  int fd_ = -1;
  Bajty dane_;
  size_t odczytane_ = 0;
  enum class Tryb { Dane, Iac, Opcja, Sb, SbIac } tryb_ = Tryb::Dane;
  Bajty sb_;
  std::vector<Bajty> odpowiedzi_;
  std::optional<uint8_t> modem_;
  bool zamkniete_ = false;
};

// A plain TCP connection, as the driver's network link to a communication module.
class StrumienTcp : public Strumien {
 public:
  ~StrumienTcp() override;
  bool Otworz(const std::string& host, uint16_t port);
  bool Wyslij(const Bajty& bajty) override;
  std::optional<uint8_t> Czytaj(std::chrono::steady_clock::time_point termin) override;

 private:
  int fd_ = -1;
};

// One exchange as the driver makes it: 1B and the code; the first answer
// (dlugosc1 bytes with the acknowledgement; it stops at any byte other than
// 0x06); the parameters; the second answer (dlugosc2 with the status; it stops
// at a status other than 0, reading the two extra bytes of 0x7A).
struct Wymiana {
  Bajty pierwsza, druga;
  bool brakPierwszej = false, brakDrugiej = false;  // time-out before the whole answer
  bool Dobra() const {
    return !brakPierwszej && !brakDrugiej && (pierwsza.empty() || pierwsza[0] == 0x06) &&
           (druga.empty() || druga[0] == 0x00);
  }
};
Wymiana Rozkaz(Strumien& s, uint8_t kod, size_t dlugosc1, const Bajty& parametry = {}, size_t dlugosc2 = 0,
               std::chrono::milliseconds czas = 300ms);

// The identification the driver makes when its session opens.
struct Tozsamosc {
  std::string numer;
  uint8_t typ = 0, wersja = 0, litera = 0;
  std::string identyfikator;
  uint32_t pojemnosc = 0;
  std::string blad;  // empty when every step succeeded
};
Tozsamosc Identyfikuj(Strumien& s);

}  // namespace e2e
