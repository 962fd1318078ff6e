// An answer's rest waited for as a whole: once its first byte is in, the port
// sleeps for the line time of the bytes still due and takes them in one read,
// waiting again only for what is missing. The time-outs keep their meaning,
// the close and a signal to end cut the sleep short, a purge during it drops
// what came before it; a line error among the bytes read fails the read.
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <deque>
#include <thread>

#include "include/karvo.h"
#include "platform/comm_latency.h"
#include "platform/process.h"
#include "serial/kolejka_wejscia.h"
#include "serial/komunikaty.h"
#include "serial/stan_winserii.h"
#include "serial/tcomm.h"
#include "serial_test_support.h"

using namespace std::chrono_literals;

namespace {

long DobrowolnePrzelaczenia() {
  rusage r{};
  getrusage(RUSAGE_THREAD, &r);
  return r.ru_nvcsw;
}

// 9600 bit/s with even parity: 11 bits, 1.15 ms a byte.
class OdpowiedzWCalosci : public TestPortow {
 protected:
  void SetUp() override {
    TestPortow::SetUp();
    ASSERT_GE(pty_.urzadzenie, 0);
    MapaPortow({"COM1\t" + pty_.nazwa});
    ASSERT_EQ(InitializePort(1, 9600, 1, 1), 0) << PobierzBlad().komunikat;
  }
  // The register's answer, one byte each odstep, from a thread of its own.
  std::thread Nadawanie(std::vector<uint8_t> bajty, std::chrono::microseconds odstep,
                        std::chrono::milliseconds przerwaPo = 0ms, size_t ilePrzedPrzerwa = SIZE_MAX) {
    return std::thread([=, this] {
      for (size_t i = 0; i < bajty.size(); ++i) {
        if (i == ilePrzedPrzerwa) std::this_thread::sleep_for(przerwaPo);
        pty_.Pisz({bajty[i]});
        std::this_thread::sleep_for(odstep);
      }
    });
  }
  static std::vector<uint8_t> Kolejne(uint8_t ile) {
    std::vector<uint8_t> v;
    for (uint8_t i = 0; i < ile; ++i) v.push_back(static_cast<uint8_t>(0x30 + i));
    return v;
  }
  // Reads the answer as the engine does: the first byte alone, the rest announced.
  std::vector<uint8_t> Odpowiedz(size_t ile) {
    std::vector<uint8_t> wynik;
    uint8_t b = 0;
    if (ReadByte(&b) != 1) return wynik;
    wynik.push_back(b);
    for (size_t i = 1; i < ile; ++i) {
      if (OdczytBajtuOdpowiedzi(&b, static_cast<uint32_t>(ile - i)) != 1) break;
      wynik.push_back(b);
    }
    return wynik;
  }
  ParaPty pty_;
};

struct PrzypadekNadawania {
  const char* nazwa;
  std::chrono::microseconds odstep;
  size_t przerwaPo;  // the bytes before a pause of 150 ms (SIZE_MAX: none)
  long najwiecejPrzelaczen;
};

// All at once, one by one at the line's pace, and with a pause in the middle:
// every byte arrives in order, and a paced answer costs fewer wake-ups than bytes (the
// bounds leave room for a loaded machine; the late rest is read as it comes, never in a spin).
TEST_F(OdpowiedzWCalosci, EveryByteArrivesInOrderWithFewWakeUps) {
  const PrzypadekNadawania przypadki[] = {
      {"all at once", 0us, SIZE_MAX, 8},
      {"paced", 1150us, SIZE_MAX, 24},
      // After the one sleep of an answer the late rest is taken as it comes.
      {"some late", 1150us, 8, 64},
  };
  for (const auto& p : przypadki) {
    ClearPort();
    const auto bajty = Kolejne(30);
    std::thread nadawca = Nadawanie(bajty, p.odstep, 150ms, p.przerwaPo);
    const long przed = DobrowolnePrzelaczenia();
    const auto odebrane = Odpowiedz(bajty.size());
    const long przelaczenia = DobrowolnePrzelaczenia() - przed;
    nadawca.join();
    EXPECT_EQ(odebrane, bajty) << p.nazwa;
    EXPECT_LE(przelaczenia, p.najwiecejPrzelaczen) << p.nazwa << ": 30 bytes read one wake-up a byte";
    EXPECT_EQ(TimeOut(), 0) << p.nazwa;
  }
}

// The last byte later than its time-out still ends the answer, after the
// time-out counted from that byte's read, as without the announcement.
TEST_F(OdpowiedzWCalosci, AByteLaterThanItsTimeOutStillFailsTheRead) {
  ASSERT_EQ(MsSetTimeouts(1000, 200), 1);
  const auto bajty = Kolejne(10);
  std::thread nadawca = Nadawanie(bajty, 0us, 500ms, 9);
  std::vector<uint8_t> odebrane;
  const long long ms = CzasMs([&] { odebrane = Odpowiedz(bajty.size()); });
  nadawca.join();
  EXPECT_EQ(odebrane, std::vector<uint8_t>(bajty.begin(), bajty.begin() + 9));
  EXPECT_GE(ms, 190);
  EXPECT_LT(ms, 480) << "the late byte was waited for past its time-out";
  EXPECT_EQ(TimeOut(), 1);
  EXPECT_EQ(PobierzBlad().komunikat, komunikaty::TIMEOUT_ODCZYTU);
}

// Nothing waits out the rest of a long answer (2 000 bytes: 2.3 s at 9600
// bit/s) when it may not: a read time-out of 0 never sleeps, and a signal to
// end or a close from another thread cuts the sleep short (the close last:
// the port is gone after it).
TEST_F(OdpowiedzWCalosci, ALongRestIsNotWaitedOutWhenTheReadMayNotWait) {
  const struct {
    const char* nazwa;
    uint32_t czasOdczytuMs;
    void (*w50ms)();  // from another thread, 50 ms into the read
    const char* komunikat;
  } przypadki[] = {
      {"time-out 0", 0, nullptr, nullptr},
      {"signal to end",
       1000,
       [] {
         platforma::WatekBezSygnalowKonca();
         ::kill(::getpid(), SIGTERM);
       },
       komunikaty::ODCZYT_PRZERWANY},
      {"close", 1000, [] { UnInitializePort(); }, nullptr},
  };
  platforma::PrzechwytywanieSygnalowKonca();
  for (const auto& p : przypadki) {
    ASSERT_EQ(MsSetTimeouts(1000, p.czasOdczytuMs), 1) << p.nazwa;
    std::thread przerwanie([&] {
      std::this_thread::sleep_for(50ms);
      if (p.w50ms) p.w50ms();
    });
    uint8_t b = 0;
    const long long ms = CzasMs([&] { EXPECT_EQ(OdczytBajtuOdpowiedzi(&b, 2000), 0) << p.nazwa; });
    przerwanie.join();
    EXPECT_LT(ms, p.w50ms ? 1500 : 100) << p.nazwa;
    if (p.komunikat) EXPECT_EQ(PobierzBlad().komunikat, p.komunikat) << p.nazwa;
    platforma::ZapomnienieSygnaluKonca();
  }
  ::signal(SIGTERM, SIG_DFL);
}

// A purge during the sleep drops what came before it: the read takes what came after.
TEST_F(OdpowiedzWCalosci, APurgeDuringTheSleepDropsWhatCameBeforeIt) {
  pty_.Pisz({0xA1, 0xA2, 0xA3});
  std::thread czyszczenie([this] {
    std::this_thread::sleep_for(30ms);
    ClearPort();
    pty_.Pisz({0xB1});
  });
  uint8_t b = 0;
  // 100 bytes: a sleep of 115 ms.
  EXPECT_EQ(OdczytBajtuOdpowiedzi(&b, 100), 1);
  czyszczenie.join();
  EXPECT_EQ(b, 0xB1);
  EXPECT_EQ(BajtyWKolejceWejscia(), 0u);
}

// ---- a line of the test's own behind the port ----

class LiniaTestowa final : public platforma::Linia {
 public:
  struct Odczyt {
    std::vector<uint8_t> bajty;
    uint32_t bledy;
  };
  std::deque<Odczyt>* odczyty = nullptr;
  uint32_t bledyCzekajace = 0;
  int UstawParametry(const platforma::UstawieniaLinii&) override { return 0; }
  int UstawKolejki(uint32_t, uint32_t) override { return 0; }
  int Czysc(bool, bool) override { return 0; }
  platforma::WynikTransferu Zapisz(const uint8_t*, uint32_t ile) override { return {{}, ile, 0}; }
  platforma::WynikTransferu Czytaj(uint8_t* bajty, uint32_t ile, uint32_t, uint32_t) override {
    if (odczyty->empty()) return {platforma::PrzebiegTransferu::PoOczekiwaniu, 0, ETIMEDOUT};
    const Odczyt o = odczyty->front();
    odczyty->pop_front();
    const uint32_t n = std::min<uint32_t>(ile, static_cast<uint32_t>(o.bajty.size()));
    std::copy(o.bajty.begin(), o.bajty.begin() + n, bajty);
    return {platforma::PrzebiegTransferu::OdRazu, n, 0, o.bledy};
  }
  int Oproznij() override { return 0; }
  int UstawSterowanie(platforma::Sterowanie, bool) override { return 0; }
  int StanModemu(uint8_t& stan) override { return stan = 0, 0; }
  int WyczyscBledy(uint32_t& flagi, platforma::StanKolejek& stan) override {
    flagi = bledyCzekajace;
    bledyCzekajace = 0;
    stan = {};
    return 0;
  }
  void Przerwij() override {}
  intptr_t Uchwyt() const override { return 99; }
};

struct PortTestowy : TComm {
  std::deque<LiniaTestowa::Odczyt> odczyty;
  LiniaTestowa* linia = nullptr;
  int32_t OtworzUrzadzenie() override {
    auto l = std::make_unique<LiniaTestowa>();
    l->odczyty = &odczyty;
    linia = l.get();
    PrzyjecieLinii(std::move(l));
    return 0;
  }
};

// The device's counts of framing, parity, overrun and break errors taken
// around the bytes of a read: a read whose bytes came with an error fails
// at once and records the errors in their order, the last one staying.
TEST(BledyLiniiPortu, ADamagedReadFailsAndIsRecordedAtThatCall) {
  const struct {
    uint32_t flagi;
    int32_t kod;  // the last message's code
  } przypadki[] = {
      {0x08, 0x08}, {0x10, 0x10}, {0x04, 0x04}, {0x02, 0x02}, {0x10 | 0x08, 0x08}, {0x10 | 0x04 | 0x02, 0x04},
  };
  for (const auto& p : przypadki) {
    PortTestowy port;
    ASSERT_EQ(port.Otworz(), 0);
    port.odczyty = {{{0x06}, 0}, {{0x11, 0x00, 0x13}, p.flagi}, {{0x21}, 0}};
    uint8_t b = 0;
    ASSERT_TRUE(port.CzytajBajt(b));
    EXPECT_EQ(b, 0x06);
    EXPECT_FALSE(port.CzytajBajt(b, 3)) << "damaged bytes taken as data";
    EXPECT_TRUE(port.OdczytZBledemLinii());
    EXPECT_EQ(TimeOut(), 0) << "not a time-out";
    const Blad blad = PobierzBlad();
    EXPECT_EQ(blad.kod, p.kod) << std::hex << p.flagi;
    // Nothing of the damaged read is left behind: the next read is the next bytes.
    ASSERT_TRUE(port.CzytajBajt(b));
    EXPECT_EQ(b, 0x21);
    EXPECT_FALSE(port.OdczytZBledemLinii());
    port.Zamknij();
  }
}

// An error the device reported while no read was going on reaches IsError
// when the record is asked for.
TEST(BledyLiniiPortu, AnErrorBetweenReadsReachesIsError) {
  auto& wpis = Winseria().TablicaPortow[Winseria().ComSelector];
  auto port = std::make_unique<PortTestowy>();
  ASSERT_EQ(port->Otworz(), 0);
  port->linia->bledyCzekajace = 0x10;
  wpis = std::move(port);
  const Blad blad = PobierzBlad();
  EXPECT_EQ(blad.kod, 0x10);
  EXPECT_EQ(blad.komunikat, komunikaty::BLEDY_LINII[0].komunikat);
  EXPECT_FALSE(PobierzBlad().jest) << "reported once";
  wpis.reset();
}

// ---- the low-latency setting of a USB adapter ----

struct UrzadzenieTestowe {
  bool maUstawienie = true;  // the driver has the setting at all
  bool przyjmuje = true;     // it keeps a change
  int flagi = 0x40;
  int zmiany = 0;
  platforma::OperacjeOpoznienia Operacje() {
    return {[this](int& f) { return maUstawienie ? (f = flagi, 0) : ENOTTY; },
            [this](int f) {
              if (!maUstawienie) return ENOTTY;
              ++zmiany;
              if (przyjmuje) flagi = f;
              return 0;
            }};
  }
};

TEST(NiskieOpoznienie, IsAskedForOnOpenAndPutBackAtTheClose) {
  using platforma::NiskieOpoznienie;
  const int NISKIE = platforma::FLAGA_NISKIEGO_OPOZNIENIA;
  const struct {
    const char* nazwa;
    UrzadzenieTestowe urzadzenie;
    NiskieOpoznienie stan;
    int flagiPoOtwarciu, flagiPoZamknieciu, zmiany;
  } przypadki[] = {
      {"an adapter", {true, true, 0x40}, NiskieOpoznienie::Wlaczone, 0x40 | NISKIE, 0x40, 2},
      {"already set", {true, true, 0x40 | NISKIE}, NiskieOpoznienie::JuzBylo, 0x40 | NISKIE, 0x40 | NISKIE, 0},
      {"no such setting (a pty)", {false, true, 0}, NiskieOpoznienie::Niedostepne, 0, 0, 0},
      {"ignores the request", {true, false, 0x40}, NiskieOpoznienie::Odmowa, 0x40, 0x40, 1},
  };
  for (auto p : przypadki) {
    const auto operacje = p.urzadzenie.Operacje();
    const NiskieOpoznienie stan = platforma::WlaczenieNiskiegoOpoznienia(operacje);
    EXPECT_EQ(stan, p.stan) << p.nazwa;
    EXPECT_EQ(p.urzadzenie.flagi, p.flagiPoOtwarciu) << p.nazwa;
    platforma::PrzywrocenieOpoznienia(operacje, stan);
    EXPECT_EQ(p.urzadzenie.flagi, p.flagiPoZamknieciu) << p.nazwa;
    EXPECT_EQ(p.urzadzenie.zmiany, p.zmiany) << p.nazwa;
    EXPECT_NE(std::string(platforma::OpisOpoznienia(stan)), "") << p.nazwa;
  }
}

// A pseudo-terminal has no such setting: the port opens as it is and says so.
TEST_F(OdpowiedzWCalosci, APseudoTerminalIsUsedAsItIs) {
  EXPECT_EQ(std::string(OpisOpoznieniaPortu()), platforma::OpisOpoznienia(platforma::NiskieOpoznienie::Niedostepne));
}

}  // namespace
