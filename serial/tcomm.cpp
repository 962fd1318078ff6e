#include "serial/tcomm.h"

#include <algorithm>
#include <cerrno>

#include "platform/clock.h"
#include "platform/thread_priority.h"
#include "serial/komunikaty.h"
#include "serial/ostatni_blad.h"
#include "serial/stan_winserii.h"

using platforma::PrzebiegTransferu;

TComm::TComm() {
  const uint8_t wybor = Winseria().WyborParzystosci;
  Parzystosc = wybor == 0 ? 0 : (wybor == 1 ? 1 : 2);
}

TComm::~TComm() { ZamknijPort(true); }

int32_t TComm::Konfiguruj(uint8_t port, int32_t predkosc, uint16_t czasZapisu, uint16_t czasOdczytu) {
  Predkosc = predkosc;
  NazwaUrzadzenia = "\\\\.\\COM" + std::to_string(port);
  NumerPortu = port;
  CzasZapisu = czasZapisu;
  CzasOdczytu = czasOdczytu;
  return 0;
}

std::shared_ptr<platforma::Linia> TComm::Linia() const {
  std::lock_guard<std::mutex> b(blokadaLinii_);
  return linia_;
}

bool TComm::CzyOtwarty() const { return Linia() != nullptr; }

intptr_t TComm::Uchwyt() const {
  const auto linia = Linia();
  return linia ? linia->Uchwyt() : -1;
}

void TComm::ZamknijUchwyt() {
  std::lock_guard<std::mutex> b(blokadaLinii_);
  linia_.reset();
}

int32_t TComm::OtworzUrzadzenie() {
  std::unique_ptr<platforma::Linia> nowa;
  platforma::RodzajBleduOtwarcia rodzaj = platforma::RodzajBleduOtwarcia::Brak;
  const int kod = platforma::OtworzLinie(NazwaUrzadzenia, nowa, rodzaj);
  if (kod != 0) {
    switch (rodzaj) {
      case platforma::RodzajBleduOtwarcia::BrakUrzadzenia: ZapamietanieBledu(komunikaty::BRAK_URZADZENIA, kod); break;
      case platforma::RodzajBleduOtwarcia::OdmowaDostepu: ZapamietanieBledu(komunikaty::ZABRONIONY_DOSTEP, kod); break;
      case platforma::RodzajBleduOtwarcia::ZlyUchwyt: ZapamietanieBledu(komunikaty::NIEPOPRAWNY_UCHWYT, kod); break;
      default: ZapamietanieBledu(komunikaty::BLEDNE_URZADZENIE, kod); break;
    }
    return kod;
  }
  PrzyjecieLinii(std::move(nowa));
  return 0;
}

void TComm::PrzyjecieLinii(std::unique_ptr<platforma::Linia> linia) {
  std::lock_guard<std::mutex> b(blokadaLinii_);
  linia_ = std::move(linia);
  liniePoczatkowe_ = false;
}

int32_t TComm::Otworz() {
  std::lock_guard<std::recursive_mutex> b(blokada_);
  ZamknijPort(true);
  ZapamietanieBledu(nullptr, 0);
  const int32_t otwarcie = OtworzUrzadzenie();
  platforma::Uspienie(100);
  if (!CzyOtwarty()) return otwarcie;

  // The process runs at the top of the ordinary priorities while a port is
  // open (where it may): its waits all block, so a wake-up comes sooner under
  // load and costs nothing while the port is idle.
  StanWinserii& stan = Winseria();
  stan.ZapamietanyPriorytet = platforma::PriorytetProcesu();
  if (*stan.ZapamietanyPriorytet != platforma::PRIORYTET_CZASU_RZECZYWISTEGO)
    platforma::UstawPriorytetProcesu(platforma::PRIORYTET_CZASU_RZECZYWISTEGO);

  if (const int32_t wynik = UstawBlokKontroli(); wynik != 0) return PorzucOtwarcie(wynik);
  if (const int kod = Linia()->UstawKolejki(static_cast<uint32_t>(RozmiarKolejkiWejsciowej),
                                            static_cast<uint32_t>(RozmiarKolejkiWyjsciowej));
      kod != 0) {
    ZapamietanieBledu(komunikaty::BLAD_BUFOROW, kod);
    return PorzucOtwarcie(kod);
  }
  const int32_t wynik = UstawCzasy(CzasZapisu, CzasOdczytu);
  ZdarzenieZamkniecia.Resetuj();
  platforma::Uspienie(100);
  return wynik == 0 ? 0 : PorzucOtwarcie(wynik);
}

