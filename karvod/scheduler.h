// The scheduler owns the lines: one run at a time on each line, in the order
// the jobs came, different lines in parallel up to a bound. It starts a runner
// for each claimed job, decides what becomes of the job when the run ends
// (done, failed, a retry of a read, interrupted), and at start puts right
// what a service that stopped mid-run left behind.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "karvod/runner.h"
#include "karvod/store.h"

namespace karvod {

struct SchedulerSettings {
  RunnerSettings Runner;
  std::string Node = "local";
  int Lines = 8;              // runs at once, each on its own line
  int RetryBackoffMs = 1000;  // first pause before a read is tried again; doubled each time
  int MaxRetries = 3;
};

// The ResultCodes after which a reading command is tried again: the register
// or the module did not answer, answered garbage or was busy, the link broke
// or could not be opened.
bool TransientCode(int code);

struct RunTimes {
  int64_t Count = 0;
  double SumSeconds = 0;
  std::map<double, int64_t> Buckets;  // upper bound in seconds → runs at most that long
};

class Scheduler {
 public:
  Scheduler(SchedulerSettings s, Store& store);
  ~Scheduler();
  // Puts right what the last service left (runs it did not see end), then
  // starts serving the lines.
  void Start();
  // Breaks the running drivers off and waits for them (kills those that do
  // not end within the grace time); their jobs are settled as interrupted.
  void Stop();
  // Something changed in the store (a new job, a control request).
  void Wake(const std::string& jobId = "");
  // Waits until a job changes or the time passes (for ?wait and the events).
  void AwaitChange(int64_t generation, int ms);
  int64_t Generation();
  RunTimes Times();
  std::vector<std::string> BusyLines();
  const SchedulerSettings& Settings() const { return s_; }

  // How a job whose run ended (or was cut off) is settled; public for tests.
  static void Settle(Job& job, const RunResult& r, bool serviceStopping, const SchedulerSettings& s, int64_t nowMs);
  // A job that the last service left running, from what its directory holds.
  static void Recover(Job& job, const RunResult& r, const SchedulerSettings& s, int64_t nowMs);

 private:
  void Loop();
  void RunJob(Job job);
  void RecoverLeftovers();
  void Changed();

  SchedulerSettings s_;
  Store& store_;
  std::mutex m_;
  std::condition_variable wake_, changed_;
  bool stopping_ = false, poked_ = false;
  int64_t generation_ = 0;
  std::map<std::string, Runner*> running_;  // by line
  // The lines a run was started on, from its claim until it is settled: the
  // run's thread registers in running_ only once it runs.
  std::set<std::string> busy_;
  std::map<std::string, std::string> lineOfJob_;
  std::map<std::thread::id, std::thread> threads_;
  std::vector<std::thread::id> finished_;  // threads whose run has ended, to be joined
  int active_ = 0;
  std::thread loop_;
  RunTimes times_;
};

}  // namespace karvod
