// A fresh directory under /tmp for one test, removed with everything in it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class KatalogTymczasowy {
 public:
  KatalogTymczasowy() {
    char wzor[] = "/tmp/karvo-unit-XXXXXX";
    sciezka_ = mkdtemp(wzor);
  }
  ~KatalogTymczasowy() {
    std::error_code blad;
    std::filesystem::remove_all(sciezka_, blad);
  }
  KatalogTymczasowy(const KatalogTymczasowy&) = delete;
  KatalogTymczasowy& operator=(const KatalogTymczasowy&) = delete;

  std::string Sciezka(const std::string& nazwa) const { return sciezka_ + "/" + nazwa; }
  const std::string& Katalog() const { return sciezka_; }

  std::string Zapis(const std::string& nazwa, const std::string& tresc) const {
    const std::string pelna = Sciezka(nazwa);
    std::filesystem::create_directories(std::filesystem::path(pelna).parent_path());
    std::ofstream(pelna, std::ios::binary) << tresc;
    return pelna;
  }

  static std::string Odczyt(const std::string& sciezka) {
    std::ifstream plik(sciezka, std::ios::binary);
    return {std::istreambuf_iterator<char>(plik), std::istreambuf_iterator<char>()};
  }

 private:
  std::string sciezka_;
};