// A port whose open failed half-way is closed again, so that the failure is
// not a port left open behind an error and a later open can succeed; the error
// of the failing step stays recorded.
int32_t TComm::PorzucOtwarcie(int32_t wynik) {
  ZamknijPort(false);
  return wynik;
}

int32_t TComm::Zamknij() { return ZamknijPort(true); }

int32_t TComm::ZamknijPort(bool zapisujBledy) {
  // A transfer or a drain waiting on the line ends at once, even while the
  // owner's lock is held by a call that waits.
  if (const auto linia = Linia()) linia->Przerwij();
  std::lock_guard<std::recursive_mutex> b(blokada_);
  StanWinserii& stan = Winseria();
  if (stan.ZapamietanyPriorytet && platforma::PriorytetProcesu() != *stan.ZapamietanyPriorytet)
    platforma::UstawPriorytetProcesu(*stan.ZapamietanyPriorytet);
  const auto linia = Linia();
  if (!linia) return 0;
  if (const int kod = linia->UstawCzasy(ZapamietaneCzasy); kod != 0 && zapisujBledy)
    ZapamietanieBledu(komunikaty::BLAD_CZASOW, kod);
  // What a closed port's device may have left unread goes with it, as the
  // reference design's watcher discarded both queues when it ended.
  linia->Czysc(true, true);
  ZamknijUchwyt();
  PorzucWczytaneNaprzod();
  ZdarzenieZamkniecia.Ustaw();
  return 0;
}

int32_t TComm::UstawBlokKontroli() {
  std::lock_guard<std::recursive_mutex> b(blokada_);
  const auto linia = Linia();
  if (!linia) return 0;
  auto wPolu = [](int32_t wartosc, int32_t najwyzej) {
    return static_cast<uint8_t>(wartosc < 0 || wartosc > najwyzej ? 0xFF : wartosc);
  };
  platforma::UstawieniaLinii u;
  u.predkosc = Predkosc > 0 ? static_cast<uint32_t>(Predkosc) : 0;
  u.parzystosc = wPolu(Parzystosc, 4);
  u.bityStopu = wPolu(BityStopu, 2);
  u.bityDanych = wPolu(RozmiarBajtu, 8);
  u.kontrolaCTS = Winseria().FlagaCTS;
  if (const int kod = linia->UstawParametry(u); kod != 0) {
    ZapamietanieBledu(komunikaty::BLAD_BLOKU_KONTROLI, kod);
    return kod;
  }
  // With their control disabled the reference platform drops DTR and RTS once
  // the settings are applied to a freshly opened port; later applications leave them.
  if (!liniePoczatkowe_) {
    liniePoczatkowe_ = true;
    linia->UstawSterowanie(platforma::Sterowanie::DTR, false);
    linia->UstawSterowanie(platforma::Sterowanie::RTS, false);
  }
  return 0;
}

int32_t TComm::ZastosujCzasy(const platforma::CzasyLinii& czasy) {
  std::lock_guard<std::recursive_mutex> b(blokada_);
  const auto linia = Linia();
  // The present time-outs are read first, which fails on a port that is not open.
  if (!linia) {
    ZapamietanieBledu(komunikaty::BLAD_ODCZYTU_CZASOW, EBADF);
    return EBADF;
  }
  linia->OdczytajCzasy(ZapamietaneCzasy);
  BiezaceCzasy = czasy;
  if (const int kod = linia->UstawCzasy(BiezaceCzasy); kod != 0) {
    ZapamietanieBledu(komunikaty::BLAD_CZASOW, kod);
    return kod;
  }
  return 0;
}

int32_t TComm::UstawCzasy(uint16_t zapisS, uint16_t odczytS) {
  return UstawCzasyMs(zapisS * 1000u, odczytS * 1000u);
}

int32_t TComm::UstawCzasyMs(uint32_t zapisMs, uint32_t odczytMs) {
  platforma::CzasyLinii c;
  c.odstepOdczytu = odczytMs == 0 ? platforma::BEZ_LIMITU : odczytMs;
  c.mnoznikOdczytu = 0;
  c.stalaOdczytu = odczytMs;
  c.mnoznikZapisu = 0;
  c.stalaZapisu = zapisMs;
  return ZastosujCzasy(c);
}

