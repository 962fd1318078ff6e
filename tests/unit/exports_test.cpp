// The library as its users see it: loaded at run time, called by symbol name.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace {

class Biblioteka : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { uchwyt_ = dlopen(KARVO_LIBRARY, RTLD_NOW | RTLD_LOCAL); }
  static void TearDownTestSuite() {
    if (uchwyt_) dlclose(uchwyt_);
    uchwyt_ = nullptr;
  }
  template <typename F>
  static F Funkcja(const char* nazwa) {
    return reinterpret_cast<F>(uchwyt_ ? dlsym(uchwyt_, nazwa) : nullptr);
  }
  static void* uchwyt_;
};
void* Biblioteka::uchwyt_ = nullptr;

TEST_F(Biblioteka, LoadsAndValidatesFields) {
  ASSERT_NE(uchwyt_, nullptr) << dlerror();
  const auto bajt = Funkcja<uint8_t (*)(const char*, uint8_t*)>("PoprawnaLiczbaTypuByte");
  const auto dluga = Funkcja<uint8_t (*)(const char*, uint32_t*)>("PoprawnaLiczbaTypuLong");
  const auto parzystosc = Funkcja<uint8_t (*)(const char*, uint8_t*)>("PoprawnyNapisOpisujacyParzystosc");
  const auto pole = Funkcja<uint8_t (*)(const char*, uint8_t, char*)>("NapisZawieraDana");
  ASSERT_TRUE(bajt && dluga && parzystosc && pole);
  uint8_t b = 0;
  EXPECT_EQ(bajt("$FF", &b), 1);
  EXPECT_EQ(b, 255);
  EXPECT_EQ(bajt("256", &b), 0);
  uint32_t w = 0;
  EXPECT_EQ(dluga("1AH", &w), 1);
  EXPECT_EQ(w, 26u);
  EXPECT_EQ(parzystosc("even", &b), 1);
  EXPECT_EQ(b, 2);
  char wynik[256];
  EXPECT_EQ(pole("12\t\t5", 3, wynik), 1);
  EXPECT_STREQ(wynik, "5");
  EXPECT_EQ(pole("12\t\t5", 2, wynik), 0);
}

TEST_F(Biblioteka, HidesEverythingInternal) {
  ASSERT_NE(uchwyt_, nullptr) << dlerror();
  for (const char* wewnetrzna : {"PobranieDanej", "OczyszczenieNapisu", "_Z13PobranieDanejPKchcPc", "Sesja"})
    EXPECT_EQ(dlsym(uchwyt_, wewnetrzna), nullptr) << wewnetrzna;
}

std::set<std::string> NazwyZPliku(const char* sciezka) {
  std::set<std::string> nazwy;
  std::ifstream plik(sciezka);
  for (std::string nazwa; std::getline(plik, nazwa);)
    if (!nazwa.empty()) nazwy.insert(nazwa);
  return nazwy;
}

// The dynamic symbols that the library defines itself (code and data alike).
std::set<std::string> NazwyZdefiniowane() {
  std::set<std::string> nazwy;
  const std::string polecenie = std::string("nm -D --defined-only ") + KARVO_LIBRARY;
  FILE* nm = popen(polecenie.c_str(), "r");
  if (!nm) return nazwy;
  char wiersz[1024];
  while (std::fgets(wiersz, sizeof wiersz, nm)) {
    std::istringstream pola(wiersz);
    std::string adres, rodzaj, nazwa;
    if (!(pola >> adres >> rodzaj >> nazwa)) continue;
    if (rodzaj == "A") continue;  // version nodes, not symbols
    nazwy.insert(nazwa.substr(0, nazwa.find('@')));
  }
  pclose(nm);
  return nazwy;
}

TEST(Eksport, TheLibraryDefinesExactlyTheDeclaredNames) {
  const std::set<std::string> zadeklarowane = NazwyZPliku(KARVO_EXPORTS_FILE);
  const std::set<std::string> zdefiniowane = NazwyZdefiniowane();
  ASSERT_FALSE(zadeklarowane.empty());
  ASSERT_FALSE(zdefiniowane.empty());
  std::string nadmiarowe, brakujace;
  for (const auto& n : zdefiniowane)
    if (!zadeklarowane.count(n)) nadmiarowe += " " + n;
  for (const auto& n : zadeklarowane)
    if (!zdefiniowane.count(n)) brakujace += " " + n;
  EXPECT_EQ(nadmiarowe, "") << "exported but not declared in karvo.h";
  EXPECT_EQ(brakujace, "") << "declared in karvo.h but not defined";
}

}  // namespace
