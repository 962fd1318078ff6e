// The SQLite job store: keys, the order of a line's queue, claims, controls,
// what survives a reopening.
#include <gtest/gtest.h>

#include <filesystem>

#include "karvod/store.h"
#include "karvod/util.h"

namespace karvod {
namespace {

class KarvodStore : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("karvod-store-" + RandomId());
    ASSERT_TRUE(MakeDirs(dir_));
    Open();
  }
  void TearDown() override {
    store_.reset();
    RemoveTree(dir_);
  }
  void Open() {
    std::string error;
    store_.reset();
    store_ = OpenStore("", dir_, 15, error);
    ASSERT_TRUE(store_) << error;
  }
  static Job Make(int reg, const std::string& line, const std::string& key = "", std::vector<std::string> input = {},
                  int command = 21) {
    Job j;
    j.Id = RandomId();
    j.Register = reg;
    j.Command = command;
    j.Line = line;
    j.Key = key;
    j.Input = std::move(input);
    j.Created = NowIso();
    return j;
  }
  Job Add(int reg, const std::string& line, const std::string& key = "", std::vector<std::string> input = {}) {
    Job j = Make(reg, line, key, std::move(input));
    EXPECT_EQ(store_->Insert(j), InsertOutcome::Created);
    return j;
  }
  std::string dir_;
  std::unique_ptr<Store> store_;
};

TEST_F(KarvodStore, AKeyGivesBackItsJobAndRefusesAnotherAlsoAfterReopening) {
  const Job first = Add(1, "L1", "nightly-1", {"$1\t\xA5"});
  Open();
  struct Case {
    int reg;
    int command;
    std::vector<std::string> input;
    InsertOutcome outcome;
  };
  const Case cases[] = {{1, 21, {"$1\t\xA5"}, InsertOutcome::Existing},
                        {2, 21, {"$1\t\xA5"}, InsertOutcome::Conflict},
                        {1, 22, {"$1\t\xA5"}, InsertOutcome::Conflict},
                        {1, 21, {"$1\t\xA6"}, InsertOutcome::Conflict},
                        {1, 21, {}, InsertOutcome::Conflict}};
  for (const Case& c : cases) {
    Job j = Make(c.reg, "L1", "nightly-1", c.input, c.command);
    EXPECT_EQ(store_->Insert(j), c.outcome);
    if (c.outcome == InsertOutcome::Existing) {
      EXPECT_EQ(j.Id, first.Id);
    }
  }
  EXPECT_EQ(store_->List({}).size(), 1u);
}

TEST_F(KarvodStore, ALineServesItsJobsInOrderAndLinesAreIndependent) {
  const Job a1 = Add(1, "A"), b1 = Add(2, "B"), a2 = Add(3, "A");
  EXPECT_EQ(store_->ReadyLines(NowMs()), (std::vector<std::string>{"A", "B"}));
  auto c = store_->Claim("A", "n1", NowMs());
  ASSERT_TRUE(c);
  EXPECT_EQ(c->Id, a1.Id);
  EXPECT_EQ(c->State, JobState::Running);
  ASSERT_EQ(c->Attempts.size(), 1u);
  EXPECT_EQ(c->Attempts[0].Number, 1);
  // A retry that waits holds the line's next job back: the line keeps its order.
  c->State = JobState::Queued;
  c->NotBeforeMs = NowMs() + 60000;
  store_->Save(*c);
  EXPECT_FALSE(store_->Claim("A", "n1", NowMs()));
  EXPECT_EQ(store_->ReadyLines(NowMs()), (std::vector<std::string>{"B"}));
  auto later = store_->Claim("A", "n1", NowMs() + 61000);
  ASSERT_TRUE(later);
  EXPECT_EQ(later->Id, a1.Id);
  EXPECT_EQ(later->Attempts.size(), 2u);
  later->State = JobState::Done;
  store_->Save(*later);
  auto next = store_->Claim("A", "n1", NowMs());
  ASSERT_TRUE(next);
  EXPECT_EQ(next->Id, a2.Id);
  auto b = store_->Claim("B", "n1", NowMs());
  ASSERT_TRUE(b);
  EXPECT_EQ(b->Id, b1.Id);
}

