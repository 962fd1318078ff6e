// The checks of a submitted job's body: what is refused, and why.
#include <gtest/gtest.h>

#include "karvod/api.h"
#include "karvod/util.h"

namespace karvod {
namespace {

Configuration Shop() {
  Configuration c;
  c.Registers[1] = {1, "COM1:9600:MUX0:1", "serial:/dev/ttyS0"};
  c.Registers[7] = {7, "COM2:9600:MUX0:1", "serial:/dev/ttyS1"};
  return c;
}

std::string Lines(std::size_t n, const std::string& line) {
  std::string s = "[";
  for (std::size_t i = 0; i < n; ++i) s += (i ? ",\"" : "\"") + line + "\"";
  return s + "]";
}

TEST(KarvodSubmission, BadBodiesAreRefusedWithAReason) {
  const Configuration shop = Shop();
  struct Case {
    std::string body;
    const char* reason;  // nullptr: accepted
  };
  const Case cases[] = {
      {R"({"register": 1, "command": 21})", nullptr},
      {R"({"register": 7, "command": "_TowarMax", "input": null})", nullptr},
      {R"({"register": 7, "command": "ZTowar", "input": ["$1\tCHLEB", ";x", "$\u00a5\u00ff"], "key": "k"})", nullptr},
      {"", "not JSON"},
      {"{", "not JSON"},
      {"[1]", "JSON object"},
      {R"({"command": 21})", "register"},
      {R"({"register": "1", "command": 21})", "register"},
      {R"({"register": 2, "command": 21})", "register 2 is not in KONFIG.TXT"},
      {R"({"register": 0, "command": 21})", "not in KONFIG.TXT"},
      {R"({"register": 1})", "\"command\" is missing"},
      {R"({"register": 1, "command": 20})", "unknown command"},
      {R"({"register": 1, "command": 21.5})", "unknown command"},
      {R"({"register": 1, "command": "_Nic"})", "unknown command"},
      {R"({"register": 1, "command": "_TowarMax\u0000x"})", "unknown command"},
      {R"({"register": 1, "command": 21, "input": "$1"})", "array"},
      {R"({"register": 1, "command": 23, "input": [1]})", "input line 1 is not a string"},
      {R"({"register": 1, "command": 23, "input": ["$1", "$2\u0000"]})", "input line 2 holds a NUL"},
      {R"({"register": 1, "command": 23, "input": ["$1\r"]})", "CR or LF"},
      {R"({"register": 1, "command": 23, "input": ["$1\n$2"]})", "CR or LF"},
      {R"({"register": 1, "command": 23, "input": ["\u0141"]})", "above U+00FF"},
      {R"({"register": 1, "command": 23, "input": [")" + std::string(255, 'x') + R"("]})", nullptr},
      {R"({"register": 1, "command": 23, "input": [")" + std::string(256, 'x') + R"("]})", "longer than 255"},
      {R"({"register": 1, "command": 23, "input": )" + Lines(10000, "$1") + "}", nullptr},
      {R"({"register": 1, "command": 23, "input": )" + Lines(10001, "$1") + "}", "more than 10000"},
      {R"({"register": 1, "command": 21, "key": ""})", "key"},
      {R"({"register": 1, "command": 324, "input": ["$SPRZEDAZ.TXT\tSPAK.TXT\tOPAK.TXT\tRABATY.TXT\t?"]})", nullptr},
      {R"({"register": 1, "command": 324, "input": ["$S.TXT\tP.TXT\tO.TXT\t*\tKONIEC.TXT ; the marker"]})", nullptr},
      {R"({"register": 1, "command": 324, "input": ["$/etc/passwd\tP.TXT\tO.TXT\t*\t?"]})", "plain file name"},
      {R"({"register": 1, "command": 324, "input": ["$S.TXT\t..\\..\\X.TXT\tO.TXT\t*\t?"]})", "plain file name"},
      {R"({"register": 1, "command": 324, "input": ["$S.TXT\tP.TXT\tkarvo.log\t*\t?"]})", "plain file name"},
      {R"({"register": 1, "command": 324, "input": ["$S.TXT\tP.TXT\tO.TXT\tserwer.txt\t?"]})", "plain file name"},
      {R"({"register": 1, "command": 324, "input": ["$S.TXT\tP.TXT\tO.TXT\t*\tC:X"]})", "plain file name"},
      {R"({"register": 1, "command": 23, "input": ["$1\tMLEKO 2%/1L"]})", nullptr},
      {R"({"register": 1, "command": 21, "key": 5})", "key"},
  };
  for (const Case& c : cases) {
    std::string reason;
    const auto s = ParseSubmission(c.body, shop, reason);
    const std::string shown = c.body.substr(0, 80);
    if (!c.reason) {
      EXPECT_TRUE(s) << shown << ": " << reason;
      continue;
    }
    EXPECT_FALSE(s) << shown;
    EXPECT_NE(reason.find(c.reason), std::string::npos) << shown << ": " << reason;
  }
}

TEST(KarvodSubmission, LinesArriveAsTheBytesTheyStandFor) {
  std::string reason;
  const auto s = ParseSubmission(R"({"register": 7, "command": 23, "input": ["$1\tPI\u00a5TEK\t\u00ff"]})", Shop(), reason);
  ASSERT_TRUE(s) << reason;
  EXPECT_EQ(s->Command, 23);
  ASSERT_EQ(s->Input.size(), 1u);
  EXPECT_EQ(s->Input[0], "$1\tPI\xA5TEK\t\xFF");
}

TEST(KarvodSubmission, AJobAsJsonCarriesItsNameClassAndBytes) {
  Job j;
  j.Id = "0123456789abcdef0123456789abcdef";
  j.Register = 7;
  j.Command = 21;
  j.State = JobState::Done;
  j.Code = 0;
  j.Text = "program zakonczony bezblednie";
  j.Report = {"#7\t\xA5", "#0\t; program zakonczony bezblednie", "#"};
  const auto o = JobToJson(j);
  EXPECT_EQ(o["name"], "_TowarMax");
  EXPECT_EQ(o["class"], "read");
  EXPECT_EQ(o["state"], "done");
  EXPECT_EQ(o["result"]["code"], 0);
  EXPECT_EQ(o["result"]["report"][0], "#7\t\u00a5");
  EXPECT_TRUE(o["started"].is_null());
  Job queued;
  queued.Command = 412;
  EXPECT_TRUE(JobToJson(queued)["result"].is_null());
  EXPECT_EQ(JobToJson(queued)["class"], "payout");
}

}  // namespace
}  // namespace karvod
