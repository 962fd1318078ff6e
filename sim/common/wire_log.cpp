#include "common/wire_log.h"

#include <chrono>
#include <ctime>

#include "common/bytes.h"

namespace sim {

Dziennik::~Dziennik() {
  if (plik_) std::fclose(plik_);
}

bool Dziennik::Otworz(const std::string& sciezka) {
  if (plik_) std::fclose(plik_);
  plik_ = std::fopen(sciezka.c_str(), "a");
  return plik_ != nullptr;
}

void Dziennik::Linia(const std::string& tekst) {
  if (!plik_) return;
  const auto teraz = std::chrono::system_clock::now();
  const std::time_t sekundy = std::chrono::system_clock::to_time_t(teraz);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(teraz.time_since_epoch()).count() % 1000;
  std::tm czas{};
  localtime_r(&sekundy, &czas);
  std::fprintf(plik_, "%02d:%02d:%02d.%03d  %s\n", czas.tm_hour, czas.tm_min, czas.tm_sec, static_cast<int>(ms),
               tekst.c_str());
  std::fflush(plik_);
}

void Dziennik::Bajty(std::string_view kto, Kierunek kierunek, std::span<const uint8_t> bajty, std::string_view opis) {
  if (!plik_) return;
  std::string tekst = kierunek == Kierunek::DoUrzadzenia ? "driver -> " : "driver <- ";
  tekst += kto;
  tekst.resize(std::max<size_t>(tekst.size() + 1, 20), ' ');
  tekst += Szesnastkowo(bajty);
  tekst += "  |" + Czytelnie(bajty) + "|";
  if (!opis.empty()) {
    tekst += "  ";
    tekst += opis;
  }
  Linia(tekst);
}

void Dziennik::Zdarzenie(std::string_view kto, std::string_view tekst) {
  std::string wiersz = "           ";
  wiersz += kto;
  wiersz.resize(std::max<size_t>(wiersz.size() + 1, 20), ' ');
  wiersz += tekst;
  Linia(wiersz);
}

}  // namespace sim
