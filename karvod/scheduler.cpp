#include "karvod/scheduler.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "karvo_commands.h"
#include "karvod/util.h"

namespace karvod {

namespace {

constexpr int PurgeEveryMs = 60000;
constexpr int OrphansEveryMs = 1000;
constexpr double Bounds[] = {1, 5, 15, 60, 300, 1800};

bool Repeatable(const Job& job) {
  const karvo::CommandInfo* info = karvo::FindCommand(job.Command);
  return info && karvo::RepeatableClass(info->Class);
}

void TakeResult(Job& job, const RunResult& r) {
  job.Code = r.Code;
  job.Text = r.Text;
  job.Report = r.Report;
}

// A driver that the last service left behind (it was told to die with its
// service, but be sure): ended before its line is served again.
void EndLeftover(const Attempt& a) {
  if (a.Pid <= 0 || a.Directory.empty()) return;
  std::error_code ec;
  const auto cwd = std::filesystem::read_symlink("/proc/" + std::to_string(a.Pid) + "/cwd", ec);
  if (ec || cwd.string() != a.Directory) return;
  kill(static_cast<pid_t>(a.Pid), SIGKILL);
  for (int i = 0; i < 100 && kill(static_cast<pid_t>(a.Pid), 0) == 0; ++i) usleep(20000);
}

}  // namespace

bool TransientCode(int code) {
  switch (code) {
    case 20: case 21: case 23: case 26: case 30: case 31: case 33: case 34: case 35: case 42: case 53: case 62:
      return true;
    default:
      return false;
  }
}

void Scheduler::Settle(Job& job, const RunResult& r, bool serviceStopping, const SchedulerSettings& s,
                       int64_t nowMs) {
  Attempt& a = job.Attempts.back();
  a.Ended = IsoTime(nowMs);
  a.Code = r.Code;
  const bool repeatable = Repeatable(job);
  job.Note.clear();
  // A run broken off because the service stops, or cut off before it reported.
  if (serviceStopping && (r.Code == -1 || r.Code == 56)) {
    a.Outcome = "interrupted";
    if (repeatable) {
      job.State = JobState::Queued;
      job.Note = "the service stopped during the run; it runs again";
    } else {
      TakeResult(job, r);
      job.State = JobState::Interrupted;
      job.Ended = a.Ended;
      job.Note = "the service stopped during the run: whether the register carried the command out is unknown "
                 "(see the capture); it is not run again by itself";
    }
    return;
  }
  TakeResult(job, r);
  if (r.Code == -1) {
    a.Outcome = "failed";
    job.State = JobState::Failed;
    job.Ended = a.Ended;
    job.Note = r.Why.empty() ? "the run left no report" : r.Why + " and left no report";
    return;
  }
  const int retries = static_cast<int>(job.Attempts.size()) - 1;
  if (r.Code != 0 && repeatable && TransientCode(r.Code) && retries < s.MaxRetries) {
    a.Outcome = "retry";
    job.State = JobState::Queued;
    job.NotBeforeMs = nowMs + (static_cast<int64_t>(s.RetryBackoffMs) << retries);
    job.Note = "ResultCode " + std::to_string(r.Code) + ": tried again";
    return;
  }
  a.Outcome = r.Code == 0 ? "done" : "failed";
  job.State = r.Code == 0 ? JobState::Done : JobState::Failed;
  job.Ended = a.Ended;
}

void Scheduler::Recover(Job& job, const RunResult& r, const SchedulerSettings& s, int64_t nowMs) {
  if (job.Attempts.empty()) {
    job.State = JobState::Queued;
    return;
  }
  // A run with a report finished (the report gets its lines only at the end of
  // a run, and each attempt has a fresh directory) before the service could
  // see it: its result stands. One without was cut off by the stop.
  Settle(job, r, r.Code == -1, s, nowMs);
}

Scheduler::Scheduler(SchedulerSettings s, Store& store) : s_(std::move(s)), store_(store) {}

Scheduler::~Scheduler() { Stop(); }

void Scheduler::RecoverLeftovers() {
  for (Job& job : store_.Unfinished(s_.Node)) {
    RunResult r;
    if (!job.Attempts.empty()) {
      const Attempt& a = job.Attempts.back();
      EndLeftover(a);
      if (!a.Directory.empty()) {
        r = CollectResult(a.Directory, job.Command);
        r.Files.CaptureUntilMs = NowMs() + s_.Runner.CaptureKeepMs;
        store_.SaveFiles(job.Id, r.Files);
        if (!s_.Runner.KeepDirectories) RemoveTree(a.Directory);
      }
    }
    r.Why = "the service stopped";
    Recover(job, r, s_, NowMs());
    store_.Save(job);
  }
}

void Scheduler::Start() {
  MakeDirs(s_.Runner.StateDir + "/runs", 0700);
  RecoverLeftovers();
  loop_ = std::thread([this] { Loop(); });
}

void Scheduler::Stop() {
  {
    std::lock_guard<std::mutex> lock(m_);
    if (stopping_ && !loop_.joinable()) return;
    stopping_ = true;
    for (auto& [line, runner] : running_) runner->Stop();
  }
  wake_.notify_all();
  if (loop_.joinable()) loop_.join();
  std::map<std::thread::id, std::thread> threads;
  {
    std::lock_guard<std::mutex> lock(m_);
    threads.swap(threads_);
    finished_.clear();
  }
  for (auto& [id, t] : threads) t.join();
}

void Scheduler::Wake(const std::string& jobId) {
  std::lock_guard<std::mutex> lock(m_);
  poked_ = true;
  if (!jobId.empty()) {
    const auto l = lineOfJob_.find(jobId);
    if (l != lineOfJob_.end()) {
      const auto r = running_.find(l->second);
      if (r != running_.end()) r->second->Poke();
    }
  }
  wake_.notify_all();
}

void Scheduler::Changed() {
  {
    std::lock_guard<std::mutex> lock(m_);
    ++generation_;
  }
  changed_.notify_all();
}

int64_t Scheduler::Generation() {
  std::lock_guard<std::mutex> lock(m_);
  return generation_;
}

void Scheduler::AwaitChange(int64_t generation, int ms) {
  std::unique_lock<std::mutex> lock(m_);
  changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return generation_ != generation || stopping_; });
}

