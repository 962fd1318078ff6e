// One serial port: its settings, its line and its input queue. It runs no
// thread of its own: every transfer and every wait happens on the caller's
// thread, and what the reference design's comm events carried (the modem
// lines, the line errors, the queue fill) is read when it is asked for.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/comm.h"

class TComm {
 public:
  TComm();
  virtual ~TComm();
  TComm(const TComm&) = delete;
  TComm& operator=(const TComm&) = delete;

  int32_t Konfiguruj(uint8_t port, int32_t predkosc, uint16_t czasZapisu, uint16_t czasOdczytu);
  int32_t Otworz();
  int32_t Zamknij();
  bool CzyOtwarty() const;
  void ZamknijUchwyt();
  int32_t UstawBlokKontroli();
  int32_t UstawCzasy(uint16_t zapisS, uint16_t odczytS);
  int32_t UstawCzasyMs(uint32_t zapisMs, uint32_t odczytMs);
  int32_t CzyscBuforNadawczy();
  int32_t CzyscBuforOdbiorczy();
  // Bytes waiting in the input queue, as clearing the line errors reports
  // them (the errors are kept in FlagiBledow); 0 when the port is not open.
  uint32_t BajtyWKolejceWejscia();

  // One byte each way, on the caller's thread: a byte the port has read ahead
  // is taken without a system call; else one read takes every byte the device
  // has, waiting in the kernel (bounded by the time-outs) when it has none. A
  // write waits only when the device does not take the byte at once. True
  // when the byte moved; the time-out flag and the error record as before.
  // zapowiedziane: the bytes of the answer still due, this one included (0:
  // not known); the read then waits for them as a whole, once an answer
  // (what is still missing after that comes late and is taken as it comes). A line error among
  // the bytes read makes the read fail: they are dropped, never taken as data.
  bool ZapiszBajt(uint8_t bajt);
  // ZapiszBajt for bytes that go out one after another with no answer
  // between them, in one write; answers how many were written.
  uint32_t ZapiszBajty(const uint8_t* bajty, uint32_t ile);
  bool CzytajBajt(uint8_t& bajt, uint32_t zapowiedziane = 0);
  // The last read failed on a line error (its bytes came, damaged).
  bool OdczytZBledemLinii() const { return bladLinii_; }
  // The far end of the line has gone (a port server that closed the connection).
  bool Zerwany() const;
  platforma::NiskieOpoznienie Opoznienie() const;
  // Records the line errors the device reported since the last look.
  void ZebranieBledowLinii();

  // The modem and control lines, and waiting for the output to leave.
  bool UstawLinieSterujaca(platforma::Sterowanie linia, bool wlaczona);
  uint8_t StanLiniiModemu();
  bool OproznijWyjscie();
  intptr_t Uchwyt() const;

  std::string NazwaUrzadzenia = "Comm2";
  uint8_t NumerPortu = 0;
  platforma::CzasyLinii ZapamietaneCzasy{};
  platforma::CzasyLinii BiezaceCzasy{};
  uint32_t FlagiBledow = 0;
  platforma::StanKolejek StanKolejek{};
  int32_t Predkosc = 0;
  int32_t Parzystosc = 2;
  int32_t BityStopu = 0;
  int32_t RozmiarBajtu = 8;
  int32_t RozmiarKolejkiWejsciowej = 4096;
  int32_t RozmiarKolejkiWyjsciowej = 2048;
  uint16_t CzasZapisu = 0;
  uint16_t CzasOdczytu = 0;

  // Set while the port is closed: every transfer then ends at once. A port
  // that was never opened counts as closed. A close on another thread also
  // ends a wait in progress (the line's own wake-up).
  class Zamkniecie {
   public:
    void Ustaw() { stan_ = true; }
    void Resetuj() { stan_ = false; }
    bool Ustawione() const { return stan_; }

   private:
    std::atomic<bool> stan_{true};
  } ZdarzenieZamkniecia;

 protected:
  virtual int32_t OtworzUrzadzenie();
  // The open device becomes the port's line (a test hands in a line of its own).
  void PrzyjecieLinii(std::unique_ptr<platforma::Linia> linia);
  // Records the line-error messages of the flags, in their order, each with
  // its flag as the code (the last one stays in the record).
  virtual void ZapamietanieBledowLinii(uint32_t flagi);

 private:
  int32_t ZamknijPort(bool zapisujBledy);
  int32_t PorzucOtwarcie(int32_t wynik);
  std::shared_ptr<platforma::Linia> Linia() const;
  int32_t ZastosujCzasy(const platforma::CzasyLinii& czasy);
  uint32_t WczytaneNaprzod();
  void PorzucWczytaneNaprzod();

  mutable std::recursive_mutex blokada_;  // the owner's operations on the line
  mutable std::mutex blokadaLinii_;       // the line pointer itself
  std::shared_ptr<platforma::Linia> linia_;
  // What a read took from the device beyond the byte asked for, in order.
  static constexpr uint32_t POJEMNOSC_KOLEJKI = 4096;
  std::mutex blokadaKolejki_;
  std::array<uint8_t, POJEMNOSC_KOLEJKI> kolejka_{};
  uint32_t poczatekKolejki_ = 0, koniecKolejki_ = 0;
  bool bladLinii_ = false;
  uint32_t ostatniaZapowiedz_ = 0;   // the bytes due at the last read
  bool przespanaOdpowiedz_ = false;  // this answer's rest has been slept for once
  bool liniePoczatkowe_ = false;  // DTR and RTS dropped after the open
};
