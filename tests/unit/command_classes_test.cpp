// The command classes a spooler relies on agree with the CommandCode table.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "karvo_commands.h"
#include "commands/command_entry.h"

namespace {

TEST(CommandClasses, EveryRegisteredCommandHasExactlyOneEntryWithItsNameAndOutput) {
  std::size_t registered = 0;
  const PozycjaFunkcji* pozycje = PozycjeFunkcji(registered);
  EXPECT_EQ(registered, std::size(karvo::Commands));
  for (std::size_t i = 0; i < registered; ++i) {
    const OpisFunkcji& opis = *pozycje[i].Opis;
    int matches = 0;
    for (const karvo::CommandInfo& c : karvo::Commands) matches += c.Code == opis.Kod;
    EXPECT_EQ(matches, 1) << opis.Kod;
    const karvo::CommandInfo* info = karvo::FindCommand(opis.Kod);
    ASSERT_NE(info, nullptr) << opis.Kod;
    EXPECT_STREQ(info->Name, opis.Nazwa);
    EXPECT_EQ(info->HasOutput, opis.JestPlikWynikowy == 1) << opis.Nazwa;
    // A command that never opens the link can only be file-only, and back.
    EXPECT_EQ(info->Class == karvo::CommandClass::FileOnly, opis.PolaczenieZKasa == 0) << opis.Nazwa;
  }
}

TEST(CommandClasses, ChangingCommandsAreNeverRepeatable) {
  struct Case {
    int code;
    karvo::CommandClass cls;
  };
  const Case cases[] = {
      {21, karvo::CommandClass::Read},   {22, karvo::CommandClass::Read},    {23, karvo::CommandClass::Write},
      {26, karvo::CommandClass::Clear},  {39, karvo::CommandClass::Clear},   {47, karvo::CommandClass::Clear},
      {324, karvo::CommandClass::Clear}, {412, karvo::CommandClass::Payout}, {32, karvo::CommandClass::FileOnly},
      {24, karvo::CommandClass::Write},  {61, karvo::CommandClass::Write},   {64, karvo::CommandClass::Read},
  };
  for (const Case& c : cases) {
    const karvo::CommandInfo* info = karvo::FindCommand(c.code);
    ASSERT_NE(info, nullptr) << c.code;
    EXPECT_EQ(info->Class, c.cls) << c.code;
  }
  for (const karvo::CommandInfo& c : karvo::Commands) {
    const std::string name = c.Name;
    if (name.rfind("_Z", 0) == 0 || name.rfind("_K", 0) == 0) {
      EXPECT_FALSE(karvo::RepeatableClass(c.Class)) << name;
    }
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
    const karvo::CommandInfo* info = karvo::FindCommand(c.name);
    if (c.code == 0) {
      EXPECT_EQ(info, nullptr) << c.name;
    } else {
      ASSERT_NE(info, nullptr) << c.name;
      EXPECT_EQ(info->Code, c.code) << c.name;
    }
  }
  EXPECT_EQ(karvo::FindCommand(std::string_view("TowarMax\0x", 10)), nullptr);  // the whole name counts
  EXPECT_EQ(karvo::FindCommand(20), nullptr);
  EXPECT_EQ(karvo::FindCommand(static_cast<const char*>(nullptr)), nullptr);
}

}  // namespace
