#include "link/telnet.h"

namespace sim::telnet {
namespace {

bool Obslugiwana(uint8_t opcja) { return opcja == BINARY || opcja == SGA || opcja == COM_PORT; }

void Dodaj(Bajty& wyjscie, std::initializer_list<uint8_t> bajty) { wyjscie.insert(wyjscie.end(), bajty); }

}  // namespace

Bajty Serwer::Powitanie() {
  Bajty b;
  Dodaj(b, {IAC, WILL, BINARY, IAC, DO, BINARY, IAC, WILL, SGA, IAC, DO, SGA, IAC, DO, COM_PORT});
  zadaneMoje_.set(BINARY);
  zadaneMoje_.set(SGA);
  zadaneJego_.set(BINARY);
  zadaneJego_.set(SGA);
  zadaneJego_.set(COM_PORT);
  return b;
}

// Each side's options follow RFC 1143 far enough never to loop: a request is
// answered only when it changes the state and was not our own question.
void Serwer::Opcja(uint8_t polecenie, uint8_t opcja, Bajty& wyjscie) {
  switch (polecenie) {
    case WILL:
      if (!Obslugiwana(opcja)) {
        Dodaj(wyjscie, {IAC, DONT, opcja});
      } else if (!jego_.test(opcja)) {
        jego_.set(opcja);
        if (!zadaneJego_.test(opcja)) Dodaj(wyjscie, {IAC, DO, opcja});
      }
      zadaneJego_.reset(opcja);
      break;
    case WONT:
      if (jego_.test(opcja) && !zadaneJego_.test(opcja)) Dodaj(wyjscie, {IAC, DONT, opcja});
      jego_.reset(opcja);
      zadaneJego_.reset(opcja);
      break;
    case DO:
      if (!Obslugiwana(opcja)) {
        Dodaj(wyjscie, {IAC, WONT, opcja});
      } else if (!moje_.test(opcja)) {
        moje_.set(opcja);
        if (!zadaneMoje_.test(opcja)) Dodaj(wyjscie, {IAC, WILL, opcja});
      }
      zadaneMoje_.reset(opcja);
      break;
    case DONT:
      if (moje_.test(opcja) && !zadaneMoje_.test(opcja)) Dodaj(wyjscie, {IAC, WONT, opcja});
      moje_.reset(opcja);
      zadaneMoje_.reset(opcja);
      break;
  }
}

void Serwer::Odpowiedz(uint8_t polecenie, std::span<const uint8_t> dane, Bajty& wyjscie) const {
  Dodaj(wyjscie, {IAC, SB, COM_PORT, static_cast<uint8_t>(polecenie + ODPOWIEDZ)});
  for (uint8_t b : dane) {
    wyjscie.push_back(b);
    if (b == IAC) wyjscie.push_back(IAC);
  }
  Dodaj(wyjscie, {IAC, SE});
}

void Serwer::Podnegocjacja(Zdarzenia& z) {
  if (sb_.size() < 2 || sb_[0] != COM_PORT) return;
  const uint8_t polecenie = sb_[1];
  const std::span<const uint8_t> dane(sb_.data() + 2, sb_.size() - 2);
  const uint8_t wartosc = dane.empty() ? 0 : dane[0];
  auto jeden = [&](uint8_t& pole, bool& zmiana) {
    if (wartosc != 0 && pole != wartosc) {
      pole = wartosc;
      zmiana = true;
    }
    const uint8_t b = pole;
    Odpowiedz(polecenie, {&b, 1}, z.doKlienta);
  };
  switch (polecenie) {
    case SIGNATURE: {
      if (!dane.empty()) break;  // the client's own signature: nothing to answer
      static const char Podpis[] = "karvo-sim";
      Odpowiedz(polecenie, {reinterpret_cast<const uint8_t*>(Podpis), sizeof Podpis - 1}, z.doKlienta);
      break;
    }
    case SET_BAUDRATE: {
      if (dane.size() < 4) break;
      const uint32_t baud = (uint32_t(dane[0]) << 24) | (uint32_t(dane[1]) << 16) | (uint32_t(dane[2]) << 8) | dane[3];
      if (baud != 0 && baud != port_.predkosc) {
        port_.predkosc = baud;
        z.zmianaPredkosci = true;
      }
      const uint8_t b[4] = {uint8_t(port_.predkosc >> 24), uint8_t(port_.predkosc >> 16), uint8_t(port_.predkosc >> 8),
                            uint8_t(port_.predkosc)};
      Odpowiedz(polecenie, b, z.doKlienta);
      break;
    }
    case SET_DATASIZE: jeden(port_.bity, z.zmianaRamki); break;
    case SET_PARITY: jeden(port_.parzystosc, z.zmianaRamki); break;
    case SET_STOPSIZE: jeden(port_.stop, z.zmianaRamki); break;
    case SET_CONTROL: {
      uint8_t odpowiedz = wartosc;
      switch (wartosc) {
        case 0: odpowiedz = port_.przeplyw; break;
        case 1: case 2: case 3: port_.przeplyw = wartosc; break;
        case 4: odpowiedz = 6; break;  // break state: off
        case 7: odpowiedz = port_.dtr ? 8 : 9; break;
        case 8: case 9:
          z.zmianaLinii |= port_.dtr != (wartosc == 8);
          port_.dtr = wartosc == 8;
          break;
        case 10: odpowiedz = port_.rts ? 11 : 12; break;
        case 11: case 12:
          z.zmianaLinii |= port_.rts != (wartosc == 11);
          port_.rts = wartosc == 11;
          break;
        default: break;  // break on/off and the inbound flow settings: acknowledged as asked
      }
      Odpowiedz(polecenie, {&odpowiedz, 1}, z.doKlienta);
      break;
    }
    case SET_LINESTATE_MASK:
      port_.maskaLinii = wartosc;
      Odpowiedz(polecenie, {&wartosc, 1}, z.doKlienta);
      break;
    case SET_MODEMSTATE_MASK: {
      port_.maskaModemu = wartosc;
      Odpowiedz(polecenie, {&wartosc, 1}, z.doKlienta);
      modem_ = -1;  // the state goes out under the new mask
      const Bajty stan = StanModemu(linie_);
      z.doKlienta.insert(z.doKlienta.end(), stan.begin(), stan.end());
      break;
    }
    case NOTIFY_MODEMSTATE: {
      // The client asks for the lines (RFC 2217 clients poll this way).
      const Bajty stan = Zawiadomienie(linie_);
      z.doKlienta.insert(z.doKlienta.end(), stan.begin(), stan.end());
      break;
    }
    case PURGE_DATA:
      z.czyszczenie = true;
      Odpowiedz(polecenie, {&wartosc, 1}, z.doKlienta);
      break;
    default: break;  // notifications and flow suspend/resume need no answer
  }
}

void Serwer::Odebrano(std::span<const uint8_t> wejscie, Zdarzenia& z) {
  for (uint8_t b : wejscie) {
    switch (tryb_) {
      case Tryb::Dane:
        if (b == IAC) {
          tryb_ = Tryb::Iac;
          break;
        }
        // Without binary mode the client sends CR as CR NUL.
        if (poCr_ && b == 0 && !jego_.test(BINARY)) {
          poCr_ = false;
          break;
        }
        poCr_ = b == '\r';
        z.dane.push_back(b);
        break;
      case Tryb::Iac:
        poCr_ = false;
        if (b == IAC) {
          z.dane.push_back(IAC);
          tryb_ = Tryb::Dane;
        } else if (b == WILL || b == WONT || b == DO || b == DONT) {
          polecenie_ = b;
          tryb_ = Tryb::Opcja;
        } else if (b == SB) {
          sb_.clear();
          tryb_ = Tryb::Sb;
        } else {
          tryb_ = Tryb::Dane;  // NOP, go-ahead and the other commands carry nothing
        }
        break;
      case Tryb::Opcja:
        Opcja(polecenie_, b, z.doKlienta);
        tryb_ = Tryb::Dane;
        break;
      case Tryb::Sb:
        if (b == IAC) tryb_ = Tryb::SbIac;
        else if (sb_.size() < 256) sb_.push_back(b);
        break;
      case Tryb::SbIac:
        if (b == SE) {
          Podnegocjacja(z);
          tryb_ = Tryb::Dane;
        } else {
          if (sb_.size() < 256) sb_.push_back(b);  // IAC IAC inside the subnegotiation is one 0xFF
          tryb_ = Tryb::Sb;
        }
        break;
    }
  }
}

Bajty Serwer::Dane(std::span<const uint8_t> dane) const {
  Bajty wynik;
  wynik.reserve(dane.size() + 4);
  for (uint8_t b : dane) {
    wynik.push_back(b);
    if (b == IAC) wynik.push_back(IAC);
    else if (b == '\r' && !moje_.test(BINARY)) wynik.push_back(0);
  }
  return wynik;
}

Bajty Serwer::StanModemu(uint8_t stan) {
  if (!ComPort() || modem_ == (stan & 0xF0)) return {};
  return Zawiadomienie(stan);
}

Bajty Serwer::StanLinii(uint8_t bledy) const {
  const uint8_t bajt = bledy & port_.maskaLinii;
  if (!ComPort() || bajt == 0) return {};
  Bajty wynik;
  Odpowiedz(NOTIFY_LINESTATE, {&bajt, 1}, wynik);
  return wynik;
}

Bajty Serwer::Zawiadomienie(uint8_t stan) {
  const uint8_t linie = stan & 0xF0;
  // The delta bits tell which lines changed since the last notice.
  const uint8_t poprzednie = modem_ < 0 ? 0 : static_cast<uint8_t>(modem_);
  const uint8_t zmiany = poprzednie ^ linie;
  uint8_t bajt = linie;
  if (zmiany & CTS) bajt |= 0x01;
  if (zmiany & DSR) bajt |= 0x02;
  if ((zmiany & RI) && !(linie & RI)) bajt |= 0x04;
  if (zmiany & CD) bajt |= 0x08;
  modem_ = linie;
  bajt &= port_.maskaModemu;
  Bajty wynik;
  Odpowiedz(NOTIFY_MODEMSTATE, {&bajt, 1}, wynik);
  return wynik;
}

}  // namespace sim::telnet
