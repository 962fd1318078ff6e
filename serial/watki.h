// The event watcher thread of an open port and the base of the port's threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "platform/comm.h"
#include "serial/zdarzenie.h"

class TComm;

class TWatek {
 public:
  virtual ~TWatek();
  void Uruchom();
  void Zakoncz() { zakonczyc_ = true; }
  bool Zakonczony() const { return zakonczyc_; }
  void CzekajNaKoniec();

 protected:
  virtual void Wykonaj() = 0;

 private:
  std::thread watek_;
  std::atomic<bool> zakonczyc_{false};
};

// Waits for the port's comm events and hands them to the owner.
class TZdarzeniaCommThread : public TWatek {
 public:
  TZdarzeniaCommThread(TComm& port, std::shared_ptr<platforma::Linia> linia, uint16_t zestawZdarzen);
  ~TZdarzeniaCommThread() override;
  void Zatrzymaj();

 protected:
  void Wykonaj() override;
  virtual void PrzekazZdarzenie(uint32_t maska);

 private:
  TComm& port_;
  std::shared_ptr<platforma::Linia> linia_;
  uint32_t maska_;
  Zdarzenie stop_;
};

// The mask of the comm events in an event set (bit 0 first).
uint32_t MaskaZdarzen(uint16_t zestaw);
