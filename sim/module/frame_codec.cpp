#include "module/frame_codec.h"

#include <array>

namespace sim::ramka {
namespace {

constexpr std::array<uint16_t, 256> TablicaCrc() {
  std::array<uint16_t, 256> t{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned c = i;
    for (int b = 0; b < 8; ++b) c = (c & 1) ? (c >> 1) ^ 0xA001u : c >> 1;
    t[i] = static_cast<uint16_t>(c);
  }
  return t;
}
constexpr std::array<uint16_t, 256> Tablica = TablicaCrc();

}  // namespace

uint16_t Crc16(std::span<const uint8_t> bajty, uint16_t crc) {
  for (uint8_t b : bajty) crc = static_cast<uint16_t>((crc >> 8) ^ Tablica[(crc ^ b) & 0xFF]);
  return crc;
}

Bajty Koduj(std::span<const uint8_t> surowe) {
  Bajty wynik;
  wynik.reserve(DlugoscZakodowana(surowe.size()));
  size_t bity = 0;
  for (size_t i = 0; i < surowe.size(); ++i) {
    const size_t pozycja = i % 7;
    if (pozycja == 0) {
      bity = wynik.size();
      wynik.push_back(0x80);
    }
    wynik[bity] = static_cast<uint8_t>(wynik[bity] | ((surowe[i] & 0x80) >> (pozycja + 1)));
    wynik.push_back(static_cast<uint8_t>(surowe[i] | 0x80));
  }
  return wynik;
}

std::optional<Bajty> Dekoduj(std::span<const uint8_t> zakodowane) {
  Bajty wynik;
  for (size_t poczatek = 0; poczatek < zakodowane.size(); poczatek += 8) {
    const uint8_t bity = zakodowane[poczatek];
    const size_t wGrupie = std::min<size_t>(7, zakodowane.size() - poczatek - 1);
    if (!(bity & 0x80) || wGrupie == 0) return std::nullopt;
    // Bits of a short group's missing bytes must be clear.
    if (bity & static_cast<uint8_t>((1u << (7 - wGrupie)) - 1)) return std::nullopt;
    for (size_t k = 0; k < wGrupie; ++k) {
      const uint8_t b = zakodowane[poczatek + 1 + k];
      if (!(b & 0x80)) return std::nullopt;
      const uint8_t bit7 = static_cast<uint8_t>(((bity >> (6 - k)) & 1) << 7);
      wynik.push_back(static_cast<uint8_t>((b & 0x7F) | bit7));
    }
  }
  return wynik;
}

std::optional<Bajty> Zbuduj(uint8_t bajtSterujacy, std::span<const uint8_t> tresc) {
  const size_t liczba = tresc.size() + 4;
  if (liczba > NajwiecejSurowych) return std::nullopt;
  Bajty surowe{static_cast<uint8_t>(DlugoscZakodowana(liczba)), bajtSterujacy};
  surowe.insert(surowe.end(), tresc.begin(), tresc.end());
  const uint16_t crc = Crc16(surowe);
  surowe.push_back(static_cast<uint8_t>(crc & 0xFF));
  surowe.push_back(static_cast<uint8_t>(crc >> 8));
  Bajty wynik(std::begin(Naglowek), std::end(Naglowek));
  const Bajty zakodowane = Koduj(surowe);
  wynik.insert(wynik.end(), zakodowane.begin(), zakodowane.end());
  return wynik;
}

std::optional<Rozebrana> Rozbierz(std::span<const uint8_t> poNaglowku, std::string& blad) {
  const auto surowe = Dekoduj(poNaglowku);
  if (!surowe) {
    blad = "bad 7-in-8 coding";
    return std::nullopt;
  }
  if (surowe->size() < 4) {
    blad = "too short for a length, a control byte and the CRC";
    return std::nullopt;
  }
  if ((*surowe)[0] != poNaglowku.size() || DlugoscZakodowana(surowe->size()) != poNaglowku.size()) {
    blad = "length byte " + std::to_string((*surowe)[0]) + " for " + std::to_string(poNaglowku.size()) + " bytes";
    return std::nullopt;
  }
  if (Crc16(*surowe) != 0) {
    blad = "CRC error";
    return std::nullopt;
  }
  return Rozebrana{(*surowe)[1], Bajty(surowe->begin() + 2, surowe->end() - 2)};
}

bool Odbiornik::Dodaj(uint8_t bajt) {
  if (gotowa_) Zeruj();
  if (wNaglowku_ < DlugoscNaglowka) {
    if (bajt == Naglowek[wNaglowku_]) {
      ++wNaglowku_;
      return false;
    }
    // The header has no repeating part: after a mismatch it can only start again at this byte.
    pominiete_.insert(pominiete_.end(), Naglowek, Naglowek + wNaglowku_);
    wNaglowku_ = 0;
    if (bajt == Naglowek[0]) wNaglowku_ = 1;
    else pominiete_.push_back(bajt);
    return false;
  }
  ramka_.push_back(bajt);
  if (ramka_.size() == 2) oczekiwane_ = (bajt & 0x7F) | ((ramka_[0] & 0x40) << 1);
  if (ramka_.size() < oczekiwane_) return false;
  gotowa_ = true;
  return true;
}

Bajty Odbiornik::Pominiete() {
  Bajty wynik;
  wynik.swap(pominiete_);
  return wynik;
}

void Odbiornik::Zeruj() {
  wNaglowku_ = 0;
  gotowa_ = false;
  oczekiwane_ = 2;
  ramka_.clear();
}

}  // namespace sim::ramka
