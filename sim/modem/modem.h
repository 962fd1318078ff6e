// A Hayes-style modem in front of the communication module: in command mode
// it takes AT command lines (echoed while echo is on, answered OK or ERROR),
// the SIM card's PIN, "ATD" with a number (the carrier rises after a set
// delay, or the line is busy, or no carrier comes, or nothing at all), and
// "ATH" (the carrier falls). Once connected, every byte goes to the module
// and the module's answers come back, until "+++" framed by the guard time
// takes the modem back to its commands with the carrier kept. Its faults: a
// port server that drops the connection when the dialling ends, and a
// carrier that falls in the middle of an answer frame.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "common/wire_log.h"
#include "link/line_device.h"

namespace sim {

struct UstawieniaModemu {
  enum class Wybieranie { Polaczenie, Zajete, BrakNosnej, Nigdy, Zerwanie };
  Wybieranie wybieranie = Wybieranie::Polaczenie;
  // From the dialling command to the carrier (or to BUSY or NO CARRIER).
  std::chrono::milliseconds czasWybierania{1000};
  // The silence before and after "+++", and the most between its pluses.
  std::chrono::milliseconds czasOchronny{1000};
  std::string pin = {};  // the PIN the SIM card asks for; empty: none asked
  bool nosna = false;   // already connected when the simulator starts
  // The module's answer frame (counted from 1) in whose middle the carrier falls; 0: never.
  uint32_t utrataNosnej = 0;
};

class Modem : public UrzadzenieLinii {
 public:
  Modem(UrzadzenieLinii& modul, Dziennik& dziennik, UstawieniaModemu ustawienia);

  void Odebrano(std::span<const uint8_t> bajty, Nadajnik& wyjscie, Zegar::time_point teraz) override;
  // The modem ignores DTR (as after AT&D0), so that a driver run that closes
  // its port does not hang up; the control lines do not cross the phone line.
  void LinieSterujace(bool dtr, bool rts) override;
  void Predkosc(uint32_t baud) override;
  std::optional<Zegar::time_point> Termin() const override;
  void Sprawdz(Zegar::time_point teraz) override;
  void Przerwij() override;
  uint8_t LinieModemu(uint8_t spoczynkowe) const override;
  bool ZerwanieKlienta() const override { return zerwij_; }

  bool Nosna() const { return nosna_; }

 private:
  // Commands (with or without the carrier), dialling, or passing data to the module.
  enum class Stan { Komendy, Wybieranie, Polaczony };

  void BajtKomendy(uint8_t bajt, Zegar::time_point teraz);
  void Komenda(const std::string& linia, Zegar::time_point teraz);
  // One command of an AT line from position i; false: ERROR.
  bool Polecenie(const std::string& tekst, size_t& i, Zegar::time_point teraz, bool& odpowiedziano);
  bool Wybierz(const std::string& numer, Zegar::time_point teraz);
  bool Pin(const std::string& polecenie);
  void Dane(std::span<const uint8_t> bajty, Nadajnik& wyjscie, Zegar::time_point teraz);
  // A result as the modem gives it: the word (verbose) or its number.
  void Odpowiedz(const char* slowo, int kod);
  void Tekst(const std::string& tekst);
  void UstawNosna(bool nosna, const char* dlaczego);
  void KoniecWybierania(Zegar::time_point teraz);
  // One answer frame of the module on its way to the client.
  void RamkaModulu(std::span<const uint8_t> bajty, Nadajnik& wyjscie, Zegar::time_point teraz);

  UrzadzenieLinii& modul_;
  Dziennik& dziennik_;
  UstawieniaModemu ustawienia_;
  Stan stan_ = Stan::Komendy;
  std::string linia_;
  bool nosna_ = false;
  bool echo_ = true, slownie_ = true, pinPodany_ = false;
  Nadajnik* wyjscie_ = nullptr;  // the client's line while it is there
  std::optional<Zegar::time_point> koniecWybierania_;
  // "+++": the last data byte, the pluses so far, when the escape counts.
  Zegar::time_point ostatniBajt_{};
  int plusy_ = 0;
  std::optional<Zegar::time_point> koniecEskape_;
  // The fault's carrier loss: the answer frames so far, and when the carrier falls.
  uint32_t ramekOdpowiedzi_ = 0;
  std::optional<Zegar::time_point> utrataNosnej_;
  bool zerwij_ = false;  // the port server is to drop its client
  uint32_t predkosc_ = 0;  // the line's speed as the client set it
};

}  // namespace sim
