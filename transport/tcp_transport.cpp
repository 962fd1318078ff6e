#include "transport/tcp_transport.h"

#include <algorithm>
#include <cstring>

#include "include/karvo.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "platform/sockets.h"
#include "state/result_codes.h"
#include "state/session_state.h"

namespace {

constexpr uint16_t PORT_STEROWANIA = 65535;  // UDP control port of the network port servers
constexpr char POTWIERDZENIE = 'A';

// The counted start of the socket library: Linux has nothing to start, but the
// count keeps the calls paired as the callers expect.
uint8_t LicznikUzyc = 0;

// One socket is open at a time.
struct Gniazdo {
  int32_t Uchwyt = -1;
  int32_t CzasOdbioru = 0;  // seconds
  bool Strumien = false;    // TCP: what has come is read ahead; UDP: one byte of each datagram
} Otwarte;

// What one receive took from a TCP stream beyond the byte asked for: a
// module's answer frame comes in one segment, and is then taken in one call.
struct Wczytane {
  uint8_t Bajty[1024];
  std::size_t Poczatek = 0, Koniec = 0;
  void Porzuc() { Poczatek = Koniec = 0; }
} Naprzod;

void BladJesliBrak(IndeksBledu kod) {
  if (BrakBledu()) UstawBlad(kod);
}

}  // namespace

bool InicjalizacjaGniazd() {
  if (LicznikUzyc < 255) ++LicznikUzyc;
  return LicznikUzyc > 0;
}

void ZwolnienieGniazd() {
  if (LicznikUzyc > 0) --LicznikUzyc;
}

bool PolaczenieGniazda(uint8_t rodzaj, const char* adres, uint16_t port, int32_t czasOdbioru) {
  if (!InicjalizacjaGniazd()) {
    UstawBlad(BladGniazda);
    return false;
  }
  int32_t uchwyt = -1;
  if (rodzaj <= 1) uchwyt = platforma::UtworzenieGniazda(static_cast<platforma::RodzajGniazda>(rodzaj));
  // A connect must not outlast the receive time-out; a time-out of 0 still
  // gives a live peer one second to answer the handshake.
  const int64_t czasMs = std::clamp<int64_t>(int64_t{czasOdbioru} * 1000, 1000, INT32_MAX);
  if (uchwyt >= 0 && !platforma::PolaczenieZAdresem(uchwyt, adres, port, static_cast<int32_t>(czasMs))) {
    platforma::ZamkniecieGniazda(uchwyt);
    uchwyt = -1;
  }
  if (uchwyt < 0) {
    ZwolnienieGniazd();
    UstawBlad(BladGniazda);
    return false;
  }
  if (Otwarte.Uchwyt >= 0) platforma::ZamkniecieGniazda(Otwarte.Uchwyt);  // never leak a forgotten socket
  Otwarte = {uchwyt, czasOdbioru, rodzaj == 0};
  Naprzod.Porzuc();
  return true;
}

bool ZamkniecieGniazda() {
  const bool zamkniete = platforma::ZamkniecieGniazda(Otwarte.Uchwyt);
  Otwarte.Uchwyt = -1;
  Naprzod.Porzuc();
  ZwolnienieGniazd();
  if (!zamkniete) UstawBlad(BladGniazda);
  return zamkniete;
}

bool WyslanieDanych(const uint8_t* bufor, std::size_t dlugosc) {
  if (platforma::BajtyDoOdczytu(Otwarte.Uchwyt) < 0) {
    UstawBlad(BladGniazda);
    return false;
  }
  const long wyslane = platforma::WyslanieDoGniazda(Otwarte.Uchwyt, bufor, dlugosc);
  if (wyslane < 0 || static_cast<std::size_t>(wyslane) != dlugosc) {
    UstawBlad(BladWyslaniaGniazda);
    return false;
  }
  return true;
}

bool OdbiorBajtu(uint8_t* bajt) {
  if (Naprzod.Poczatek < Naprzod.Koniec) {
    *bajt = Naprzod.Bajty[Naprzod.Poczatek++];
    return true;
  }
  if (Otwarte.CzasOdbioru <= 0) {
    UstawBlad(BrakOdpowiedziGniazda);
    return false;
  }
  // The tick wraps, so the time spent is summed from its differences.
  const uint64_t czas = static_cast<uint64_t>(Otwarte.CzasOdbioru) * 1000u;
  uint64_t minelo = 0;
  uint32_t poprzedni = platforma::LicznikMs();
  // Once the socket reports readable with nothing to read (the peer has closed,
  // or an error waits), only short pauses remain until the deadline.
  bool gotowe = false, tylkoPauzy = false;
  for (;;) {
    const long czeka = platforma::BajtyDoOdczytu(Otwarte.Uchwyt);
    if (czeka < 0) {
      UstawBlad(BladGniazda);
      return false;
    }
    if (czeka > 0 && Otwarte.Strumien) {
      const long n = platforma::OdbiorZGniazda(Otwarte.Uchwyt, Naprzod.Bajty,
                                               std::min<std::size_t>(static_cast<std::size_t>(czeka), sizeof Naprzod.Bajty));
      if (n >= 1) {
        *bajt = Naprzod.Bajty[0];
        Naprzod.Poczatek = 1;
        Naprzod.Koniec = static_cast<std::size_t>(n);
        return true;
      }
      if (n == -1) {
        UstawBlad(BladGniazda);
        return false;
      }
    } else if (czeka > 0) {
      const long n = platforma::OdbiorZGniazda(Otwarte.Uchwyt, bajt, 1);
      if (n == 1) return true;
      if (n == -1) {
        UstawBlad(BladGniazda);
        return false;
      }
    } else if (gotowe) {
      tylkoPauzy = true;
    }
    const uint32_t teraz = platforma::LicznikMs();
    minelo += teraz - poprzedni;
    poprzedni = teraz;
    // A signal to end is as good as the time-out: nothing more is waited for.
    if (minelo >= czas || platforma::SygnalKonca()) {
      UstawBlad(BrakOdpowiedziGniazda);
      return false;
    }
    if (tylkoPauzy) {
      platforma::Uspienie(1);
      continue;
    }
    const uint64_t pozostalo = std::min<uint64_t>(czas - minelo, INT32_MAX);
    const int wynik = platforma::CzekanieNaOdczyt(Otwarte.Uchwyt, static_cast<int32_t>(pozostalo));
    if (wynik < 0) {
      UstawBlad(BladGniazda);
      return false;
    }
    gotowe = wynik == 1;
  }
}

