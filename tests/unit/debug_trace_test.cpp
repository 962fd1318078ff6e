// The debug trace: its format language, the segment limit, what reaches the
// console and what reaches "debug.txt".
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <functional>
#include <string>

#include <unistd.h>

#include "tests/unit/platform_dir.h"
#include "text/debug_trace.h"

namespace fs = std::filesystem;

namespace {

class Slad : public KatalogTestowy {
 protected:
  // Runs one trace call and answers what it printed on the console.
  std::string Konsola(const std::function<void()>& wywolanie) {
    testing::internal::CaptureStdout();
    wywolanie();
    return testing::internal::GetCapturedStdout();
  }
  std::string Plik(const char* nazwa = "debug.txt") { return Zawartosc(dir / nazwa); }
};

}  // namespace

TEST_F(Slad, ServerNoticeReachesConsoleAndFileWithTheEmptyLines) {
  const std::string konsola = Konsola([] {
    Printf(0, "%s%s%s%d%s", "###DRIVER: ", "OTowar", ", PID=", 1234, " wykonal rozkaz RESUME Serwera ###\n");
  });
  const std::string linia = "***DEBUG*###DRIVER: OTowar, PID=1234 wykonal rozkaz RESUME Serwera ###\n";
  EXPECT_EQ(konsola, linia);
  EXPECT_EQ(Plik(), linia + "\n" + "\n\n");
  Konsola([] { Printf(0, "%s", "drugi"); });
  EXPECT_EQ(Plik(), linia + "\n\n\n" + "***DEBUG*drugi\n\n\n") << "each line is appended";
}

TEST_F(Slad, Conversions) {
  const struct {
    std::function<void()> wywolanie;
    const char* linia;
  } przypadki[] = {
      {[] { Printf(0, "%d5", 42); }, "00042"},
      {[] { Printf(0, "%d", 0); }, "0"},
      {[] { Printf(0, "%d", -7); }, "-7"},
      {[] { Printf(0, "%d3", -7); }, "-007"},
      {[] { Printf(0, "%d2", 12345); }, "12345"},
      {[] { Printf(0, "%d", INT_MIN); }, "-2147483648"},
      {[] { Printf(0, "%d9x", 1); }, "000000001x"},
      {[] { Printf(0, "<%c>", 'k'); }, "<k>"},
      {[] { Printf(0, "a%sb%sc", "X", ""); }, "aXbc"},
      {[] { Printf(0, "%s5|", "tekst"); }, "tekst|"},  // the width digit of %s is eaten
      {[] { Printf(0, "%s", static_cast<const char*>(nullptr)); }, ""},
      {[] { Printf(0, "100%%"); }, "100%"},
      {[] { Printf(0, "%x%"); }, "%x%"},  // not conversions of this language: kept
      {[] { Printf(0, "n=%d, t=%s.", 3, "ok"); }, "n=3, t=ok."},
  };
  for (const auto& p : przypadki) {
    fs::remove(dir / "debug.txt");
    const std::string linia = std::string("***DEBUG*") + p.linia;
    EXPECT_EQ(Konsola(p.wywolanie), linia);
    EXPECT_EQ(Plik(), linia + "\n\n\n") << p.linia;
  }
}

TEST_F(Slad, FormatWithoutConversionsAddsNoEmptyLines) {
  EXPECT_EQ(Konsola([] { Printf(0, "tylko tekst"); }), "***DEBUG*tylko tekst");
  EXPECT_EQ(Plik(), "***DEBUG*tylko tekst\n");
}

TEST_F(Slad, FileNameConversionChangesOnlyThisCall) {
  EXPECT_EQ(Konsola([] { Printf(0, "A%F", ".1"); }), "***DEBUG*A");
  EXPECT_FALSE(fs::exists(dir / "debug.txt"));
  EXPECT_EQ(Plik("debug.txt.1"), "***DEBUG*A\n\n\n");
  Konsola([] { Printf(0, "B%s", ""); });
  EXPECT_EQ(Plik(), "***DEBUG*B\n\n\n");
}

TEST_F(Slad, EighteenSegmentsAtMost) {
  const std::string osiemnascie = Konsola([] {
    Printf(0, "%c%c%c%c%c%c%c%c%c%c%c%c%c%c%c%c%c", 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm',
           'n', 'o', 'p', 'q');
  });
  EXPECT_EQ(osiemnascie, "***DEBUG*abcdefghijklmnopq");
  fs::remove(dir / "debug.txt");
  const std::string dziewietnascie = Konsola([] {
    Printf(0, "x%c%c%c%c%c%c%c%c%c%c%c%c%c%c%c%c%c%c", 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l',
           'm', 'n', 'o', 'p', 'q', 'r');
  });
  EXPECT_EQ(dziewietnascie, "ERROR: funkcji Printf, za duzo parametrow !!!");
  EXPECT_FALSE(fs::exists(dir / "debug.txt"));
}

TEST_F(Slad, LineIsCutAt255Bytes) {
  const std::string dlugi(400, 'z');
  const std::string konsola = Konsola([&] { Printf(0, "%s", dlugi.c_str()); });
  EXPECT_EQ(konsola, "***DEBUG*" + std::string(255 - 9, 'z'));
}

TEST_F(Slad, UnopenableFileIsSkippedSilently) {
  fs::create_directory(dir / "debug.txt");
  EXPECT_EQ(Konsola([] { Printf(0, "%d", 5); }), "***DEBUG*5");
  EXPECT_TRUE(fs::is_directory(dir / "debug.txt"));
}

TEST_F(Slad, RedirectedInputIsNeitherWaitedForNorConsumed) {
  int rura[2];
  ASSERT_EQ(pipe(rura), 0);
  ASSERT_EQ(write(rura[1], "xyz", 3), 3);
  dup2(rura[0], STDIN_FILENO);
  close(rura[0]);
  Konsola([] { Printf(0, "%d", 1); });
  close(rura[1]);
  char bufor[4] = {};
  EXPECT_EQ(read(STDIN_FILENO, bufor, 3), 3);
  EXPECT_STREQ(bufor, "xyz");
}