int32_t TComm::CzyscBuforNadawczy() {
  std::lock_guard<std::recursive_mutex> b(blokada_);
  const auto linia = Linia();
  return linia ? linia->Czysc(true, false) : 0;
}

int32_t TComm::CzyscBuforOdbiorczy() {
  std::lock_guard<std::recursive_mutex> b(blokada_);
  const auto linia = Linia();
  if (!linia) return 0;
  PorzucWczytaneNaprzod();
  return linia->Czysc(false, true);
}

uint32_t TComm::BajtyWKolejceWejscia() {
  std::lock_guard<std::recursive_mutex> b(blokada_);
  const auto linia = Linia();
  if (!linia || linia->WyczyscBledy(FlagiBledow, StanKolejek) != 0) return 0;
  StanKolejek.wejscie += WczytaneNaprzod();
  return StanKolejek.wejscie;
}

uint32_t TComm::WczytaneNaprzod() {
  std::lock_guard<std::mutex> b(blokadaKolejki_);
  return koniecKolejki_ - poczatekKolejki_;
}

void TComm::PorzucWczytaneNaprzod() {
  std::lock_guard<std::mutex> b(blokadaKolejki_);
  poczatekKolejki_ = koniecKolejki_ = 0;
}

namespace {

// The error record of a transfer that moved fewer bytes than it had to.
void ZapamietajZapis(const platforma::WynikTransferu& t) {
  if (t.przeniesiono != 0) return;
  switch (t.przebieg) {
    case PrzebiegTransferu::OdRazu: ZapamietanieBledu(komunikaty::NIEPOPRAWNY_ZAPIS, t.kod); break;
    case PrzebiegTransferu::BladStartu: ZapamietanieBledu(komunikaty::NIEPOPRAWNY_ZAPIS_DO_PORTU, t.kod); break;
    case PrzebiegTransferu::PoOczekiwaniu: ZapamietanieBledu(komunikaty::TIMEOUT_ZAPISU, t.kod); break;
    case PrzebiegTransferu::BladOczekiwania: ZapamietanieBledu(komunikaty::NIEPOPRAWNY_ZAPIS, t.kod); break;
    case PrzebiegTransferu::Przerwany: ZapamietanieBledu(komunikaty::ZAPIS_PRZERWANY, t.kod); break;
  }
}

void ZapamietajOdczyt(const platforma::WynikTransferu& t) {
  if (t.przeniesiono != 0) return;
  switch (t.przebieg) {
    case PrzebiegTransferu::OdRazu:
    case PrzebiegTransferu::BladStartu: ZapamietanieBledu(komunikaty::NIEPOPRAWNY_ODCZYT, t.kod); break;
    case PrzebiegTransferu::PoOczekiwaniu: ZapamietanieBledu(komunikaty::TIMEOUT_ODCZYTU, t.kod); break;
    case PrzebiegTransferu::BladOczekiwania:
      ZapamietanieBledu(t.kod == ECANCELED ? komunikaty::ODCZYT_PRZERWANY_PRZEZ_SYSTEM : komunikaty::NIEPOPRAWNY_ODCZYT,
                        t.kod);
      break;
    case PrzebiegTransferu::Przerwany: ZapamietanieBledu(komunikaty::ODCZYT_PRZERWANY, t.kod); break;
  }
}

}  // namespace

bool TComm::ZapiszBajt(uint8_t bajt) { return ZapiszBajty(&bajt, 1) == 1; }

uint32_t TComm::ZapiszBajty(const uint8_t* bajty, uint32_t ile) {
  StanWinserii& stan = Winseria();
  stan.FlagaTimeout = false;
  if (ZdarzenieZamkniecia.Ustawione()) {
    ZapamietanieBledu(komunikaty::ZAPIS_PRZERWANY, ECANCELED);
    return 0;
  }
  stan.FlagaTimeout = true;
  const auto linia = Linia();
  if (!linia) {
    ZapamietanieBledu(komunikaty::PORT_NIE_OTWARTY, -1);
    return 0;
  }
  const platforma::WynikTransferu t = linia->Zapisz(bajty, ile);
  ZapamietajZapis(t);
  stan.FlagaTimeout = t.przeniesiono == 0;
  return t.przeniesiono;
}

