// The driver's Polish messages for a UTF-8 terminal, and the locale test.
#include "platform/console.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

TEST(Konsola, Cp852BecomesUtf8) {
  const struct {
    std::string cp852, utf8;
  } przypadki[] = {
      {"Nie mo\xBEna otworzy\x86 pliku LOG.\n", "Nie mo\xC5\xBCna otworzy\xC4\x87 pliku LOG.\n"},
      {"", ""},
      {"ASCII only\t;$#", "ASCII only\t;$#"},
      // The Polish letters, upper and lower case.
      {"\xA5\x86\xA9\x88\xE4\xA2\x98\xAB\xBE", "\xC4\x85\xC4\x87\xC4\x99\xC5\x82\xC5\x84\xC3\xB3\xC5\x9B\xC5\xBA\xC5\xBC"},
      {"\xA4\x8F\xA8\x9D\xE3\xE0\x97\x8D\xBD", "\xC4\x84\xC4\x86\xC4\x98\xC5\x81\xC5\x83\xC3\x93\xC5\x9A\xC5\xB9\xC5\xBB"},
      // A box-drawing character: three bytes; the no-break space at the end: two.
      {"\xB0\xFF", "\xE2\x96\x91\xC2\xA0"},
  };
  for (const auto& p : przypadki) EXPECT_EQ(platforma::Cp852NaUtf8(p.cp852), p.utf8) << p.cp852;
}

// The environment's locale, restored after each case.
class Lokalizacja : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* z : {"LC_ALL", "LC_CTYPE", "LANG"}) {
      const char* w = std::getenv(z);
      zachowane_.push_back(w ? std::optional<std::string>(w) : std::nullopt);
    }
  }
  void TearDown() override {
    const char* zmienne[] = {"LC_ALL", "LC_CTYPE", "LANG"};
    for (int i = 0; i < 3; ++i) {
      if (zachowane_[static_cast<std::size_t>(i)]) setenv(zmienne[i], zachowane_[static_cast<std::size_t>(i)]->c_str(), 1);
      else unsetenv(zmienne[i]);
    }
  }
  std::vector<std::optional<std::string>> zachowane_;
};

TEST_F(Lokalizacja, UnicodeOnlyWhenTheEnvironmentSaysUtf8) {
  const struct {
    const char *lcAll, *lcCtype, *lang;
    bool utf8;
  } przypadki[] = {
      {nullptr, nullptr, "C.UTF-8", true},
      {nullptr, nullptr, "C.utf8", true},
      {nullptr, "C.UTF-8", "C", true},
      {"C", nullptr, "C.UTF-8", false},  // LC_ALL wins
      {"C.UTF-8", nullptr, "C", true},
      {nullptr, nullptr, "C", false},
      {nullptr, nullptr, "POSIX", false},
      {nullptr, nullptr, nullptr, false},
      {"", nullptr, "C.UTF-8", true},  // an empty variable counts as not set
      {nullptr, nullptr, "xx_YY.UTF-8", true},   // not installed: its name tells
      {nullptr, nullptr, "xx_YY.ISO-8859-2", false},
  };
  for (const auto& p : przypadki) {
    SCOPED_TRACE(std::string(p.lcAll ? p.lcAll : "-") + " " + (p.lcCtype ? p.lcCtype : "-") + " " + (p.lang ? p.lang : "-"));
    const char* zmienne[] = {"LC_ALL", "LC_CTYPE", "LANG"};
    const char* wartosci[] = {p.lcAll, p.lcCtype, p.lang};
    for (int i = 0; i < 3; ++i) {
      if (wartosci[i]) setenv(zmienne[i], wartosci[i], 1);
      else unsetenv(zmienne[i]);
    }
    EXPECT_EQ(platforma::LokalizacjaUtf8(), p.utf8);
  }
}

}  // namespace