TEST_F(KarvodStore, OnlyAQueuedJobIsCancelledAndOnlyARunningOneTakesControls) {
  const Job a = Add(1, "A"), b = Add(2, "B");
  EXPECT_FALSE(store_->RequestControl(a.Id, 's'));
  EXPECT_TRUE(store_->Cancel(a.Id));
  EXPECT_FALSE(store_->Cancel(a.Id));
  EXPECT_EQ(store_->Get(a.Id)->State, JobState::Cancelled);
  EXPECT_FALSE(store_->Claim("A", "n1", NowMs()));
  ASSERT_TRUE(store_->Claim("B", "n1", NowMs()));
  EXPECT_FALSE(store_->Cancel(b.Id));
  EXPECT_TRUE(store_->RequestControl(b.Id, 's'));
  EXPECT_TRUE(store_->RequestControl(b.Id, 'r'));
  EXPECT_EQ(store_->TakeControl(b.Id), 's');
  EXPECT_EQ(store_->TakeControl(b.Id), 'r');
  EXPECT_EQ(store_->TakeControl(b.Id), 0);
  EXPECT_FALSE(store_->RequestControl(RandomId(), 'b'));
}

TEST_F(KarvodStore, WhatARunLeftSurvivesAndCapturesExpire) {
  const Job a = Add(1, "A");
  auto c = store_->Claim("A", "n1", NowMs());
  ASSERT_TRUE(c);
  c->Attempts.back().Pid = 4242;
  c->Attempts.back().Directory = "/x/runs/1.1";
  c->Prog.OutputLines = 17;
  store_->Save(*c);
  const std::string bytes("#\r\n$1\t\x00\xFF\r\n", 10);
  RunFiles f{bytes, "log", "capture", {{"SPRZEDAZ.TXT", "$1\r\n"}, {"RABATY.TXT", ""}}, 5000};
  store_->SaveFiles(a.Id, f);
  Open();
  const auto left = store_->Unfinished("n1");
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].Attempts.back().Pid, 4242);
  EXPECT_EQ(left[0].Attempts.back().Directory, "/x/runs/1.1");
  EXPECT_EQ(left[0].Prog.OutputLines, 17u);
  EXPECT_EQ(store_->File(a.Id, "output"), bytes);
  EXPECT_EQ(store_->File(a.Id, "capture"), "capture");
  store_->PurgeCaptures(6000);
  EXPECT_EQ(store_->File(a.Id, "capture"), std::nullopt);
  EXPECT_EQ(store_->File(a.Id, "log"), "log");
  EXPECT_EQ(store_->File(RandomId(), "output"), std::nullopt);
  EXPECT_EQ(store_->File(a.Id, "file/SPRZEDAZ.TXT"), "$1\r\n");
  EXPECT_EQ(store_->File(a.Id, "file/RABATY.TXT"), "");
  EXPECT_EQ(store_->File(a.Id, "file/OTHER.TXT"), std::nullopt);
  EXPECT_EQ(store_->Get(a.Id)->Files, (std::vector<std::string>{"SPRZEDAZ.TXT", "RABATY.TXT"}));
}

TEST_F(KarvodStore, ListsAndStatistics) {
  for (int i = 0; i < 5; ++i) Add(1 + i % 2, i % 2 ? "B" : "A");
  EXPECT_EQ(store_->List({1, std::nullopt, 100}).size(), 3u);
  EXPECT_EQ(store_->List({0, JobState::Queued, 2}).size(), 2u);
  EXPECT_EQ(store_->List({0, JobState::Done, 100}).size(), 0u);
  const auto all = store_->List({});
  ASSERT_EQ(all.size(), 5u);
  EXPECT_GT(all.front().Seq, all.back().Seq);  // newest first
  const Stats st = store_->Statistics();
  EXPECT_EQ(st.ByState.at("queued"), 5);
  EXPECT_EQ(st.QueuedByLine.at("A"), 3);
  EXPECT_EQ(st.QueuedByLine.at("B"), 2);
}

}  // namespace
}  // namespace karvod
