#include "common/bytes.h"

#include <cstdio>

namespace sim {

std::string Szesnastkowo(std::span<const uint8_t> bajty) {
  std::string wynik;
  char bufor[4];
  for (size_t i = 0; i < bajty.size(); ++i) {
    std::snprintf(bufor, sizeof bufor, "%02X", bajty[i]);
    if (i) wynik += ' ';
    wynik += bufor;
  }
  return wynik;
}

std::string Czytelnie(std::span<const uint8_t> bajty) {
  std::string wynik;
  for (uint8_t b : bajty) wynik += (b >= 0x20 && b < 0x7F) ? static_cast<char>(b) : '.';
  return wynik;
}

std::optional<uint64_t> DuzaLiczba(std::string_view tekst, uint64_t maksimum) {
  if (tekst.size() == 3 && tekst.front() == '\'' && tekst.back() == '\'') {
    const uint32_t znak = static_cast<uint8_t>(tekst[1]);
    if (znak > maksimum) return std::nullopt;
    return znak;
  }
  uint64_t podstawa = 10;
  if (tekst.size() > 2 && tekst[0] == '0' && (tekst[1] == 'x' || tekst[1] == 'X')) {
    podstawa = 16;
    tekst.remove_prefix(2);
  }
  if (tekst.empty()) return std::nullopt;
  uint64_t wartosc = 0;
  for (char c : tekst) {
    uint64_t cyfra;
    if (c >= '0' && c <= '9') cyfra = static_cast<uint64_t>(c - '0');
    else if (podstawa == 16 && c >= 'a' && c <= 'f') cyfra = static_cast<uint64_t>(c - 'a' + 10);
    else if (podstawa == 16 && c >= 'A' && c <= 'F') cyfra = static_cast<uint64_t>(c - 'A' + 10);
    else return std::nullopt;
    if (cyfra > maksimum || wartosc > (maksimum - cyfra) / podstawa) return std::nullopt;
    wartosc = wartosc * podstawa + cyfra;
  }
  return wartosc;
}

std::optional<uint32_t> Liczba(std::string_view tekst, uint32_t maksimum) {
  const auto w = DuzaLiczba(tekst, maksimum);
  if (!w) return std::nullopt;
  return static_cast<uint32_t>(*w);
}

std::optional<Bajty> ListaBajtow(std::string_view tekst) {
  Bajty wynik;
  if (tekst.empty()) return wynik;
  for (const std::string& czesc : Podziel(tekst, ',')) {
    const auto b = Liczba(czesc, 0xFF);
    if (!b) return std::nullopt;
    wynik.push_back(static_cast<uint8_t>(*b));
  }
  return wynik;
}

std::vector<std::string> Podziel(std::string_view tekst, char separator) {
  std::vector<std::string> czesci;
  size_t poczatek = 0;
  for (;;) {
    const size_t koniec = tekst.find(separator, poczatek);
    czesci.emplace_back(tekst.substr(poczatek, koniec == std::string_view::npos ? std::string_view::npos : koniec - poczatek));
    if (koniec == std::string_view::npos) return czesci;
    poczatek = koniec + 1;
  }
}

std::optional<Bajty> ZSzesnastkowego(std::string_view tekst) {
  Bajty wynik;
  int polowa = -1;
  for (char c : tekst) {
    int cyfra;
    if (c == ' ') continue;
    if (c >= '0' && c <= '9') cyfra = c - '0';
    else if (c >= 'a' && c <= 'f') cyfra = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') cyfra = c - 'A' + 10;
    else return std::nullopt;
    if (polowa < 0) {
      polowa = cyfra;
    } else {
      wynik.push_back(static_cast<uint8_t>(polowa * 16 + cyfra));
      polowa = -1;
    }
  }
  if (polowa >= 0) return std::nullopt;
  return wynik;
}

std::string DoSzesnastkowego(const Bajty& bajty) {
  std::string wynik;
  char bufor[3];
  for (uint8_t b : bajty) {
    std::snprintf(bufor, sizeof bufor, "%02X", b);
    wynik += bufor;
  }
  return wynik;
}

}  // namespace sim
