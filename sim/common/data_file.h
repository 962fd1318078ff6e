// The simulator's state and script files in the system's own data-file syntax:
// "$" lines of tab-separated fields, ";" comment lines, "#" header lines.
// Every line is kept as it was read, so writing back changes only the records
// that were replaced.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

class PlikDanych {
 public:
  // One "$" line as its fields; an empty field counts as missing and stays an empty text.
  using Rekord = std::vector<std::string>;

  // Nothing on a line of another kind (the message names its number).
  static std::optional<PlikDanych> ZTekstu(std::string_view tekst, std::string& blad);
  static std::optional<PlikDanych> Wczytaj(const std::string& sciezka, std::string& blad);
  bool Zapisz(const std::string& sciezka, std::string& blad) const;
  std::string Tekst() const;

  // The first record whose field 1 is klucz, without that field.
  std::optional<Rekord> Pierwszy(std::string_view klucz) const;
  // Every record with that key, in file order.
  std::vector<Rekord> Wszystkie(std::string_view klucz) const;
  // Every record of the file, keys included, in file order.
  std::vector<Rekord> Rekordy() const;
  // Replaces the record(s) with that key: the new ones take the place of the
  // first old one; without an old one they are appended at the end.
  void Ustaw(std::string_view klucz, const Rekord& pola);
  void UstawWszystkie(std::string_view klucz, const std::vector<Rekord>& rekordy);

  bool Zmieniony() const { return zmieniony_; }

 private:
  struct Wiersz {
    std::string tekst;  // without the terminator
    bool dane = false;
    Rekord pola;  // field 1 first (the key)
  };
  std::vector<Wiersz> wiersze_;
  std::string koniecLinii_ = "\r\n";
  bool zmieniony_ = false;
};

// "$" + the fields joined by tabs.
std::string WierszDanych(const PlikDanych::Rekord& pola);

}  // namespace sim
