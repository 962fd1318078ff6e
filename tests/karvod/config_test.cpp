// The service's reading of its configuration, its options and its text helpers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "karvod/config.h"
#include "karvod/service.h"
#include "karvod/util.h"

namespace karvod {
namespace {

TEST(KarvodConfig, RegistersAndTheirLines) {
  const std::string ports = "COM1\t/dev/ttyUSB0\nCOM2\t/dev/ttyUSB0   # the same adapter\nCOM3\trfc2217://10.0.0.5:7000\n";
  const std::string konfig =
      "; the shop's registers\r\n"
      "$1\tCOM1:9600:MUX1:1\t1\r\n"
      "$2\tcom1:9600:mux1:2 ; second on the multiplexer\t1\r\n"
      "$3\tCOM2:19200:MUX0:1\t1\r\n"
      "$4\tCOM3:9600:MUX0:1\t1\r\n"
      "$5\tCOM1:9600:MUX5:1\t1\tShop\t10.1.1.1:4001:x:0:HASLO123:1:2\r\n"
      "$6\tCOM1:9600:MUX5:2\t1\tShop\t10.1.1.1:4001:x:0:HASLO123:1:2\r\n"
      "$7\tCOM9:9600:MUX0:1\t1\r\n"
      "$1\tCOM3:9600:MUX0:1\t1\r\n"    // a second line for 1: the driver takes the first
      "$100\tCOM1:9600:MUX0:1\t1\r\n"  // beyond what an input file may ask for
      "$x\tCOM1:9600:MUX0:1\t1\r\n"
      "$8\tnonsense\t1\r\n"
      "#9\tCOM1:9600:MUX0:1\t1\r\n";
  const auto regs = RegistersOf(konfig, ports);
  struct Case {
    int reg;
    const char* line;  // nullptr: not a register
  };
  const Case cases[] = {{1, "serial:/dev/ttyUSB0"},    {2, "serial:/dev/ttyUSB0"},
                        {3, "serial:/dev/ttyUSB0"},    {4, "serial:rfc2217://10.0.0.5:7000"},
                        {5, "tcp:10.1.1.1:4001"},      {6, "tcp:10.1.1.1:4001"},
                        {7, "serial:/dev/ttyS8"},      {8, nullptr},
                        {9, nullptr},                  {100, nullptr}};
  for (const Case& c : cases) {
    const auto it = regs.find(c.reg);
    if (!c.line) {
      EXPECT_EQ(it, regs.end()) << c.reg;
      continue;
    }
    ASSERT_NE(it, regs.end()) << c.reg;
    EXPECT_EQ(it->second.Line, c.line) << c.reg;
  }
  EXPECT_EQ(regs.at(1).Link, "COM1:9600:MUX1:1");
}

TEST(KarvodConfig, RelativePortTargetsAreTakenFromTheConfigDirectory) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"COM1\t./COM1", "COM1\t/etc/karvod/COM1"},
      {"COM1\tpty/COM1\t127.0.0.2", "COM1\t/etc/karvod/pty/COM1\t127.0.0.2"},
      {"COM1\t/dev/ttyUSB0", "COM1\t/dev/ttyUSB0"},
      {"COM2\trfc2217://127.0.0.1:7000", "COM2\trfc2217://127.0.0.1:7000"},
      {"# COM1\t./COM1", "# COM1\t./COM1"},
      {"COM1 # no tab", "COM1 # no tab"},
  };
  for (const Case& c : cases) EXPECT_EQ(AbsolutePorts(c.in, "/etc/karvod"), std::string(c.out) + "\n") << c.in;
}

TEST(KarvodConfig, BytesTravelAsCharactersUpToFF) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToBytes(BytesToUtf8(all)), all);
  EXPECT_EQ(Utf8ToBytes("\xC5\x81"), std::nullopt);        // U+0141, above U+00FF
  EXPECT_EQ(Utf8ToBytes("\xC3"), std::nullopt);            // cut short
  EXPECT_EQ(Utf8ToBytes("\xE2\x82\xAC"), std::nullopt);    // the euro sign
  EXPECT_EQ(Utf8ToBytes("\xC2\xA5"), std::string("\xA5"));  // U+00A5: the byte 0xA5 (an A with ogonek in 852)
}

TEST(KarvodOptions, CommandLines) {
  struct Case {
    std::vector<std::string> args;
    bool ok;
    const char* error;  // part of the reason when not ok
  };
  const Case cases[] = {
      {{"--config", "c", "--state", "s"}, true, ""},
      {{"--config", "c"}, false, "--config and --state"},
      {{"--config", "c", "--state", "s", "--listen", "0.0.0.0:8470"}, false, "needs --token-file"},
      {{"--config", "c", "--state", "s", "--listen", "0.0.0.0:8470", "--token-file", "t"}, true, ""},
      {{"--config", "c", "--state", "s", "--listen", "[::1]:8470"}, true, ""},
      {{"--config", "c", "--state", "s", "--listen", "localhost:0"}, true, ""},
      {{"--config", "c", "--state", "s", "--listen", "8470"}, false, "HOST:PORT"},
      {{"--config", "c", "--state", "s", "--listen", "127.0.0.1:65536"}, false, "HOST:PORT"},
      {{"--config", "c", "--state", "s", "--lines", "0"}, false, "range"},
      {{"--config", "c", "--state", "s", "--lines", "x"}, false, "range"},
      {{"--config", "c", "--state", "s", "--frobnicate", "1"}, false, "unknown option"},
      {{"--config", "c", "--state"}, false, "needs a value"},
  };
  for (const Case& c : cases) {
    ServiceOptions o;
    std::string error;
    EXPECT_EQ(ParseServiceOptions(c.args, o, error), c.ok) << c.args.back();
    if (!c.ok) {
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
  }
}

TEST(KarvodOptions, TheTokenFileMustBeReadableByItsOwnerAlone) {
  const std::string dir = std::filesystem::temp_directory_path() / ("karvod-token-" + RandomId());
  ASSERT_TRUE(MakeDirs(dir));
  struct Case {
    const char* text;
    unsigned mode;
    bool ok;
  };
  const Case cases[] = {{"0123456789abcdef0123\n", 0600, true}, {"  0123456789abcdef0123  \r\nrest", 0400, true},
                        {"0123456789abcdef0123\n", 0640, false}, {"0123456789abcdef0123\n", 0604, false},
                        {"short\n", 0600, false},                {"", 0600, false}};
  int i = 0;
  for (const Case& c : cases) {
    const std::string file = dir + "/t" + std::to_string(i++);
    ASSERT_TRUE(WriteFile(file, c.text, 0600));
    chmod(file.c_str(), c.mode);
    std::string token, error;
    EXPECT_EQ(ReadToken(file, token, error), c.ok) << c.text << " " << c.mode << " " << error;
    if (c.ok) {
      EXPECT_EQ(token, "0123456789abcdef0123");
    }
  }
  std::string token, error;
  EXPECT_FALSE(ReadToken(dir + "/missing", token, error));
  EXPECT_FALSE(ReadToken(dir, token, error));
  RemoveTree(dir);
}

}  // namespace
}  // namespace karvod
