// Test peers of the link layer: an independent frame coder, a scripted serial
// port behind the line table's seam, a scripted communication module on a
// loopback TCP socket and a UDP port server. They share no code with the
// driver's coder, so a misreading cannot hide in both.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testy {

using Bajty = std::vector<uint8_t>;

// Reference coder: bitwise CRC-16/ARC and the 7-in-8 coding, written plainly.
uint16_t CrcBitowo(const Bajty& dane);
Bajty Koduj(const Bajty& surowe);
Bajty Dekoduj(const Bajty& zakodowane);
// A whole wire frame: "KARVO", then the coded length, control byte, contents and CRC.
Bajty Ramka(uint8_t sterujacy, const Bajty& tresc);
Bajty RamkaOdpowiedzi(const Bajty& dane);  // control byte 0

struct RozebranaRamka {
  bool Poprawna = false;  // header, length and CRC all good
  uint8_t Dlugosc = 0, Sterujacy = 0;
  Bajty Tresc;  // the raw bytes between the control byte and the CRC
};
RozebranaRamka Rozbior(const Bajty& ramka);

// Collects the bytes a driver writes and cuts them into frames at the length
// their header announces.
class ZbieraczRamek {
 public:
  // True when this byte completed a frame, which is then in `ramka`.
  bool Dodaj(uint8_t bajt, Bajty& ramka);

 private:
  Bajty bufor_;
};

// What the scripted module answers to each frame it receives, in order. An
// empty answer is silence; a frame beyond the script gets silence too.
struct Skrypt {
  std::deque<Bajty> Odpowiedzi;
  std::vector<Bajty> Otrzymane;  // every frame received
};

// The serial port seen by the line table: bytes written become frames for the
// script; the answer to the last frame is what ReadByte hands out.
struct PortTestowy {
  static PortTestowy* Biezacy;
  Skrypt Modul;
  bool Nosna = true;
  bool ZapisUdany = true;
  int Czyszczenia = 0;
  uint8_t WynikWyslania = 1;
  Bajty Zapisane;          // every byte written
  std::vector<std::size_t> Zapisy;   // the bytes of each write call
  std::vector<uint32_t> Zapowiedzi;  // each read: the rest of the answer announced with it (0: none)
  std::deque<uint8_t> Wejscie;
  ZbieraczRamek Zbieracz;
  PortTestowy();   // installs itself in the line table
  ~PortTestowy();  // puts the real port back
};

// A communication module on 127.0.0.1: accepts one connection (or up to
// `polaczen`, one after another, each once the last one ended), answers each
// request frame from its script and records it.
class ModulTcp {
 public:
  explicit ModulTcp(std::deque<Bajty> odpowiedzi, bool zamknijPoSkrypcie = false, int polaczen = 1);
  ~ModulTcp();
  uint16_t Port() const { return port_; }
  std::vector<Bajty> Otrzymane();
  Bajty Surowe();  // every byte received
  int Polaczenia() const { return polaczenia_; }   // connections accepted so far
  int Rozlaczenia() const { return rozlaczenia_; }  // connections the other side closed
  // Stops listening: a connection attempt after it is refused. Returns once
  // the listening socket is closed.
  void KoniecNasluchu();

 private:
  void Praca();
  // Serves one accepted connection until either side ends it.
  void Obsluga(int polaczenie);
  void ZamkniecieNasluchuNaZadanie();
  int nasluch_ = -1;
  uint16_t port_ = 0;
  bool zamknij_;
  int najwiecejPolaczen_;
  std::atomic<int> polaczenia_{0}, rozlaczenia_{0};
  std::atomic<bool> koniec_{false}, bezNasluchu_{false}, nasluchZamkniety_{false};
  std::mutex zamek_;
  Skrypt skrypt_;
  Bajty surowe_;
  std::thread watek_;
};

// A network port server on adres:65535: answers each command with `odpowiedz`,
// except the command numbered `zlaPozycja` (from 0), which gets `zlaOdpowiedz`
// (0 for silence).
class SerwerPortow {
 public:
  explicit SerwerPortow(std::string adres, int zlaPozycja = -1, char zlaOdpowiedz = 'N');
  ~SerwerPortow();
  std::vector<std::string> Otrzymane();
  const std::string& Adres() const { return adres_; }

 private:
  std::string adres_;
  int gniazdo_ = -1;
  int zlaPozycja_;
  char zlaOdpowiedz_;
  std::atomic<bool> koniec_{false};
  std::mutex zamek_;
  std::vector<std::string> otrzymane_;
  std::thread watek_;
};

// A loopback address of its own for each test, so parallel runs do not meet on port 65535.
std::string WlasnyAdresPetli();

// A TCP port on 127.0.0.1 where nothing listens.
uint16_t WolnyPort();

}  // namespace testy
