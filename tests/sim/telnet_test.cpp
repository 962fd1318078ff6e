#include <gtest/gtest.h>

#include "link/telnet.h"

using namespace sim::telnet;
using sim::Bajty;

namespace {

Bajty Sb(uint8_t polecenie, Bajty dane) {
  Bajty b{IAC, SB, COM_PORT, polecenie};
  for (uint8_t x : dane) {
    b.push_back(x);
    if (x == IAC) b.push_back(IAC);
  }
  b.insert(b.end(), {IAC, SE});
  return b;
}

Zdarzenia Odbierz(Serwer& s, Bajty wejscie) {
  Zdarzenia z;
  s.Odebrano(wejscie, z);
  return z;
}

}  // namespace

TEST(Telnet, NegotiatesWithoutLooping) {
  Serwer s;
  EXPECT_EQ(s.Powitanie(), (Bajty{IAC, WILL, BINARY, IAC, DO, BINARY, IAC, WILL, SGA, IAC, DO, SGA, IAC, DO, COM_PORT}));
  // Answers to our own offers need no reply; a client's own offer does.
  EXPECT_TRUE(Odbierz(s, {IAC, DO, BINARY, IAC, WILL, BINARY, IAC, WILL, COM_PORT}).doKlienta.empty());
  EXPECT_TRUE(s.ComPort());
  EXPECT_EQ(Odbierz(s, {IAC, WILL, 24}).doKlienta, (Bajty{IAC, DONT, 24}));
  EXPECT_EQ(Odbierz(s, {IAC, DO, 1}).doKlienta, (Bajty{IAC, WONT, 1}));
  EXPECT_TRUE(Odbierz(s, {IAC, WILL, COM_PORT}).doKlienta.empty());  // already on
  EXPECT_EQ(Odbierz(s, {IAC, WONT, BINARY}).doKlienta, (Bajty{IAC, DONT, BINARY}));
  EXPECT_TRUE(Odbierz(s, {IAC, WONT, BINARY}).doKlienta.empty());
}

TEST(Telnet, UndoublesDataAndKeepsSplitCommands) {
  Serwer s;
  s.Powitanie();
  Odbierz(s, {IAC, WILL, BINARY, IAC, DO, BINARY});
  Zdarzenia z;
  s.Odebrano(Bajty{0x1B, IAC}, z);
  s.Odebrano(Bajty{IAC, 0x06, IAC}, z);
  s.Odebrano(Bajty{241, 0x0D, 0x00}, z);
  EXPECT_EQ(z.dane, (Bajty{0x1B, 0xFF, 0x06, 0x0D, 0x00}));  // binary: CR NUL is data
  EXPECT_EQ(s.Dane(Bajty{0xFF, 0x0D, 0x01}), (Bajty{0xFF, 0xFF, 0x0D, 0x01}));
}

TEST(Telnet, WithoutBinaryModeCrTravelsAsCrNul) {
  Serwer s;
  s.Powitanie();
  Odbierz(s, {IAC, WONT, BINARY, IAC, DONT, BINARY});
  EXPECT_EQ(Odbierz(s, {'a', 0x0D, 0x00, 'b'}).dane, (Bajty{'a', 0x0D, 'b'}));
  EXPECT_EQ(s.Dane(Bajty{0x0D}), (Bajty{0x0D, 0x00}));
}