bool WyslanieRozkazowSterujacych(const char* tekst1, const char* tekst2, const char* tekst3) {
  for (const char* tekst : {tekst1, tekst2, tekst3}) {
    if (tekst == nullptr || tekst[0] == 0) continue;
    uint8_t odpowiedz = 0;
    if (!WyslanieDanych(reinterpret_cast<const uint8_t*>(tekst), std::strlen(tekst)) || !OdbiorBajtu(&odpowiedz) ||
        odpowiedz != POTWIERDZENIE) {
      BladJesliBrak(BladGniazda);
      return false;
    }
  }
  return true;
}

namespace {

// The two control-line commands that select a channel of the line switch behind the port server.
const char* const KANALY[4][2] = {{"PS00", "PS11"}, {"PS00", "PS10"}, {"PS01", "PS11"}, {"PS01", "PS10"}};

struct RozkazPredkosci {
  uint32_t Predkosc;
  const char* Tekst;
};
const RozkazPredkosci PREDKOSCI[] = {
    {150, "PBR8"},  {300, "PBR9"},   {600, "PBR10"},  {1200, "PBR0"},  {2400, "PBR1"},  {4800, "PBR2"},
    {9600, "PBR3"}, {19200, "PBR4"}, {28800, "PBR11"}, {38400, "PBR5"}, {57600, "PBR6"}, {115200, "PBR7"},
};

const char* RozkazDlaPredkosci(uint32_t predkosc) {
  for (const auto& r : PREDKOSCI)
    if (r.Predkosc == predkosc) return r.Tekst;
  return nullptr;
}

}  // namespace

bool UstawienieZdalnegoPortu(const char* adres, uint8_t kanal, uint32_t predkosc, uint8_t ustawKanal) {
  const int32_t czas = static_cast<int32_t>(std::min<uint32_t>(Sesja.Lacze.CzasOczekiwania, INT32_MAX));
  bool wynik = false;
  if (PolaczenieGniazda(1, adres, PORT_STEROWANIA, czas)) {
    if (WyslanieRozkazowSterujacych("R", "PS11", "PS31")) {
      bool kanalUstawiony = false;
      if (ustawKanal) {
        kanalUstawiony = kanal >= 1 && kanal <= 4 &&
                         WyslanieRozkazowSterujacych(KANALY[kanal - 1][0], KANALY[kanal - 1][1], nullptr);
        wynik = kanalUstawiony;
      }
      if (kanalUstawiony || !ustawKanal) {
        // A speed outside the table sends nothing and leaves the outcome as it is.
        if (const char* rozkaz = RozkazDlaPredkosci(predkosc)) wynik = WyslanieRozkazowSterujacych(rozkaz, nullptr, nullptr);
      }
    }
    const bool zamkniete = ZamkniecieGniazda();
    if (wynik) wynik = zamkniete;
  }
  if (!wynik) BladJesliBrak(BladGniazda);
  return wynik;
}

namespace {

// The server address of the selected port (empty for a local port) and its speed.
void AdresWybranegoPortu(Napis adres, uint32_t* predkosc) {
  uint8_t indeks = 0, port = 0;
  GetComSelector(&indeks);
  GetCOMNumber(indeks, &port);
  *predkosc = static_cast<uint32_t>(GetSpeed(indeks));
  const char* zdalny = PIPAdress(port);
  std::memset(adres, 0, DLUGOSC_NAPISU);
  if (zdalny != nullptr) std::strncpy(adres, zdalny, DLUGOSC_NAPISU - 1);
}

}  // namespace

bool UstawienieKanalu(uint8_t kanal) {
  Napis adres;
  uint32_t predkosc = 0;
  AdresWybranegoPortu(adres, &predkosc);
  if (adres[0] == 0) {
    UstawKanalWinseria(kanal);
    return true;
  }
  return UstawienieZdalnegoPortu(adres, kanal == 0 ? 1 : kanal, predkosc, 1);
}

bool UstawieniePredkosci(uint32_t predkosc) {
  Napis adres;
  uint32_t biezaca = 0;
  AdresWybranegoPortu(adres, &biezaca);
  if (adres[0] == 0) return ChangeSpeedWinseria(predkosc) != 0;
  return UstawienieZdalnegoPortu(adres, 0, predkosc, 0);
}
