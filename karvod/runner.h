// The runner: one attempt of one job. It makes the attempt's directory under
// the state directory (the run's own KONFIG.TXT, ports.conf, input file and
// Server file), starts karvo there as the run's Server, turns the driver's
// messages into the job's progress, passes suspend, resume and break on, and
// keeps what the run leaves.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "karvod/config.h"
#include "karvod/job.h"
#include "karvod/store.h"

namespace karvod {

class RunBus;
struct BusMessage;

struct RunnerSettings {
  std::string Karvo;        // the driver's program
  std::string StateDir;     // absolute
  std::shared_ptr<const Configuration> Config;
  int64_t CaptureKeepMs = 7LL * 24 * 3600 * 1000;
  int BreakGraceMs = 5000;  // after a break on shutdown, how long before the driver is killed
  bool KeepDirectories = false;
};

// What the run left, read back from its directory.
struct RunResult {
  int Code = -1;  // -1: no report
  std::string Text;
  std::vector<std::string> Report;
  RunFiles Files;
  std::string Why;  // when there is no report: what became of the driver
};

// The directory of attempt `attempt` of job seq.
std::string AttemptDirectory(const std::string& stateDir, int64_t seq, int attempt);
// Writes the attempt's files; false with a reason when it cannot.
bool PrepareDirectory(const RunnerSettings& s, const Job& job, const std::string& dir, uint32_t driverId,
                      std::string& error);
// The input file of a job: the three header lines naming the register, then
// each line as given, every one ended with CR LF.
std::string InputFile(const Job& job);
std::string ServerFile(uint32_t driverId);
// The service's identification cache (STATE/ECRTBUF.TXT); with `learnt` (a
// run's copy after the run) the lines the run added are kept in it first.
std::string SharedCache(const std::string& stateDir, const std::string* learnt);
// What a run of `command` left in `dir`: its output file (the input file of a
// command that works on files only, which it rewrote in place).
RunResult CollectResult(const std::string& dir, int command);
// Whether NAME is one of the files the service itself puts in a run's
// directory or takes from it (letter case does not matter).
bool RunOwnFile(const std::string& name);
// Splits a report into its lines and takes the ResultCode and its text.
void ParseReport(const std::string& report, RunResult& r);

class Runner {
 public:
  Runner(const RunnerSettings& s, Store& store, Job job);
  // Runs the attempt to its end; the job (as saved) is then Result().
  void Execute();
  const Job& Result() const { return job_; }
  const RunResult& Left() const { return left_; }
  // Wakes the runner to look for a Server command asked for through the store.
  void Poke();
  // The service stops: break the run off (it ends with 56), kill it when it
  // does not end within the grace time.
  void Stop();
  bool Stopped() const { return stop_; }

 private:
  void Watch(long pid, uint32_t driverId, RunBus& bus);
  void Take(const BusMessage& m, int64_t startedMs);

  const RunnerSettings& s_;
  Store& store_;
  Job job_;
  RunResult left_;
  std::atomic<bool> stop_{false};
  int wake_[2] = {-1, -1};
  bool progressDirty_ = false;
};

}  // namespace karvod
