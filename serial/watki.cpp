#include "serial/watki.h"

#include <chrono>

#include "platform/process.h"
#include "platform/thread_priority.h"
#include "serial/stan_winserii.h"
#include "serial/tcomm.h"

TWatek::~TWatek() { CzekajNaKoniec(); }

void TWatek::Uruchom() {
  watek_ = std::thread([this] {
    platforma::WatekBezSygnalowKonca();
    platforma::PriorytetKrytycznyWatku();
    Wykonaj();
  });
}

void TWatek::CzekajNaKoniec() {
  if (watek_.joinable()) watek_.join();
}

namespace {
constexpr std::chrono::milliseconds ODSTEP_ZDARZEN(10);
}  // namespace

uint32_t MaskaZdarzen(uint16_t zestaw) {
  // break, CTS change, DSR change, line error, ring, carrier change, character,
  // event character, output empty
  static constexpr uint32_t MASKI[] = {
      platforma::ZDARZENIE_PRZERWA, platforma::ZDARZENIE_CTS,    platforma::ZDARZENIE_DSR,
      platforma::ZDARZENIE_BLAD_LINII, platforma::ZDARZENIE_DZWONEK, platforma::ZDARZENIE_NOSNA,
      platforma::ZDARZENIE_ZNAK,   platforma::ZDARZENIE_ZNAK_SPECJALNY, platforma::ZDARZENIE_PUSTE_WYJSCIE,
  };
  uint32_t maska = 0;
  for (unsigned bit = 0; bit < 9; ++bit)
    if (zestaw & (1u << bit)) maska |= MASKI[bit];
  return maska;
}

TZdarzeniaCommThread::TZdarzeniaCommThread(TComm& port, std::shared_ptr<platforma::Linia> linia,
                                           uint16_t zestawZdarzen)
    : port_(port), linia_(std::move(linia)), maska_(MaskaZdarzen(zestawZdarzen)) {
  StanWinserii& stan = Winseria();
  stan.ZapamietanyPriorytet = platforma::PriorytetProcesu();
  if (*stan.ZapamietanyPriorytet != platforma::PRIORYTET_CZASU_RZECZYWISTEGO)
    platforma::UstawPriorytetProcesu(platforma::PRIORYTET_CZASU_RZECZYWISTEGO);
  Uruchom();
}

TZdarzeniaCommThread::~TZdarzeniaCommThread() { CzekajNaKoniec(); }

void TZdarzeniaCommThread::Zatrzymaj() {
  stop_.Ustaw();
  Zakoncz();
}

void TZdarzeniaCommThread::Wykonaj() {
  while (!Zakonczony() && !stop_.Ustawione()) {
    uint32_t zaszle = 0;
    if (linia_->CzekajNaZdarzenie(maska_, zaszle) != 0) break;
    if (stop_.Ustawione()) break;
    PrzekazZdarzenie(zaszle);
    // The owner takes the events only at its next call anyway: what comes
    // meanwhile is gathered into one mask, so that a byte received or sent
    // does not wake this thread each time.
    if (Zdarzenie::CzekajNaKtores({&stop_}, ODSTEP_ZDARZEN) == 0) break;
  }
  linia_->Czysc(true, true);
}

void TZdarzeniaCommThread::PrzekazZdarzenie(uint32_t maska) { port_.PrzekazaneZdarzenia(maska); }