TEST(Telnet, AnswersTheComPortCommandsAndReportsChanges) {
  Serwer s;
  s.Powitanie();
  Odbierz(s, {IAC, WILL, COM_PORT});
  auto z = Odbierz(s, Sb(SET_BAUDRATE, {0x00, 0x00, 0x4B, 0x00}));
  EXPECT_TRUE(z.zmianaPredkosci);
  EXPECT_EQ(s.Port().predkosc, 19200u);
  EXPECT_EQ(z.doKlienta, Sb(SET_BAUDRATE + 100, {0x00, 0x00, 0x4B, 0x00}));
  // A value with 0xFF inside, doubled on the wire.
  z = Odbierz(s, Sb(SET_BAUDRATE, {0x00, 0x00, 0x00, 0xFF}));
  EXPECT_EQ(s.Port().predkosc, 255u);
  z = Odbierz(s, Sb(SET_BAUDRATE, {0, 0, 0, 0}));  // a query changes nothing
  EXPECT_FALSE(z.zmianaPredkosci);
  EXPECT_EQ(z.doKlienta, Sb(SET_BAUDRATE + 100, {0, 0, 0, 0xFF}));

  const struct { uint8_t wartosc, odpowiedz; bool dtr, rts, zmiana; } sterowanie[] = {
      {8, 8, true, false, true}, {11, 11, true, true, true}, {11, 11, true, true, false},
      {7, 8, true, true, false}, {9, 9, false, true, true},  {10, 11, false, true, false},
      {12, 12, false, false, true}, {0, 1, false, false, false}, {3, 3, false, false, false},
  };
  for (const auto& c : sterowanie) {
    z = Odbierz(s, Sb(SET_CONTROL, {c.wartosc}));
    EXPECT_EQ(z.doKlienta, Sb(SET_CONTROL + 100, {c.odpowiedz})) << int(c.wartosc);
    EXPECT_EQ(s.Port().dtr, c.dtr) << int(c.wartosc);
    EXPECT_EQ(s.Port().rts, c.rts) << int(c.wartosc);
    EXPECT_EQ(z.zmianaLinii, c.zmiana) << int(c.wartosc);
  }
  z = Odbierz(s, Sb(SET_PARITY, {3}));
  EXPECT_TRUE(z.zmianaRamki);
  EXPECT_EQ(s.Port().parzystosc, 3);
  EXPECT_TRUE(Odbierz(s, Sb(PURGE_DATA, {3})).czyszczenie);
  EXPECT_EQ(Odbierz(s, Sb(SIGNATURE, {})).doKlienta, Sb(SIGNATURE + 100, {'k', 'a', 'r', 'v', 'o', '-', 's', 'i', 'm'}));
}

TEST(Telnet, NotifiesTheModemStateWithItsDeltasOnceComPortIsOn) {
  Serwer s;
  s.Powitanie();
  EXPECT_TRUE(s.StanModemu(0x30).empty());  // the client has not agreed to COM-PORT-OPTION
  Odbierz(s, {IAC, WILL, COM_PORT});
  EXPECT_EQ(s.StanModemu(0x30), Sb(NOTIFY_MODEMSTATE + 100, {0x33}));
  EXPECT_TRUE(s.StanModemu(0x30).empty());
  EXPECT_EQ(s.StanModemu(0xB0), Sb(NOTIFY_MODEMSTATE + 100, {0xB8}));
  Odbierz(s, Sb(SET_MODEMSTATE_MASK, {0x80}));
  EXPECT_EQ(s.StanModemu(0xB0), Sb(NOTIFY_MODEMSTATE + 100, {0x80}));
}

TEST(Telnet, AnswersARequestForTheModemStateAtOnce) {
  Serwer s;
  s.Powitanie();
  Odbierz(s, {IAC, WILL, COM_PORT});
  s.Linie(0xB0);
  EXPECT_EQ(s.StanModemu(0xB0), Sb(NOTIFY_MODEMSTATE + 100, {0xBB}));
  // Unchanged lines go out again when the client asks (a polling client), and
  // a new mask is followed by the lines under it, before any later answer.
  EXPECT_EQ(Odbierz(s, Sb(NOTIFY_MODEMSTATE, {})).doKlienta, Sb(NOTIFY_MODEMSTATE + 100, {0xB0}));
  Bajty oczekiwane = Sb(SET_MODEMSTATE_MASK + 100, {0x80});
  const Bajty stan = Sb(NOTIFY_MODEMSTATE + 100, {0x80});
  oczekiwane.insert(oczekiwane.end(), stan.begin(), stan.end());
  const Bajty czysc = Sb(PURGE_DATA + 100, {3});
  oczekiwane.insert(oczekiwane.end(), czysc.begin(), czysc.end());
  Bajty wejscie = Sb(SET_MODEMSTATE_MASK, {0x80});
  const Bajty purge = Sb(PURGE_DATA, {3});
  wejscie.insert(wejscie.end(), purge.begin(), purge.end());
  EXPECT_EQ(Odbierz(s, wejscie).doKlienta, oczekiwane);
}
