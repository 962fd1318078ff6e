// What the runner writes for a run and reads back from it, the bus messages,
// and how the scheduler settles a job whose run ended.
#include <gtest/gtest.h>

#include "karvod/bus.h"
#include "karvod/runner.h"
#include "karvod/scheduler.h"
#include "karvod/util.h"

namespace karvod {
namespace {

TEST(KarvodRunner, InputFileNamesTheRegisterAndKeepsEachLineAsGiven) {
  Job j;
  j.Register = 7;
  j.Input = {"$1\tCHLEB\t\xA5", ";a comment", "$2"};
  EXPECT_EQ(InputFile(j), "#7\r\n#\r\n#\r\n$1\tCHLEB\t\xA5\r\n;a comment\r\n$2\r\n");
  j.Input.clear();
  EXPECT_EQ(InputFile(j), "#7\r\n#\r\n#\r\n");
}

TEST(KarvodRunner, ServerFileHasItsThirteenLines) {
  const std::string s = ServerFile(4711);
  EXPECT_EQ(s,
            "$13:10\r\n$KONFIG.TXT\r\n$RAPORT.TXT\r\n$KOMENT.TXT\r\n$MODKONF.TXT\r\n$ECRTBUF.TXT\r\n"
            "$1:4711\r\n$0\r\n$0\r\n$1\r\n$1\r\n$1\r\n$1\r\n");
}

TEST(KarvodRunner, ReportLinesCodeAndText) {
  struct Case {
    std::string report;
    int code;
    std::string text;
    std::size_t lines;
  };
  const Case cases[] = {
      {"#7\tCOM1\r\n#0\t; program zakonczony bezblednie\r\n#Vin\r\n", 0, "program zakonczony bezblednie", 3},
      {"#\r\n#14\t; brak kasy (KONFIG.TXT)\r\n#\r\n", 14, "brak kasy (KONFIG.TXT)", 3},
      {"#\r\n#21\r\n#\r\n", 21, "", 3},
      {"#\r\n#56\t; rozkaz przerwany przez serwer\r\n#", 56, "rozkaz przerwany przez serwer", 3},
      {"", -1, "", 0},
      {"#\r\n", -1, "", 1},
      {"#\r\n#x\r\n#\r\n", -1, "", 3},
  };
  for (const Case& c : cases) {
    RunResult r;
    ParseReport(c.report, r);
    EXPECT_EQ(r.Code, c.code) << c.report;
    EXPECT_EQ(r.Text, c.text) << c.report;
    EXPECT_EQ(r.Report.size(), c.lines) << c.report;
  }
}

TEST(KarvodRunner, TheSharedCacheKeepsWhatRunsLearntOnce) {
  const std::string dir = "/tmp/karvod-cache-" + RandomId();
  ASSERT_TRUE(MakeDirs(dir));
  EXPECT_EQ(SharedCache(dir, nullptr), "");
  const std::string a = "$VIN 1\t07\r\n", b = "$VIN 2\t08\r\n";
  EXPECT_EQ(SharedCache(dir, &a), a);
  const std::string both = a + b + "$cut short";
  EXPECT_EQ(SharedCache(dir, &both), a + b);  // a line without its end is no entry
  EXPECT_EQ(SharedCache(dir, &a), a + b);
  EXPECT_EQ(SharedCache(dir, nullptr), a + b);
  RemoveTree(dir);
}

TEST(KarvodBus, MessagesAreTwelveLittleEndianBytes) {
  const std::string b = RunBus::Encode({49152, 4711, 'b', 0x1234567});
  ASSERT_EQ(b.size(), 12u);
  EXPECT_EQ(b, std::string("\x00\xC0\x00\x00\x67\x12\x00\x00\x62\xFF\xFF\xFF", 12));  // the value cut to 24 bits
  BusMessage m;
  ASSERT_TRUE(RunBus::Decode(reinterpret_cast<const unsigned char*>(RunBus::Encode({1, 7, 'O', 200}).data()), 12, m));
  EXPECT_EQ(m.Number, 1u);
  EXPECT_EQ(m.Driver, 7u);
  EXPECT_EQ(m.Letter, 'O');
  EXPECT_EQ(m.Value, 200u);
  EXPECT_FALSE(RunBus::Decode(reinterpret_cast<const unsigned char*>(b.data()), 11, m));
}

Job RunningJob(int command, int attempts) {
  Job j;
  j.Command = command;
  j.State = JobState::Running;
  for (int i = 1; i <= attempts; ++i) {
    Attempt a;
    a.Number = i;
    j.Attempts.push_back(a);
  }
  return j;
}

TEST(KarvodScheduler, HowARunEndsTheJob) {
  SchedulerSettings s;
  s.RetryBackoffMs = 1000;
  struct Case {
    const char* what;
    int command;
    int attempts;
    int code;
    bool stopping;
    JobState state;
    const char* outcome;
    int64_t notBefore;  // after 1 000 000 ms
  };
  const Case cases[] = {
      {"read done", 21, 1, 0, false, JobState::Done, "done", 0},
      {"read refused", 21, 1, 22, false, JobState::Failed, "failed", 0},
      {"read, no answer: again", 21, 1, 21, false, JobState::Queued, "retry", 1000},
      {"read, port missing: again later", 21, 3, 62, false, JobState::Queued, "retry", 4000},
      {"read, fourth failure: no more", 21, 4, 21, false, JobState::Failed, "failed", 0},
      {"write, no answer: never again", 23, 1, 21, false, JobState::Failed, "failed", 0},
      {"payout, no answer", 412, 1, 21, false, JobState::Failed, "failed", 0},
      {"read broken off at shutdown", 21, 1, 56, true, JobState::Queued, "interrupted", 0},
      {"read cut off at shutdown", 21, 1, -1, true, JobState::Queued, "interrupted", 0},
      {"write broken off at shutdown", 23, 1, 56, true, JobState::Interrupted, "interrupted", 0},
      {"clear cut off at shutdown", 39, 1, -1, true, JobState::Interrupted, "interrupted", 0},
      {"write that ended before the break", 23, 1, 0, true, JobState::Done, "done", 0},
      {"read broken off through the API", 21, 1, 56, false, JobState::Failed, "failed", 0},
      {"driver died without a report", 21, 1, -1, false, JobState::Failed, "failed", 0},
  };
  for (const Case& c : cases) {
    Job j = RunningJob(c.command, c.attempts);
    RunResult r;
    r.Code = c.code;
    Scheduler::Settle(j, r, c.stopping, s, 1000000);
    EXPECT_EQ(j.State, c.state) << c.what;
    EXPECT_EQ(j.Attempts.back().Outcome, c.outcome) << c.what;
    if (c.notBefore) {
      EXPECT_EQ(j.NotBeforeMs, 1000000 + c.notBefore) << c.what;
    }
    EXPECT_EQ(j.Ended.empty(), !Finished(c.state)) << c.what;
  }
}

TEST(KarvodScheduler, RecoveryAfterTheServiceWasKilled) {
  SchedulerSettings s;
  struct Case {
    const char* what;
    int command;
    int code;
    bool log;  // the driver finished: its log block was written
    JobState state;
  };
  const Case cases[] = {
      {"read cut off", 21, -1, false, JobState::Queued},
      {"write cut off", 23, -1, false, JobState::Interrupted},
      {"payout cut off", 412, -1, false, JobState::Interrupted},
      {"write that finished unseen", 23, 0, true, JobState::Done},
      {"read that failed unseen", 22, 14, true, JobState::Failed},
      {"write whose report was written, not its log block", 23, 0, false, JobState::Done},
  };
  for (const Case& c : cases) {
    Job j = RunningJob(c.command, 1);
    RunResult r;
    r.Code = c.code;
    if (c.log) r.Files.Log = "#...\r\n";
    Scheduler::Recover(j, r, s, 1000000);
    EXPECT_EQ(j.State, c.state) << c.what;
  }
  Job never = RunningJob(21, 0);
  Scheduler::Recover(never, {}, s, 1);
  EXPECT_EQ(never.State, JobState::Queued);
}

TEST(KarvodScheduler, TransientCodes) {
  for (int code : {20, 21, 23, 26, 30, 31, 33, 34, 35, 42, 53, 62}) EXPECT_TRUE(TransientCode(code)) << code;
  for (int code : {0, 1, 7, 11, 14, 16, 19, 22, 24, 54, 56, 101, 200}) EXPECT_FALSE(TransientCode(code)) << code;
}

}  // namespace
}  // namespace karvod
