#include "commands/parameters.h"

#include "state/session_state.h"
#include "text/codecs.h"

namespace {

constexpr std::size_t ROZMIAR_PARAMETROW = sizeof(DaneWymiany{}.ObszarParametrow);
constexpr std::size_t ROZMIAR_ODPOWIEDZI = sizeof(DaneWymiany{}.ObszarOdpowiedzi);

// An answer byte beyond the area reads as 0.
uint8_t BajtOdpowiedzi(std::size_t i) { return i < ROZMIAR_ODPOWIEDZI ? Sesja.Wymiana.ObszarOdpowiedzi[i] : 0; }

}  // namespace

Parametry& Parametry::Bajt(uint8_t wartosc) {
  if (pozycja_ < ROZMIAR_PARAMETROW) Sesja.Wymiana.ObszarParametrow[pozycja_++] = wartosc;
  return *this;
}

Parametry& Parametry::Word(uint16_t wartosc) { return Wielobajtowa(wartosc, 2); }
Parametry& Parametry::Long(uint32_t wartosc) { return Wielobajtowa(wartosc, 4); }

Parametry& Parametry::Wielobajtowa(uint64_t wartosc, std::size_t ile) {
  for (std::size_t i = 0; i < ile; ++i, wartosc >>= 8) Bajt(static_cast<uint8_t>(wartosc & 0xFF));
  return *this;
}

Parametry& Parametry::Bajty(const uint8_t* bajty, std::size_t ile) {
  for (std::size_t i = 0; i < ile; ++i) Bajt(bajty[i]);
  return *this;
}

Parametry& Parametry::Tekst(const char* tekst, std::size_t szerokosc, char wypelnienie) {
  const std::size_t dlugosc = DlugoscNapisu(tekst);
  for (std::size_t i = 0; i < szerokosc; ++i) Bajt(static_cast<uint8_t>(i < dlugosc ? tekst[i] : wypelnienie));
  return *this;
}

uint8_t OdpowiedzByte(std::size_t od) { return BajtOdpowiedzi(od); }
uint16_t OdpowiedzWord(std::size_t od) { return static_cast<uint16_t>(OdpowiedzLiczba(od, 2)); }
uint32_t OdpowiedzLong(std::size_t od) { return static_cast<uint32_t>(OdpowiedzLiczba(od, 4)); }

uint64_t OdpowiedzLiczba(std::size_t od, std::size_t ile) {
  uint64_t wartosc = 0;
  for (std::size_t i = ile < 8 ? ile : 8; i-- > 0;) wartosc = (wartosc << 8) | BajtOdpowiedzi(od + i);
  return wartosc;
}

uint16_t OdpowiedzWordOdStarszego(std::size_t od) {
  return static_cast<uint16_t>(BajtOdpowiedzi(od) << 8 | BajtOdpowiedzi(od + 1));
}

const uint8_t* Odpowiedz(std::size_t od) { return Sesja.Wymiana.ObszarOdpowiedzi + od; }

uint8_t XorOdpowiedzi(std::size_t od, std::size_t ile) {
  uint8_t wynik = 0;
  for (std::size_t i = 0; i < ile; ++i) wynik ^= BajtOdpowiedzi(od + i);
  return wynik;
}
