// The communication module of the modem-frame mode: it takes one request
// frame (the whole exchange: code, parameters and the lengths of both
// answers), carries the exchange out on the register at the frame's address,
// and returns every answer byte in one answer frame with control byte 0
// (or in two parts). Control frames read its version, change or check its
// password, take time-out words and the ring count, repeat the last answer
// and hand out the second part of a long one.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "common/wire_log.h"
#include "device/register.h"
#include "link/line_device.h"
#include "module/frame_codec.h"
#include "module/module_faults.h"
#include "module/module_state.h"

namespace sim {

// The control byte of the module's answers.
namespace sterujacy {
inline constexpr uint8_t Gotowa = 0x00;
inline constexpr uint8_t PowtorzRozkaz = 0x01;  // a request frame arrived broken
inline constexpr uint8_t ZlyRodzaj = 0x02;      // a control type the module does not know
inline constexpr uint8_t BladRamki = 0x03;      // a frame whose fields do not fit together
inline constexpr uint8_t BrakKasy = 0x06;       // the register did not answer (or is not there)
inline constexpr uint8_t Czesc = 0x08;          // a part of a two-part answer
inline constexpr uint8_t Haslo = 0x10;
inline constexpr uint8_t PierwszyCzas = 0x20;
inline constexpr uint8_t DrugiCzas = 0x40;
}  // namespace sterujacy

struct UstawieniaModulu {
  // A frame whose bytes stop coming is dropped after this long.
  std::chrono::milliseconds czasRamki{1000};
};

class Modul : public UrzadzenieLinii {
 public:
  Modul(std::vector<std::unique_ptr<Kasa>> kasy, StanModulu stan, std::vector<UsterkaModulu> usterki,
        Dziennik& dziennik, UstawieniaModulu ustawienia = {});

  void Odebrano(std::span<const uint8_t> bajty, Nadajnik& wyjscie, Zegar::time_point teraz) override;
  void LinieSterujace(bool dtr, bool rts) override;
  void Predkosc(uint32_t baud) override;
  std::optional<Zegar::time_point> Termin() const override;
  void Sprawdz(Zegar::time_point teraz) override;
  void Przerwij() override;

  const StanModulu& Stan() const { return stan_; }
  std::vector<std::unique_ptr<Kasa>>& Kasy() { return kasy_; }

 private:
  struct Odpowiedz {
    uint8_t bajt = sterujacy::Gotowa;
    Bajty tresc;
    const char* opis = "answer";
    std::chrono::milliseconds opoznienie{0};  // the register answered this late
  };

  void Ramka(const Bajty& poNaglowku, Nadajnik& wyjscie, Zegar::time_point teraz);
  std::optional<Odpowiedz> Rozkaz(const ramka::Rozebrana& r, Zegar::time_point teraz);
  std::optional<Odpowiedz> Sterujaca(const ramka::Rozebrana& r);
  Kasa* KasaPodAdresem(uint8_t adres);
  void Wyslij(Odpowiedz o, const std::vector<const UsterkaModulu*>& usterki, Nadajnik& wyjscie, bool zapamietaj);
  void WyslijRamke(Bajty ramka, const std::vector<const UsterkaModulu*>& usterki, Nadajnik& wyjscie,
                   const std::string& opis);
  std::vector<const UsterkaModulu*> Usterki(bool sterujaca, uint8_t kod, uint8_t adres);

  std::vector<std::unique_ptr<Kasa>> kasy_;
  StanModulu stan_;
  std::vector<UsterkaModulu> usterki_;
  Dziennik& dziennik_;
  UstawieniaModulu ustawienia_;

  ramka::Odbiornik odbiornik_;
  Zegar::time_point termin_{};
  std::array<uint32_t, 256> rozkazy_{};   // request frames received, by request code
  uint32_t wszystkieRozkazy_ = 0, wszystkieSterujace_ = 0;
  std::array<uint32_t, 256> sterujace_{};  // control frames received, by type
  Bajty ostatnia_;         // the last answer frame as built, for a repeat
  Bajty reszta_;           // the second part of a two-part answer, until it is asked for
  uint8_t wymagany_ = 0;   // the control byte answered until its control frame comes
  uint32_t predkosc_ = 0;
};

}  // namespace sim