RunTimes Scheduler::Times() {
  std::lock_guard<std::mutex> lock(m_);
  return times_;
}

std::vector<std::string> Scheduler::BusyLines() {
  std::lock_guard<std::mutex> lock(m_);
  return std::vector<std::string>(busy_.begin(), busy_.end());
}

void Scheduler::Loop() {
  int64_t lastPurge = 0, lastOrphans = 0;
  std::unique_lock<std::mutex> lock(m_);
  while (!stopping_) {
    const int64_t now = NowMs();
    for (const auto& tid : finished_) {
      auto t = threads_.find(tid);
      if (t != threads_.end()) {
        t->second.join();
        threads_.erase(t);
      }
    }
    finished_.clear();
    std::set<std::string> busy = busy_;
    const int active = active_;
    lock.unlock();
    if (now - lastPurge >= PurgeEveryMs) {
      store_.PurgeCaptures(now);
      lastPurge = now;
    }
    store_.Renew(s_.Node, std::vector<std::string>(busy.begin(), busy.end()));
    if (now - lastOrphans >= OrphansEveryMs) {
      lastOrphans = now;
      // Runs of a node that stopped renewing its lines: put right as after a restart.
      const auto settled = store_.TakeOrphans(s_.Node, [&](Job& j) {
        RunResult r;
        r.Why = "its node stopped";
        Recover(j, r, s_, now);
      });
      if (!settled.empty()) Changed();
    }
    int started = 0;
    if (active < s_.Lines) {
      for (const std::string& line : store_.ReadyLines(now)) {
        if (active + started >= s_.Lines) break;
        if (busy.count(line)) continue;
        std::optional<Job> job = store_.Claim(line, s_.Node, now);
        if (!job) continue;
        ++started;
        busy.insert(line);
        Changed();
        lock.lock();
        if (stopping_) {
          // Claimed as the service stops: back into the queue untouched.
          // Nothing ran, so the job keeps no start of its own and the line's
          // lease goes at once: another node need not wait for it to lapse.
          job->Attempts.pop_back();
          job->State = JobState::Queued;
          if (job->Attempts.empty()) job->Started.clear();
          store_.Save(*job);
          store_.Release(s_.Node, line);
          break;
        }
        ++active_;
        busy_.insert(line);
        std::thread t([this, j = std::move(*job)]() mutable { RunJob(std::move(j)); });
        const auto tid = t.get_id();
        threads_.emplace(tid, std::move(t));
        lock.unlock();
      }
    }
    lock.lock();
    if (!poked_) wake_.wait_for(lock, std::chrono::milliseconds(started ? 10 : 200));
    poked_ = false;
  }
}

void Scheduler::RunJob(Job job) {
  Runner runner(s_.Runner, store_, job);
  const std::string line = job.Line, id = job.Id;
  {
    std::lock_guard<std::mutex> lock(m_);
    running_[line] = &runner;
    lineOfJob_[id] = line;
    if (stopping_) runner.Stop();
  }
  const auto t0 = std::chrono::steady_clock::now();
  runner.Execute();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  Job done = runner.Result();
  RunResult r = runner.Left();
  r.Files.CaptureUntilMs = NowMs() + s_.Runner.CaptureKeepMs;
  store_.SaveFiles(id, r.Files);
  Settle(done, r, runner.Stopped(), s_, NowMs());
  store_.Save(done);
  store_.Release(s_.Node, line);
  {
    std::lock_guard<std::mutex> lock(m_);
    running_.erase(line);
    busy_.erase(line);
    lineOfJob_.erase(id);
    --active_;
    poked_ = true;
    times_.Count++;
    times_.SumSeconds += seconds;
    for (double b : Bounds)
      if (seconds <= b) times_.Buckets[b]++;
    ++generation_;
    finished_.push_back(std::this_thread::get_id());
  }
  wake_.notify_all();
  changed_.notify_all();
}

}  // namespace karvod
