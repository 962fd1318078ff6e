// The command classes a spooler relies on agree with the CommandCode table.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "commands/command_classes.h"
#include "commands/command_entry.h"

namespace {

TEST(CommandClasses, EveryRegisteredCommandHasExactlyOneEntryWithItsNameAndOutput) {
  std::size_t registered = 0, classified = 0;
  const PozycjaFunkcji* pozycje = PozycjeFunkcji(registered);
  const CommandInfo* table = CommandTable(classified);
  EXPECT_EQ(registered, classified);
  for (std::size_t i = 0; i < registered; ++i) {
    const OpisFunkcji& opis = *pozycje[i].Opis;
    int matches = 0;
    for (std::size_t j = 0; j < classified; ++j) matches += table[j].Code == opis.Kod;
    EXPECT_EQ(matches, 1) << opis.Kod;
    const CommandInfo* info = FindCommand(opis.Kod);
    ASSERT_NE(info, nullptr) << opis.Kod;
    EXPECT_STREQ(info->Name, opis.Nazwa);
    EXPECT_EQ(info->HasOutput, opis.JestPlikWynikowy == 1) << opis.Nazwa;
    // A command that never opens the link can only be file-only, and back.
    EXPECT_EQ(info->Class == CommandClass::FileOnly, opis.PolaczenieZKasa == 0) << opis.Nazwa;
  }
}

TEST(CommandClasses, TableIsAscendingWithoutDuplicates) {
  std::size_t n = 0;
  const CommandInfo* t = CommandTable(n);
  for (std::size_t i = 1; i < n; ++i) EXPECT_LT(t[i - 1].Code, t[i].Code);
}

TEST(CommandClasses, ChangingCommandsAreNeverRepeatable) {
  struct Case {
    int code;
    CommandClass cls;
  };
  const Case cases[] = {
      {21, CommandClass::Read},   {22, CommandClass::Read},    {23, CommandClass::Write},
      {26, CommandClass::Clear},  {39, CommandClass::Clear},   {47, CommandClass::Clear},
      {324, CommandClass::Clear}, {412, CommandClass::Payout}, {32, CommandClass::FileOnly},
      {24, CommandClass::Write},  {61, CommandClass::Write},   {64, CommandClass::Read},
  };
  for (const Case& c : cases) {
    const CommandInfo* info = FindCommand(c.code);
    ASSERT_NE(info, nullptr) << c.code;
    EXPECT_EQ(info->Class, c.cls) << c.code;
  }
  std::size_t n = 0;
  const CommandInfo* t = CommandTable(n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::string name = t[i].Name;
    if (name.rfind("_Z", 0) == 0 || name.rfind("_K", 0) == 0) EXPECT_FALSE(RepeatableClass(t[i].Class)) << name;
  }
}

TEST(CommandClasses, FindsByNameWithOrWithoutUnderscoreInAnyCase) {
  struct Case {
    const char* name;
    int code;  // 0: none
  };
  const Case cases[] = {{"_TowarMax", 21}, {"TowarMax", 21}, {"_towarmax", 21}, {"ODBARKOD", 215},
                        {"", 0},           {"_", 0},         {"__TowarMax", 0}, {"TowarMaxX", 0}};
  for (const Case& c : cases) {
    const CommandInfo* info = FindCommand(c.name);
    if (c.code == 0) {
      EXPECT_EQ(info, nullptr) << c.name;
    } else {
      ASSERT_NE(info, nullptr) << c.name;
      EXPECT_EQ(info->Code, c.code) << c.name;
    }
  }
  EXPECT_EQ(FindCommand(20), nullptr);
  EXPECT_EQ(FindCommand(static_cast<const char*>(nullptr)), nullptr);
}

}  // namespace
