// The exported interface as a user of libkarvo.so sees it.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace {

std::set<std::string> ZapowiedzianeNazwy() {
  std::ifstream plik(KARVO_EXPORTS_FILE);
  std::set<std::string> nazwy;
  for (std::string linia; std::getline(plik, linia);)
    if (!linia.empty()) nazwy.insert(linia);
  return nazwy;
}

std::set<std::string> NazwyDynamiczne(const std::string& plik) {
  std::set<std::string> nazwy;
  FILE* nm = popen(("nm -D --defined-only " + plik + " 2>/dev/null").c_str(), "r");
  if (!nm) return nazwy;
  char linia[512];
  while (std::fgets(linia, sizeof linia, nm)) {
    std::istringstream s(linia);
    std::string adres, rodzaj, nazwa;
    if (s >> adres >> rodzaj >> nazwa) nazwy.insert(nazwa);
  }
  pclose(nm);
  return nazwy;
}

TEST(Biblioteka, ExportsExactlyTheDeclaredNames) {
  const std::set<std::string> zapowiedziane = ZapowiedzianeNazwy();
  ASSERT_GT(zapowiedziane.size(), 40u);
  EXPECT_TRUE(zapowiedziane.count("_ONrKasy"));
  EXPECT_TRUE(zapowiedziane.count("_ZNrKasy"));
  EXPECT_TRUE(zapowiedziane.count("InitializePort"));
  EXPECT_EQ(NazwyDynamiczne(KARVO_LIBRARY), zapowiedziane);
}

TEST(Biblioteka, TheExecutableExportsTheSameNames) {
  const std::set<std::string> zapowiedziane = ZapowiedzianeNazwy();
  const std::set<std::string> wykonywalny = NazwyDynamiczne(KARVO_BINARY);
  for (const auto& nazwa : zapowiedziane) EXPECT_TRUE(wykonywalny.count(nazwa)) << nazwa;
}

TEST(Biblioteka, ValidatorsAndFieldsWorkThroughDlopen) {
  void* biblioteka = dlopen(KARVO_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(biblioteka, nullptr) << dlerror();
  using Bajt = uint8_t (*)(const char*, uint8_t*);
  using Pole = uint8_t (*)(const char*, uint8_t, char*);
  using Zakres = uint8_t (*)(const char*, uint32_t, uint32_t, uint32_t*);
  auto bajt = reinterpret_cast<Bajt>(dlsym(biblioteka, "PoprawnaLiczbaTypuByte"));
  auto pole = reinterpret_cast<Pole>(dlsym(biblioteka, "NapisZawieraDana"));
  auto zakres = reinterpret_cast<Zakres>(dlsym(biblioteka, "PoprawnaLiczbaZPodanegoZakresu"));
  ASSERT_TRUE(bajt && pole && zakres);
  EXPECT_EQ(dlsym(biblioteka, "KodBledu"), nullptr);  // internal names stay hidden
  uint8_t wartosc = 0;
  EXPECT_EQ(bajt("$FF", &wartosc), 1);
  EXPECT_EQ(wartosc, 255);
  EXPECT_EQ(bajt("256", &wartosc), 0);
  char tekst[256] = {};
  EXPECT_EQ(pole("12\t\t5", 3, tekst), 1);
  EXPECT_STREQ(tekst, "5");
  EXPECT_EQ(pole("12\t\t5", 2, tekst), 0);
  uint32_t v = 0;
  EXPECT_EQ(zakres("700", 1, 99, &v), 0);
  EXPECT_EQ(v, 700u);  // out of range still delivers the value
  dlclose(biblioteka);
}

}  // namespace