bool TComm::CzytajBajt(uint8_t& bajt, uint32_t zapowiedziane) {
  StanWinserii& stan = Winseria();
  stan.FlagaTimeout = false;
  bladLinii_ = false;
  // The bytes due count down through one answer; a count that does not go
  // on from the last one starts another answer.
  if (zapowiedziane == 0 || zapowiedziane + 1 != ostatniaZapowiedz_) przespanaOdpowiedz_ = false;
  ostatniaZapowiedz_ = zapowiedziane;
  if (ZdarzenieZamkniecia.Ustawione()) {
    ZapamietanieBledu(komunikaty::ODCZYT_PRZERWANY, ECANCELED);
    return false;
  }
  {
    std::lock_guard<std::mutex> b(blokadaKolejki_);
    if (poczatekKolejki_ < koniecKolejki_) {
      bajt = kolejka_[poczatekKolejki_++];
      return true;
    }
  }
  stan.FlagaTimeout = true;
  const auto linia = Linia();
  if (!linia) {
    ZapamietanieBledu(komunikaty::PORT_NIE_OTWARTY, -1);
    return false;
  }
  // One sleep an answer: bytes still missing after it are late rather than
  // on their way (a loaded far end, a USB adapter's timer), so they are
  // waited for as they come.
  const uint32_t drzemka = przespanaOdpowiedz_ ? 0 : std::min(zapowiedziane, POJEMNOSC_KOLEJKI);
  if (drzemka > 1) przespanaOdpowiedz_ = true;
  std::array<uint8_t, POJEMNOSC_KOLEJKI> bufor;
  const platforma::WynikTransferu t = linia->Czytaj(bufor.data(), POJEMNOSC_KOLEJKI, 1, drzemka);
  ZapamietajOdczyt(t);
  stan.FlagaTimeout = t.przeniesiono == 0;
  if (t.przeniesiono == 0) return false;
  if (t.bledyLinii != 0) {
    // Damaged bytes are no data: the read fails at once, as a cut answer
    // would, and the record says what the line did.
    FlagiBledow = t.bledyLinii;
    ZapamietanieBledowLinii(t.bledyLinii);
    stan.FlagaTimeout = false;
    bladLinii_ = true;
    return false;
  }
  bajt = bufor[0];
  std::lock_guard<std::mutex> b(blokadaKolejki_);
  // Only the caller reads, so the queue is still empty: the rest goes to its start.
  std::copy(bufor.begin() + 1, bufor.begin() + t.przeniesiono, kolejka_.begin());
  poczatekKolejki_ = 0;
  koniecKolejki_ = t.przeniesiono - 1;
  return true;
}

bool TComm::UstawLinieSterujaca(platforma::Sterowanie linia, bool wlaczona) {
  std::lock_guard<std::recursive_mutex> b(blokada_);
  const auto l = Linia();
  return l && l->UstawSterowanie(linia, wlaczona) == 0;
}

uint8_t TComm::StanLiniiModemu() {
  std::lock_guard<std::recursive_mutex> b(blokada_);
  const auto linia = Linia();
  uint8_t stan = 0;
  if (linia && linia->StanModemu(stan) != 0) stan = 0;
  return stan;
}

bool TComm::OproznijWyjscie() {
  std::lock_guard<std::recursive_mutex> b(blokada_);
  const auto linia = Linia();
  return linia && linia->Oproznij() == 0;
}

bool TComm::Zerwany() const {
  const auto linia = Linia();
  return linia && linia->Zerwana();
}

platforma::NiskieOpoznienie TComm::Opoznienie() const {
  const auto linia = Linia();
  return linia ? linia->Opoznienie() : platforma::NiskieOpoznienie::Niedostepne;
}

void TComm::ZebranieBledowLinii() {
  std::lock_guard<std::recursive_mutex> b(blokada_);
  const auto linia = Linia();
  platforma::StanKolejek stan;
  uint32_t flagi = 0;
  if (!linia || linia->WyczyscBledy(flagi, stan) != 0 || flagi == 0) return;
  FlagiBledow = flagi;
  ZapamietanieBledowLinii(flagi);
}

void TComm::ZapamietanieBledowLinii(uint32_t flagi) {
  for (const auto& blad : komunikaty::BLEDY_LINII)
    if (flagi & blad.flaga) ZapamietanieBledu(blad.komunikat, static_cast<int32_t>(blad.flaga));
}
