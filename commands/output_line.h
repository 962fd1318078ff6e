// The output line builder of the commands: a data line of tab-separated
// fields, each made of one or more parts (numbers zero-padded to a width,
// wide numbers, numbers with decimal places, texts of a fixed width, hex
// bytes). A data line holds at most 255 characters: a line whose fields need
// more is never cut short (a cut line would lose values without a word); it
// is refused whole when it is to be written, with ResultCode 17 and a message
// on standard error.
//
//   LiniaWyniku linia;
//   linia.Pole(Liczba(numer, 5)).Pole(Znaki(Odpowiedz(0), 19)).Pole(Liczba(OdpowiedzByte(19)));
//   linia.Pole(Liczba(dzien, 2), ".", Liczba(miesiac, 2));   // one field of three parts
//   if (!linia.Zapisanie()) return;                            // 17 already set
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// A short text made by the number formatters below.
struct Fragment {
  char Tekst[48]{};
  uint8_t Dlugosc = 0;
  operator std::string_view() const { return {Tekst, Dlugosc}; }
};

// A number in decimal, left-padded with zeros to at least `szerokosc` digits.
Fragment Liczba(uint64_t wartosc, uint8_t szerokosc = 0);
// A six- or eight-byte little-endian number in decimal, zero-padded to `szerokosc`.
Fragment Szesciobajtowa(const uint8_t* bajty, uint8_t szerokosc = 0);
Fragment Osmiobajtowa(const uint8_t* bajty, uint8_t szerokosc = 0);
// LiczbaBajtowNaTekst: bytes od..do (inclusive, at most 8) as one little-endian
// number; signed: a set top bit of the last byte makes it negative (its two's
// complement over those bytes, printed with "-", but never "-0"); with
// `miejsca` > 0 the digits are padded to miejsca + 1 and a "." stands before the last `miejsca`.
Fragment LiczbaBajtowNaTekst(const uint8_t* bajty, uint8_t od, uint8_t do_, uint8_t miejsca, bool zeZnakiem);
// Two hexadecimal digits "0123456789ABCDEF" (a date stored as binary-coded decimal).
Fragment Hex(uint8_t bajt);
// `n` bytes as stored, ending early at a zero byte (a fixed-width text of the register).
std::string_view Znaki(const uint8_t* bajty, std::size_t n);

class LiniaWyniku {
 public:
  // Starts a new field (a tab before every field but the first) made of the parts in order.
  template <typename... Czesci>
  LiniaWyniku& Pole(const Czesci&... czesci) {
    NowePole();
    (Dopisanie(std::string_view(czesci)), ...);
    return *this;
  }
  // A field of `n` bytes with the zero bytes left out.
  LiniaWyniku& PoleBezZer(const uint8_t* bajty, std::size_t n);
  // A field of `n` bytes, each as two lowercase hex digits and "H", joined by ":".
  LiniaWyniku& PoleHexH(const uint8_t* bajty, std::size_t n);
  // Appends to the current field.
  void Dopisanie(std::string_view tekst);
  // The line so far, at most its first 255 characters.
  const char* Tekst() const { return tekst_; }
  bool Pusta() const { return dlugosc_ == 0 && !pole_; }
  // Whether the fields need more than a data line holds.
  bool ZaDluga() const { return zaDluga_; }
  // Writes the line to the output file; false and ResultCode 17 when it is
  // too long (nothing is written) or cannot be written.
  bool Zapisanie() const;

 private:
  void NowePole();
  char tekst_[256]{};
  std::size_t dlugosc_ = 0;
  bool pole_ = false;  // a field has been started
  bool zaDluga_ = false;
};
